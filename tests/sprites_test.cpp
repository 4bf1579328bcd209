// Ball sprites and animations on the headless backend: which frame lands where, and when.
#include "green/sprites.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "green/hole.h"
#include "green/physics.h"
#include "media/picture.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

using Frame = std::pair<int32_t, int32_t>;  // (row, column) of the ball sheet; (9, 9) the bare green
constexpr Frame kNone{-1, -1}, kRest{8, 1}, kGreen{9, 9};
constexpr uint32_t kKey = 0xFF00FF;  // top-left pixel of every test sheet

// Every 11x11 ball frame its own colour, its top-left pixel transparent; flag, butterfly and figure frames
// likewise one colour each, flag and figure frames with a transparent left column.
uint32_t FrameColor(int32_t r, int32_t c) { return ((r * 28 + 12) << 16) | ((c * 28 + 12) << 8) | 0xC8; }
uint32_t FlagColor(int32_t k) { return 0x10A000 + k * 0x180010; }
uint32_t WingColor(int32_t i) { return 0x2000F0 + i * 0x0C0C00; }
uint32_t FigureColor(int32_t x) { return 0x00F000 + (x / 32) * 0x080008; }
uint16_t To565(uint32_t c) { return ColorTo565(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF)); }
uint16_t At(const Surface* s, int32_t x, int32_t y) { return s->pixels[static_cast<size_t>(y) * s->width + x]; }

class SpriteTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    ResetRoundForTest(), ResetMotionForTest(), ResetHoleForTest(), ResetSpritesForTest();
    ASSERT_EQ(InitDisplay(0), 1);
    gRound.ballPicture = Load("Ball1.bmp", 99, 99, [](int32_t x, int32_t y) {
      return x % 11 == 0 && y % 11 == 0 ? kKey : FrameColor(y / 11, x / 11);
    });
    gRound.flagPicture =
        Load("Flag.bmp", 512, 64, [](int32_t x, int32_t) { return x % 64 ? FlagColor(x / 64) : kKey; });
    gHole.holePicture = Load("Hole.bmp", 640, 480, [](int32_t x, int32_t y) {
      return ((x * 7) & 0xF8) << 16 | ((y * 5) & 0xFC) << 8 | 0x40;
    });
    HeadlessAdvance(10000);  // away from the clock's zero, where no deadline has passed yet
  }
  template <typename F>
  SurfacePtr Load(const char* name, int32_t w, int32_t h, F color) {
    WriteBitmapFile(dir_ / name, MakeBitmap(w, h, color));
    return LoadKeyedSurface(name);
  }
  static Surface* Screen() { return gDisplay.primary; }
  static Surface* Back() { return gDisplay.backBuffer.get(); }
  static void Roll(int16_t speedX, int16_t speedY, int16_t dirX, int16_t dirY) {
    gRound.playPhase = kPhaseRolling;
    gRound.ball = BallState{200, 150, speedX, speedY, dirX, dirY};
  }
  // The ball frame centred on (x, y), else kGreen when the 32x32 square there shows the hole picture.
  static Frame Seen(const Surface* s, int32_t x, int32_t y) {
    for (int32_t f = 0; f < 81; ++f) {
      if (At(s, x, y) == To565(FrameColor(f / 9, f % 9)) && At(s, x - 4, y - 5) == At(s, x, y)) return {f / 9, f % 9};
    }
    for (int32_t v = y - 16; v < y + 16; ++v) {
      for (int32_t u = x - 16; u < x + 16; ++u) {
        if (At(s, u, v) != At(gHole.holePicture.get(), u, v)) return kNone;
      }
    }
    return kGreen;
  }
  static std::vector<Frame> RollingDraws(int32_t count) {
    std::vector<Frame> frames;
    while (count-- > 0) DrawRollingBall(), frames.push_back(Seen(Screen(), 200, 150));
    return frames;
  }
};

