// coursebuild: its pictures are the same every run and fit the screens they are drawn for, its recipe reader
// refuses what it cannot use, and it rewrites a game-folder file only when the file's bytes change.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/bmp.h"
#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/pictures.h"
#include "tools/coursebuild/raster.h"

namespace {

int Red(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
int Green(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
int Blue(uint32_t p) { return static_cast<int>(p & 0xFF); }
int ChannelDistance(uint32_t a, uint32_t b) {
  return std::abs(Red(a) - Red(b)) + std::abs(Green(a) - Green(b)) + std::abs(Blue(a) - Blue(b));
}
uint32_t At(const Bitmap& b, int x, int y) { return b.rgb[static_cast<size_t>(y) * b.width + x]; }

// Pixels that differ between two same-sized pictures in rows [top, bottom).
int DifferingPixels(const Bitmap& a, const Bitmap& b, int top, int bottom) {
  int count = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < a.width; ++x) count += At(a, x, y) != At(b, x, y);
  return count;
}

// The title pictures are the slowest thing here; draw each kind once.
const Bitmap& Title() {
  static const Bitmap picture = DrawTitlePicture();
  return picture;
}
const Bitmap& Unlettered() {
  static const Bitmap picture = DrawTitlePicture(TitleWords{"", ""});
  return picture;
}

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "coursebuild_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(CoursebuildGrass, IsASixtyFourSquareTile) {
  const Bitmap grass = DrawGrassTile();
  ASSERT_EQ(grass.width, 64);
  ASSERT_EQ(grass.height, 64);
  ASSERT_EQ(grass.rgb.size(), 64u * 64u);
}

TEST(CoursebuildGrass, TilesWithoutASeam) {
  // Across the wrap, neighbours should differ no more than neighbours inside the tile do.
  const Bitmap g = DrawGrassTile();
  long inside = 0, seam = 0;
  for (int i = 0; i < 64; ++i) {
    for (int j = 0; j + 1 < 64; ++j)
      inside += ChannelDistance(At(g, j, i), At(g, j + 1, i)) + ChannelDistance(At(g, i, j), At(g, i, j + 1));
    seam += ChannelDistance(At(g, 63, i), At(g, 0, i)) + ChannelDistance(At(g, i, 63), At(g, i, 0));
  }
  const double insideMean = static_cast<double>(inside) / (2 * 64 * 63),
               seamMean = static_cast<double>(seam) / (2 * 64);
  EXPECT_LT(seamMean, insideMean * 1.5) << "inside " << insideMean << ", seam " << seamMean;
}

TEST(CoursebuildGrass, IsACalmMidGreenThatTextCanSitOn) {
  const Bitmap g = DrawGrassTile();
  double r = 0, gr = 0, b = 0, spread = 0;
  for (uint32_t p : g.rgb) {
    r += Red(p);
    gr += Green(p);
    b += Blue(p);
  }
  const double n = static_cast<double>(g.rgb.size());
  r /= n, gr /= n, b /= n;
  for (uint32_t p : g.rgb) spread += (Green(p) - gr) * (Green(p) - gr);
  EXPECT_GT(gr, r + 30);
  EXPECT_GT(gr, b + 60);
  EXPECT_GT(gr, 110) << "too dark for grey-and-white boxes to stand out";
  EXPECT_LT(gr, 200);
  EXPECT_LT(std::sqrt(spread / n), 12.0) << "too busy to read text over";
}

TEST(CoursebuildTitle, FillsTheScreenAndSurvivesTheBmpWriter) {
  const Bitmap& title = Title();
  ASSERT_EQ(title.width, 640);
  ASSERT_EQ(title.height, 480);
  ASSERT_EQ(title.rgb.size(), 640u * 480u);
  // It goes into the game folder through the BMP writer, and must come back out the same.
  const std::vector<uint8_t> file = EncodeBmp24(title);
  const std::optional<Bitmap> decoded = DecodeBmp(file.data(), file.size());
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->rgb, title.rgb);
}

