// Long rounds: the whole program on the headless backend plays round after round of 18 holes for eight players
// with random strokes, started from the title menu each time. It must never hang, and its memory must not grow:
// the resident size after the last round is compared with that after round 10. A run of fewer than 20 rounds
// (CI's) proves the rounds complete; the first rounds still fill caches, so its memory is only reported.
//
// usage: quill_long_rounds GAME_DIR ROUNDS [SEED [MOST_GROWTH_PERCENT]]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "green/hole.h"
#include "green/mapcodes.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "shell/shell.h"
#include "tools/sim/script.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kStepMs = 150;

struct Driver {
  std::mt19937 random;
  uint32_t roundsWanted = 0;
  uint32_t roundsStarted = 0;
  int8_t padHole = -1;  // the hole whose pad was found
  POINT pad{};
  uint32_t strokes = 0;
  uint64_t residentAtBaseline = 0;  // bytes
  uint64_t resident = 0;
};

Driver gDriver;

uint64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  uint64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

// A starting-pad cell of the hole in play, found once per hole.
POINT PadCell() {
  if (gDriver.padHole == gRound.currentHole) return gDriver.pad;
  gDriver.padHole = gRound.currentHole;
  for (int32_t y = 0; y < 440; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) {
      if (MapCodeAt(x, y) == kCodeStartPad) return gDriver.pad = POINT{x, y};
    }
  }
  return gDriver.pad = POINT{320, 220};
}

void Click(int32_t x, int32_t y) {
  QueueMouseMove(x, y);
  QueueMouseButton(false, true, x, y);
  QueueMouseButton(false, false, x, y);
}

// Mostly toward the cup with a wide scatter, now and then anywhere on the screen.
POINT AimPoint() {
  auto uniform = [](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(gDriver.random); };
  const TablePoint cup = gHole.cupTable[0].x ? gHole.cupTable[0] : gHole.cupTable[15];
  POINT aim = uniform(0, 4) ? POINT{cup.x + uniform(-50, 50), cup.y + uniform(-50, 50)}
                            : POINT{uniform(0, 639), uniform(0, 439)};
  // Not on the corner buttons: "X" would end the round early, the one beside it minimises the game.
  if (aim.x > 600 && aim.y < 16) aim.y = 16;
  return aim;
}

void StartRound() {
  static const char* const kRound = "0 round Ann|Bo|Cy|Di|Ed|Flo|Gus|Hal\n";
  std::istringstream text(kRound);
  PlayScript script;
  std::string error;
  if (!ParsePlayScript(text, &script, &error)) std::abort();
  ++gDriver.roundsStarted;
  script.inputs.front().call();
}

// The player's hand: looks at the screen's state and does what moves the game on, then comes back later.
void Step() {
  const uint32_t state = gShell.applicationState;
  if (gShell.activeFlag == 0) {
    QueueActivation(true);  // a player brings the game back from the task bar
  } else if (state == kStateTitleMenu) {
    const uint32_t done = gDriver.roundsStarted;
    HeadlessForgetRecords();
    if (done == 10 || (done == 1 && gDriver.roundsWanted < 20)) gDriver.residentAtBaseline = ResidentBytes();
    if (done % 10 == 0 && done)
      std::fprintf(stderr, "long rounds: %u rounds, resident %llu KiB\n", done,
                   static_cast<unsigned long long>(ResidentBytes() / 1024));
    if (done == gDriver.roundsWanted) {
      gDriver.resident = ResidentBytes();
      QueueClose();
      return;
    }
    StartRound();
  } else if (state == kStatePlay && gRound.playPhase == kPhasePlacing) {
    const POINT pad = PadCell();
    Click(pad.x, pad.y);
  } else if (state == kStatePlay && gRound.playPhase == kPhaseAiming) {
    const POINT aim = AimPoint();
    ++gDriver.strokes;
    Click(aim.x, aim.y);
  } else if (state == kStatePlay || state == kStateBestScores) {
    Click(320, 300);
  }
  HeadlessInput next;
  next.time = timeGetTime() + kStepMs;
  next.kind = HeadlessInput::Kind::Call;
  next.call = Step;
  HeadlessSchedule(next);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: quill_long_rounds GAME_DIR ROUNDS [SEED [MOST_GROWTH_PERCENT]]\n", stderr);
    return 2;
  }
  gDriver.roundsWanted = static_cast<uint32_t>(std::atoi(argv[2]));
  gDriver.random.seed(argc > 3 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 1);
  const double mostGrowth = argc > 4 ? std::atof(argv[4]) : 5.0;
  char pattern[] = "/tmp/quill-long-XXXXXX";
  if (!::mkdtemp(pattern)) return 2;
  ::setenv("XDG_CONFIG_HOME", pattern, 1);
  ::setenv("HOME", pattern, 1);  // no desktop: no first-run question
  HeadlessReset(HeadlessConfig{});
  HeadlessInput first;
  first.time = 1000;
  first.kind = HeadlessInput::Kind::Call;
  first.call = Step;
  HeadlessSchedule(first);
  if (!SetCurrentDirectoryA(argv[1])) return 2;
  int32_t code = 0;
  try {
    code = WinMain();
  } catch (const HeadlessIdle& idle) {
    std::fprintf(stderr, "long rounds: the game stopped answering at %u ms\n", idle.time);
    code = 1;
  }
  fs::remove_all(pattern);
  const double growth = 100.0 *
                        (static_cast<double>(gDriver.resident) - static_cast<double>(gDriver.residentAtBaseline)) /
                        static_cast<double>(gDriver.residentAtBaseline ? gDriver.residentAtBaseline : 1);
  std::printf(
      "long rounds: %u rounds, %u strokes, %u virtual s; resident %llu KiB at the baseline round, %llu KiB "
      "at the end (%+.2f%%)\n",
      gDriver.roundsStarted, gDriver.strokes, timeGetTime() / 1000,
      static_cast<unsigned long long>(gDriver.residentAtBaseline / 1024),
      static_cast<unsigned long long>(gDriver.resident / 1024), growth);
  if (code != 0 || gDriver.roundsStarted != gDriver.roundsWanted || gDriver.resident == 0) {
    std::fprintf(stderr, "long rounds: FAIL: exit code %d after %u of %u rounds\n", code, gDriver.roundsStarted,
                 gDriver.roundsWanted);
    return 1;
  }
  if (gDriver.roundsWanted >= 20 && growth > mostGrowth) {
    std::fprintf(stderr, "long rounds: FAIL: memory grew %.2f%% (at most %.1f%%)\n", growth, mostGrowth);
    return 1;
  }
  return 0;
}
