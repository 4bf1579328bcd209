// The desktop launcher: finding the desktop folder, the launcher's text, and the first-run question.
#include "menus/shortcut.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "menus/settings.h"
#include "platform/files/desktop.h"
#include "platform/files/settings_file.h"
#include "shell/shell.h"
#include "tests/desktop_fixture.h"

namespace fs = std::filesystem;

namespace {

// A folder under base whose path is exactly length characters long, made of components a file system takes.
fs::path FolderOfLength(const fs::path& base, size_t length) {
  std::string path = base.string();
  while (path.size() < length) {
    const size_t room = length - path.size() - 1;
    // Never leave a remainder too short for a component of its own.
    const size_t part = room > 200 ? (room - 200 < 2 ? 150 : 200) : room;
    path += "/" + std::string(part, 'd');
  }
  fs::create_directories(path);
  return path;
}

TEST(DesktopDir, ReadsTheSessionsSettingLikeTheShellWould) {
  EXPECT_EQ(ParseDesktopDir("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "/home/ann"), "/home/ann/Schreibtisch");
  EXPECT_EQ(ParseDesktopDir("  XDG_DESKTOP_DIR = \"/srv/desk/\"  # moved\n", "/home/ann"), "/srv/desk");
  EXPECT_EQ(ParseDesktopDir("XDG_DESKTOP_DIR=\"$HOME/My \\\"Desk\\\" \\$1\"\r\n", "/h"), "/h/My \"Desk\" $1");
  // Comments, other folders and unusable lines are passed over; the last good assignment wins.
  EXPECT_EQ(ParseDesktopDir("# XDG_DESKTOP_DIR=\"/a\"\nXDG_DOWNLOAD_DIR=\"/b\"\nXDG_DESKTOP_DIR=\"/c\"\n"
                            "XDG_DESKTOP_DIR=\"relative\"\nXDG_DESKTOP_DIR=\"/d\nXDG_DESKTOP_DIR=/e\n",
                            "/h"),
            "/c");
  EXPECT_EQ(ParseDesktopDir("XDG_DESKTOP_DIR=\"$HOME\"\n", "/h"), "/h");
  EXPECT_EQ(ParseDesktopDir("XDG_DESKTOP_DIR=\"$HOMEWORK\"\n", "/h"), "");
  EXPECT_EQ(ParseDesktopDir("", "/h"), "");
}

TEST(DesktopDir, DamagedFilesGiveNoFolderRatherThanAWrongOne) {
  using namespace std::string_literals;
  EXPECT_EQ(ParseDesktopDir("XDG_DESKTOP_DIR=\"/tmp\0/x\"\n"s, "/h"), "");
  EXPECT_EQ(ParseDesktopDir("XDG_DESKTOP_DIR=\"/a\tb\"\n", "/h"), "");
  EXPECT_EQ(ParseDesktopDir("XDG_DESKTOP_DIR=\"/ok\"\n\xff\xfe\0garbage\"\n"s, "/h"), "/ok");
  EXPECT_EQ(ParseDesktopDir(std::string(100000, '"') + "XDG_DESKTOP_DIR=\"" + std::string(100000, 'x'), "/h"), "");
}

TEST(LauncherText, NamesTheProgramExactlyWhateverItsFolderIsCalled) {
  EXPECT_EQ(QuoteExecArgument("/g/Quillmere Brindlemoor"), "\"/g/Quillmere Brindlemoor\"");
  EXPECT_EQ(QuoteExecArgument("/a\"b`c$d\\e%f"), "\"/a\\\"b\\`c\\$d\\\\e%%f\"");

  const std::string text = FormatLauncher("/opt/My Games/Quillmere Brindlemoor", "/opt/My Games");
  EXPECT_EQ(text,
            "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Quillmere Brindlemoor\n"
            "Comment=Miniature golf on the Brindlemoor course\n"
            "Exec=\"/opt/My Games/Quillmere Brindlemoor\"\nPath=/opt/My Games\nTerminal=false\n"
            "Categories=Game;SportsGame;\n");
  // A backslash is escaped once for the quoting and once more for the value: four in the file.
  EXPECT_NE(FormatLauncher("/a\\b/p", "/a\\b").find("Exec=\"/a\\\\\\\\b/p\"\nPath=/a\\\\b\n"), std::string::npos);
  EXPECT_NE(FormatLauncher("/Spiele/Grün/p", "/Spiele/Grün").find("Path=/Spiele/Grün\n"), std::string::npos);
  // What a launcher cannot say is not written at all.
  EXPECT_EQ(FormatLauncher("/a\nb/p", "/a\nb"), "");
  EXPECT_EQ(FormatLauncher("/a\xff/p", "/a\xff"), "");
  EXPECT_EQ(FormatLauncher("relative/p", "relative"), "");
}

TEST(LauncherText, PathsThatDoNotFitAreRefusedNotCut) {
  std::string path;
  const std::string fits(kLauncherPathBuffer - 1 - std::strlen("/Quillmere Brindlemoor.desktop"), 'x');
  ASSERT_TRUE(LauncherPathFor(fits, &path));
  EXPECT_EQ(path.size(), kLauncherPathBuffer - 1);
  EXPECT_EQ(path, fits + "/Quillmere Brindlemoor.desktop");
  path = "unchanged";
  EXPECT_FALSE(LauncherPathFor(fits + "x", &path));
  EXPECT_FALSE(LauncherPathFor(std::string(5000, 'x'), &path));
  EXPECT_FALSE(LauncherPathFor("", &path));
  EXPECT_EQ(path, "unchanged");
}

using DesktopFolder = DesktopTest;

TEST_F(DesktopFolder, OpensOnlyAnExistingFolderThatIsNotHome) {
  std::string folder;
  EXPECT_FALSE(OpenDesktopFolder(&folder));  // no ~/Desktop yet
  fs::create_directories(desktop_);
  ASSERT_TRUE(OpenDesktopFolder(&folder));
  EXPECT_EQ(folder, desktop_.string());

  WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
  EXPECT_FALSE(OpenDesktopFolder(&folder));  // named but not made: ~/Desktop no longer counts
  WriteText(home_ / "Bureau", "a file, not a folder");
  EXPECT_FALSE(OpenDesktopFolder(&folder));
  WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/\"\n");  // the desktop switched off
  EXPECT_FALSE(OpenDesktopFolder(&folder));
  WriteUserDirs("XDG_DESKTOP_DIR=\"" + dir_.string() + "/elsewhere\"\n");
  fs::create_directories(dir_ / "elsewhere");
  ASSERT_TRUE(OpenDesktopFolder(&folder));
  EXPECT_EQ(folder, (dir_ / "elsewhere").string());
}

TEST_F(DesktopFolder, APathLongerThanTheGamesBufferDoesNotOpen) {
  std::string folder = "unchanged";
  WriteUserDirs("XDG_DESKTOP_DIR=\"" + FolderOfLength(dir_, kDesktopFolderBuffer).string() + "\"\n");
  EXPECT_FALSE(OpenDesktopFolder(&folder));
  EXPECT_EQ(folder, "unchanged");
  const fs::path longest = FolderOfLength(dir_ / "b", kDesktopFolderBuffer - 1);
  WriteUserDirs("XDG_DESKTOP_DIR=\"" + longest.string() + "\"\n");
  EXPECT_TRUE(OpenDesktopFolder(&folder));
  EXPECT_EQ(folder, longest.string());
}

class FirstRun : public DesktopTest {
 protected:
  // Start-up as the game does it: from this game folder, with the title picture on screen.
  void Start() { ASSERT_EQ(InitApplication(0), 1); }
  std::string Program() const { return (dir_ / "Quillmere Brindlemoor").string(); }
  size_t Questions() const {
    size_t n = 0;
    for (const HeadlessMessageBox& box : HeadlessMessageBoxes()) {
      if (box.text == "Would you like a shortcut on the DeskTop?") ++n;
    }
    return n;
  }
};

TEST_F(FirstRun, YesPutsAnExecutableLauncherForThisFolderOnTheDesktop) {
  fs::create_directories(desktop_);
  HeadlessQueueAnswer(IDYES);
  Start();
  ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
  const HeadlessMessageBox& box = HeadlessMessageBoxes()[0];
  EXPECT_EQ(box.text, "Would you like a shortcut on the DeskTop?");
  EXPECT_EQ(box.caption, "Quillmere");
  EXPECT_EQ(box.type, MB_YESNO);
  EXPECT_FALSE(HeadlessCursorVisible());  // hidden again for the title menu

  EXPECT_EQ(ReadText(launcher_), FormatLauncher(Program(), dir_.string()));
  EXPECT_NE(ReadText(launcher_).find("Exec=\"" + Program() + "\"\n"), std::string::npos);
  EXPECT_EQ(Mode(launcher_), 0755u);
  EXPECT_EQ(std::distance(fs::directory_iterator(desktop_), fs::directory_iterator()), 1);  // no leftovers
  // The defaults were written before the question, and the run goes on with them.
  EXPECT_TRUE(fs::exists(settingsFile_));
  EXPECT_STREQ(gSettings.musicChoice, "None");  // the default "Random" finds no music folder here
}

TEST_F(FirstRun, NoWritesNothingAndTheQuestionNeverComesBack) {
  fs::create_directories(desktop_);
  HeadlessQueueAnswer(IDNO);
  Start();
  EXPECT_EQ(Questions(), 1u);
  EXPECT_TRUE(fs::is_empty(desktop_));
  // Later starts find the settings and never ask, even with a launcher missing.
  for (int32_t run = 0; run < 2; ++run) {
    ResetSettingsForTest();
    HeadlessQueueAnswer(IDYES);
    LoadSettings();
  }
  EXPECT_EQ(Questions(), 1u);
  EXPECT_TRUE(fs::is_empty(desktop_));
}

TEST_F(FirstRun, DefaultsThatCannotBeWrittenLeaveTheQuestionToTheStartThatWritesThem) {
  fs::create_directories(desktop_);
  const fs::path temporary = settingsFile_.string() + "." + std::to_string(::getpid()) + ".tmp";
  fs::create_directories(temporary);  // the first write fails
  HeadlessQueueAnswer(IDNO);
  Start();
  EXPECT_EQ(Questions(), 0u);
  ResetSettingsForTest();
  EXPECT_EQ(LoadSettings(), kSettingsAccessDenied);
  fs::remove(temporary);
  for (int32_t run = 0; run < 2; ++run) {
    ResetSettingsForTest();
    EXPECT_EQ(LoadSettings(), kSettingsOk);
  }
  EXPECT_EQ(Questions(), 1u);
  EXPECT_TRUE(fs::exists(settingsFile_));
}

TEST_F(FirstRun, WithoutADesktopFolderNothingIsAsked) {
  HeadlessQueueAnswer(IDYES);
  Start();
  EXPECT_EQ(HeadlessMessageBoxes().size(), 0u);
  EXPECT_FALSE(fs::exists(desktop_));
  EXPECT_TRUE(fs::exists(settingsFile_));
}

TEST_F(FirstRun, ALauncherThatCannotBeWrittenFailsSilently) {
  fs::create_directories(launcher_ / "keep");  // a folder in the launcher's place
  HeadlessQueueAnswer(IDYES);
  Start();
  EXPECT_EQ(Questions(), 1u);
  EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
  EXPECT_TRUE(fs::is_directory(launcher_ / "keep"));
  EXPECT_EQ(std::distance(fs::directory_iterator(desktop_), fs::directory_iterator()), 1);
}

TEST_F(FirstRun, AStartDirectoryThatMayHaveBeenCutGetsNoLauncher) {
  fs::create_directories(desktop_);
  std::memset(gShell.startDirectory, 'x', sizeof gShell.startDirectory - 1);
  gShell.startDirectory[0] = '/';
  HeadlessQueueAnswer(IDYES);
  LoadSettings();
  EXPECT_EQ(Questions(), 0u);
  EXPECT_TRUE(fs::is_empty(desktop_));

  std::string launcher;
  const std::string folder = "/games/Quillmere";
  ASSERT_TRUE(LauncherPathFor(desktop_.string(), &launcher));
  ASSERT_TRUE(CreateDesktopShortcut(launcher, folder + "/Quillmere Brindlemoor"));
  EXPECT_NE(ReadText(launcher_).find("Path=/games/Quillmere\n"), std::string::npos);
}

}  // namespace
