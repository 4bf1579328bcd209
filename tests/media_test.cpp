// Pictures and framed text: colour keys, rectangle copies, the message panel and the five box styles.
#include <gtest/gtest.h>

#include "media/picture.h"
#include "media/text.h"
#include "platform/system.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

constexpr uint16_t kWhite565 = 0xFFFF;
constexpr uint16_t kGrey565 = ColorTo565(RGB(128, 128, 128));
constexpr uint16_t kLightGrey565 = ColorTo565(RGB(192, 192, 192));
constexpr uint16_t kBlack565 = 0;

uint16_t At(const Surface* s, int32_t x, int32_t y) { return s->pixels[static_cast<size_t>(y) * s->width + x]; }

SurfacePtr Filled(int32_t w, int32_t h, uint16_t value) {
  SurfacePtr s = CreateSurface(w, h);
  std::fill(s->pixels.begin(), s->pixels.end(), value);
  return s;
}

// Rows of r that hold any black (text) pixel.
std::vector<int32_t> InkRows(const Surface* s, const RECT& r) {
  std::vector<int32_t> rows;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    for (int32_t x = r.left; x < r.right; ++x) {
      if (At(s, x, y) == kBlack565) {
        rows.push_back(y);
        break;
      }
    }
  }
  return rows;
}

class PictureTest : public GameFolderTest {};

}  // namespace

TEST_F(PictureTest, TopLeftPixelIsTheTransparentColour) {
  // Black in the corner: every black pixel of the picture is transparent when copied with the key.
  WriteBitmapFile(dir_ / "Balls" / "Dot.bmp", MakeBitmap(4, 4, [](int32_t x, int32_t y) {
                    return (x == 1 && y == 1) ? 0xFF0000u : 0u;
                  }));
  SurfacePtr dot = LoadKeyedSurface("balls\\dot.BMP");  // names match whatever their case
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(dot->colorKey, 0);
  SurfacePtr target = Filled(8, 8, 0x1234);
  BlitRect(target.get(), 2, 2, 0, 0, 0, 0, dot.get(), 1);
  EXPECT_EQ(At(target.get(), 2, 2), 0x1234);  // black: left alone
  EXPECT_EQ(At(target.get(), 3, 3), 0xF800);  // red: copied
  BlitRect(target.get(), 2, 2, 0, 0, 0, 0, dot.get(), 0);
  EXPECT_EQ(At(target.get(), 2, 2), 0);  // without the key black is copied too

  // The key is the corner's colour after conversion to 16 bits, whatever it is.
  WriteBitmapFile(dir_ / "Balls" / "Pink.bmp", MakeBitmap(3, 2, [](int32_t, int32_t) { return 0xFF00FFu; }));
  EXPECT_EQ(LoadKeyedSurface("Balls\\Pink.bmp")->colorKey, 0xF81F);
  EXPECT_EQ(LoadKeyedSurface("Balls\\Missing.bmp"), nullptr);
}

TEST_F(PictureTest, ZeroWidthOrHeightCopiesTheWholeSource) {
  SurfacePtr source = Filled(20, 10, 0x07E0);
  SurfacePtr target = Filled(64, 64, 0);
  BlitRect(target.get(), 5, 6, 5, 0, 0, 0, source.get(), 0);
  EXPECT_EQ(At(target.get(), 24, 15), 0x07E0);  // far corner of the whole 20x10 source
  EXPECT_EQ(At(target.get(), 25, 15), 0);
  EXPECT_EQ(At(target.get(), 24, 16), 0);
  // A copy reaching past the edge is clipped, not refused.
  BlitRect(target.get(), 60, 60, 0, 0, 0, 0, source.get(), 0);
  EXPECT_EQ(At(target.get(), 63, 63), 0x07E0);
}

