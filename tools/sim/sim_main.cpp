// quillmere-sim: the real game modules on the headless backend, for tests, course design and checking.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "menus/bestscores.h"
#include "menus/settings.h"
#include "platform/files/settings_file.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "shell/shell.h"
#include "tools/sim/check_command.h"
#include "tools/sim/design_command.h"
#include "tools/sim/green_commands.h"
#include "tools/sim/music_command.h"
#include "tools/sim/picture_check.h"
#include "tools/sim/script.h"

namespace {

using Options = SimOptions;

constexpr int32_t kExitIdle = 3;
constexpr int32_t kExitUsage = 2;

const char* kUsage =
    "usage: quillmere-sim play --game DIR --config DIR --script FILE [--times] [--phases] [--frames OUT] [--every MS]\n"
    "       quillmere-sim render --game DIR --hole N --out FILE.png [--codes]\n"
    "       quillmere-sim stroke --game DIR --hole N --ball X,Y --aim X,Y [--stroke K] [--trace]\n"
    "       quillmere-sim demo --game DIR --hole N [--frames OUT] [--every MS]\n"
    "       quillmere-sim check --game DIR [--course DIR] [--hole N] [--seed S] [--json]\n"
    "       quillmere-sim design --game SCRATCHDIR --source FILE.hole --hole N [--funnel R] [--near X,Y] [--show K]\n"
    "                     [--traces OUT] [--sweep X0,Y0,X1,Y1 [--step S]]\n"
    "       quillmere-sim music --file F.mid [--out F.wav] [--events OUT.jsonl] [--seconds S] [--volume V]\n";

// Options that stand alone; every other option takes the next word as its value.
bool IsFlag(const char* name) {
  for (const char* flag : {"codes", "trace", "json", "times", "phases"}) {
    if (std::strcmp(name, flag) == 0) return true;
  }
  return false;
}

bool ReadOptions(int argc, char** argv, Options* options) {
  for (int i = 2; i < argc; ++i) {
    if (std::strncmp(argv[i], "--", 2) != 0) return false;
    const char* name = argv[i] + 2;
    if (IsFlag(name)) {
      (*options)[name] = "1";
    } else if (i + 1 < argc) {
      (*options)[name] = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// A line's virtual time, for the runs whose point is timing ("--times"); empty otherwise. The round's phases
// are printed only with "--phases".
bool gTimes = false;
bool gPhases = false;
std::string At(uint32_t time) { return gTimes ? "\"t\":" + std::to_string(time) + "," : ""; }

std::string Strokes(const PlayerRecord& record) {
  std::string out;
  for (int32_t hole = 0; hole < kHoleCount; ++hole) out += (hole ? "," : "") + std::to_string(record.strokes[hole]);
  return "[" + out + "]";
}

std::string Name(const PlayerRecord& record) {
  return JsonString(std::string(record.name, ::strnlen(record.name, 15)));
}

// The settings file the run started and ended with. The Windows build keeps its settings in the registry, so
// there its outcome shows no settings.
SettingsParse StoredSettings() {
#ifdef _WIN32
  return SettingsParse{};
#else
  std::ifstream file(SettingsFilePath(), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return file ? ParseSettingsText(text.str()) : SettingsParse{};
#endif
}

bool FirstRun() {
#ifdef _WIN32
  return false;
#else
  return !std::filesystem::exists(SettingsFilePath());
#endif
}

// The players as the last round ended, before the title menu seats them afresh; a round still under way
// when the run ends is taken as it stands.
std::vector<PlayerRecord> gLastRound;
bool gRoundUnderWay = false;

void TakeRound(const HeadlessTrace& t) {
  const bool starts = t.what == "state" && t.value == kStatePlay;
  const bool ends = t.what == "phase" && t.value == kPhaseEndRound;
  if (!starts && !ends) return;
  gRoundUnderWay = starts;
  gLastRound.assign(gRound.players, gRound.players + (ends ? gRound.playerCount : 0));
}

// What the user would see after the run: the last round's players and their strokes per hole, the best-score
// table, and every stored setting that is not what it was before (on a first run: not the first run's default).
void PrintOutcome(const SettingsParse& before) {
  if (gRoundUnderWay) gLastRound.assign(gRound.players, gRound.players + gRound.playerCount);
  for (int32_t slot = 1; slot <= static_cast<int32_t>(gLastRound.size()); ++slot) {
    const PlayerRecord& player = gLastRound[slot - 1];
    if (player.playing == kSittingOut) continue;
    std::printf("{\"player\":%d,\"name\":%s,\"strokes\":%s}\n", slot, Name(player).c_str(), Strokes(player).c_str());
  }
  for (int32_t place = 1; place <= kBestScoreCount; ++place) {
    const PlayerRecord& best = gBestScores.records[place - 1];
    if (best.name[0] == '\0' && best.strokes[0] == 0) continue;
    std::printf("{\"best\":%d,\"name\":%s,\"strokes\":%s}\n", place, Name(best).c_str(), Strokes(best).c_str());
  }
  for (const SettingsValue& value : StoredSettings().values) {
    const auto same = [&](const SettingsValue& old) { return old.name == value.name && old.text == value.text; };
    if (std::none_of(before.values.begin(), before.values.end(), same)) {
      std::printf("{\"setting\":%s,\"value\":%s}\n", JsonString(value.name).c_str(), JsonString(value.text).c_str());
    }
  }
}

int32_t PrintEnd(const char* how, int32_t code, const SettingsParse& settingsBefore) {
  for (const HeadlessMessageBox& box : HeadlessMessageBoxes()) {
    std::printf("{%s\"messagebox\":%s,\"caption\":%s,\"answer\":%d}\n", At(box.time).c_str(),
                JsonString(box.text).c_str(), JsonString(box.caption).c_str(), box.answer);
  }
  std::printf("{%s\"%s\":%d}\n", At(timeGetTime()).c_str(), how, code);
  PrintOutcome(settingsBefore);
  return code;
}

int RunPlay(const Options& o) {
  if (!o.count("game") || !o.count("config") || !o.count("script")) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  std::ifstream file(o.at("script"));
  PlayScript script;
  std::string error;
  if (!file || !ParsePlayScript(file, &script, &error)) {
    std::fprintf(stderr, "quillmere-sim: %s: %s\n", o.at("script").c_str(), file ? error.c_str() : "cannot open");
    return kExitUsage;
  }
  // Screenshot paths in the script are relative to where the sim was started, not to the game folder.
  const std::filesystem::path here = std::filesystem::current_path();
  for (HeadlessInput& in : script.inputs) {
    if (in.kind == HeadlessInput::Kind::Screenshot) in.path = std::filesystem::absolute(here / in.path).string();
  }
  HeadlessReset(HeadlessConfig{});
  for (const HeadlessInput& in : script.inputs) HeadlessSchedule(in);
  for (int32_t answer : script.answers) HeadlessQueueAnswer(answer);
  if (o.count("frames")) {
    const uint32_t every = o.count("every") ? static_cast<uint32_t>(std::atoi(o.at("every").c_str())) : 100;
    ScheduleFrames(std::filesystem::absolute(o.at("frames")).string(), every, HeadlessLastScheduledTime());
  }
  HeadlessSetRunOn(script.runOn);
  gTimes = o.count("times") != 0;
  gPhases = o.count("phases") != 0;
  HeadlessOnTrace([](const HeadlessTrace& t) {
    TakeRound(t);
    if (t.what == "phase" && !gPhases) return;
    std::printf("{%s\"%s\":%lld}\n", At(t.time).c_str(), t.what.c_str(), static_cast<long long>(t.value));
  });
  ::setenv("XDG_CONFIG_HOME", std::filesystem::absolute(o.at("config")).string().c_str(), 1);
  if (!SetCurrentDirectoryA(o.at("game"))) {
    std::fprintf(stderr, "quillmere-sim: cannot enter game folder %s\n", o.at("game").c_str());
    return kExitUsage;
  }
  SettingsParse before = StoredSettings();
  if (FirstRun()) before.values = FirstRunSettings(RegisteredOwner());
  std::printf("{%s\"state\":%u}\n", At(timeGetTime()).c_str(), gShell.applicationState);
  try {
    return PrintEnd("exit", WinMain(), before);
  } catch (const HeadlessIdle&) {
    return PrintEnd("idle", kExitIdle, before);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  Options options;
  if (argc < 2 || !ReadOptions(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const std::string command = argv[1];
  if (command == "play") return RunPlay(options);
  if (command == "render") return RunRender(options);
  if (command == "stroke") return RunStroke(options);
  if (command == "demo") return RunDemo(options);
  if (command == "check") return RunCheck(options, PictureChecks(options.count("course") ? options.at("course") : ""));
  if (command == "design") return RunDesign(options);
  if (command == "music") return RunMusic(options);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}
