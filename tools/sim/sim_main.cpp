// quillmere-sim: the real game modules on the headless backend, for tests, course design and checking.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/headless/headless.h"
#include "platform/system.h"
#include "shell/shell.h"
#include "tools/sim/check_command.h"
#include "tools/sim/picture_check.h"
#include "tools/sim/design_command.h"
#include "tools/sim/green_commands.h"
#include "tools/sim/music_command.h"
#include "tools/sim/script.h"

namespace {

using Options = SimOptions;

constexpr int32_t kExitIdle = 3;
constexpr int32_t kExitUsage = 2;

const char* kUsage =
    "usage: quillmere-sim play --game DIR --config DIR --script FILE [--frames OUT] [--every MS]\n"
    "       quillmere-sim render --game DIR --hole N --out FILE.png [--codes]\n"
    "       quillmere-sim stroke --game DIR --hole N --ball X,Y --aim X,Y [--stroke K] [--trace]\n"
    "       quillmere-sim demo --game DIR --hole N [--frames OUT] [--every MS]\n"
    "       quillmere-sim check --game DIR [--course DIR] [--hole N] [--seed S] [--json]\n"
    "       quillmere-sim design --game SCRATCHDIR --source FILE.hole --hole N [--funnel R] [--near X,Y] [--show K]\n"
    "                     [--traces OUT] [--sweep X0,Y0,X1,Y1 [--step S]]\n"
    "       quillmere-sim music --file F.mid --out F.wav [--seconds S] [--volume V]\n";

// Options that stand alone; every other option takes the next word as its value.
bool IsFlag(const char* name) {
  return std::strcmp(name, "codes") == 0 || std::strcmp(name, "trace") == 0 || std::strcmp(name, "json") == 0;
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

// Screenshots every `every` ms up to the script's end, numbered in time order.
int32_t PrintEnd(const char* how, int32_t code) {
  for (const HeadlessMessageBox& box : HeadlessMessageBoxes()) {
    std::printf("{\"t\":%u,\"messagebox\":%s,\"caption\":%s,\"answer\":%d}\n", box.time, JsonString(box.text).c_str(),
                JsonString(box.caption).c_str(), box.answer);
  }
  std::printf("{\"t\":%u,\"%s\":%d}\n", timeGetTime(), how, code);
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
  HeadlessOnTrace([](const HeadlessTrace& t) {
    std::printf("{\"t\":%u,\"%s\":%lld}\n", t.time, t.what.c_str(), static_cast<long long>(t.value));
  });
  ::setenv("XDG_CONFIG_HOME", std::filesystem::absolute(o.at("config")).string().c_str(), 1);
  if (!SetCurrentDirectoryA(o.at("game"))) {
    std::fprintf(stderr, "quillmere-sim: cannot enter game folder %s\n", o.at("game").c_str());
    return kExitUsage;
  }
  std::printf("{\"t\":%u,\"state\":%u}\n", timeGetTime(), gShell.applicationState);
  try {
    return PrintEnd("exit", WinMain());
  } catch (const HeadlessIdle&) {
    return PrintEnd("idle", kExitIdle);
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
