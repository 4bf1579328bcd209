// The MIDI file reader: opening, the merge of tracks by tick, the stream events it writes and where it
// splits them into buffers, looping, and files that lie or stop short.
#include "media/midi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "tools/coursebuild/midi_files.h"

namespace {

struct StreamEvent {
  uint32_t delta;
  uint32_t word;
  bool operator==(const StreamEvent&) const = default;
};

struct Converted {
  int32_t result;
  std::vector<StreamEvent> events;
};

constexpr uint32_t Note(uint8_t channel, uint8_t key, uint8_t velocity) {
  return (0x90u | channel) | uint32_t{key} << 8 | uint32_t{velocity} << 16;
}

class MidiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMidiForTest();
    std::memset(&buffer_, 0, sizeof buffer_);
    buffer_.header.lpData = memory_;
    buffer_.header.dwBufferLength = sizeof memory_;
  }
  void TearDown() override { ResetMidiForTest(); }

  Converted Convert(bool reset = false) {
    buffer_.startOffset = 0;
    buffer_.maxLength = kStreamBufferSize;
    buffer_.startTick = 0;
    buffer_.timesUp = 0;
    Converted c{ConvertToBuffer(reset, &buffer_), {}};
    for (uint32_t at = 0; at + 12 <= buffer_.bytesRecorded; at += 12) {
      uint32_t words[3];
      std::memcpy(words, memory_ + at, 12);
      EXPECT_EQ(words[1], 0u);  // stream id
      c.events.push_back({words[0], words[2]});
    }
    return c;
  }

  static std::vector<uint8_t> Format1(const std::vector<MidiTrackBuilder>& tracks, uint16_t division = 480) {
    std::vector<std::vector<uint8_t>> bytes;
    for (const MidiTrackBuilder& t : tracks) bytes.push_back(t.Bytes());
    return MidiFileBytes(1, division, bytes);
  }

  // Every stream event of the piece, buffer after buffer, with the tick it sounds at: the sum of the deltas.
  std::vector<StreamEvent> Timeline() {
    std::vector<StreamEvent> all;
    uint32_t tick = 0;
    for (Converted c = Convert(true); c.result == kMidiReady; c = Convert()) {
      for (const StreamEvent& e : c.events) all.push_back({tick += e.delta, e.word});
      EXPECT_LT(all.size(), 10000u);
      if (all.size() >= 10000u) break;
    }
    return all;
  }

  StreamBuffer buffer_;
  char memory_[kStreamBufferSize];
};

TEST_F(MidiTest, EqualTicksPlayInTrackOrderAndRunningStatusChangesNothing) {
  for (bool running : {false, true}) {
    MidiTrackBuilder a(running), b(running), c(running);
    a.Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOn(0, 0, 64, 100).NoteOn(30, 0, 67, 90).End();
    b.NoteOn(0, 1, 48, 80).NoteOn(30, 1, 50, 80).End();
    c.NoteOn(30, 2, 72, 70).End();
    ASSERT_EQ(OpenMidiBytes(Format1({a, b, c})), 0);
    EXPECT_EQ(MidiTimeDivision(), 480u);
    const Converted got = Convert(true);
    EXPECT_EQ(got.result, kMidiReady);
    const std::vector<StreamEvent> want = {{0, 0x01000000 | 500000}, {0, Note(0, 60, 100)}, {0, Note(0, 64, 100)},
                                           {0, Note(1, 48, 80)},     {30, Note(0, 67, 90)}, {0, Note(1, 50, 80)},
                                           {0, Note(2, 72, 70)}};
    EXPECT_EQ(got.events, want) << "running status " << running;
    EXPECT_EQ(Convert().result, kMidiPieceEnd);
    EXPECT_EQ(buffer_.bytesRecorded, 0u);
  }
}