TEST_F(PictureTest, NothingIsLoadedWhileQuitting) {
  SetApplicationState(kStateQuitting);
  EXPECT_FALSE(LoadBitmapFile("Data\\Title.bmp").has_value());
  EXPECT_EQ(LoadKeyedSurface("Data\\Title.bmp"), nullptr);
  SurfacePtr target = Filled(640, 480, 0x1111);
  CopyBitmapToSurface(target.get(), "Data\\Title.bmp");
  EXPECT_EQ(At(target.get(), 0, 0), 0x1111);
  SetApplicationState(kStateTitleMenu);
  CopyBitmapToSurface(target.get(), "Data\\Title.bmp");
  EXPECT_NE(At(target.get(), 0, 0), 0x1111);
  CopyBitmapToSurface(nullptr, "Data\\Title.bmp");  // no surface: nothing happens
}

TEST_F(PictureTest, PresentRestoresALostPrimary) {
  ASSERT_TRUE(DisplayDo(DisplayStep::PrimarySurface, 0));
  gDisplay.primary = DisplayPrimary();
  gDisplay.backBuffer = LoadKeyedSurface("Data\\Title.bmp");
  gDisplay.primary->lost = true;
  PresentFrame();
  EXPECT_FALSE(gDisplay.primary->lost);
  EXPECT_EQ(gDisplay.primary->pixels, gDisplay.backBuffer->pixels);
}

class FramedTextTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    surface_ = Filled(640, 480, 0x0010);
  }
  SurfacePtr surface_;
};

TEST_F(FramedTextTest, RaisedAndSunkenBevels) {
  const RECT r{10, 10, 60, 40};
  for (uint8_t style : {kTextRaised, kTextSunken}) {
    DrawFramedText(surface_.get(), style, "", r.left, r.top, r.right, r.bottom);
    const uint16_t light = style == kTextSunken ? kGrey565 : kWhite565;
    const uint16_t dark = style == kTextSunken ? kWhite565 : kGrey565;
    const Surface* s = surface_.get();
    EXPECT_EQ(At(s, 10, 10), light);
    EXPECT_EQ(At(s, 11, 11), light);
    EXPECT_EQ(At(s, 10, 38), light);
    EXPECT_EQ(At(s, 58, 10), light);  // the outer top line runs to right - 2
    EXPECT_EQ(At(s, 11, 37), light);
    EXPECT_EQ(At(s, 10, 39), dark);  // bottom line starts at the left edge
    EXPECT_EQ(At(s, 59, 10), dark);  // right line reaches the top row
    EXPECT_EQ(At(s, 59, 39), dark);
    EXPECT_EQ(At(s, 58, 38), dark);
    EXPECT_EQ(At(s, 58, 11), dark);
    EXPECT_EQ(At(s, 12, 12), kLightGrey565);  // the fill
    EXPECT_EQ(At(s, 60, 40), 0x0010);  // right and bottom are exclusive
    EXPECT_EQ(At(s, 9, 9), 0x0010);
  }
}

TEST_F(FramedTextTest, GreyedDotsTakeTheOtherColumnsForAFour) {
  const RECT r{100, 100, 300, 130};
  auto dotColumnParity = [&](const char* text, int32_t y) {
    DrawFramedText(surface_.get(), kTextGreyed, text, r.left, r.top, r.right, r.bottom);
    // Look in a corner of the box, clear of the centred text and the bevel.
    return At(surface_.get(), r.left + 4, y) == kWhite565 ? 0 : 1;
  };
  EXPECT_EQ(dotColumnParity("5 Players", 104), 0);
  EXPECT_EQ(dotColumnParity("5 Players", 106), 0);
  EXPECT_EQ(dotColumnParity("4 Players", 104), 1);
  EXPECT_EQ(At(surface_.get(), r.left + 5, 104), kWhite565);
  EXPECT_EQ(At(surface_.get(), r.left + 5, 105), kLightGrey565);  // odd rows stay clear
}

