// coursebuild --course DIR --out GAMEDIR: makes the game folder's data from the course sources.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/draw/bmp.h"
#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/course_holes.h"
#include "tools/coursebuild/figures.h"
#include "tools/coursebuild/icon.h"
#include "tools/coursebuild/midi_files.h"
#include "tools/coursebuild/pictures.h"
#include "tools/coursebuild/sounds.h"
#include "tools/coursebuild/test_course.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: coursebuild --course DIR --out GAMEDIR [--sheet FILE.png] [--test-course]\n");
  return 2;
}

bool Save(const std::filesystem::path& path, const Bitmap& picture) {
  const std::vector<uint8_t> bytes = EncodeBmp24(picture);
  std::string error;
  if (bytes.empty()) {
    std::fprintf(stderr, "coursebuild: cannot encode %s\n", path.string().c_str());
    return false;
  }
  switch (WriteIfChanged(path, bytes, &error)) {
    case WriteOutcome::Unchanged:
      return true;
    case WriteOutcome::Written:
      std::printf("coursebuild: wrote %s\n", path.string().c_str());
      return true;
    case WriteOutcome::Failed:
      break;
  }
  std::fprintf(stderr, "coursebuild: %s\n", error.c_str());
  return false;
}

// The course's holes, with the size of each map in the report, and the sprites the round needs.
bool WriteBrindlemoor(const std::filesystem::path& courseDir, const std::filesystem::path& outDir,
                      const std::filesystem::path& sheet, std::string* error) {
  std::vector<size_t> payloads;
  Bitmap hole16Bed;
  if (!WriteCourseHoles(courseDir, outDir, sheet, &payloads, &hole16Bed, error)) return false;
  for (size_t i = 0; i < payloads.size(); ++i)
    if (payloads[i] > 0) std::printf("coursebuild: hole %zu: map payload %zu bytes\n", i + 1, payloads[i]);
  return WriteCourseSprites(outDir, hole16Bed, error);
}

}  // namespace

int main(int argc, char** argv) {
  // coursebuild --icons DIR NAME: the game's icon in every installed size, as DIR/<S>x<S>/apps/NAME.png.
  if (argc == 4 && std::strcmp(argv[1], "--icons") == 0) {
    std::string error;
    if (WriteIcons(argv[2], argv[3], &error)) return 0;
    std::fprintf(stderr, "coursebuild: %s\n", error.c_str());
    return 1;
  }
  std::filesystem::path courseDir, outDir, sheet;
  bool testCourse = false;
  for (int i = 1; i < argc; ++i) {
    if (i + 1 < argc && std::strcmp(argv[i], "--course") == 0) {
      courseDir = argv[++i];
    } else if (i + 1 < argc && std::strcmp(argv[i], "--out") == 0) {
      outDir = argv[++i];
    } else if (i + 1 < argc && std::strcmp(argv[i], "--sheet") == 0) {
      sheet = argv[++i];
    } else if (std::strcmp(argv[i], "--test-course") == 0) {
      testCourse = true;
    } else {
      return Usage();
    }
  }
  if (courseDir.empty() || outDir.empty()) return Usage();

  const std::filesystem::path recipePath = courseDir / "title.txt";
  std::ifstream recipeFile(recipePath, std::ios::binary);
  if (!recipeFile) {
    std::fprintf(stderr, "coursebuild: cannot read %s\n", recipePath.string().c_str());
    return 1;
  }
  const std::string recipe((std::istreambuf_iterator<char>(recipeFile)), std::istreambuf_iterator<char>());
  std::string error;
  const std::optional<TitleWords> words = ParseTitleRecipe(recipe, &error);
  if (!words) {
    std::fprintf(stderr, "coursebuild: %s: %s\n", recipePath.string().c_str(), error.c_str());
    return 1;
  }

  const Bitmap title = DrawTitlePicture(*words);
  if (title.rgb.empty()) {
    std::fprintf(stderr, "coursebuild: cannot letter the title: no font, or a name too wide for the screen\n");
    return 1;
  }
  const std::filesystem::path data = outDir / "Data";
  bool ok = Save(data / "Title.bmp", title);
  ok = Save(data / "Grass.bmp", DrawGrassTile()) && ok;
  if (testCourse ? !WriteTestCourse(outDir, &error) : !WriteBrindlemoor(courseDir, outDir, sheet, &error)) {
    std::fprintf(stderr, "coursebuild: %s\n", error.c_str());
    ok = false;
  }
  std::vector<std::filesystem::path> written;
  if (!WriteCourseSounds(outDir, &written, &error)) {
    std::fprintf(stderr, "coursebuild: %s\n", error.c_str());
    ok = false;
  }
  if (!WriteCourseMusic(courseDir, outDir, &written, &error)) {
    std::fprintf(stderr, "coursebuild: %s\n", error.c_str());
    ok = false;
  }
  for (const std::filesystem::path& path : written) std::printf("coursebuild: wrote %s\n", path.string().c_str());
  return ok ? 0 : 1;
}