TEST_F(MidiTest, BuffersHoldSixtyMillisecondsPlusOneEventOnceTheTempoIsKnown) {
  MidiTrackBuilder t;
  t.Tempo(0, 500000);  // 480 ticks a quarter: 57 ticks in 60 ms
  for (int i = 0; i < 12; ++i) t.NoteOn(i == 0 ? 0 : 20, 0, static_cast<uint8_t>(60 + i), 90);
  ASSERT_EQ(OpenMidiBytes(Format1({t.End()})), 0);
  const Converted first = Convert(true);
  ASSERT_EQ(first.events.size(), 6u);  // the tempo and the notes at ticks 0, 20, 40, 60 and one more at 80
  EXPECT_EQ(MidiCurrentTempo(), 500000u);
  const Converted second = Convert();
  ASSERT_FALSE(second.events.empty());
  EXPECT_EQ(second.events[0], (StreamEvent{20, Note(0, 65, 90)}));
  EXPECT_EQ(second.events.size(), 4u);  // 100, 120, 140 and, past the limit, 160
}

TEST_F(MidiTest, BeforeAnyTempoABufferTakesItsFirstTickAndTwoMore) {
  MidiTrackBuilder t;
  for (int i = 0; i < 6; ++i) t.NoteOn(10, 0, static_cast<uint8_t>(60 + i), 90);
  ASSERT_EQ(OpenMidiBytes(Format1({t.End()})), 0);
  EXPECT_EQ(Convert(true).events.size(), 2u);
}

TEST_F(MidiTest, AFullBufferCarriesItsEventToTheNextWithDeltaZero) {
  MidiTrackBuilder t;
  t.Tempo(0, 500000);
  for (int i = 0; i < 90; ++i) t.Message(i == 0 ? 5 : 0, 0xB0, 10, static_cast<uint8_t>(i));
  ASSERT_EQ(OpenMidiBytes(Format1({t.End()})), 0);
  const Converted first = Convert(true);
  EXPECT_EQ(first.events.size(), 85u);
  EXPECT_EQ(buffer_.bytesRecorded, 1020u);
  const Converted second = Convert();
  ASSERT_EQ(second.events.size(), 6u);
  EXPECT_EQ(second.events[0], (StreamEvent{0, 0xB0u | 10u << 8 | 84u << 16}));
}

TEST_F(MidiTest, ChannelVolumeAsksForACallbackAndSysexAndTextNeverReachTheStream) {
  MidiTrackBuilder t;
  t.Text(0, "Title").Sysex(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).Message(0, 0xB3, 7, 99);
  t.Meta(0, 0x51, {0x07}).Message(0, 0xC3, 5).Message(4, 0xE3, 0, 64).End();
  ASSERT_EQ(OpenMidiBytes(Format1({t})), 0);
  const std::vector<StreamEvent> want = {
      {0, 0xB3u | 7u << 8 | 99u << 16 | MEVT_F_CALLBACK}, {0, 0xC3u | 5u << 8}, {4, 0xE3u | 64u << 16}};
  EXPECT_EQ(Convert(true).events, want);
}

TEST_F(MidiTest, EmptyTracksEndAtOnceAndLongHeadersAreSkipped) {
  MidiTrackBuilder empty, music;
  music.Tempo(0, 400000).NoteOn(0, 0, 60, 90).End();
  std::vector<uint8_t> file = MidiFileBytes(1, 96, {{}, music.Bytes()});
  file[7] = 8;  // header length 8: two spare bytes follow the six
  file.insert(file.begin() + 14, {0xAA, 0xBB});
  ASSERT_EQ(OpenMidiBytes(file), 0);
  EXPECT_EQ(MidiTimeDivision(), 96u);
  EXPECT_EQ(Convert(true).events.size(), 2u);
}

