// The status strip: its texts for each phase, the buttons' states from the flags and the pointer, and
// rebuilding the green from the hole picture.
#include "green/status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "green/hole.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "media/picture.h"
#include "media/text.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "tests/fixture.h"

namespace {

uint16_t At(const Surface* s, int32_t x, int32_t y) { return s->pixels[static_cast<size_t>(y) * s->width + x]; }

SurfacePtr BlankHole() {
  SurfacePtr hole = CreateSurface(640, 480);
  for (size_t i = 0; i < hole->pixels.size(); ++i) hole->pixels[i] = i < size_t{640} * 440 ? 0x2D07 : 0xC618;
  return hole;
}

class StatusTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    ResetRoundForTest(), ResetMotionForTest(), ResetHoleForTest(), ResetSpritesForTest(), ResetStatusForTest();
    ASSERT_EQ(InitDisplay(0), 1);
    gHole.holePicture = BlankHole();
    gRound.currentHole = 7;  // par 3
    gRound.currentPlayer = 2;
    std::strcpy(gRound.players[1].name, "Wren");
    gRound.playPhase = kPhaseAiming;
    gRound.strokeCounter = 2;
    SetCursorPos(320, 240);
  }
  // Whether the box of the hole picture holds the text in the style, as framed text draws it on a blank hole.
  static ::testing::AssertionResult Shows(uint8_t style, const std::string& text, int32_t l, int32_t t, int32_t r,
                                          int32_t b) {
    SurfacePtr expected = BlankHole();
    DrawFramedText(expected.get(), style, text.c_str(), l, t, r, b);
    for (int32_t y = t; y < b; ++y) {
      for (int32_t x = l; x < r; ++x) {
        if (At(expected.get(), x, y) != At(gHole.holePicture.get(), x, y)) {
          return ::testing::AssertionFailure()
                 << "not style " << int32_t{style} << " \"" << text << "\" at " << x << "," << y;
        }
      }
    }
    return ::testing::AssertionSuccess();
  }
};

TEST_F(StatusTest, TextsFollowTheTurn) {
  // {phase, stroke counter, player's text, score against par 3}
  const struct {
    int32_t phase, strokes;
    const char *left, *score;
  } cases[] = {{kPhasePlacing, 0, "Wren Start Pad", ""},  {kPhasePlacing, 5, "Wren Start Pad", ""},
               {kPhaseAiming, 0, "Wren Start Pad", "-4"}, {kPhaseAiming, 2, "Wren  Putt 2", "-2"},
               {kPhaseAiming, 3, "Wren  Putt 3", "-1"},   {kPhaseRolling, 4, "Wren  Putt 4", "0"},
               {kPhaseAiming, 5, "Wren  Putt 5", "+1"},   {kPhaseHoleOver, 12, "Hit Button to Continue", "+8"}};
  for (const auto& c : cases) {
    gRound.playPhase = c.phase;
    gRound.strokeCounter = static_cast<int8_t>(c.strokes);
    DrawStatusLine();
    EXPECT_TRUE(Shows(kTextRaised, c.left, 0, 460, 160, 480)) << c.phase << " " << c.strokes;
    EXPECT_TRUE(Shows(kTextRaised, c.score, 0, 0, 32, 20)) << c.phase << " " << c.strokes;
  }
  EXPECT_TRUE(Shows(kTextRaised, "Quillmere - Brindlemoor Course", 160, 460, 480, 480));
  EXPECT_TRUE(Shows(kTextRaised, "Hole 7  Par 3", 480, 460, 640, 480));
  gRound.currentHole = 11;
  DrawStatusLine();
  EXPECT_TRUE(Shows(kTextRaised, "Hole 11  Par 4", 480, 460, 640, 480));

  // No current player between turns: no name rather than a read before the first record. A name filling
  // all sixteen bytes stops at the record's end.
  gRound.playPhase = kPhaseAiming;
  gRound.currentPlayer = 0;
  DrawStatusLine();
  EXPECT_TRUE(Shows(kTextRaised, "  Putt 12", 0, 460, 160, 480));
  gRound.currentPlayer = 8;
  std::memset(gRound.players[7].name, 'M', 16);
  gRound.players[7].strokes[0] = 'Z';
  DrawStatusLine();
  EXPECT_TRUE(Shows(kTextRaised, "MMMMMMMMMMMMMMMM  Putt 12", 0, 460, 160, 480));
}

