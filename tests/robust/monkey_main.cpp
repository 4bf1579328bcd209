// The monkey: random input scripts through quillmere-sim play, each from its own seed. A run passes when the
// program ends or waits for input, with no crash, hang or sanitizer report, and any settings file it wrote
// parses. A failing seed is printed with the folder holding its script, and replays alone with COUNT 1.
//
// usage: quill_monkey SIM GAME_DIR FIRST_SEED COUNT [JOBS]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "tests/robust/child.h"
#include "tests/robust/monkey_script.h"

namespace fs = std::filesystem;

namespace {

struct Tally {
  std::mutex lock;
  uint32_t runs = 0, exits = 0, idles = 0, damagedStarts = 0, failures = 0;
  uint32_t reached[6] = {};  // play, demonstration, best scores, About box, music options, a message box
  double longestSeconds = 0;
};

constexpr const char* kReachedNames[6] = {"a round", "the demonstration", "best scores",
                                          "About",   "music options",     "a message box"};

// Lays out a run's folder: an own home (a desktop in some runs, so the first-run question comes up), a config
// folder that in some runs starts with a damaged settings file or a folder where the file belongs.
bool PrepareRun(std::mt19937& random, const fs::path& work, std::string* damaged) {
  fs::create_directories(work / "config" / "Lindqvarn");
  fs::create_directories(work / "home");
  if (random() % 3 == 0) fs::create_directories(work / "home" / "Desktop");
  const fs::path file = work / "config" / "Lindqvarn" / "Kormo1.reg";
  switch (random() % 12) {
    case 0:
    case 1:
    case 2:
      *damaged = DamagedSettingsText(random);
      WriteWholeFile(file, *damaged);
      return true;
    case 3:
      fs::create_directories(file);
      return true;
    default:
      return false;
  }
}

std::string RunOne(const std::string& sim, const fs::path& game, const fs::path& work, uint32_t seed, Tally* tally) {
  std::mt19937 random(seed);
  std::string damaged;
  const bool damagedStart = PrepareRun(random, work, &damaged);
  WriteWholeFile(work / "script.play", MonkeyScript(random));
  const ChildRun run = RunChild({sim, "play", "--game", game.string(), "--config", (work / "config").string(),
                                 "--script", (work / "script.play").string()},
                                work, {"HOME=" + (work / "home").string()}, 120);
  std::string fault = ChildFault(run, {0, 3});
  const fs::path file = work / "config" / "Lindqvarn" / "Kormo1.reg";
  const bool untouched = damagedStart && fs::is_regular_file(file) && ReadWholeFile(file) == damaged;
  if (fault.empty() && !untouched) fault = SettingsFileFault(work / "config");
  std::lock_guard<std::mutex> hold(tally->lock);
  ++tally->runs;
  tally->exits += run.out.find("\"exit\":") != std::string::npos;
  tally->idles += run.out.find("\"idle\":") != std::string::npos;
  tally->damagedStarts += damagedStart;
  const char* marks[6] = {"\"state\":20}", "\"state\":30}", "\"state\":40}",
                          "\"state\":50}", "\"state\":70}", "\"messagebox\""};
  for (int32_t i = 0; i < 6; ++i) tally->reached[i] += run.out.find(marks[i]) != std::string::npos;
  return fault;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fputs("usage: quill_monkey SIM GAME_DIR FIRST_SEED COUNT [JOBS]\n", stderr);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // a long run stopped by hand keeps its figures
  const std::string sim = fs::absolute(argv[1]).string();
  const fs::path game = fs::absolute(argv[2]);
  const uint32_t first = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
  const uint32_t count = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
  const uint32_t jobs = argc > 5 ? static_cast<uint32_t>(std::atoi(argv[5])) : 2;
  char pattern[] = "/tmp/quill-monkey-XXXXXX";
  if (!::mkdtemp(pattern)) return 2;
  const fs::path base = pattern;
  Tally tally;
  std::atomic<uint32_t> next{0};
  const auto start = std::chrono::steady_clock::now();
  auto worker = [&] {
    for (uint32_t i; (i = next++) < count;) {
      const uint32_t seed = first + i;
      const fs::path work = base / ("seed-" + std::to_string(seed));
      const auto began = std::chrono::steady_clock::now();
      const std::string fault = RunOne(sim, game, work, seed, &tally);
      const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
      std::lock_guard<std::mutex> hold(tally.lock);
      tally.longestSeconds = std::max(tally.longestSeconds, took);
      if (tally.runs % 500 == 0) std::printf("monkey: %u runs, %u failed\n", tally.runs, tally.failures);
      if (!fault.empty()) {
        ++tally.failures;
        std::printf("FAIL seed %u: %s (script and output kept in %s)\n", seed, fault.c_str(), work.c_str());
      } else if (count > 1) {
        fs::remove_all(work);
      }
    }
  };
  std::vector<std::thread> threads;
  for (uint32_t j = 0; j < std::max(jobs, 1u); ++j) threads.emplace_back(worker);
  for (std::thread& t : threads) t.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "monkey: seeds %u..%u: %u runs, %u failed; %u ended, %u waited for input; %u started from a damaged "
      "settings file; %.0f s (longest run %.1f s)\n",
      first, first + count - 1, tally.runs, tally.failures, tally.exits, tally.idles, tally.damagedStarts, seconds,
      tally.longestSeconds);
  std::printf("monkey: runs that reached");
  for (int32_t i = 0; i < 6; ++i) std::printf("%s %s: %u", i ? "," : "", kReachedNames[i], tally.reached[i]);
  std::printf("\n");
  if (tally.failures == 0 && count > 1) fs::remove_all(base);
  if (count == 1) std::printf("monkey: the run's folder is %s\n", base.c_str());
  return tally.failures == 0 ? 0 : 1;
}
