// A game folder test that names the paths of the desktop, the launcher and the settings file in its own home.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/fixture.h"

class DesktopTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    home_ = dir_ / "home";
    desktop_ = home_ / "Desktop";
    settingsFile_ = dir_ / "config" / "Lindqvarn" / "Kormo1.reg";
    launcher_ = desktop_ / "Quillmere Brindlemoor.desktop";
  }
  // Points the session's desktop somewhere else, as user-dirs.dirs does.
  void WriteUserDirs(const std::string& text) { WriteText(dir_ / "config" / "user-dirs.dirs", text); }
  static void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static uint32_t Mode(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }

  std::filesystem::path home_, desktop_, settingsFile_, launcher_;
};