TEST_F(MidiTest, FilesThatAreNotWhatTheyClaimFailToOpen) {
  MidiTrackBuilder t;
  t.NoteOn(0, 0, 60, 90).End();
  const std::vector<uint8_t> good = Format1({t});
  std::vector<uint8_t> moreTracks = good;
  moreTracks[11] = 3;  // three tracks claimed, one there
  EXPECT_EQ(OpenMidiBytes(moreTracks), 1);
  std::vector<uint8_t> notTrack = good;
  std::memcpy(notTrack.data() + 14, "MTrx", 4);
  EXPECT_EQ(OpenMidiBytes(notTrack), 1);
  std::vector<uint8_t> longTrack = good;
  longTrack[18] = 0x7F;  // a track longer than the file
  EXPECT_EQ(OpenMidiBytes(longTrack), 1);
  EXPECT_EQ(OpenMidiBytes({'M', 'T', 'h', 'd', 0, 0, 0, 5, 0, 1, 0, 1, 0}), 1);
  EXPECT_EQ(OpenMidiBytes({}), 1);
  EXPECT_EQ(OpenMidiFile("no such file.mid"), 1);
  EXPECT_EQ(OpenMidiBytes(good), 0);
}

TEST_F(MidiTest, ATrackWithoutItsEndStopsTheConverterAtItsLastEvent) {
  MidiTrackBuilder t;
  t.Tempo(0, 500000).NoteOn(0, 0, 60, 90).NoteOff(10, 0, 60);
  ASSERT_EQ(OpenMidiBytes(Format1({t})), 0);
  const Converted got = Convert(true);
  EXPECT_EQ(got.result, kMidiBadTrack);
  EXPECT_EQ(got.events.size(), 2u);  // the note-off is lost
  EXPECT_EQ(Convert().result, kMidiStopped);
  // A reset clears the error, but the track has ended: nothing is left to play.
  EXPECT_EQ(Convert(true).events.size(), 0u);
  EXPECT_EQ(Convert().result, kMidiPieceEnd);
}

TEST_F(MidiTest, LyingLengthsInsideATrackFailWithoutReadingPastIt) {
  MidiTrackBuilder t;
  t.NoteOn(0, 0, 60, 90);
  std::vector<uint8_t> track = t.Bytes();
  track.insert(track.end(), {0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F, 0x01});  // sysex of 256 MB
  ASSERT_EQ(OpenMidiBytes(MidiFileBytes(0, 96, {track})), 0);
  EXPECT_EQ(Convert(true).result, kMidiBadTrack);
}

TEST_F(MidiTest, LoopingStartsEveryTrackAgainAndWithoutLoopingThePieceEnds) {
  MidiTrackBuilder a, b;
  a.Tempo(0, 500000).NoteOn(0, 0, 60, 90).NoteOff(100, 0, 60).End();
  b.NoteOn(50, 1, 40, 80).End(50);
  ASSERT_EQ(OpenMidiBytes(Format1({a, b})), 0);
  SetMidiLoop(true);
  std::vector<StreamEvent> all;
  for (int i = 0; i < 4; ++i) {
    const Converted c = Convert(i == 0);
    ASSERT_EQ(c.result, kMidiReady);
    all.insert(all.end(), c.events.begin(), c.events.end());
  }
  const std::vector<StreamEvent> once = {
      {0, 0x01000000 | 500000}, {0, Note(0, 60, 90)}, {50, Note(1, 40, 80)}, {50, Note(0, 60, 0)}};
  ASSERT_GE(all.size(), 8u);
  EXPECT_EQ(std::vector<StreamEvent>(all.begin(), all.begin() + 4), once);
  EXPECT_EQ(std::vector<StreamEvent>(all.begin() + 4, all.begin() + 8), once);
  SetMidiLoop(false);
  ASSERT_EQ(OpenMidiBytes(Format1({a, b})), 0);
  EXPECT_EQ(Convert(true).events, once);
  EXPECT_EQ(Convert().result, kMidiPieceEnd);
  EXPECT_EQ(buffer_.bytesRecorded, 0u);
}

