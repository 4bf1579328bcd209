// Compiling the course's hole sources into the game folder.
#include "tools/coursebuild/course_holes.h"

#include <cstdio>

#include "platform/draw/bmp.h"
#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/figures.h"
#include "tools/coursebuild/hole_picture.h"
#include "tools/coursebuild/hole_source.h"
#include "tools/coursebuild/lzcc_encode.h"
#include "tools/coursebuild/test_course.h"

namespace {

std::filesystem::path HoleFile(const std::filesystem::path& gameDir, int32_t hole, const char* extension) {
  char name[16];
  std::snprintf(name, sizeof name, "Hole%02d.%s", hole, extension);
  return gameDir / "Holes" / name;
}

bool Save(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
  if (bytes.empty()) {
    *error = path.string() + ": cannot be encoded";
    return false;
  }
  return WriteIfChanged(path, bytes, error) != WriteOutcome::Failed;
}

}  // namespace

std::filesystem::path HoleSourcePath(const std::filesystem::path& courseDir, int32_t hole) {
  char name[16];
  std::snprintf(name, sizeof name, "%02d.hole", hole);
  return courseDir / "holes" / name;
}

bool WriteCourseHoles(const std::filesystem::path& courseDir, const std::filesystem::path& gameDir,
                      const std::filesystem::path& sheet, std::vector<size_t>* payloads, Bitmap* hole16Bed,
                      std::string* error) {
  std::vector<Bitmap> pictures;
  payloads->assign(kCourseHoles, 0);
  for (int32_t hole = 1; hole <= kCourseHoles; ++hole) {
    const std::filesystem::path source = HoleSourcePath(courseDir, hole);
    std::vector<uint8_t> h2o;
    Bitmap picture;
    if (!std::filesystem::exists(source)) {
      h2o = EncodeLzcc(TestHoleOutput(hole));
      picture = DrawTestHolePicture(hole, false);
    } else {
      const std::optional<CompiledHole> compiled = CompileHoleFile(source, error);
      if (!compiled) return false;
      const std::vector<std::string> misleading = PictureMapDisagreements(compiled->map, 1);
      if (!misleading.empty()) {
        *error = source.string() + ": the picture would mislead at " + misleading.front();
        return false;
      }
      h2o = EncodeLzcc(HoleMapBytes(compiled->map));
      if (h2o.empty()) {
        *error = source.string() + ": the map does not fit in the 20,000 bytes the game reads; simplify its shapes";
        return false;
      }
      (*payloads)[hole - 1] = LzccPayloadSize(h2o);
      picture = DrawHolePicture(compiled->map);
    }
    if (hole == 16) *hole16Bed = picture;  // the butterfly's frames are painted over this bed
    PlaceFigureAtRest(hole, picture);
    pictures.push_back(picture);
    if (!Save(HoleFile(gameDir, hole, "H2O"), h2o, error) ||
        !Save(HoleFile(gameDir, hole, "HIO"), EncodeBmp24(pictures.back()), error))
      return false;
  }
  return sheet.empty() || WriteCourseSheet(pictures, sheet, error);
}
