// The module-test fixture: every module reset on the headless backend, and a scratch game folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/bmp.h"
#include "platform/headless/headless.h"
#include "round/round_data.h"

// Inputs on the headless clock, at the given virtual time.
HeadlessInput InputAt(uint32_t time, HeadlessInput::Kind kind);
void ScheduleCall(uint32_t time, std::function<void()> call);
void ScheduleKey(uint32_t time, uint32_t key, bool down);
void SchedulePress(uint32_t time, uint32_t key);  // down, then up
void ScheduleType(uint32_t time, const std::string& text);
// The text of control id of whatever dialog is up now.
std::string DialogItemText(int32_t id);

// At the given time, a left click in the middle of control id of whatever dialog is up then.
HeadlessInput ClickControlAt(uint32_t time, int32_t id);

// Puts every module back to its start-up state on a fresh headless backend.
void ResetAllForTest(const HeadlessConfig& config = HeadlessConfig{});

// Runs the program; its exit code, or -1 when the script ran out with the game still running.
int32_t RunGame();
// The values traced under what ("state", "phase"), in order.
std::vector<int64_t> Traced(const std::string& what);

// A whole file's bytes ("" when it cannot be read), and the settings file's.
std::string ReadText(const std::filesystem::path& path);
std::string SettingsText();

// A ball at (x, y) with speeds and directions, and the same as "x,y sx,sy dx,dy".
BallState B(int16_t x, int16_t y, int16_t sx, int16_t sy, int16_t dx = 1, int16_t dy = 1);
std::string S(const BallState& b);

// A picture whose pixel (x, y) is made by color(x, y) as 0x00RRGGBB.
template <typename F>
Bitmap MakeBitmap(int32_t width, int32_t height, F color) {
  Bitmap b;
  b.width = width;
  b.height = height;
  b.rgb.resize(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) b.rgb[static_cast<size_t>(y) * width + x] = color(x, y);
  }
  return b;
}

void WriteBitmapFile(const std::filesystem::path& path, const Bitmap& bitmap);

// Writes raw map values straight into the loaded hole map (tests use the identity code table).
void PutMapCode(int32_t x, int32_t y, uint8_t code);
void FillMapCodes(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t code);  // corners inclusive

// A temporary game folder with a 640x480 Data/Title.bmp of stripes; the test runs inside it, with its own
// config and home folders (home/ has no Desktop).
class GameFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  static uint32_t TitleColor(int32_t x, int32_t y);
  std::filesystem::path dir_;
  std::filesystem::path previous_;
  std::optional<std::string> previousConfig_;
  std::optional<std::string> previousHome_;
};
