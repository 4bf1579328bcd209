// The effects mixer: voices sum and clip, loop, end and rewind, and report positions in their source's bytes
// whatever rate they were converted to; and which WAV formats a buffer takes.
#include "platform/sound/audio_mixer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sound/audio.h"

namespace {

// Stereo frames holding left = right = each value.
std::vector<int16_t> Frames(std::initializer_list<int16_t> values) {
  std::vector<int16_t> out;
  for (int16_t v : values) out.insert(out.end(), {v, v});
  return out;
}

std::vector<int16_t> Mix(AudioMixer& mixer, size_t frames) {
  std::vector<int16_t> out(frames * 2, 123);
  mixer.Mix(out.data(), frames);
  return out;
}

std::vector<int16_t> Left(const std::vector<int16_t>& stereo) {
  std::vector<int16_t> out;
  for (size_t i = 0; i < stereo.size(); i += 2) out.push_back(stereo[i]);
  return out;
}

std::vector<uint8_t> Record(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign) {
  std::vector<uint8_t> r(18, 0);
  auto put = [&r](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) r[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put(0, tag, 2);
  put(2, channels, 2);
  put(4, rate, 4);
  put(8, rate * blockAlign, 4);
  put(12, blockAlign, 2);
  put(14, bits, 2);
  return r;
}

}  // namespace

TEST(AudioMixer, VoicesSumAndClip) {
  AudioMixer mixer;
  const auto a = mixer.Add(Frames({1000, 30000, -30000, 5}), 4, 4);
  const auto b = mixer.Add(Frames({2000, 30000, -30000}), 3, 4);
  mixer.Play(a, false);
  EXPECT_EQ(Left(Mix(mixer, 2)), (std::vector<int16_t>{1000, 30000}));  // b not started: a alone
  mixer.SetPosition(a, 0);
  mixer.Play(b, false);
  EXPECT_EQ(Mix(mixer, 5), (std::vector<int16_t>{3000, 3000, 32767, 32767, -32768, -32768, 5, 5, 0, 0}));
  EXPECT_EQ(mixer.Status(a), 0u);
  EXPECT_EQ(mixer.Status(b), 0u);
  EXPECT_EQ(Mix(mixer, 3), std::vector<int16_t>(6, 0));  // all over: silence, not stale samples
}

TEST(AudioMixer, OnceEndsAndRewindsLoopWraps) {
  AudioMixer mixer;
  const auto v = mixer.Add(Frames({1, 2, 3}), 3, 2);
  mixer.Play(v, true);
  EXPECT_EQ(mixer.Status(v), kAudioPlaying | kAudioLooping);
  EXPECT_EQ(Left(Mix(mixer, 7)), (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 1}));
  EXPECT_EQ(mixer.Position(v), 2u);  // one source frame of two bytes in
  // Played once from where it stands, it runs to the end, stops and goes back to the start.
  mixer.Play(v, false);
  EXPECT_EQ(mixer.Status(v), kAudioPlaying);
  EXPECT_EQ(Left(Mix(mixer, 4)), (std::vector<int16_t>{2, 3, 0, 0}));
  EXPECT_EQ(mixer.Status(v), 0u);
  EXPECT_EQ(mixer.Position(v), 0u);
  // Stop keeps the place; Play again carries on from it, and a second Play does not restart.
  mixer.Play(v, false);
  Mix(mixer, 1);
  mixer.Stop(v);
  EXPECT_EQ(Left(Mix(mixer, 1)), (std::vector<int16_t>{0}));
  mixer.Play(v, false);
  Mix(mixer, 1);
  mixer.Play(v, false);
  EXPECT_EQ(Left(Mix(mixer, 2)), (std::vector<int16_t>{3, 0}));
  // A one-frame loop keeps filling any length.
  const auto one = mixer.Add(Frames({7}), 1, 1);
  mixer.Play(one, true);
  EXPECT_EQ(Left(Mix(mixer, 5)), std::vector<int16_t>(5, 7));
  mixer.Remove(one);
  EXPECT_EQ(mixer.VoiceCount(), 1u);
  EXPECT_EQ(mixer.Status(one), 0u);
  mixer.Play(one, true);  // a removed voice is simply gone
  EXPECT_EQ(Left(Mix(mixer, 2)), std::vector<int16_t>(2, 0));
}

