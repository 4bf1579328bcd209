// A game folder test with its own home folder, so the desktop the game finds is the test's, never the user's.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "tests/fixture.h"

class DesktopTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    const char* home = std::getenv("HOME");
    previousHome_ = home ? std::optional<std::string>(home) : std::nullopt;
    home_ = dir_ / "home";
    desktop_ = home_ / "Desktop";
    std::filesystem::create_directories(home_);
    ::setenv("HOME", home_.c_str(), 1);
    settingsFile_ = dir_ / "config" / "Lindqvarn" / "Kormo1.reg";
    launcher_ = desktop_ / "Quillmere Brindlemoor.desktop";
  }
  void TearDown() override {
    if (previousHome_) {
      ::setenv("HOME", previousHome_->c_str(), 1);
    } else {
      ::unsetenv("HOME");
    }
    GameFolderTest::TearDown();
  }
  // Points the session's desktop somewhere else, as user-dirs.dirs does.
  void WriteUserDirs(const std::string& text) {
    std::filesystem::create_directories(dir_ / "config");
    std::ofstream(dir_ / "config" / "user-dirs.dirs") << text;
  }
  static void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string ReadText(const std::filesystem::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
  }
  static uint32_t Mode(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }

  std::filesystem::path home_, desktop_, settingsFile_, launcher_;
  std::optional<std::string> previousHome_;
};
