// The play script of quillmere-sim: timed inputs, one per line, read into headless inputs.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "platform/headless/headless.h"

struct PlayScript {
  std::vector<HeadlessInput> inputs;
  std::vector<int32_t> answers;  // message-box answers in the order the boxes come
  uint32_t runOn = 2000;         // virtual ms the game may run on after the last input
};

// Reads a script; false with a message naming the line when a line cannot be understood.
bool ParsePlayScript(std::istream& in, PlayScript* script, std::string* error);
