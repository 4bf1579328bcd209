// The win32 backend on the real Windows API (run under Wine in CI): fonts from GDI, the registry key, the
// desktop shell link, effects (conversion and the real wave device) and screenshots.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/draw/font.h"
#include "platform/draw/png.h"
#include "platform/files/desktop.h"
#include "platform/files/settings_file.h"
#include "platform/sound/audio.h"
#include "platform/win32/win32_audio.h"

TEST(Win32Font, GdiArialBoldHasTheGameFontsSizeAndInk) {
  Font* font = OpenFont(FontPath(true), 16, 6);
  ASSERT_NE(font, nullptr);
  EXPECT_GE(font->height, 16);
  EXPECT_NEAR(font->averageWidth, 6, 1);
  const Glyph& h = FontGlyph(font, 'H');
  EXPECT_GT(h.advance, 0);
  EXPECT_GT(h.width * h.height, 0);
  EXPECT_NE(std::count(h.bits.begin(), h.bits.end(), 1), 0);
  EXPECT_GT(FontGlyph(font, ' ').advance, 0);
  CloseFont(font);
}

TEST(Win32Registry, KeyIsCreatedWrittenReadAndDeleted) {
  SettingsDeleteKey();
  SettingsKey key;
  bool created = false;
  ASSERT_EQ(SettingsCreateKey(&key, &created), kSettingsOk);
  EXPECT_TRUE(created);
  EXPECT_EQ(SettingsSetValue(&key, "Player 1", "Ann\xB1"), kSettingsOk);
  std::string text;
  EXPECT_EQ(SettingsQueryValue(key, "Player 1", 16, &text), kSettingsOk);
  EXPECT_EQ(text, "Ann\xB1");
  EXPECT_EQ(SettingsQueryValue(key, "Player 1", 4, &text), kSettingsMoreData);
  EXPECT_EQ(SettingsQueryValue(key, "Music", 16, &text), kSettingsNotFound);
  EXPECT_EQ(SettingsCloseKey(&key), kSettingsOk);
  ASSERT_EQ(SettingsCreateKey(&key, &created), kSettingsOk);
  EXPECT_FALSE(created);
  EXPECT_EQ(SettingsDeleteKey(), kSettingsOk);
  EXPECT_EQ(SettingsOpenKey(&key), kSettingsNotFound);
}

TEST(Win32Shell, LinkOnTheDesktopIsWrittenAndRemoved) {
  std::string desktop, link;
  ASSERT_TRUE(OpenDesktopFolder(&desktop));
  ASSERT_TRUE(LauncherPathFor(desktop, &link));
  EXPECT_EQ(std::filesystem::path(link).filename(), "Quillmere Brindlemoor.lnk");
  const std::string here = std::filesystem::current_path().string();
  ASSERT_TRUE(WriteLauncher(link, here + "/Quillmere Brindlemoor", here));
  EXPECT_TRUE(std::filesystem::file_size(link) > 0);
  EXPECT_TRUE(DeleteFileA(link.c_str()));
  EXPECT_FALSE(std::filesystem::exists(link));
  EXPECT_FALSE(DeleteFileA(link.c_str()));
}

TEST(Win32Audio, EffectsBecomeStereoSixteenBitAtTheDeviceRate) {
  const WaveFormat mono8{1, 11025, 1, 8};
  const uint8_t ramp[] = {128, 192, 255};
  const std::vector<int16_t> out = ConvertToStereo16(mono8, ramp, 3, 22050);
  ASSERT_EQ(out.size(), 12u);  // six frames, two channels
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 8192);  // halfway from 0 to 16384
  EXPECT_EQ(out[4], 16384);
  EXPECT_EQ(out[4], out[5]);
  EXPECT_TRUE(ConvertToStereo16(mono8, ramp, 0, 22050).empty());
}

// Needs a wave device (wine_env.sh gives Wine one that ALSA discards, and says so). A fault here once left
// every block unwritten: the device never started and each effect stayed "playing" for ever.
TEST(Win32Audio, TheFeederPlaysAnEffectToItsEnd) {
  if (!W32AudioOpen(22050)) {
    if (std::getenv("QUILL_WAVE_DEVICE")) FAIL() << "no wave output device, though one was set up";
    GTEST_SKIP() << "no wave output device";
  }
  const uint8_t format[16] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0};  // 22050 Hz mono 16-bit
  const std::vector<uint8_t> tone(2205 * 2, 0x40);  // 0.1 s
  AudioBuffer* effect = AudioCreateBuffer(format, sizeof format, tone.data(), tone.size(), "tone");
  ASSERT_NE(effect, nullptr);
  const uint32_t start = W32AudioPlayedFrames();
  AudioPlay(effect, false);
  EXPECT_EQ(AudioStatus(effect), kAudioPlaying);
  // The effect ends when its last block is mixed; the device plays that block a few blocks later.
  const auto heard = [&] { return AudioStatus(effect) == 0 && W32AudioPlayedFrames() - start >= 2205; };
  for (int i = 0; i < 300 && !heard(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(AudioStatus(effect), 0u);
  EXPECT_GE(W32AudioPlayedFrames() - start, 2205u);
  AudioReleaseBuffer(effect);
}

TEST(Win32Png, ScreenshotIsAPngOfTheSurface) {
  SurfacePtr s = CreateSurface(3, 2);
  s->pixels[0] = 0xFFFF;
  const std::string path = (std::filesystem::temp_directory_path() / "quill_win32_test.png").string();
  ASSERT_TRUE(WriteSurfacePng(*s, path));
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  // Header, one stored block holding 2 rows of a filter byte and 3 RGB pixels, end.
  EXPECT_EQ(bytes.size(), 8u + 25u + (12u + 2u + 5u + 2u * 10u + 4u) + 12u);
  EXPECT_NE(bytes.find("\xFF\xFF\xFF\0\0\0", 0, 6), std::string::npos);
  std::filesystem::remove(path);
}
