// Sound effects: the WAV reader on good, odd and broken files; effect buffers on the headless backend's
// virtual clock (once, looped, waited for, stopped and rewound, silent without a device); the course's own
// synthesised effects.
#include "media/sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/headless/headless_audio.h"
#include "platform/system.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/fixture.h"
#include "tools/coursebuild/sounds.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
Bytes Chunk(const char* id, const Bytes& body, uint32_t statedSize) {
  Bytes b(id, id + 4);
  Put(b, statedSize, 4);
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
  return b;
}
Bytes Chunk(const char* id, const Bytes& body) { return Chunk(id, body, static_cast<uint32_t>(body.size())); }
Bytes Riff(std::initializer_list<Bytes> chunks, const char* form = "WAVE") {
  Bytes body(form, form + 4);
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  return Chunk("RIFF", body);
}
Bytes Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes* extra = nullptr) {
  Bytes b;
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  Put(b, tag, 2);
  Put(b, channels, 2);
  Put(b, rate, 4);
  Put(b, rate * align, 4);
  Put(b, align, 2);
  Put(b, bits, 2);
  if (extra) {
    Put(b, static_cast<uint32_t>(extra->size()), 2);
    b.insert(b.end(), extra->begin(), extra->end());
  }
  return Chunk("fmt ", b);
}
const Bytes kSamples = {1, 2, 3, 4, 5, 6, 7, 8};
Bytes Pcm() { return Riff({Fmt(1, 1, 22050, 16), Chunk("data", kSamples)}); }

int32_t Parse(const Bytes& file, Bytes* format = nullptr, Bytes* data = nullptr) {
  Bytes f, d;
  return ParseWave(file.data(), file.size(), format ? format : &f, data ? data : &d);
}

}  // namespace

TEST(WaveParse, ReadsTheFormatRecordAndSamplesWhereverTheyStand) {
  Bytes format, data;
  ASSERT_EQ(Parse(Pcm(), &format, &data), 0);
  EXPECT_EQ(format.size(), 18u);
  EXPECT_EQ(format[16] | format[17], 0);  // PCM: no extra bytes
  EXPECT_EQ(data, kSamples);
  // The data chunk before the format chunk, and other chunks (one of odd size, padded) around them.
  const Bytes before = Riff({Chunk("LIST", {'I', 'N', 'F', 'O'}), Chunk("data", kSamples), Chunk("junk", {9, 9, 9}),
                             Fmt(1, 1, 22050, 16), Chunk("cue ", {})});
  Bytes format2, data2;
  ASSERT_EQ(Parse(before, &format2, &data2), 0);
  EXPECT_EQ(format2, format);
  EXPECT_EQ(data2, kSamples);
  // A PCM record with a count behind it still gets none.
  const Bytes ignored = {7, 0};
  ASSERT_EQ(Parse(Riff({Fmt(1, 1, 22050, 16, &ignored), Chunk("data", kSamples)}), &format2), 0);
  EXPECT_EQ(format2, format);
}

TEST(WaveParse, KeepsExtraFormatBytesOfOtherFormats) {
  const Bytes extra = {0xF4, 0x01, 0x07, 0x00};
  Bytes format, data;
  ASSERT_EQ(
      Parse(Riff({Fmt(2, 1, 8000, 4, &extra), Chunk("fact", {0, 0, 0, 0}), Chunk("data", kSamples)}), &format, &data),
      0);
  ASSERT_EQ(format.size(), 22u);
  EXPECT_EQ(format[0], 2);
  EXPECT_EQ(format[16], 4);
  EXPECT_EQ(Bytes(format.begin() + 18, format.end()), extra);
  EXPECT_EQ(data, kSamples);
}

