// Picture and map agree: both are made from one set of shapes, so the check compiles the hole's source again,
// holds its map against the one the game loaded, and looks for any pixel drawn as something the map is not.
#include "tools/sim/picture_check.h"

#include <filesystem>
#include <optional>

#include "green/hole.h"
#include "tools/coursebuild/course_holes.h"
#include "tools/coursebuild/hole_source.h"

namespace {

CheckResult CheckPicture(const std::string& courseDir, int32_t hole) {
  CheckResult r("picture");
  const std::filesystem::path source = HoleSourcePath(courseDir, hole);
  std::string error;
  const std::optional<CompiledHole> compiled = CompileHoleFile(source, &error);
  if (!compiled) {
    r.passed = false;
    r.summary = error;
    return r;
  }
  if (HoleMapBytes(compiled->map) != gHole.map) {
    r.passed = false;
    r.details.push_back("the game folder's map is not the one " + source.string() + " compiles to: rebuild it");
  }
  for (const std::string& line : PictureMapDisagreements(compiled->map)) r.details.push_back(line);
  r.passed = r.passed && r.details.empty();
  r.summary = r.passed ? "every pixel is drawn as what the map makes of it (" + source.filename().string() + ")"
                       : "the picture misleads about the map";
  return r;
}

}  // namespace

std::vector<HoleCheck> PictureChecks(const std::string& courseDir) {
  if (courseDir.empty()) return {};
  const std::string dir = std::filesystem::absolute(courseDir).string();
  return {{"picture", [dir](int32_t hole) { return CheckPicture(dir, hole); }}};
}
