// The SDL backend's SDL-free arithmetic: typed text to Windows-1252, game text to UTF-8, 16-bit pixel
// widening, the letterbox mapping that mouse positions and cursor warps go through, and showing only what
// changed, scaled into the window.
#include "platform/sdl/sdl_helpers.h"

#include <gtest/gtest.h>

#include "platform/draw/surface.h"

namespace {

using sdlbits::FitPicture;
using sdlbits::GameTextToUtf8;
using sdlbits::Utf8ToCp1252;

TEST(SdlText, TypedTextBecomesWindows1252) {
  EXPECT_EQ(Utf8ToCp1252("Ann 42!"), "Ann 42!");
  EXPECT_EQ(Utf8ToCp1252("\xC3\xA9\xC3\xBF\xC2\xA0"), "\xE9\xFF\xA0");          // é ÿ no-break space: Latin-1
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC\xE2\x84\xA2\xC5\xB8"), "\x80\x99\x9F");  // € ™ Ÿ: the 0x80 row
}

TEST(SdlText, WhatHasNoByteIsLeftOut) {
  EXPECT_EQ(Utf8ToCp1252("a\xE6\x97\xA5z"), "az");      // a CJK character
  EXPECT_EQ(Utf8ToCp1252("a\xF0\x9F\x98\x80z"), "az");  // an emoji (four bytes)
  EXPECT_EQ(Utf8ToCp1252("a\tb\x7F"
                         "c"),
            "abc");                             // control characters come as keys
  EXPECT_EQ(Utf8ToCp1252("a\xC2\x81z"), "az");  // U+0081 is no Windows-1252 character
}

TEST(SdlText, MalformedUtf8IsSkippedWithoutEatingWhatFollows) {
  EXPECT_EQ(Utf8ToCp1252("a\x80z"), "az");              // a stray continuation byte
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a");                // cut short at the end
  EXPECT_EQ(Utf8ToCp1252("a\xE2\x82z"), "az");          // cut short before an ASCII byte
  EXPECT_EQ(Utf8ToCp1252("a\xC1\xA9z"), "az");          // overlong form of 'i'
  EXPECT_EQ(Utf8ToCp1252("a\xED\xA0\x80z"), "az");      // a surrogate
  EXPECT_EQ(Utf8ToCp1252("a\xF4\x90\x80\x80z"), "az");  // past U+10FFFF
}

TEST(SdlText, GameTextReachesSdlAsUtf8) {
  EXPECT_EQ(GameTextToUtf8("No Mouse Availble!\n Exiting!"), "No Mouse Availble!\n Exiting!");
  EXPECT_EQ(GameTextToUtf8("caf\xE9 \x80\x99"), "caf\xC3\xA9 \xE2\x82\xAC\xE2\x84\xA2");
  EXPECT_EQ(GameTextToUtf8("\x81"), "\xEF\xBF\xBD");  // an unused byte
  // Text that is UTF-8 already is left alone rather than encoded twice.
  EXPECT_EQ(GameTextToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(SdlText, EveryPrintableByteSurvivesTheRoundTrip) {
  for (int b = 0x20; b <= 0xFF; ++b) {
    const bool unused = b >= 0x80 && b < 0xA0 && Cp1252ToUnicode(static_cast<uint8_t>(b)) == static_cast<uint32_t>(b);
    if (b == 0x7F || unused) continue;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1252(GameTextToUtf8(one)), one) << "byte " << b;
  }
}

TEST(SdlPixels, WideningMatchesTheGamesOwnColourRule) {
  std::vector<uint16_t> all(65536);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint16_t>(i);
  std::vector<uint32_t> wide(all.size());
  sdlbits::ExpandRgb565(all.data(), wide.data(), all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    const COLORREF c = Color565ToRgb(all[i]);
    const uint32_t rgb = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    ASSERT_EQ(wide[i], rgb) << "pixel " << i;
  }
  EXPECT_EQ(wide[0xFFFF], 0xFFFFFFu);
}

TEST(SdlLetterbox, FitsWithAspectKeptAndCentred) {
  const auto exact = FitPicture(1024, 768, 640, 480);
  EXPECT_FLOAT_EQ(exact.scale, 1.6f);
  EXPECT_EQ(exact.x, 0);
  EXPECT_EQ(exact.y, 0);
  const auto wide = FitPicture(1920, 1080, 640, 480);  // bars left and right
  EXPECT_FLOAT_EQ(wide.scale, 2.25f);
  EXPECT_EQ(wide.x, 240);
  EXPECT_EQ(wide.y, 0);
  const auto tall = FitPicture(1280, 1024, 640, 480);  // bars above and below
  EXPECT_FLOAT_EQ(tall.scale, 2.0f);
  EXPECT_EQ(tall.x, 0);
  EXPECT_EQ(tall.y, 32);
  const auto none = FitPicture(0, 0, 640, 480);
  EXPECT_FLOAT_EQ(none.scale, 1.0f);
}

TEST(SdlLetterbox, ClicksOnTheBarsLandOnTheEdge) {
  const auto box = FitPicture(1280, 720, 640, 480);  // picture at x 160..1119
  const POINT topLeft = sdlbits::WindowToPicture(box, 0, 0, 640, 480);
  EXPECT_EQ(topLeft.x, 0);
  EXPECT_EQ(topLeft.y, 0);
  const POINT bottomRight = sdlbits::WindowToPicture(box, 1279, 719, 640, 480);
  EXPECT_EQ(bottomRight.x, 639);
  EXPECT_EQ(bottomRight.y, 479);
  const POINT middle = sdlbits::WindowToPicture(box, 640, 360, 640, 480);
  EXPECT_EQ(middle.x, 320);
  EXPECT_EQ(middle.y, 240);
}

TEST(SdlLetterbox, AWarpedCursorReadsBackAtTheSamePixel) {
  const int sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1366, 768}, {1280, 1024}, {3840, 2160}, {320, 240}};
  for (const auto& size : sizes) {
    const auto box = FitPicture(size[0], size[1], 640, 480);
    for (int32_t x = 0; x < 640; ++x) {
      const int32_t y = x * 479 / 639;
      const POINT w = sdlbits::PictureToWindow(box, x, y);
      ASSERT_LT(w.x, size[0]);
      ASSERT_LT(w.y, size[1]);
      const POINT back = sdlbits::WindowToPicture(box, w.x, w.y, 640, 480);
      // A window smaller than the picture cannot tell every pixel apart: then one off is the best there is.
      const int32_t slack = box.scale < 1 ? 1 : 0;
      ASSERT_NEAR(back.x, x, slack) << size[0] << "x" << size[1];
      ASSERT_NEAR(back.y, y, slack) << size[0] << "x" << size[1];
    }
  }
}

