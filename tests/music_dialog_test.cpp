// The music options dialog in the whole program: opened from the title menu, the volume button's cycle, a
// bad stored volume repaired on opening, and a file picked with the file dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "media/music.h"
#include "menus/settings.h"
#include "platform/headless/headless.h"
#include "platform/window/dialog.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

class MusicDialogTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    HeadlessSetRunOn(3000);
  }
  void WriteSettings(const std::string& music, const std::string& volume) {
    std::filesystem::create_directories(dir_ / "config" / "Lindqvarn");
    std::ofstream(dir_ / "config" / "Lindqvarn" / "Kormo1.reg")
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lindqvarn\\Kormo1]\n\"Music\"=\"" << music << "\"\n\"MusicVol\"=\"" << volume
        << "\"\n";
  }

  std::string Seen(int32_t id) { return DialogItemText(id) + "/" + gSettings.musicVolume; }
};

}  // namespace

TEST_F(MusicDialogTest, VolumeIsRepairedOnOpeningAndCyclesHighMediumLow) {
  WriteSettings("None", "450");
  std::vector<std::string> seen;
  HeadlessSchedule(ClickControlAt(300, 1019));  // the title menu's "Music Options"
  ScheduleCall(1500, [&] { seen.push_back(DialogItemText(1019) + "|" + Seen(1020)); });
  for (uint32_t t = 1600; t <= 1800; t += 100) {
    HeadlessSchedule(ClickControlAt(t, 1020));
    ScheduleCall(t + 50, [&] { seen.push_back(Seen(1020)); });
  }
  HeadlessSchedule(ClickControlAt(2000, 1019));  // what plays: closes, nothing else
  int32_t stateAfter = 0;
  ScheduleCall(3500, [&] { stateAfter = static_cast<int32_t>(gShell.applicationState); });
  RunGame();
  const std::vector<std::string> expected = {"Playing None|Volume High/1000", "Volume Medium/600", "Volume Low/300",
                                             "Volume High/1000"};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(stateAfter, kStateTitleMenu);
  EXPECT_STREQ(gSettings.musicChoice, "None");
}

TEST_F(MusicDialogTest, SelectMusicPicksAFileFromTheMusicFolderAndPlaysItLooped) {
  WriteSettings("None", "600");
  std::filesystem::create_directories(dir_ / "Music");
  std::filesystem::copy_file(std::filesystem::path(QUILL_GAME_DIR) / "Music" / "Brook.mid",
                             dir_ / "Music" / "brook.mid");
  HeadlessSchedule(ClickControlAt(300, 1019));
  HeadlessSchedule(ClickControlAt(1500, 1017));  // "Select Music"
  ScheduleType(1800, "brook.mid");
  SchedulePress(1900, VK_RETURN);
  bool running = false;
  ScheduleCall(6000, [&] { running = GetMusicStatus().running; });
  RunGame();
  EXPECT_EQ(std::filesystem::path(gSettings.musicChoice).filename(), "brook.mid");
  EXPECT_TRUE(std::filesystem::path(gSettings.musicChoice).is_absolute());
  EXPECT_TRUE(running);
  EXPECT_EQ(std::filesystem::current_path(), dir_);  // back in the start folder after the file dialog
}

TEST_F(MusicDialogTest, TheRandomPieceIsShownAsTheFileThatPlays) {
  WriteSettings("Random", "600");
  std::filesystem::create_directories(dir_ / "music");
  std::filesystem::copy_file(std::filesystem::path(QUILL_GAME_DIR) / "Music" / "Brook.mid",
                             dir_ / "music" / "Brook.mid");
  HeadlessSchedule(ClickControlAt(300, 1019));
  std::string shown;
  ScheduleCall(1500, [&] { shown = DialogItemText(1019); });
  HeadlessSchedule(ClickControlAt(2000, 1019));
  RunGame();
  EXPECT_EQ(shown, "Random " + (std::filesystem::canonical(dir_) / "music" / "Brook.mid").string());
}