TEST(WaveParse, RefusesBrokenFilesWithTheirCodes) {
  Bytes format(5, 1), data(5, 1);
  // A data chunk claiming more than the file holds, a little or enormously: refused before any allocation.
  EXPECT_EQ(Parse(Riff({Fmt(1, 1, 22050, 16), Chunk("data", kSamples, 1000)}), &format, &data), kWaveShortData);
  EXPECT_TRUE(format.empty() && data.empty());
  EXPECT_EQ(Parse(Riff({Fmt(1, 1, 22050, 16), Chunk("data", kSamples, 0xFFFFFFF0)})), kWaveShortData);

  EXPECT_EQ(Parse(Riff({Fmt(1, 1, 22050, 16), Chunk("data", kSamples)}, "AVI ")), kWaveNotWave);
  Bytes rifx = Pcm();
  rifx[3] = 'X';
  EXPECT_EQ(Parse(rifx), kWaveNotWave);
  EXPECT_EQ(Parse(Bytes{'R', 'I', 'F', 'F'}), kWaveNotWave);
  EXPECT_EQ(ParseWave(nullptr, 0, &format, &data), kWaveNotWave);

  EXPECT_EQ(Parse(Riff({Chunk("fmt ", Bytes(14, 1)), Chunk("data", kSamples)})), kWaveNotWave);  // short record
  // A non-PCM record with no room for its count, and one whose extra bytes run past its chunk.
  Bytes noCount = Fmt(2, 1, 8000, 4);
  EXPECT_EQ(Parse(Riff({noCount, Chunk("data", kSamples)})), kWaveBadFormat);
  const Bytes two = {1, 2};
  Bytes overlong = Fmt(2, 1, 8000, 4, &two);
  overlong[24] = 40;  // the count
  EXPECT_EQ(Parse(Riff({overlong, Chunk("data", kSamples)})), kWaveNotWave);
  // A format chunk cut off by the end of the file.
  const Bytes full = Riff({Chunk("data", kSamples), Fmt(1, 1, 22050, 16)});
  EXPECT_EQ(Parse(Bytes(full.begin(), full.end() - 4)), kWaveBadFormat);

  EXPECT_EQ(Parse(Riff({Fmt(1, 1, 22050, 16)})), kWaveChunkNotFound);
  EXPECT_EQ(Parse(Riff({Chunk("data", kSamples)})), kWaveChunkNotFound);
  // Chunks past the end the RIFF chunk states are not its own.
  Bytes shortRiff = Pcm();
  shortRiff[4] = 4 + 24;  // "WAVE" and the format chunk only
  EXPECT_EQ(Parse(shortRiff), kWaveChunkNotFound);
}

TEST(WaveParse, EveryTruncationFailsCleanly) {
  const Bytes extra = {1, 2, 3};
  for (const Bytes& file :
       {Pcm(), Riff({Chunk("data", {5, 6, 7}), Chunk("LIST", {1}), Fmt(2, 2, 8000, 8, &extra)}),
        Riff({Fmt(1, 2, 44100, 16), Chunk("LIST", {'I', 'N', 'F', 'O'}), Chunk("data", kSamples)})}) {
    for (size_t length = 0; length < file.size(); ++length) {
      Bytes cut(file.begin(), file.begin() + length), format(3, 3), data(3, 3);
      const int32_t result = ParseWave(cut.data(), cut.size(), &format, &data);
      if (result == 0) {
        // Only a pad byte at the very end may go missing; anything more loses samples or a record.
        EXPECT_EQ(length + 1, file.size());
      } else {
        EXPECT_TRUE(format.empty() && data.empty()) << "length " << length;
      }
    }
  }
}

namespace {

// Every test runs with the sound device open and an empty record, in a scratch game folder.
class SoundTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    HeadlessAudioReset();
    InitSound(0);
    ASSERT_TRUE(gDisplay.sound);
  }
  void TearDown() override {
    HeadlessAudioReset();
    GameFolderTest::TearDown();
  }
  // A file of frames sample frames; returns its game path.
  std::string Write(const char* name, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames) {
    const Bytes file = Riff({Fmt(1, channels, rate, bits), Chunk("data", Bytes(frames * channels * bits / 8, 0x40))});
    std::filesystem::create_directories(dir_ / "Snds");
    std::ofstream(dir_ / "Snds" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());
    return std::string("Snds\\") + name;
  }
  static uint32_t Since(uint32_t start) { return timeGetTime() - start; }
};

}  // namespace

