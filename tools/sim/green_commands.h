// quillmere-sim's commands on one hole of the green: render and stroke.
#pragma once

#include <map>
#include <string>

using SimOptions = std::map<std::string, std::string>;

int RunRender(const SimOptions& options);
int RunStroke(const SimOptions& options);