TEST(CoursebuildTitle, TopLeftIsPlainSky) {
  // The picture's top-left pixel doubles as its transparent colour: it must be open sky, blue and unmarked.
  const Bitmap& title = Title();
  const uint32_t corner = At(title, 0, 0);
  EXPECT_GT(Blue(corner), Red(corner) + 60);
  EXPECT_GT(Blue(corner), Green(corner));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_LE(ChannelDistance(At(title, x, y), corner), 12) << x << "," << y;
}

TEST(CoursebuildTitle, LettersBothNamesInTheTopThirdOnly) {
  const Bitmap& title = Title();
  const Bitmap& bare = Unlettered();
  ASSERT_EQ(bare.rgb.size(), title.rgb.size());
  const Bitmap productOnly = DrawTitlePicture(TitleWords{"Quillmere", ""});
  // The product name is large: it changes a good share of a band across the top.
  EXPECT_GT(DifferingPixels(productOnly, bare, 20, 110), 640 * 90 / 8);
  // The course name adds its own lettering below the product name.
  EXPECT_GT(DifferingPixels(title, productOnly, 100, kLetteringBottom), 640 * 10 / 8);
  EXPECT_EQ(DifferingPixels(title, productOnly, 0, 90), 0);
  // Nothing is lettered over the middle of the screen where the menus go.
  EXPECT_EQ(DifferingPixels(title, bare, kLetteringBottom, 480), 0);
}