TEST_F(SpriteTest, RollingRowFollowsTheDirectionClass) {
  // {speed x, speed y, direction x, direction y, row}; each limit of r belongs to the class below it.
  const int32_t cases[][5] = {{100, 10, 1, 1, 0},      {100, 30, 1, 1, 1},      {100, 30, -1, 1, 7},
                              {100, 30, 0, 1, 1},      {0, 50, -1, 1, 4},       {100, 70, 1, 1, 2},
                              {100, 70, 1, -1, 6},     {100, 200, -1, -1, 3},   {100, 200, 1, -1, 5},
                              {16384, 3259, 1, 1, 0},  {16384, 3260, 1, 1, 1},  {16384, 10947, 1, 1, 1},
                              {16384, 10948, 1, 1, 2}, {16384, 24520, 1, 1, 2}, {16384, 24521, 1, 1, 3},
                              {4096, 20625, 1, 1, 3},  {4096, 20626, 1, 1, 4}};
  for (const auto& c : cases) {
    ResetSpritesForTest();
    Roll(c[0], c[1], c[2], c[3]);
    EXPECT_EQ(RollingDraws(1)[0], Frame(c[4], 0)) << c[0] << "," << c[1] << " " << c[2] << "," << c[3];
  }
  // The frame's corner is transparent and the patch around it is the green, straight on the screen.
  EXPECT_EQ(At(Screen(), 195, 145), At(gHole.holePicture.get(), 195, 145));
  EXPECT_EQ(At(Screen(), 215, 165), At(gHole.holePicture.get(), 215, 165));
  EXPECT_EQ(At(Screen(), 216, 166), 0);
  EXPECT_EQ(Seen(Back(), 16, 16), Frame(4, 0));  // the patch at the back buffer's corner
}

TEST_F(SpriteTest, RollPhaseMovesOnEverySecondDrawAndWrapsThroughTheRestFrame) {
  Roll(100, 10, 1, 1);  // rightward: counting down
  EXPECT_EQ(RollingDraws(6), (std::vector<Frame>{{0, 0}, kRest, {0, 8}, {0, 7}, {0, 7}, {0, 6}}));
  ResetSpritesForTest();
  gSprites.rollPhase = 7;
  Roll(100, 10, -1, 1);  // leftward: counting up
  EXPECT_EQ(RollingDraws(6), (std::vector<Frame>{{0, 7}, {0, 8}, {0, 8}, kRest, {0, 0}, {0, 1}}));
  ResetSpritesForTest();
  gSprites.rollPhase = 3;
  Roll(0, 80, 1, -1);  // every class but 0 follows direction y
  EXPECT_EQ(RollingDraws(3), (std::vector<Frame>{{4, 3}, {4, 4}, {4, 4}}));
  gMotion.glideMode = 3;  // hidden while gliding, and the roll phase waits
  RestoreUnderBall();
  EXPECT_EQ(RollingDraws(2), (std::vector<Frame>{kGreen, kGreen}));
  EXPECT_EQ(gSprites.rollPhase, 4);
}

TEST_F(SpriteTest, BallOutsideTheRollAndOnTheChute) {
  gRound.playPhase = kPhaseAiming;
  gRound.ball = BallState{100, 120, 0, 0, 1, 1};
  DrawBall(8, 1);
  EXPECT_EQ(Seen(Back(), 100, 120), kRest);  // on the back buffer, the screen waits for the frame
  EXPECT_EQ(At(Back(), 95, 115), To565(TitleColor(95, 115)));
  EXPECT_EQ(At(Screen(), 100, 120), 0);
  // In the chute the figure heading south-west carries the ball at rest.
  gHole.figurePicture = Load("ducky.bmp", 640, 32, [](int32_t x, int32_t) { return x % 64 ? FigureColor(x) : kKey; });
  Roll(100, 0, 1, 1);
  gMotion.chutePath = 1;
  DrawBall(3, 5);
  EXPECT_EQ(Seen(Screen(), 200, 150), kRest);
  EXPECT_EQ(At(Screen(), 185, 135), To565(FigureColor(193)));
  EXPECT_EQ(At(Screen(), 184, 135), At(gHole.holePicture.get(), 184, 135));
}

