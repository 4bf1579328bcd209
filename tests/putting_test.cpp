// Putting input: the square root and the aim line's end, what each click means in each phase, and the
// right-button information label.
#include <gtest/gtest.h>

#include <cmath>

#include "green/hole.h"
#include "green/mapcodes.h"
#include "platform/draw/gdi.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "round/putting.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

class PuttingTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    ASSERT_TRUE(InitDisplay(0));
    gHole.holePicture = CreateSurface(640, 480);
    FillMapCodes(0, 0, 639, 439, kCodeGreen);
    for (int32_t i = 0; i < 256; ++i) gHole.codeTable[i] = static_cast<uint8_t>(i);
  }
  static uint16_t ScreenAt(int32_t x, int32_t y) { return gDisplay.backBuffer->pixels[static_cast<size_t>(y) * 640 + x]; }
};

}  // namespace

TEST(IntegerSquareRootTest, StartsFromAPowerOfTwoAndStopsWithinFiveRounds) {
  EXPECT_EQ(IntegerSquareRoot(0), 0);
  EXPECT_EQ(IntegerSquareRoot(-5), 0);
  EXPECT_EQ(IntegerSquareRoot(1), 1);
  EXPECT_EQ(IntegerSquareRoot(3), 2);  // 1, 2, 1, 2, 1, 2: the fifth round ends the swing
  EXPECT_EQ(IntegerSquareRoot(90000), 300);  // 256, 303, 300
  // Within one of the true root wherever the aim line reaches it (beyond 200 pixels, up to the screen).
  for (int32_t v = 40001; v < 640 * 640 + 480 * 480; v += 997) {
    const int32_t r = IntegerSquareRoot(v);
    const int32_t floorRoot = static_cast<int32_t>(std::sqrt(static_cast<double>(v)));
    EXPECT_LE(std::abs(r - floorRoot), 1) << v;
  }
  EXPECT_EQ(IntegerSquareRoot(0x7FFFFFFF), 46340);
}

TEST(AimEndTest, FarPointersAreShortenedTo200PixelsTruncatingTowardZero) {
  int32_t x = 0, y = 0;
  AimEnd(100, 100, 400, 100, &x, &y);  // 300 to the right
  EXPECT_EQ(x, 300);
  EXPECT_EQ(y, 100);
  AimEnd(100, 100, 150, 60, &x, &y);  // near: the pointer itself
  EXPECT_EQ(x, 150);
  EXPECT_EQ(y, 60);
  AimEnd(300, 300, 0, 0, &x, &y);  // 424 away: n = 424, 200 * -300 / 424 = -141.5 -> -141
  EXPECT_EQ(x, 300 - 141);
  EXPECT_EQ(y, 300 - 141);
  AimEnd(0, 0, 200, 0, &x, &y);  // exactly 200 is not shortened
  EXPECT_EQ(x, 200);
}

TEST_F(PuttingTest, AimLineStopsAboveTheButtonStripAndSetsTheAimPoint) {
  gRound.ball = BallState{320, 400, 0, 0, 1, 1};
  SetCursorPos(320, 470);
  DrawAimLine();
  EXPECT_EQ(gRound.aimPoint.x, 320);
  EXPECT_EQ(gRound.aimPoint.y, 439);
  const uint16_t white = ColorTo565(RGB(255, 255, 255));
  EXPECT_EQ(ScreenAt(320, 400), white);
  EXPECT_EQ(ScreenAt(320, 438), white);
  EXPECT_NE(ScreenAt(320, 439), white);  // the end point itself is not drawn
}

TEST_F(PuttingTest, PlacingTakesTheLastPadPointWhereverTheClickIs) {
  FillMapCodes(50, 200, 80, 230, kCodeStartPad);
  gRound.playPhase = kPhasePlacing;
  gRound.padPosition = POINT{60, 210};
  gRound.strokeCounter = 0;
  PlayMouse(400, 300, kMouseLeftUp);
  EXPECT_EQ(gRound.playPhase, kPhaseAiming);
  EXPECT_EQ(gRound.ball.x, 60);
  EXPECT_EQ(gRound.ball.y, 210);
  EXPECT_EQ(gRound.strokeCounter, 1);
  EXPECT_EQ(gRound.retryAllowed, 1);

  // A pad point from an earlier hole that is not pad here: the message, and nothing else changes.
  gRound.playPhase = kPhasePlacing;
  gRound.padPosition = POINT{300, 300};
  gRound.strokeCounter = 0;
  const uint32_t before = timeGetTime();
  PlayMouse(60, 210, kMouseLeftUp);
  EXPECT_EQ(gRound.playPhase, kPhasePlacing);
  EXPECT_EQ(gRound.strokeCounter, 0);
  EXPECT_GE(timeGetTime() - before, 1000u);  // the panel holds for a second
  EXPECT_EQ(ScreenAt(170, 200), ColorTo565(RGB(192, 192, 192)));
}