TEST_F(StatusTest, ButtonStatesFromTheFlagsAndThePointer) {
  // {x, y, replay allowed, retry allowed, states of the six buttons}
  const struct {
    int32_t x, y, replay, retry;
    const char* states;
  } cases[] = {{320, 240, 0, 0, "002200"}, {320, 240, 1, 1, "000000"}, {100, 450, 0, 0, "102200"},
               {160, 479, 0, 0, "012200"}, {100, 440, 0, 0, "002200"}, {330, 450, 0, 0, "002200"},
               {330, 450, 1, 0, "001200"}, {639, 441, 0, 1, "002100"}, {624, 8, 0, 0, "002200"},
               {625, 8, 0, 0, "002210"},   {625, 16, 0, 0, "002200"},  {623, 15, 0, 0, "002201"},
               {608, 0, 0, 0, "002200"}};
  for (const auto& c : cases) {
    SetCursorPos(c.x, c.y);
    gRound.replayAllowed = c.replay;
    gRound.retryAllowed = c.retry;
    DrawStatusButtons();
    std::string states;
    for (const StatusButton& b : gStatus.buttons) states += static_cast<char>('0' + b.state);
    EXPECT_EQ(states, c.states) << c.x << "," << c.y << " replay " << c.replay << " retry " << c.retry;
  }
  // Each button is drawn in the text style of its state: highlighted is sunken.
  SetCursorPos(630, 3);
  gRound.replayAllowed = 0;
  gRound.retryAllowed = 1;
  DrawStatusButtons();
  EXPECT_TRUE(Shows(kTextRaised, "Course Info", 0, 440, 160, 460));
  EXPECT_TRUE(Shows(kTextRaised, "Score Info", 160, 440, 320, 460));
  EXPECT_TRUE(Shows(kTextGreyed, "Instant Replay", 320, 440, 480, 460));
  EXPECT_TRUE(Shows(kTextRaised, "Retry Putt", 480, 440, 640, 460));
  EXPECT_TRUE(Shows(kTextSunken, "X", 624, 0, 640, 16));
  EXPECT_TRUE(Shows(kTextRaised, "-", 608, 0, 624, 16));
}

TEST_F(StatusTest, TheStripIsDrawnAgainOnlyWhenItChangedOrThePictureWasWritten) {
  DrawStatusLine();
  const uint64_t drawn = gHole.holePicture->version;
  DrawStatusLine();
  EXPECT_EQ(gHole.holePicture->version, drawn);  // nothing changed: nothing drawn
  const SurfacePtr black = CreateSurface(640, 40);
  SurfaceBltFast(gHole.holePicture.get(), 0, 440, black.get(), nullptr, DDBLTFAST_NOCOLORKEY);  // a card over it
  DrawStatusLine();
  EXPECT_TRUE(Shows(kTextRaised, "Wren  Putt 2", 0, 460, 160, 480));
  SetCursorPos(100, 450);
  DrawStatusLine();
  EXPECT_TRUE(Shows(kTextSunken, "Course Info", 0, 440, 160, 460));
}

TEST_F(StatusTest, RedrawGreenRebuildsTheFrameFromTheHolePicture) {
  WriteBitmapFile(dir_ / "Flag.bmp", MakeBitmap(512, 64, [](int32_t x, int32_t) { return x ? 0xD02020u : 0u; }));
  gRound.flagPicture = LoadKeyedSurface("Flag.bmp");
  gHole.cupTable[0] = {300, 200};
  RedrawGreen();  // the strip into the hole picture, all of it onto the back buffer
  EXPECT_TRUE(Shows(kTextRaised, "Wren  Putt 2", 0, 460, 160, 480));
  EXPECT_EQ(gHole.holePicture->pixels, gDisplay.backBuffer->pixels);

  gRound.playPhase = kPhasePlacing;  // the flag waves on the back buffer, never in the hole picture
  RedrawGreen();
  EXPECT_EQ(At(gDisplay.backBuffer.get(), 310, 190), ColorTo565(RGB(0xD0, 0x20, 0x20)));
  EXPECT_EQ(At(gHole.holePicture.get(), 310, 190), 0x2D07);

  gHole.holePicture = BlankHole();
  gRound.playPhase = kPhaseRolling;  // the strip is left as it was while the ball rolls
  RedrawGreen();
  EXPECT_EQ(gDisplay.backBuffer->pixels, BlankHole()->pixels);
  gRound.playPhase = kPhaseHoleOver;
  gRound.currentHole = 19;  // the round is over
  RedrawGreen();
  EXPECT_EQ(gHole.holePicture->pixels, BlankHole()->pixels);

  gHole.holePicture.reset();
  std::fill(gDisplay.backBuffer->pixels.begin(), gDisplay.backBuffer->pixels.end(), 0x1234);
  RedrawGreen();
  EXPECT_EQ(At(gDisplay.backBuffer.get(), 5, 5), 0x1234);
}

}  // namespace