TEST_F(SoundTest, LoadsByGamePathAnyCase) {
  Write("Plink.wav", 1, 22050, 16, 4);
  Bytes format, data;
  EXPECT_EQ(LoadWaveFile("SNDS\\plink.WAV", &format, &data), 0);
  EXPECT_EQ(data.size(), 8u);
  EXPECT_EQ(LoadWaveFile("Snds\\Missing.wav", &format, &data), kWaveCannotOpen);
  EXPECT_TRUE(format.empty() && data.empty());
  EXPECT_EQ(CreateEffectBuffer("Snds\\Missing.wav"), nullptr);
}

TEST_F(SoundTest, PlayOnceLastsItsLengthAndIsRecordedByName) {
  EffectPtr wall = CreateEffectBuffer(Write("WallL.wav", 2, 44100, 16, 11025).c_str());  // 250 ms
  ASSERT_NE(wall, nullptr);
  EXPECT_STREQ(EffectName(wall.get()), "Snds\\WallL.wav");
  EXPECT_EQ(HeadlessAudioBufferCount(), 1u);
  const uint32_t start = timeGetTime();
  PlayEffect(wall.get(), kPlayOnce);
  HeadlessAdvance(249);
  EXPECT_TRUE(HeadlessSoundPlaying("snds\\walll.wav"));
  HeadlessAdvance(1);
  EXPECT_FALSE(HeadlessSoundPlaying("Snds\\WallL.wav"));
  // Played again after its end it starts from the beginning and lasts as long again.
  PlayEffect(wall.get(), kPlayOnce);
  HeadlessAdvance(100);
  PlayEffect(wall.get(), kPlayOnce);  // still sounding: it carries on rather than restarting
  HeadlessAdvance(150);
  EXPECT_FALSE(HeadlessSoundPlaying("Snds\\WallL.wav"));
  ASSERT_EQ(HeadlessSounds().size(), 3u);
  EXPECT_EQ(HeadlessSounds()[0].time, start);
  EXPECT_EQ(HeadlessSounds()[1].time, start + 250);
  EXPECT_EQ(HeadlessSounds()[0].name, "Snds\\WallL.wav");
  EXPECT_EQ(HeadlessSounds()[0].action, HeadlessSoundAction::Play);
  ReleaseEffect(wall);
  EXPECT_EQ(wall, nullptr);
  EXPECT_EQ(HeadlessAudioBufferCount(), 0u);
}

TEST_F(SoundTest, PlayAndWaitReturnsInHundredMillisecondStepsAfterTheEnd) {
  // 8-bit mono at 11,025 Hz: 2,205 bytes are 200 ms. 16-bit stereo at 22,050 Hz: 5,513 frames just over 250.
  EffectPtr replay = CreateEffectBuffer(Write("Replay.wav", 1, 11025, 8, 2205).c_str());
  EffectPtr retry = CreateEffectBuffer(Write("Retry.wav", 2, 22050, 16, 5513).c_str());
  ASSERT_TRUE(replay && retry);
  FrameWait(0);
  uint32_t start = timeGetTime();
  PlayEffect(replay.get(), kPlayAndWait);
  EXPECT_FALSE(HeadlessSoundPlaying("Snds\\Replay.wav"));
  EXPECT_EQ(Since(start), 201u);  // each frame step ends just past its deadline
  FrameWait(0);
  start = timeGetTime();
  PlayEffectAndWait(retry.get());
  EXPECT_EQ(Since(start), 301u);
  ASSERT_EQ(HeadlessSounds().size(), 2u);
  EXPECT_EQ(HeadlessSounds()[1].action, HeadlessSoundAction::Play);
}

TEST_F(SoundTest, WaitGivesUpOnADeviceThatStopsPlaying) {
  EffectPtr replay = CreateEffectBuffer(Write("Replay.wav", 1, 22050, 16, 4410).c_str());  // 200 ms
  HeadlessAudioStall(true);
  FrameWait(0);
  const uint32_t start = timeGetTime();
  PlayEffectAndWait(replay.get());
  EXPECT_GE(Since(start), 1200u);
  EXPECT_LE(Since(start), 1400u);
}