TEST(CoursebuildTitle, CentresTheLettering) {
  // Columns the lettering touches, from the bare scene to the full title; the shadow falls a little right.
  const Bitmap& title = Title();
  const Bitmap& bare = Unlettered();
  int left = 640, right = -1;
  for (int y = 0; y < kLetteringBottom; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (At(title, x, y) == At(bare, x, y)) continue;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  ASSERT_GE(right, left);
  EXPECT_NEAR((left + right) / 2.0, 320.0, 6.0);
  EXPECT_GT(left, 40) << "lettering runs to the screen's edge";
}

TEST(CoursebuildTitle, RefusesANameTooWideForTheScreen) {
  EXPECT_TRUE(DrawTitlePicture(TitleWords{"Quillmere Quillmere", "Brindlemoor"}).rgb.empty());
  EXPECT_TRUE(DrawTitlePicture(TitleWords{"Quillmere", std::string(40, 'M')}).rgb.empty());
}

TEST(CoursebuildTitle, ProductNameStandsOutFromTheSky) {
  // Bright letters inside a dark outline: both must be there within the product name's band.
  const Bitmap& title = Title();
  const Bitmap& bare = Unlettered();
  int bright = 0, dark = 0;
  for (int y = 20; y < 110; ++y) {
    for (int x = 0; x < 640; ++x) {
      const uint32_t p = At(title, x, y);
      if (p == At(bare, x, y)) continue;
      bright += Red(p) > 220 && Green(p) > 140 && Blue(p) < 140;
      dark += Red(p) + Green(p) + Blue(p) < 200;
    }
  }
  EXPECT_GT(bright, 4000);
  EXPECT_GT(dark, 2000);
}

TEST(CoursebuildTitle, MiddleStaysCalmForMenus) {
  // The menus are drawn over the middle of the screen; below the lettering, neighbouring pixels there should
  // on average be close, so no busy texture fights with them.
  const Bitmap& title = Title();
  long total = 0, count = 0;
  for (int y = kLetteringBottom; y < 360; ++y) {
    for (int x = 160; x + 1 < 480; ++x, ++count) total += ChannelDistance(At(title, x, y), At(title, x + 1, y));
  }
  EXPECT_LT(static_cast<double>(total) / count, 10.0);
}

TEST(CoursebuildRaster, ChamferDistanceIsCloseToTrueDistance) {
  // The letter outlines are cut from this distance, so a wrong neighbour cost shows as lumpy outlines.
  raster::Mask mask{101, 101, std::vector<uint8_t>(size_t{101} * 101, 0)};
  mask.value[50 * 101 + 50] = 255;
  const std::vector<int32_t> d = raster::DistanceFifths(mask);
  for (int y = 0; y < 101; ++y) {
    for (int x = 0; x < 101; ++x) {
      const double truth = 5.0 * std::hypot(x - 50, y - 50);
      EXPECT_NEAR(d[static_cast<size_t>(y) * 101 + x], truth, 1.0 + truth * 0.03) << x << "," << y;
    }
  }
}

TEST(CoursebuildRaster, SineAndPolygonAgreeWithGeometry) {
  for (int turn = -4096; turn <= 8192; turn += 7) {
    EXPECT_NEAR(raster::Sin1024(turn), 1024 * std::sin(turn * 2 * std::numbers::pi / 4096), 2.5) << turn;
  }
  // A concave L: the notch must read as outside.
  const raster::Pt l[] = {{0, 0}, {40, 0}, {40, 20}, {20, 20}, {20, 40}, {0, 40}};
  EXPECT_TRUE(raster::InPolygon(l, 9, 9));
  EXPECT_TRUE(raster::InPolygon(l, 9, 31));
  EXPECT_TRUE(raster::InPolygon(l, 31, 9));
  EXPECT_FALSE(raster::InPolygon(l, 31, 31));
  EXPECT_FALSE(raster::InPolygon(l, 41, 9));
}

TEST(CoursebuildRaster, AveragesSamplesIntoSmoothEdges) {
  // White over the left half of pixel 0's samples: the pixel must come out mid grey, its neighbour black.
  raster::Canvas canvas(2, 1);
  canvas.PaintAll([](int32_t x, int32_t) {
    return x < raster::U(1) / 2 ? raster::Ink{raster::Hex(0xFFFFFF), raster::kOpaque} : raster::Ink{};
  });
  const Bitmap b = canvas.Downsample();
  ASSERT_EQ(b.rgb.size(), 2u);
  EXPECT_EQ(b.rgb[0], 0x808080u);
  EXPECT_EQ(b.rgb[1], 0x000000u);
}

TEST(CoursebuildRecipe, ReadsBothNames) {
  std::string error;
  const auto words = ParseTitleRecipe("# the names\r\nproduct  Quillmere \r\n\ncourse\tBrindle Moor\n", &error);
  ASSERT_TRUE(words.has_value()) << error;
  EXPECT_EQ(words->product, "Quillmere");
  EXPECT_EQ(words->course, "Brindle Moor");
}

TEST(CoursebuildRecipe, RefusesWhatItCannotUse) {
  const char* bad[] = {
      "product Quillmere\n",                              // no course
      "course Brindlemoor\n",                             // no product
      "product Quillmere\ncourse A\ncourse B\n",          // given twice
      "product Quillmere\ncourse Brindlemoor\nhole 1\n",  // unknown key
      "product\ncourse Brindlemoor\n",                    // empty name
      "product Quill\x01mere\ncourse Brindlemoor\n",      // control character
  };
  for (const char* text : bad) {
    std::string error;
    EXPECT_FALSE(ParseTitleRecipe(text, &error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

TEST(CoursebuildWrite, WritesOnlyWhenTheBytesChange) {
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.Path() / "Game" / "Data" / "Title.bmp";
  std::string error;
  ASSERT_EQ(WriteIfChanged(file, {1, 2, 3}, &error), WriteOutcome::Written) << error;
  EXPECT_EQ(ReadAll(file), (std::vector<uint8_t>{1, 2, 3}));

  // Back-date the file: an unchanged write must leave its time stamp alone, so the build does no more work.
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(file, old);
  EXPECT_EQ(WriteIfChanged(file, {1, 2, 3}, &error), WriteOutcome::Unchanged);
  EXPECT_EQ(std::filesystem::last_write_time(file), old);

  EXPECT_EQ(WriteIfChanged(file, {1, 2}, &error), WriteOutcome::Written);
  EXPECT_EQ(ReadAll(file), (std::vector<uint8_t>{1, 2}));
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".new"));
}

TEST(CoursebuildWrite, ReportsAFolderItCannotMake) {
  ScratchFolder scratch;
  std::ofstream(scratch.Path() / "Data") << "a file where the folder should be";
  std::string error;
  EXPECT_EQ(WriteIfChanged(scratch.Path() / "Data" / "Grass.bmp", {1}, &error), WriteOutcome::Failed);
  EXPECT_FALSE(error.empty());
}