TEST(SdlShowing, OnlyWhatChangedIsTakenOneRectanglePerBand) {
  std::vector<uint16_t> picture(64 * 40, 7), shown(64 * 40, 7);
  picture[3 * 64 + 5] = 1;    // a pixel in the first band of 16 rows...
  picture[35 * 64 + 60] = 2;  // ...one in the third...
  picture[36 * 64 + 58] = 3;  // ...and one below it, to its left
  const std::vector<RECT> bands = sdlbits::TakeChangedBands(picture.data(), shown.data(), 64, 40, 16);
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ((std::vector<int32_t>{bands[0].left, bands[0].top, bands[0].right, bands[0].bottom}),
            (std::vector<int32_t>{5, 3, 6, 4}));
  EXPECT_EQ((std::vector<int32_t>{bands[1].left, bands[1].top, bands[1].right, bands[1].bottom}),
            (std::vector<int32_t>{58, 35, 61, 37}));
  EXPECT_EQ(shown, picture);
  EXPECT_TRUE(sdlbits::TakeChangedBands(picture.data(), shown.data(), 64, 40, 16).empty());
}

// Scaled rectangle by rectangle, the window ends up as the whole picture scaled at once: each window pixel
// shows the picture pixel under its centre, the bars stay untouched, and a rectangle touches only its own.
TEST(SdlShowing, RectanglesScaleIntoTheWindowAsTheWholePictureWould) {
  const int32_t pw = 40, ph = 30, ww = 100, wh = 60;
  std::vector<uint16_t> picture(pw * ph);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
  const sdlbits::Letterbox box = FitPicture(ww, wh, pw, ph);  // scale 2, bars of 10 left and right
  const sdlbits::ScaleAxis across = sdlbits::MakeScaleAxis(box.scale, box.x, pw);
  const sdlbits::ScaleAxis down = sdlbits::MakeScaleAxis(box.scale, box.y, ph);
  std::vector<uint32_t> colours(65536);
  for (uint32_t c = 0; c < colours.size(); ++c) colours[c] = c;
  std::vector<uint32_t> window(ww * wh, 0xDEAD);
  auto scale = [&](RECT r) {
    return sdlbits::ScaleIntoWindow<uint32_t>(picture.data(), pw, r, across, down, colours,
                                              reinterpret_cast<uint8_t*>(window.data()), ww * 4);
  };
  const RECT part = scale(RECT{3, 2, 7, 5});
  EXPECT_EQ((std::vector<int32_t>{part.left, part.top, part.right, part.bottom}), (std::vector<int32_t>{16, 4, 8, 6}));
  EXPECT_EQ(window[0], 0xDEADu);
  scale(RECT{0, 0, pw, ph});
  for (int32_t y = 0; y < wh; ++y) {
    for (int32_t x = 0; x < ww; ++x) {
      const uint32_t want = x < 10 || x >= 90 ? 0xDEAD : picture[(y / 2) * pw + (x - 10) / 2];
      ASSERT_EQ(window[y * ww + x], want) << x << "," << y;
    }
  }
  // At 1.6 the centre of window pixel 7 (7.5 / 1.6 = 4.69) lies in picture pixel 4.
  EXPECT_EQ(sdlbits::MakeScaleAxis(1.6f, 0, 640).source[7], 4);
}

TEST(SdlShowing, ColoursArePlacedAsTheWindowFormatWants) {
  sdlbits::WindowFormat bgr;  // 8 bits a channel, blue on top, with alpha
  bgr.rShift = 0;
  bgr.bShift = 16;
  bgr.alpha = 0xFF000000u;
  EXPECT_EQ(sdlbits::MakeColourTable(bgr)[0xF800], 0xFF0000FFu);  // pure red
  sdlbits::WindowFormat rgb565;
  rgb565.rShift = 11;
  rgb565.gShift = 5;
  rgb565.rLoss = 3;
  rgb565.gLoss = 2;
  rgb565.bLoss = 3;
  const std::vector<uint32_t> same = sdlbits::MakeColourTable(rgb565);
  for (uint32_t c = 0; c < 65536; c += 97) ASSERT_EQ(same[c], c);  // a 16-bit window takes the pixels as they are
}

}  // namespace