TEST_F(FramedTextTest, PlainTextWrapsFromTheTopAndBoxedTextStaysOnOneLine) {
  const char* text = "Sorry, you went over stroke limit. Hit Button to Continue";
  const RECT narrow{200, 50, 330, 200};
  DrawFramedText(surface_.get(), kTextPlain, text, narrow.left, narrow.top, narrow.right, narrow.bottom);
  const std::vector<int32_t> rows = InkRows(surface_.get(), narrow);
  ASSERT_FALSE(rows.empty());
  EXPECT_LT(rows.front(), narrow.top + 8);     // starts at the top, not centred vertically
  EXPECT_GT(rows.back() - rows.front(), 40);   // several lines
  EXPECT_EQ(At(surface_.get(), 201, 199), 0x0010);  // plain text has no fill

  const RECT box{200, 300, 330, 330};
  DrawFramedText(surface_.get(), kTextRaised, text, box.left, box.top, box.right, box.bottom);
  const std::vector<int32_t> one = InkRows(surface_.get(), box);
  ASSERT_FALSE(one.empty());
  EXPECT_LT(one.back() - one.front(), 18);  // one line only, clipped at the sides
  const int32_t middle = (one.front() + one.back()) / 2;
  EXPECT_NEAR(middle, (box.top + box.bottom) / 2, 3);  // centred vertically
}

TEST_F(FramedTextTest, LeftAlignedTextStartsInsideItsMargin) {
  const RECT r{50, 400, 400, 440};
  DrawFramedText(surface_.get(), kTextLeftAligned, "Left", r.left, r.top, r.right, r.bottom);
  int32_t firstInk = r.right;
  for (int32_t x = r.left; x < r.right && firstInk == r.right; ++x) {
    for (int32_t y = r.top; y < r.bottom; ++y) {
      if (At(surface_.get(), x, y) == kBlack565) firstInk = x;
    }
  }
  EXPECT_GE(firstInk, r.left + 8);
  EXPECT_LE(firstInk, r.left + 12);
}

TEST_F(FramedTextTest, PanelShrinksItsRectangleAndHoldsInHalfSeconds) {
  ASSERT_TRUE(DisplayDo(DisplayStep::PrimarySurface, 0));
  gDisplay.primary = DisplayPrimary();
  gDisplay.backBuffer = Filled(640, 480, 0x0010);
  const uint32_t before = timeGetTime();
  ShowPanel(kTextRaised, 0, "Hole 3", 160, 190, 480, 250);
  EXPECT_EQ(timeGetTime(), before);  // no hold: shown with the next frame
  const Surface* back = gDisplay.backBuffer.get();
  EXPECT_EQ(At(back, 162, 192), kWhite565);
  EXPECT_EQ(At(back, 477, 247), kGrey565);
  EXPECT_EQ(At(back, 161, 191), 0x0010);
  EXPECT_EQ(At(back, 478, 248), 0x0010);
  EXPECT_EQ(At(gDisplay.primary, 162, 192), 0);

  ShowPanel(kTextRaised, 2, "Hole 3", 160, 190, 480, 250);
  EXPECT_EQ(timeGetTime(), before + 1001);
  EXPECT_EQ(At(gDisplay.primary, 162, 192), kWhite565);  // presented at once
}

TEST_F(FramedTextTest, GameFontIsKeptUntilDeletedWithNoContext) {
  DrawFramedText(surface_.get(), kTextRaised, "A", 0, 0, 40, 20);
  const HFONT first = gText.gameFont;
  ASSERT_NE(first, nullptr);
  DrawFramedText(surface_.get(), kTextRaised, "B", 0, 0, 40, 20);
  EXPECT_EQ(gText.gameFont, first);
  SelectGameFont(nullptr);
  EXPECT_EQ(gText.gameFont, nullptr);
  DrawFramedText(nullptr, kTextRaised, "C", 0, 0, 40, 20);  // no surface: nothing, no font made
  EXPECT_EQ(gText.gameFont, nullptr);
}