TEST_F(SoundTest, LoopsUntilStoppedAndStopRewinds) {
  EffectPtr flag = CreateEffectBuffer(Write("FlagLap.wav", 1, 22050, 16, 22050).c_str());  // 1 s
  for (uint32_t mode : {1u, 7u, 0xFFFFFFFFu}) {
    PlayEffect(flag.get(), mode);
    HeadlessAdvance(2500);
    EXPECT_TRUE(HeadlessSoundPlaying("Snds\\FlagLap.wav")) << mode;
    StopEffect(flag.get());
    EXPECT_FALSE(HeadlessSoundPlaying("Snds\\FlagLap.wav"));
  }
  EXPECT_EQ(HeadlessSounds().size(), 6u);
  EXPECT_EQ(HeadlessSounds()[0].action, HeadlessSoundAction::Loop);
  EXPECT_EQ(HeadlessSounds()[1].action, HeadlessSoundAction::Stop);
  // Stopped part way, a sound played once starts again from its beginning and lasts its whole length.
  PlayEffect(flag.get(), kPlayOnce);
  HeadlessAdvance(400);
  StopEffect(flag.get());
  HeadlessAdvance(50);
  PlayEffect(flag.get(), kPlayOnce);
  HeadlessAdvance(999);
  EXPECT_TRUE(HeadlessSoundPlaying("Snds\\FlagLap.wav"));
  HeadlessAdvance(1);
  EXPECT_FALSE(HeadlessSoundPlaying("Snds\\FlagLap.wav"));
}

TEST_F(SoundTest, PositionsFollowTheClockAcrossItsWrap) {
  ResetAllForTest({.clockStart = 0xFFFFFF00u});  // 256 ms before the millisecond clock wraps
  InitSound(0);
  EffectPtr july = CreateEffectBuffer(Write("July4.wav", 1, 8000, 8, 4000).c_str());  // 500 ms
  PlayEffect(july.get(), kPlayOnce);
  HeadlessAdvance(499);
  EXPECT_TRUE(HeadlessSoundPlaying("snds\\JULY4.wav"));
  HeadlessAdvance(1);
  EXPECT_FALSE(HeadlessSoundPlaying("snds\\JULY4.wav"));
  // Looped for two and a half rounds, then played once from where it stands: only the last half is left.
  PlayEffect(july.get(), 1);
  HeadlessAdvance(1250);
  EXPECT_TRUE(HeadlessSoundPlaying("snds\\July4.wav"));
  PlayEffect(july.get(), kPlayOnce);
  HeadlessAdvance(249);
  EXPECT_TRUE(HeadlessSoundPlaying("snds\\July4.wav"));
  HeadlessAdvance(1);
  EXPECT_FALSE(HeadlessSoundPlaying("snds\\July4.wav"));
}

TEST_F(SoundTest, WithoutADeviceEverythingIsSilentAndHarmless) {
  EffectPtr made = CreateEffectBuffer(Write("HitBall.wav", 1, 22050, 16, 2205).c_str());
  ResetAllForTest({.audioWorks = false});
  HeadlessAudioReset();
  InitSound(0);
  ASSERT_FALSE(gDisplay.sound);
  EXPECT_EQ(CreateEffectBuffer("Snds\\HitBall.wav"), nullptr);
  FrameWait(0);
  const uint32_t start = timeGetTime();
  for (Effect* e : {made.get(), static_cast<Effect*>(nullptr)}) {
    for (uint32_t mode : {kPlayOnce, kPlayAndWait, 1u}) PlayEffect(e, mode);
    PlayEffectAndWait(e);
    StopEffect(e);
  }
  EXPECT_EQ(Since(start), 0u);
  EXPECT_TRUE(HeadlessSounds().empty());
  ReleaseEffect(made);
  EffectPtr none;
  ReleaseEffect(none);
  EXPECT_EQ(HeadlessAudioBufferCount(), 0u);
}

