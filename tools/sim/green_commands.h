// quillmere-sim's commands on one hole of the green: render, stroke and the demonstration.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "round/round_data.h"

using SimOptions = std::map<std::string, std::string>;

int RunRender(const SimOptions& options);
int RunStroke(const SimOptions& options);
int RunDemo(const SimOptions& options);

// s as a JSON string, quotes and backslashes escaped.
std::string JsonText(const std::string& s);

// A screenshot into dir every `every` virtual milliseconds from 0 to until, named frame00000.png on.
void ScheduleFrames(const std::string& dir, uint32_t every, uint32_t until);

// What became of one record of the demonstration script.
struct DemoOutcome {
  bool used = false;  // the demonstration reached the record and used it
  BallState ball{};   // after placing, or where the stroke left the ball
  int32_t phase = 0;  // the play phase then: 40 in play, 60 holed, 61 holed in one
};
struct DemoRun {
  std::vector<DemoOutcome> outcomes;  // indexed like the script
  bool completed = false;             // every record of the hole used, each player's last stroke dropped
  uint32_t virtualMs = 0;
};
// The demonstration of one hole, played in the game folder (which becomes the current folder); false when the
// folder cannot be opened. frames: a folder for screenshots every `every` ms, or empty.
bool PlayDemoRun(const std::string& game, int32_t hole, const std::string& frames, uint32_t every, DemoRun* run);
// Whether script record `index` is its player's last on that hole: the stroke that must drop the ball.
bool IsLastOfTurn(int32_t index);
