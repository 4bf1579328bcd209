// Uninstall: what it removes on Yes, what it leaves on No, a second run, and desktops it must not trust.
#include "uninstall/uninstall.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/files/desktop.h"
#include "tests/desktop_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kQuestion = "Are you sure you would like to UnInstall Quillmere?";
constexpr const char* kDone = "Quillmere Has been UnInstalled.\nTo ReInstall just click Quillmere Brindlemoor icon";

class Uninstall : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    WriteText(settingsFile_, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lindqvarn\\Kormo1]\n\"Music\"=\"Random\"\n");
    WriteText(launcher_, "[Desktop Entry]\n");
    // Copies of damaged settings files are the game's too, whatever numbers are left.
    for (const char* copy : {".bad", ".bad.1", ".bad.7"}) WriteText(settingsFile_.string() + copy, "damaged");
    // What sits beside them belongs to the user, or to the game folder, and must survive.
    for (const char* other : {"Other.reg", "Kormo1.reg.badger", "Kormo1.reg.bad.x", "Kormo1.reg.bad."})
      WriteText(settingsFile_.parent_path() / other, "kept");
    WriteText(desktop_ / "Other.desktop", "kept");
    WriteText(dir_ / "Quillmere Brindlemoor", "the game");
  }
  // Every file under the test's folder, so that a test sees anything removed that should not have been.
  static size_t FilesUnder(const fs::path& root) {
    size_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) n += entry.is_regular_file() ? 1 : 0;
    return n;
  }
  void ExpectBoxes(std::initializer_list<const char*> texts) {
    ASSERT_EQ(HeadlessMessageBoxes().size(), texts.size());
    size_t i = 0;
    for (const char* text : texts) {
      const HeadlessMessageBox& box = HeadlessMessageBoxes()[i++];
      EXPECT_EQ(box.text, text);
      EXPECT_EQ(box.caption, "Quillmere");
      EXPECT_EQ(box.type, std::strcmp(text, kQuestion) == 0 ? MB_YESNO : MB_OK);
    }
  }
};

TEST_F(Uninstall, YesRemovesTheSettingsWithTheirDamagedCopiesAndTheLauncherAndNothingElse) {
  const size_t before = FilesUnder(dir_);
  HeadlessQueueAnswer(IDYES);
  EXPECT_EQ(RunUninstall(), 0);
  ExpectBoxes({kQuestion, kDone});
  EXPECT_FALSE(fs::exists(settingsFile_));
  EXPECT_FALSE(fs::exists(settingsFile_.string() + ".bad.7"));
  EXPECT_FALSE(fs::exists(launcher_));
  EXPECT_EQ(FilesUnder(dir_), before - 5);
  EXPECT_TRUE(fs::is_directory(settingsFile_.parent_path()));  // the user's files are still in it
}

TEST_F(Uninstall, TheSettingsFolderGoesWhenNothingElseIsLeftInIt) {
  for (const char* other : {"Other.reg", "Kormo1.reg.badger", "Kormo1.reg.bad.x", "Kormo1.reg.bad."})
    fs::remove(settingsFile_.parent_path() / other);
  HeadlessQueueAnswer(IDYES);
  EXPECT_EQ(RunUninstall(), 0);
  EXPECT_FALSE(fs::exists(settingsFile_.parent_path()));
  EXPECT_TRUE(fs::is_directory(dir_ / "config"));
}

TEST_F(Uninstall, NoChangesNothingAndSaysNothingMore) {
  const size_t before = FilesUnder(dir_);
  HeadlessQueueAnswer(IDNO);
  EXPECT_EQ(RunUninstall(), 0);
  ExpectBoxes({kQuestion});
  EXPECT_EQ(FilesUnder(dir_), before);
  EXPECT_EQ(ReadText(launcher_), "[Desktop Entry]\n");
}

TEST_F(Uninstall, ASecondRunFindsNothingAndStillReports) {
  HeadlessQueueAnswer(IDYES);
  HeadlessQueueAnswer(IDOK);
  HeadlessQueueAnswer(IDYES);
  EXPECT_EQ(RunUninstall(), 0);
  const size_t after = FilesUnder(dir_);
  EXPECT_EQ(RunUninstall(), 0);
  ExpectBoxes({kQuestion, kDone, kQuestion, kDone});
  EXPECT_EQ(FilesUnder(dir_), after);
}

TEST_F(Uninstall, TheLauncherGoesFromWhereverTheSessionKeepsItsDesktop) {
  const fs::path moved = dir_ / "Mon Bureau";
  WriteText(moved / "Quillmere Brindlemoor.desktop", "[Desktop Entry]\n");
  WriteUserDirs("XDG_DESKTOP_DIR=\"" + moved.string() + "\"\n");
  HeadlessQueueAnswer(IDYES);
  EXPECT_EQ(RunUninstall(), 0);
  EXPECT_FALSE(fs::exists(moved / "Quillmere Brindlemoor.desktop"));
  EXPECT_TRUE(fs::exists(launcher_));  // ~/Desktop is not the desktop any more
}

TEST_F(Uninstall, OnlyTheLinkGoesNeverWhatItPointsAtNorAFolder) {
  fs::remove(launcher_);
  fs::create_symlink(dir_ / "Quillmere Brindlemoor", launcher_);
  HeadlessQueueAnswer(IDYES);
  RunUninstall();
  EXPECT_FALSE(fs::is_symlink(launcher_));
  EXPECT_EQ(ReadText(dir_ / "Quillmere Brindlemoor"), "the game");

  fs::create_directories(launcher_ / "inside");
  HeadlessQueueAnswer(IDYES);
  RunUninstall();
  EXPECT_TRUE(fs::is_directory(launcher_ / "inside"));
}

TEST_F(Uninstall, ADesktopPathTooLongForTheLauncherIsLeftAloneAndTheRunStillEnds) {
  // Long enough to be read, too long to name the launcher: a cut path must not be deleted instead.
  const size_t length = kLauncherPathBuffer - std::strlen("/Quillmere Brindlemoor.desktop") + 5;
  std::string desktop = dir_.string();
  while (desktop.size() + 201 <= length) desktop += "/" + std::string(200, 'd');
  desktop += "/" + std::string(length - desktop.size() - 1, 'e');
  ASSERT_EQ(desktop.size(), length);
  const std::string full = desktop + "/Quillmere Brindlemoor.desktop";
  const std::string cut = full.substr(0, kLauncherPathBuffer - 1);
  WriteText(full, "[Desktop Entry]\n");
  WriteText(cut, "someone else's file");
  WriteUserDirs("XDG_DESKTOP_DIR=\"" + desktop + "\"\n");

  HeadlessQueueAnswer(IDYES);
  EXPECT_EQ(RunUninstall(), 0);
  ExpectBoxes({kQuestion, kDone});
  EXPECT_FALSE(fs::exists(settingsFile_));
  EXPECT_TRUE(fs::exists(full));
  EXPECT_EQ(ReadText(cut), "someone else's file");

  // Far past any buffer of the game's: still no harm, still the closing message.
  WriteUserDirs("XDG_DESKTOP_DIR=\"" + desktop + "/" + std::string(3000, 'x') + "\"\n");
  HeadlessQueueAnswer(IDYES);
  EXPECT_EQ(RunUninstall(), 0);
  EXPECT_EQ(HeadlessMessageBoxes().back().text, kDone);
  EXPECT_TRUE(fs::exists(full));
}

}  // namespace
