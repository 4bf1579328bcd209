// The game's icon: drawn the same at every installed size, written where the icon theme looks, and named by
// the desktop launcher of an installed game folder.
#include "tools/coursebuild/icon.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "menus/shortcut.h"
#include "platform/files/desktop.h"
#include "tests/desktop_fixture.h"

namespace fs = std::filesystem;

namespace {

struct Rgba {
  uint8_t r, g, b, a;
};
// The pixel at design point (x, y) of the 4096-unit square the icon is laid out on.
Rgba At(const IconPicture& icon, int32_t x, int32_t y) {
  const size_t i = (static_cast<size_t>(y * icon.side / 4096) * icon.side + x * icon.side / 4096) * 4;
  return {icon.rgba[i], icon.rgba[i + 1], icon.rgba[i + 2], icon.rgba[i + 3]};
}

TEST(Icon, EverySizeShowsTheFeltFlagAndBallWithClearCorners) {
  for (const int32_t side : kIconSizes) {
    SCOPED_TRACE(side);
    const IconPicture icon = DrawIcon(side);
    ASSERT_EQ(icon.side, side);
    ASSERT_EQ(icon.rgba.size(), static_cast<size_t>(side) * side * 4);
    EXPECT_EQ(DrawIcon(side).rgba, icon.rgba);
    EXPECT_EQ(At(icon, 0, 0).a, 0);
    EXPECT_EQ(At(icon, 4095, 4095).a, 0);
    const Rgba felt = At(icon, 3300, 1400), flag = At(icon, 2000, 1000), ball = At(icon, 2700, 2860);
    EXPECT_EQ(felt.a, 255);
    EXPECT_GT(felt.g, felt.r + 40);
    EXPECT_GT(flag.r, 150);
    EXPECT_LT(flag.g, 90);
    EXPECT_GT(std::min({ball.r, ball.g, ball.b}), 190);
  }
}

TEST(Icon, WritesOnePngPerSizeWhereTheIconThemeLooks) {
  const fs::path dir = fs::temp_directory_path() / ("icon_test_" + std::to_string(::getpid()));
  std::string error;
  ASSERT_TRUE(WriteIcons(dir, "x.y.Game", &error)) << error;
  for (const int32_t side : kIconSizes) {
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (dir / size / "apps" / "x.y.Game.png").c_str())) << size;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(static_cast<int32_t>(image.width), side);
    EXPECT_EQ(pixels, DrawIcon(side).rgba) << size;
  }
  // A file where a folder must go: the error names the path.
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "16x16").put('x');
  EXPECT_FALSE(WriteIcons(dir, "x.y.Game", &error));
  EXPECT_NE(error.find("16x16"), std::string::npos) << error;
  fs::remove_all(dir);
}

using InstalledLauncher = DesktopTest;

TEST_F(InstalledLauncher, ShowsTheIconInstalledBesideTheGameFolder) {
  const fs::path prefix = dir_ / "pre fix";
  const fs::path folder = prefix / "lib" / "quillmere";
  const fs::path icon = prefix / "share/icons/hicolor/256x256/apps" / (std::string(kAppId) + ".png");
  fs::create_directories(folder);
  EXPECT_EQ(InstalledIconFor(folder.string()), "");  // a game folder that was not installed has no icon
  WriteText(icon, "png");
  const std::string resolved = fs::canonical(icon).string();
  EXPECT_EQ(InstalledIconFor(folder.string()), resolved);
  EXPECT_EQ(InstalledIconFor((folder / ".." / "quillmere").string()), resolved);

  fs::create_directories(desktop_);
  ASSERT_TRUE(CreateDesktopShortcut(launcher_.string(), (folder / "Quillmere Brindlemoor").string()));
  EXPECT_NE(ReadText(launcher_).find("\nPath=" + folder.string() + "\nIcon=" + resolved + "\n"), std::string::npos)
      << ReadText(launcher_);
  EXPECT_EQ(FormatLauncher("/g/p", "/g", "/i\x01.png"), "");
}

}  // namespace