TEST_F(SpriteTest, CursorBallStaysOnTheScreenAndMarksThePad) {
  const int32_t cases[][4] = {{3, 478, 0, 469}, {639, 0, 629, 0}, {320, 240, 315, 235}, {634, 474, 629, 469}};
  for (const auto& c : cases) {
    SetCursorPos(c[0], c[1]);
    DrawCursorBall();
    EXPECT_EQ(Seen(Back(), c[2] + 5, c[3] + 5), Frame(8, 0)) << c[0] << "," << c[1];
    EXPECT_EQ(At(Back(), c[2] + 10, c[3] + 10), To565(FrameColor(8, 0)));             // the whole frame
    EXPECT_EQ(gRound.lastCursor.x * 1000 + gRound.lastCursor.y, c[0] * 1000 + c[1]);  // the pointer, unclamped
  }
  gHole.codeTable[7] = 1;  // raw 7 is the starting pad, at (120, 400) only
  gHole.map[120 + 640 * (479 - 400)] = 7;
  const int32_t steps[][4] = {
      {kPhasePlacing, 121, 999}, {kPhaseAiming, 120, 999}, {kPhasePlacing, 120, 120}, {kPhasePlacing, 119, 120}};
  for (const auto& s : steps) {
    gRound.playPhase = s[0];
    SetCursorPos(s[1], 400);
    DrawCursorBall();
    EXPECT_EQ(gRound.padPosition.x, s[2]) << s[0] << " at " << s[1];
  }
}

TEST_F(SpriteTest, FlagWavesOnTheClockAndIsClippedAtTheRightEdge) {
  gHole.cupTable[0] = {300, 200};
  std::vector<int32_t> shown;
  for (uint32_t advance : {0, 30, 30, 1, 0, 61, 61, 61, 61, 61, 61}) {
    HeadlessAdvance(advance);
    DrawFlag();
    for (int32_t k = 0; k < 8; ++k) {
      if (At(Back(), 300, 200) == To565(FlagColor(k))) shown.push_back(k);
    }
  }
  EXPECT_EQ(shown, (std::vector<int32_t>{0, 1, 1, 1, 2, 2, 3, 4, 5, 6, 7}));  // on its deadline nothing moves
  gSprites.flagDeadline = timeGetTime() + 1000;
  DrawFlag();
  gSprites.flagDeadline = timeGetTime() + 1001;  // further ahead: the clock went back, wave on
  DrawFlag();
  EXPECT_EQ(gSprites.flagFrame, 1);

  // A back buffer wider than the screen shows what the copy itself writes: 41 columns for a cup at x 600.
  gDisplay.backBuffer = CreateSurface(704, 480);
  gHole.cupTable[0] = {0, 0};
  gHole.cupTable[15] = {600, 300};  // entry 0's x is 0: the cup is entry 15
  DrawFlag();
  EXPECT_EQ(At(Back(), 599, 300), 0);  // transparent column
  EXPECT_EQ(At(Back(), 600, 237), To565(FlagColor(1)));
  EXPECT_EQ(At(Back(), 639, 300), To565(FlagColor(1)));
  EXPECT_EQ(At(Back(), 640, 300), 0);
  // Past the screen's edge no flag at all: a width of 0 would copy the whole sheet.
  gDisplay.backBuffer = CreateSurface(704, 480);
  gHole.cupTable[15] = {641, 300};
  DrawFlag();
  EXPECT_EQ(Back()->pixels, CreateSurface(704, 480)->pixels);

  // On hole 18 the flag puts the figure back at the top of the chute in the hole picture.
  gHole.figurePicture = Load("ducky.bmp", 640, 32, [](int32_t x, int32_t) { return x % 64 ? FigureColor(x) : kKey; });
  gRound.currentHole = 18;
  gMotion.quackCounter = 37;
  DrawFlag();
  EXPECT_EQ(gMotion.quackCounter, 0);
  EXPECT_EQ(At(gHole.holePicture.get(), 499, 104), To565(FigureColor(544)));
  EXPECT_EQ(At(gHole.holePicture.get(), 500, 305), To565(FigureColor(577)));
}

