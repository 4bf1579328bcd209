// quillmere-sim's commands that need the Linux build's course compiler or synthesizer.
#include <cstdio>

#include "tools/sim/design_command.h"
#include "tools/sim/music_command.h"
#include "tools/sim/picture_check.h"

namespace {

int LinuxOnly(const char* command) {
  std::fprintf(stderr, "quillmere-sim: the %s command is in the Linux build only\n", command);
  return 2;
}

}  // namespace

int RunMusic(const std::map<std::string, std::string>&) { return LinuxOnly("music"); }
int RunDesign(const SimOptions&) { return LinuxOnly("design"); }
// The pictures are checked against their sources by the Linux build, which made them.
std::vector<HoleCheck> PictureChecks(const std::string&) { return {}; }