TEST(AudioMixer, PositionsCountInTheSourceFormat) {
  AudioMixer mixer;
  // Half a second of 8-bit mono at 22,050 Hz, converted to 44,100 Hz stereo: twice the frames.
  const auto slow = mixer.Add(std::vector<int16_t>(44100, 100), 11025, 1);
  // The same time as 16-bit stereo at 44,100 Hz.
  const auto fast = mixer.Add(std::vector<int16_t>(44100, 100), 22050, 4);
  mixer.Play(slow, false);
  mixer.Play(fast, false);
  Mix(mixer, 4410);  // 100 ms of output
  EXPECT_EQ(mixer.Position(slow), 2205u);
  EXPECT_EQ(mixer.Position(fast), 4410u * 4);
  Mix(mixer, 22050 - 4410 - 1);
  EXPECT_EQ(mixer.Status(slow), kAudioPlaying);  // one output frame before the end of both
  EXPECT_EQ(mixer.Status(fast), kAudioPlaying);
  Mix(mixer, 1);
  EXPECT_EQ(mixer.Status(slow), 0u);
  EXPECT_EQ(mixer.Status(fast), 0u);
  mixer.SetPosition(slow, 11025 / 2);
  EXPECT_EQ(mixer.Position(slow), 11025u / 2);
  mixer.SetPosition(slow, 11025);  // past the end: refused
  EXPECT_EQ(mixer.Position(slow), 11025u / 2);
  EXPECT_EQ(mixer.Add({}, 10, 1), 0u);
  EXPECT_EQ(mixer.Add(Frames({1}), 0, 1), 0u);
}

TEST(AudioMixer, TakesPcmOfEightOrSixteenBits) {
  const auto mono8 = Record(1, 1, 11025, 8, 1);
  const auto f = DecodeWaveFormat(mono8.data(), mono8.size());
  ASSERT_TRUE(f);
  EXPECT_EQ(f->blockAlign, 1);
  EXPECT_EQ(FramesToMs(*f, 2205), 200u);
  EXPECT_EQ(FramesToMs(*f, 2206), 201u);  // rounded up: the sound lasts until then
  EXPECT_EQ(MsToFrames(*f, 200), 2205u);
  EXPECT_EQ(WholeFrames(*f, 17), 17u);
  // A record that lies about its block align is worked out from channels and bits.
  const auto stereo16 = Record(1, 2, 44100, 16, 3);
  ASSERT_TRUE(DecodeWaveFormat(stereo16.data(), 16));
  EXPECT_EQ(DecodeWaveFormat(stereo16.data(), 16)->blockAlign, 4);
  EXPECT_EQ(WholeFrames(*DecodeWaveFormat(stereo16.data(), 16), 7), 1u);

  for (const auto& bad :
       {Record(3, 2, 44100, 32, 8), Record(2, 1, 8000, 4, 256), Record(1, 1, 44100, 24, 3), Record(1, 3, 44100, 16, 6),
        Record(1, 0, 44100, 16, 0), Record(1, 1, 50, 8, 1), Record(1, 1, 400000, 8, 1)}) {
    EXPECT_FALSE(DecodeWaveFormat(bad.data(), bad.size())) << bad[0] << " " << bad[2] << " " << bad[14];
  }
  EXPECT_FALSE(DecodeWaveFormat(mono8.data(), 15));
  EXPECT_FALSE(DecodeWaveFormat(nullptr, 18));

  // The extensible form is taken when its sub-format is PCM.
  auto extensible = Record(0xFFFE, 2, 22050, 16, 4);
  extensible.resize(40, 0);
  extensible[16] = 22;
  extensible[24] = 1;
  EXPECT_TRUE(DecodeWaveFormat(extensible.data(), extensible.size()));
  extensible[24] = 3;
  EXPECT_FALSE(DecodeWaveFormat(extensible.data(), extensible.size()));
  EXPECT_FALSE(DecodeWaveFormat(extensible.data(), 30));
}
