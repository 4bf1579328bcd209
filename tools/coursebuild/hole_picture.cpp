// Interim: the hole pictures in the test course's flat looks, until the painted greens arrive.
#include "tools/coursebuild/hole_picture.h"

#include "platform/png.h"
#include "platform/surface.h"
#include "tools/coursebuild/test_course.h"

Bitmap DrawHolePicture(const HoleMap& m) { return DrawDiagramPicture(m); }

bool WriteCourseSheet(const std::vector<Bitmap>& pictures, const std::filesystem::path& png, std::string* error) {
  constexpr int32_t kColumns = 6, kScale = 3, kCellW = 640 / kScale, kCellH = 440 / kScale;
  Surface sheet;
  sheet.width = kColumns * kCellW;
  sheet.height = static_cast<int32_t>((pictures.size() + kColumns - 1) / kColumns) * kCellH;
  sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height, 0);
  for (size_t i = 0; i < pictures.size(); ++i)
    for (int32_t y = 0; y < kCellH; ++y)
      for (int32_t x = 0; x < kCellW; ++x) {
        const uint32_t c = pictures[i].rgb[static_cast<size_t>(y * kScale) * 640 + x * kScale];
        sheet.pixels[static_cast<size_t>(i / kColumns * kCellH + y) * sheet.width + i % kColumns * kCellW + x] =
            ColorTo565(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
      }
  std::filesystem::create_directories(png.parent_path());
  if (WriteSurfacePng(sheet, png.string())) return true;
  *error = png.string() + ": cannot be written";
  return false;
}
