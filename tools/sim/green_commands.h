// quillmere-sim's commands on one hole of the green: render, stroke and the demonstration.
#pragma once

#include <cstdint>
#include <map>
#include <string>

using SimOptions = std::map<std::string, std::string>;

int RunRender(const SimOptions& options);
int RunStroke(const SimOptions& options);
int RunDemo(const SimOptions& options);

// A screenshot into dir every `every` virtual milliseconds from 0 to until, named frame00000.png on.
void ScheduleFrames(const std::string& dir, uint32_t every, uint32_t until);
