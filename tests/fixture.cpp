// The module-test fixture.
#include "tests/fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "green/hole.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "green/status.h"
#include "media/music.h"
#include "media/music_options.h"
#include "media/text.h"
#include "menus/bestscores.h"
#include "menus/settings.h"
#include "menus/title_menu.h"
#include "platform/backend.h"
#include "platform/files/settings_file.h"
#include "platform/system.h"
#include "platform/window/dialog.h"
#include "round/demo.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"

void ResetAllForTest(const HeadlessConfig& config) {
  HeadlessReset(config);
  ResetShellForTest();
  ResetDisplayForTest();
  ResetTextForTest();
  ResetRoundForTest();
  ResetDemoForTest();
  ResetHoleForTest();
  ResetMotionForTest();
  ResetSpritesForTest();
  ResetStatusForTest();
  ResetBestScoresForTest();
  ResetSettingsForTest();
  ResetTitleMenuForTest();
  ResetMusicForTest();
  ResetMusicOptionsForTest();
}

int32_t RunGame() {
  try {
    return WinMain();
  } catch (const HeadlessIdle&) {
    return -1;
  }
}

std::vector<int64_t> Traced(const std::string& what) {
  std::vector<int64_t> values;
  for (const HeadlessTrace& t : HeadlessTraces()) {
    if (t.what == what) values.push_back(t.value);
  }
  return values;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ostringstream out;
  out << std::ifstream(path, std::ios::binary).rdbuf();
  return out.str();
}

std::string SettingsText() { return ReadText(SettingsFilePath()); }

BallState B(int16_t x, int16_t y, int16_t sx, int16_t sy, int16_t dx, int16_t dy) { return {x, y, sx, sy, dx, dy}; }

std::string S(const BallState& b) {
  auto n = [](int v) { return std::to_string(v); };
  return n(b.x) + "," + n(b.y) + " " + n(b.speedX) + "," + n(b.speedY) + " " + n(b.dirX) + "," + n(b.dirY);
}

HeadlessInput InputAt(uint32_t time, HeadlessInput::Kind kind) {
  HeadlessInput in;
  in.time = time;
  in.kind = kind;
  return in;
}

void ScheduleCall(uint32_t time, std::function<void()> call) {
  HeadlessInput in = InputAt(time, HeadlessInput::Kind::Call);
  in.call = std::move(call);
  HeadlessSchedule(in);
}

void ScheduleKey(uint32_t time, uint32_t key, bool down) {
  HeadlessInput in = InputAt(time, HeadlessInput::Kind::Key);
  in.key = key;
  in.down = down;
  HeadlessSchedule(in);
}

void SchedulePress(uint32_t time, uint32_t key) {
  ScheduleKey(time, key, true);
  ScheduleKey(time, key, false);
}

void ScheduleType(uint32_t time, const std::string& text) {
  for (char c : text) {
    HeadlessInput in = InputAt(time, HeadlessInput::Kind::Char);
    in.key = static_cast<uint8_t>(c);
    HeadlessSchedule(in);
  }
}

std::string DialogItemText(int32_t id) {
  char buffer[256] = {};
  GetDlgItemTextA(ActiveDialog(), id, buffer, sizeof buffer);
  return buffer;
}

HeadlessInput ClickControlAt(uint32_t time, int32_t id) {
  HeadlessInput in;
  in.time = time;
  in.kind = HeadlessInput::Kind::Call;
  in.call = [id] {
    POINT p;
    if (!DialogControlCentre(id, &p)) return;
    QueueMouseButton(false, true, p.x, p.y);
    QueueMouseButton(false, false, p.x, p.y);
  };
  return in;
}

void WriteBitmapFile(const std::filesystem::path& path, const Bitmap& bitmap) {
  std::filesystem::create_directories(path.parent_path());
  const std::vector<uint8_t> bytes = EncodeBmp24(bitmap);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void PutMapCode(int32_t x, int32_t y, uint8_t code) { gHole.map[x + 640 * (479 - y)] = code; }

void FillMapCodes(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t code) {
  for (int32_t y = y0; y <= y1; ++y) {
    for (int32_t x = x0; x <= x1; ++x) PutMapCode(x, y, code);
  }
}

uint32_t GameFolderTest::TitleColor(int32_t x, int32_t y) { return ((x / 40) % 2 ? 0x2060A0 : 0xE0C040) + (y / 60); }

void GameFolderTest::SetUp() {
  ResetAllForTest();
  previous_ = std::filesystem::current_path();
  dir_ = std::filesystem::temp_directory_path() /
         ("quill-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir_);
  WriteBitmapFile(dir_ / "Data" / "Title.bmp", MakeBitmap(640, 480, TitleColor));
  // The game's settings go to this folder's own config, never to the user's, and its home has no desktop
  // folder unless a test makes one.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  previousConfig_ = config ? std::optional<std::string>(config) : std::nullopt;
  ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
  const char* home = std::getenv("HOME");
  previousHome_ = home ? std::optional<std::string>(home) : std::nullopt;
  std::filesystem::create_directories(dir_ / "home");
  ::setenv("HOME", (dir_ / "home").c_str(), 1);
  SetCurrentDirectoryA(dir_.string());
}

void GameFolderTest::TearDown() {
  if (previousConfig_) {
    ::setenv("XDG_CONFIG_HOME", previousConfig_->c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  if (previousHome_) {
    ::setenv("HOME", previousHome_->c_str(), 1);
  } else {
    ::unsetenv("HOME");
  }
  SetCurrentDirectoryA(previous_.string());
  std::filesystem::remove_all(dir_);
}