TEST_F(MidiTest, LongTracksAreReadThroughRefilledWindows) {
  MidiTrackBuilder t(true);
  t.Tempo(0, 200000);
  for (int i = 0; i < 1200; ++i) t.NoteOn(1, 0, static_cast<uint8_t>(40 + i % 40), 64);
  ASSERT_GT(t.Bytes().size(), 3 * kMidiWindowSize);
  ASSERT_EQ(OpenMidiBytes(Format1({t.End()})), 0);
  std::vector<StreamEvent> all;
  for (Converted c = Convert(true); c.result == kMidiReady; c = Convert()) {
    all.insert(all.end(), c.events.begin(), c.events.end());
    ASSERT_LT(all.size(), 2000u);
  }
  ASSERT_EQ(all.size(), 1201u);
  // An event carried over from a buffer that ran out of room comes with delta 0.
  int carried = 0;
  for (int i = 0; i < 1200; ++i) {
    ASSERT_EQ(all[i + 1].word, Note(0, static_cast<uint8_t>(40 + i % 40), 64));
    ASSERT_LE(all[i + 1].delta, 1u);
    carried += all[i + 1].delta == 0;
  }
  EXPECT_EQ(carried, 1200 / 85);
}

TEST_F(MidiTest, APieceOfNoLengthDoesNotLoopForever) {
  MidiTrackBuilder t;
  t.Text(0, "silence").End();
  ASSERT_EQ(OpenMidiBytes(Format1({t})), 0);
  SetMidiLoop(true);
  EXPECT_EQ(Convert(true).result, kMidiReady);
  EXPECT_EQ(Convert().result, kMidiPieceEnd);
}

// A marker between two notes leaves the stream nothing, and takes no time from it either.
TEST_F(MidiTest, AMarkerBetweenNotesKeepsTheSecondNoteInItsPlace) {
  MidiTrackBuilder t;
  t.Tempo(0, 500000).NoteOn(0, 0, 60, 90).NoteOff(480, 0, 60);
  t.Meta(480, 0x06, {'v', 'e', 'r', 's', 'e'}).NoteOn(960, 0, 64, 90).NoteOff(480, 0, 64).End();
  ASSERT_EQ(OpenMidiBytes(MidiFileBytes(0, 480, {t.Bytes()})), 0);
  const std::vector<StreamEvent> want = {{0, 0x01000000 | 500000},
                                         {0, Note(0, 60, 90)},
                                         {480, Note(0, 60, 0)},
                                         {1920, Note(0, 64, 90)},
                                         {2400, Note(0, 64, 0)}};
  EXPECT_EQ(Timeline(), want);  // at 480 ticks a quarter and 120 a minute, the second note at 2.0 s
}

// A karaoke file: a lyric before every note, and markers, text, signatures and sysex on a track of their own
// at ticks of their own. Every note sounds at its tick.
TEST_F(MidiTest, NotesAmongLyricsAndOtherSkippedEventsSoundAtTheirTicks) {
  MidiTrackBuilder song, words, extras;
  song.Tempo(0, 600000);
  words.Meta(0, 0x03, {'s', 'o', 'n', 'g'});
  extras.Meta(0, 0x58, {4, 2, 24, 8}).Meta(0, 0x59, {0, 0});
  std::vector<StreamEvent> want = {{0, 0x01000000 | 600000}};
  uint32_t tick = 0, lyricTick = 0;
  for (int i = 0; i < 60; ++i) {
    const uint32_t gap = 40 + 37 * (i % 7);
    const uint8_t key = static_cast<uint8_t>(55 + i % 17);
    words.Meta(tick + gap - 11 - lyricTick, 0x05, {'l', 'a', static_cast<uint8_t>('a' + i % 26)});
    lyricTick = tick + gap - 11;
    song.NoteOn(gap, 0, key, 80).NoteOff(gap / 2, 0, key);
    want.push_back({tick + gap, Note(0, key, 80)});
    want.push_back({tick += gap + gap / 2, Note(0, key, 0)});
    if (i % 5 == 0) extras.Meta(23, 0x06, {'m'}).Sysex(19, {0x41, 0x10, 0x42, 0xF7}).Text(7, "x");
  }
  ASSERT_EQ(OpenMidiBytes(Format1({song.End(), words.End(), extras.End()}, 96)), 0);
  EXPECT_EQ(Timeline(), want);
}

}  // namespace