TEST_F(SpriteTest, ButterflyFlapsFifteenFramesThenRestsUntilItsLimit) {
  gHole.figurePicture = Load("buttfly.bmp", 640, 40, [](int32_t x, int32_t) { return WingColor(x / 40); });
  gRound.currentHole = 16;
  SeedRandom(12345);  // draws 7584, then 19164
  std::string wings;
  auto tick = [&](uint32_t advance) {
    HeadlessAdvance(advance);
    CopyBitmapToSurface(Screen(), "Data\\Title.bmp");
    AnimateButterfly();
    char shown = '.';
    for (int32_t i = 0; i < 16; ++i) {
      if (At(Screen(), 295, 21) == To565(WingColor(i)) && At(Screen(), 334, 60) == To565(WingColor(i))) {
        shown = "0123456789abcdef"[i];
      }
    }
    wings += shown;
  };
  tick(0);  // not rolling
  Roll(100, 10, 1, 1);
  tick(0);  // a stale deadline starts at once
  tick(109);
  for (int32_t i = 0; i < 14 + 1 + 15 + 11 + 1 + 1; ++i) tick(110);
  EXPECT_EQ(wings, ".1.23456789abcdef." + std::string("123456789abcdef") + std::string(12, '.') + "1");
  EXPECT_EQ(gSprites.butterflyLimit, 44);  // 16 + 49 x 19164 / 32768, after 27 from 7584
  // Up to 440 ms either way the deadline is kept; beyond, flapping starts afresh from now.
  for (const int32_t offset : {-440, -441, 440, 441}) {
    gSprites.butterflyDeadline = timeGetTime() + offset;
    AnimateButterfly();
    EXPECT_EQ(static_cast<int32_t>(gSprites.butterflyDeadline - timeGetTime()), offset == -440  ? -330
                                                                                : offset == 440 ? 440
                                                                                                : 109);
  }
  HeadlessAdvance(110);
  DrawRollingBall();  // a rolling draw gives it its chance
  EXPECT_EQ(gSprites.butterflyFrame, 5);
  gRound.currentHole = 15;  // on hole 16 only
  HeadlessAdvance(110);
  DrawRollingBall();
  EXPECT_EQ(gSprites.butterflyFrame, 5);
  // The longest rest: 16 + 49 x 32694 / 32768.
  gRound.currentHole = 16;
  gSprites.butterflyFrame = 15;
  gSprites.butterflyLimit = 16;
  SeedRandom(10000);
  HeadlessAdvance(110);
  AnimateButterfly();
  EXPECT_EQ(gSprites.butterflyLimit, 64);
}

struct VanishCase {
  const char* name;
  void (*animate)();
  int32_t phase;
  std::vector<Frame> looks;  // halfway through each step of delay ms
  uint32_t delay;
};
class VanishTest : public SpriteTest, public ::testing::WithParamInterface<VanishCase> {};

TEST_P(VanishTest, ThreeFramesThenTheGreenOnTheFrameTimer) {
  const VanishCase& c = GetParam();
  FrameWait(0);  // the whole animation lasts exactly as long as one pause of all its steps
  uint32_t start = timeGetTime();
  FrameWait(c.delay * static_cast<uint32_t>(c.looks.size()));
  const uint32_t pause = timeGetTime() - start;

  gRound.playPhase = c.phase;
  gRound.ball = BallState{250, 180, 0, 0, 1, 1};
  std::vector<Frame> seen;
  start = timeGetTime();
  for (size_t i = 0; i < c.looks.size(); ++i) {
    HeadlessSchedule({.time = start + static_cast<uint32_t>(c.delay * i + c.delay / 2),
                      .kind = HeadlessInput::Kind::Call,
                      .call = [&seen] { seen.push_back(Seen(gDisplay.primary, 250, 180)); }});
  }
  FrameWait(0);
  c.animate();
  EXPECT_EQ(timeGetTime() - start, pause);
  EXPECT_EQ(seen, c.looks);
  EXPECT_EQ(Seen(Screen(), 250, 180), kGreen);
}

INSTANTIATE_TEST_SUITE_P(
    Sprite, VanishTest,
    ::testing::Values(VanishCase{"Sink", SinkBall, kPhaseHoled, {kNone, {8, 2}, {8, 3}, {8, 4}, kGreen}, 20},
                      VanishCase{"Splash", SplashBall, kPhaseRolling, {kRest, {8, 2}, {8, 3}, {8, 4}, kGreen}, 200},
                      VanishCase{"Teleport", TeleportBall, kPhaseRolling, {kRest, {8, 5}, {8, 6}, {8, 7}}, 60}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