TEST_F(SoundTest, RefusesWhatTheDeviceCannotPlay) {
  const Bytes extra = {0xF4, 0x01};
  for (const Bytes& file : {Riff({Fmt(2, 1, 8000, 4, &extra), Chunk("data", kSamples)}),  // ADPCM
                            Riff({Fmt(1, 1, 22050, 24), Chunk("data", kSamples)}),
                            Riff({Fmt(1, 2, 22050, 16), Chunk("data", {1, 2})})}) {  // less than a frame
    std::filesystem::create_directories(dir_ / "Snds");
    std::ofstream(dir_ / "Snds" / "Odd.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());
    EXPECT_EQ(CreateEffectBuffer("Snds\\Odd.wav"), nullptr);
  }
  EXPECT_EQ(HeadlessAudioBufferCount(), 0u);
}

TEST_F(SoundTest, CourseSoundsAreShortAudibleAndPlayTheirLength) {
  std::vector<std::filesystem::path> written;
  std::string error;
  ASSERT_TRUE(WriteCourseSounds(dir_, &written, &error)) << error;
  EXPECT_EQ(written.size(), 14u);
  written.clear();
  ASSERT_TRUE(WriteCourseSounds(dir_, &written, &error));
  EXPECT_TRUE(written.empty());  // the same bytes again: nothing rewritten

  const std::vector<CourseSound> sounds = SynthesizeCourseSounds();
  for (const CourseSound& sound : sounds) {
    SCOPED_TRACE(sound.file);
    Bytes format, data;
    ASSERT_EQ(LoadWaveFile(("snds\\" + sound.file).c_str(), &format, &data), 0);
    const uint32_t rate = format[4] | format[5] << 8 | format[6] << 16;
    const uint32_t bits = format[14], channels = format[2];
    EXPECT_TRUE(rate == 22050 || rate == 44100);
    EXPECT_EQ(bits == 8, sound.file == "Water.wav");
    const uint32_t ms = static_cast<uint32_t>(data.size() / (channels * bits / 8) * 1000 / rate);
    EXPECT_GE(ms, 100u);
    EXPECT_LE(ms, sound.file == "July4.wav" ? 4000u : 2000u);
    std::vector<int32_t> v;  // the samples, channels interleaved
    for (size_t i = 0; i + bits / 8 <= data.size(); i += bits / 8) {
      v.push_back(bits == 8 ? (data[i] - 128) * 256 : static_cast<int16_t>(data[i] | data[i + 1] << 8));
    }
    // Loud somewhere (a third of full scale), never clipped (below -1 dBFS), and over its loudest 50 ms within
    // a few decibels of the others.
    int32_t peak = 0;
    for (int32_t x : v) peak = std::max(peak, std::abs(x));
    EXPECT_GT(peak, 32768 / 3);
    EXPECT_LT(peak, 29300);
    const size_t window = rate / 20 * channels;
    double power = 0, loudest = 0;
    for (size_t i = 0; i < v.size(); ++i) {
      power +=
          static_cast<double>(v[i]) * v[i] - (i >= window ? static_cast<double>(v[i - window]) * v[i - window] : 0);
      loudest = std::max(loudest, power);
    }
    const double decibels = 10 * std::log10(loudest / window / (32768.0 * 32768.0));
    EXPECT_GT(decibels, -22);
    EXPECT_LT(decibels, -12);
    // A loop joins without a click: the step across its seam is no bigger than most steps inside it.
    if (sound.file == "FlagLap.wav" || sound.file == "July4.wav") {
      std::vector<int32_t> steps;
      for (size_t i = channels; i < v.size(); ++i) steps.push_back(std::abs(v[i] - v[i - channels]));
      std::sort(steps.begin(), steps.end());
      for (size_t c = 0; c < channels; ++c) {
        EXPECT_LE(std::abs(v[c] - v[v.size() - channels + c]), steps[steps.size() * 95 / 100]);
      }
    }
    // As the game plays it, waited for, it lasts its own length.
    EffectPtr effect = CreateEffectBuffer(("Snds\\" + sound.file).c_str());
    ASSERT_NE(effect, nullptr);
    FrameWait(0);
    const uint32_t start = timeGetTime();
    PlayEffectAndWait(effect.get());
    EXPECT_GE(Since(start), ms);
    EXPECT_LE(Since(start), ms + 102);
  }
  EXPECT_EQ(SynthesizeCourseSounds()[0].wav, sounds[0].wav);
  // InHole carries a LIST chunk ahead of its samples.
  const Bytes& inHole = sounds[4].wav;
  EXPECT_EQ(std::string(inHole.begin() + 36, inHole.begin() + 40), "LIST");
}
