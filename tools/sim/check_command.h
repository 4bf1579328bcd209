// quillmere-sim check: the course checks of each hole (the demonstration plays out, the map is sound, par is
// fair, no dead spots, no roll stopped by a guard), with a readable or JSON report and an exit code for CI.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/sim/green_commands.h"

struct CheckResult {
  explicit CheckResult(std::string checkName = "") : name(std::move(checkName)) {}
  std::string name;
  bool passed = true;
  std::string summary;
  std::vector<std::string> details;                         // one readable line each
  std::vector<std::pair<std::string, std::string>> fields;  // name and JSON value, for --json
  uint64_t played = 0;                                      // strokes the check played
};

// A check run on a hole after the built-in ones, with the game folder current and the hole loaded (map,
// tables and pictures). The course compiler's "picture and map agree" check joins the report this way.
struct HoleCheck {
  std::string name;
  std::function<CheckResult(int32_t hole)> run;
};

struct CheckSettings {
  std::string game;  // the game folder
  uint32_t seed = 1;
  int32_t randomStrokes = 300;  // random strokes from the pad; one more from each place they came to rest
  std::vector<HoleCheck> extraChecks;
};

struct HoleReport {
  int32_t hole = 0;
  std::vector<CheckResult> checks;
  bool Passed() const;
};

HoleReport CheckHole(const CheckSettings& settings, int32_t hole);

// extraChecks join every hole's report: the course compiler's "picture and map agree" comes this way.
int RunCheck(const SimOptions& options, std::vector<HoleCheck> extraChecks = {});