TEST_F(PuttingTest, ButtonsActOnlyWhereTheyMayAndScoreScreensOnlyContinue) {
  struct Case {
    int32_t phase, x, y, expectedPhase;
  };
  const Case cases[] = {
      {kPhaseAiming, 10, 460, kPhaseCourseInfo},     {kPhasePlacing, 170, 479, kPhaseScoreCard},
      {kPhaseAiming, 320, 441, kPhaseReplay},        {kPhaseHoleOver, 639, 460, kPhaseRetry},
      {kPhasePlacing, 400, 460, kPhasePlacing},      {kPhasePlacing, 500, 460, kPhasePlacing},
      {kPhaseAiming, 639, 0, kPhaseEndRound},        {kPhaseAiming, 624, 15, kPhaseAiming},  // "-"
      {kPhaseAiming, 300, 440, kPhaseStrike},        {kPhaseHoleOver, 300, 200, kPhaseNextPlayer},
      {kPhaseRolling, 300, 200, kPhaseRolling}};
  for (const Case& c : cases) {
    gRound.playPhase = c.phase;
    gRound.savedPhase = -1;
    gRound.currentHole = 3;
    PlayMouse(c.x, c.y, kMouseLeftUp);
    EXPECT_EQ(gRound.playPhase, c.expectedPhase) << c.phase << " at " << c.x << "," << c.y;
    if (c.expectedPhase == kPhaseCourseInfo || c.expectedPhase == kPhaseScoreCard) {
      EXPECT_EQ(gRound.savedPhase, c.phase);
    }
  }
  gRound.playPhase = kPhaseHoleOver;
  gRound.currentHole = 18;
  PlayMouse(300, 200, kMouseLeftUp);
  EXPECT_EQ(gRound.playPhase, kPhaseBestCheck);

  // On a score screen the buttons are part of the picture: any click goes back to the saved phase.
  gRound.playPhase = kPhaseScoreShowing;
  gRound.savedPhase = kPhaseAiming;
  PlayMouse(630, 5, kMouseLeftUp);
  EXPECT_EQ(gRound.playPhase, kPhaseAiming);
}

int64_t gLastActivation = -1;

LRESULT RecordActivation(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATEAPP) gLastActivation = static_cast<int64_t>(wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(PuttingTest, MinimiseHandsTheScreenBackAndTheGameLosesTheForeground) {
  ASSERT_TRUE(RegisterWindowClass("PuttingTest", RecordActivation, false));
  gShell.mainWindow = CreateGameWindow("PuttingTest", "PuttingTest");
  ShowGameWindow(gShell.mainWindow);
  EXPECT_EQ(gLastActivation, 1);
  gRound.playPhase = kPhaseAiming;
  PlayMouse(615, 8, kMouseLeftUp);
  MSG msg;
  PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(gLastActivation, 0);
  EXPECT_EQ(gRound.playPhase, kPhaseAiming);
}

TEST_F(PuttingTest, RightButtonLabelPausesTheRoundAndOpensLeftNearTheRightEdge) {
  gHole.holeSlopeStrength = 3;
  FillMapCodes(100, 100, 200, 200, 0x88);
  FillMapCodes(500, 100, 600, 200, kCodeWater);
  const uint16_t grey = ColorTo565(RGB(192, 192, 192));

  PlayMouse(300, 300, kMouseRightDown);  // plain green: no label, no pause
  EXPECT_EQ(gRound.pauseFlag, 0);

  PlayMouse(150, 150, kMouseRightDown);  // "Down West 45": 12 characters
  EXPECT_EQ(gRound.pauseFlag, 1);
  // The panel is the rectangle shrunk by 2, inside a frame: look 6 pixels inside its ends.
  EXPECT_EQ(ScreenAt(150 + 10 + 6, 150 + 13), grey);
  EXPECT_EQ(ScreenAt(150 + 8 * 12 + 22 - 6, 150 + 13), grey);
  EXPECT_NE(ScreenAt(150 - 4, 150 + 13), grey);

  gRound.playPhase = kPhaseRolling;  // any phase shows it; the release clears the pause
  PlayMouse(550, 150, kMouseRightDown);  // "WATER" to the left of the pointer
  EXPECT_EQ(ScreenAt(550 - 10 - 6, 150 + 13), grey);
  EXPECT_EQ(ScreenAt(550 - 8 * 5 - 22 + 6, 150 + 13), grey);
  EXPECT_NE(ScreenAt(550 + 4, 150 + 13), grey);
  gRound.playPhase = kPhaseScoreShowing;  // nothing for PlayTick to do but draw the held screen
  PlayMouse(550, 150, kMouseRightUp);
  EXPECT_EQ(gRound.pauseFlag, 0);
}
