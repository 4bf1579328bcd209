// The music player on the headless stream, and the music options around it: volume, starting and
// stopping, looping, random pieces one after another, and files that do not play.
#include "media/music.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "media/midi.h"
#include "media/music_options.h"
#include "menus/settings.h"
#include "platform/headless/headless_midi.h"
#include "platform/sound/midi_backend.h"
#include "platform/system.h"
#include "shell/shell.h"
#include "tests/fixture.h"
#include "tools/coursebuild/midi_files.h"
#include "tools/coursebuild/music_source.h"

namespace {

constexpr bool IsNoteOn(uint32_t m) { return (m & 0xF0) == 0x90 && (m >> 16) != 0; }
constexpr uint32_t Key(uint32_t m) { return (m >> 8) & 0x7F; }
constexpr bool IsVolume(uint32_t m, uint32_t value) { return (m & 0xF0) == 0xB0 && Key(m) == 7 && (m >> 16) == value; }

// A piece of count quarter notes of key at 120 beats a minute (500 ms each), its last note ending the piece.
std::vector<uint8_t> Melody(uint8_t key, int count, bool endOfTrack = true) {
  MidiTrackBuilder t;
  t.Tempo(0, 500000);
  for (int i = 0; i < count; ++i) t.NoteOn(0, 0, key, 90).NoteOff(480, 0, key);
  if (endOfTrack) t.End();
  return MidiFileBytes(0, 480, {t.Bytes()});
}

class MusicTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    LoadSettings();
    std::strcpy(gShell.startDirectory, dir_.c_str());
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(dir_ / "Music");
    std::ofstream(dir_ / "Music" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  void UseSettings(const char* choice, const char* volume) {
    std::strcpy(gSettings.musicChoice, choice);
    std::strcpy(gSettings.musicVolume, volume);
  }
  static std::vector<HeadlessMidiEvent> NoteOns() {
    std::vector<HeadlessMidiEvent> notes;
    for (const HeadlessMidiEvent& e : HeadlessMidiEvents()) {
      if (IsNoteOn(e.message)) notes.push_back(e);
    }
    return notes;
  }
};

TEST_F(MusicTest, VolumeGoesToAllSixteenChannelsAndTheFileMayChangeOne) {
  MidiTrackBuilder t;
  t.Tempo(0, 500000).NoteOn(0, 0, 60, 90).Message(480, 0xB3, 7, 99).NoteOff(480, 0, 60).End();
  Write("vol.mid", MidiFileBytes(0, 480, {t.Bytes()}));
  OpenMusic();
  StartMusic("Music\\vol.mid", true, 600);
  const uint32_t start = timeGetTime();
  std::vector<uint32_t> channels;
  for (const HeadlessMidiEvent& e : HeadlessMidiEvents()) {
    if (!IsVolume(e.message, 60)) continue;
    channels.push_back(e.message & 0x0F);
    EXPECT_EQ(e.time, start);
  }
  EXPECT_EQ(channels, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
  HeadlessAdvance(600);
  bool fileVolume = false;
  for (const HeadlessMidiEvent& e : HeadlessMidiEvents()) fileVolume |= e.message == (0xB3u | 7u << 8 | 99u << 16);
  EXPECT_TRUE(fileVolume);
  HeadlessMidiClearEvents();
  SetMusicVolume(300);
  size_t low = 0;
  for (const HeadlessMidiEvent& e : HeadlessMidiEvents()) low += IsVolume(e.message, 30);
  EXPECT_EQ(low, 16u);
}

TEST_F(MusicTest, StartWhilePlayingDoesNothingAndStopReturnsOnceBothBuffersAreBack) {
  Write("a.mid", Melody(60, 20));
  Write("b.mid", Melody(72, 20));
  OpenMusic();
  StartMusic("Music\\a.mid", false, 1000);
  HeadlessAdvance(1200);
  StartMusic("Music\\b.mid", false, 1000);
  HeadlessAdvance(1200);
  for (const HeadlessMidiEvent& e : NoteOns()) EXPECT_EQ(Key(e.message), 60u);
  EXPECT_EQ(NoteOns().size(), 5u);  // 0, 500, 1000, 1500, 2000 ms
  const uint32_t before = timeGetTime();
  StopMusic();
  EXPECT_LE(timeGetTime() - before, 2u);
  const MusicStatus s = GetMusicStatus();
  EXPECT_FALSE(s.running);
  EXPECT_FALSE(s.pieceLoaded);
  EXPECT_FALSE(s.streamOpen);
  EXPECT_EQ(s.state, kMusicPlaying);
  HeadlessAdvance(3000);
  EXPECT_EQ(NoteOns().size(), 5u);
}

// No buffer comes back from a stream with nothing queued: the stop does not wait for one (the original waited
// out its two-second time-out at every start and return to the game). A piece of one buffer stops as soon as
// that one is back.
TEST_F(MusicTest, AStopWaitsOnlyForTheBuffersQueuedAndOpeningTwiceKeepsOneStream) {
  OpenMusic();
  OpenMusic();
  EXPECT_EQ(MidiStreamsOpen(), 1u);
  uint32_t before = timeGetTime();
  StopMusic();
  EXPECT_EQ(timeGetTime(), before);
  EXPECT_TRUE(GetMusicStatus().streamOpen);
  CloseMusic();
  EXPECT_EQ(timeGetTime(), before);
  EXPECT_EQ(MidiStreamsOpen(), 0u);
  EXPECT_FALSE(GetMusicStatus().eventOpen);

  Write("short.mid", Melody(60, 2));
  OpenMusic();
  StartMusic("Music\\short.mid", false, 1000);
  ASSERT_TRUE(GetMusicStatus().running);
  before = timeGetTime();
  StopMusic();
  EXPECT_LE(timeGetTime() - before, 2u);
  EXPECT_FALSE(GetMusicStatus().streamOpen);
}

TEST_F(MusicTest, ALoopedPiecePlaysItsEndAndItsBeginningWithoutAGap) {
  Write("loop.mid", Melody(64, 3));
  OpenMusic();
  StartMusic("Music\\loop.mid", true, 1000);
  HeadlessAdvance(4600);
  const std::vector<HeadlessMidiEvent> notes = NoteOns();
  ASSERT_EQ(notes.size(), 10u);
  for (size_t i = 1; i < notes.size(); ++i) EXPECT_EQ(notes[i].time - notes[i - 1].time, 500u) << i;
  EXPECT_TRUE(GetMusicStatus().running);
}

TEST_F(MusicTest, RandomPiecesFollowTwoSecondsApartAndNeverRepeatInARow) {
  Write("a.mid", Melody(60, 2));
  Write("b.mid", Melody(67, 2));
  Write("c.mid", Melody(72, 2));
  UseSettings("Random", "1000");
  OpenMusic();
  StartMusicFromSettings();
  HeadlessAdvance(30000);
  // Each piece: notes at 0 and 500 ms, its last buffer back at 1000 ms.
  const std::vector<HeadlessMidiEvent> notes = NoteOns();
  ASSERT_GE(notes.size(), 16u);
  for (size_t i = 2; i + 1 < notes.size(); i += 2) {
    EXPECT_EQ(Key(notes[i].message), Key(notes[i + 1].message));
    EXPECT_NE(Key(notes[i].message), Key(notes[i - 1].message)) << "piece " << i / 2;
    EXPECT_EQ(notes[i].time - notes[i - 1].time, 500u + kMusicNextPieceMs) << "piece " << i / 2;
  }
  EXPECT_EQ(MusicListCount(), 3u);
}

// The last buffer of a random piece holds its last note, on and off: both sound, at their times, before the
// player closes the stream, and the next piece begins two seconds after.
TEST_F(MusicTest, ARandomPiecePlaysItsLastBufferBeforeTheNextBegins) {
  MidiTrackBuilder t;
  t.Tempo(0, 500000).NoteOn(0, 0, 60, 90).NoteOff(480, 0, 60);
  t.Meta(480, 0x06, {'e', 'n', 'd'}).NoteOn(960, 0, 64, 90).NoteOff(480, 0, 64).End();
  Write("two.mid", MidiFileBytes(0, 480, {t.Bytes()}));
  UseSettings("Random", "1000");
  OpenMusic();
  StartMusicFromSettings();
  const uint32_t start = timeGetTime();
  while (GetMusicStatus().streamOpen && timeGetTime() - start < 10000) HeadlessAdvance(1);
  const uint32_t closed = timeGetTime() - start;
  HeadlessAdvance(2100);
  std::vector<std::pair<uint32_t, uint32_t>> notes;  // (ms from the start, status | key << 8 | velocity << 16)
  for (const HeadlessMidiEvent& e : HeadlessMidiEvents()) {
    if ((e.message & 0xF0) == 0x90 && e.time >= start) notes.push_back({e.time - start, e.message});
  }
  const std::vector<std::pair<uint32_t, uint32_t>> want = {{0, 0x90 | 60 << 8 | 90 << 16},
                                                           {500, 0x90 | 60 << 8},
                                                           {2000, 0x90 | 64 << 8 | 90 << 16},
                                                           {2500, 0x90 | 64 << 8},
                                                           {2500 + kMusicNextPieceMs, 0x90 | 60 << 8 | 90 << 16}};
  EXPECT_EQ(notes, want);
  EXPECT_EQ(closed, 2500u);  // the stream went when the last buffer came back, not when the piece ended
}

TEST_F(MusicTest, FilesThatCannotBePlayedLeaveTheMusicOff) {
  Write("bad.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 4, 1, 0});
  OpenMusic();
  StartMusic("Music\\bad.mid", true, 1000);
  StartMusic("Music\\missing.mid", true, 1000);
  HeadlessAdvance(1000);
  EXPECT_FALSE(GetMusicStatus().running);
  EXPECT_TRUE(NoteOns().empty());
  HeadlessMidiSetAvailable(false);
  CloseMusic();
  Write("good.mid", Melody(60, 2));
  OpenMusic();
  StartMusic("Music\\good.mid", true, 1000);
  EXPECT_FALSE(GetMusicStatus().running);  // no synthesizer: no stream, no error
}

TEST_F(MusicTest, APieceWithoutItsTrackEndStopsShortAndStaysPlaying) {
  Write("cut.mid", Melody(60, 6, false));
  UseSettings("Random", "1000");
  OpenMusic();
  StartMusicFromSettings();
  HeadlessAdvance(10000);
  EXPECT_LT(NoteOns().size(), 6u);
  EXPECT_GT(NoteOns().size(), 2u);
  EXPECT_EQ(GetMusicStatus().state, kMusicPlaying);
}

TEST_F(MusicTest, RandomMusicTakesTheFirstTwentyFilesAndAnEmptyFolderMeansNone) {
  UseSettings("Random", "1000");
  std::filesystem::create_directories(dir_ / "Music");
  StartMusicFromSettings();
  EXPECT_STREQ(gSettings.musicChoice, "None");
  LoadSettings();
  EXPECT_STREQ(gSettings.musicChoice, "None");
  for (int i = 0; i < 25; ++i) Write("Piece" + std::to_string(100 + i) + (i % 2 ? ".MID" : ".mid"), Melody(60, 1));
  Write("notes.txt", {});
  ResetMusicOptionsForTest();
  UseSettings("Random", "1000");
  PickRandomMusic();
  EXPECT_EQ(MusicListCount(), kMusicListMax);
  for (int i = 0; i < 200; ++i) {
    const std::string previous = CurrentRandomMusic();
    PickRandomMusic();
    EXPECT_NE(CurrentRandomMusic(), previous);
    EXPECT_EQ(CurrentRandomMusic().find("Piece12"), std::string::npos);  // 120..124 are beyond the twenty
  }
  const std::string shown = NowPlayingText();  // "Random " and the file that plays
  EXPECT_EQ(shown.rfind("Random /", 0), 0u) << shown;
  EXPECT_TRUE(std::filesystem::is_regular_file(shown.substr(7))) << shown;
}

TEST_F(MusicTest, VolumeStepsTheirNamesAndABadStoredVolume) {
  UseSettings("Oh no", "450");
  EXPECT_EQ(ShowMusicVolume(), "Volume High");
  EXPECT_STREQ(gSettings.musicVolume, "1000");
  LoadSettings();
  EXPECT_STREQ(gSettings.musicVolume, "1000");
  std::vector<std::string> shown;
  for (int i = 0; i < 3; ++i) shown.push_back(CycleMusicVolume() + "=" + gSettings.musicVolume);
  EXPECT_EQ(shown, (std::vector<std::string>{"Volume Medium=600", "Volume Low=300", "Volume High=1000"}));
  Write("a.mid", Melody(60, 2));
  OpenMusic();
  StartMusicFromSettings();  // "O" is no music, like "None"
  EXPECT_FALSE(GetMusicStatus().running);
  EXPECT_EQ(NowPlayingText(), "Playing Oh no");
}

// The player's two threads for real: the stream's own thread refills while the game's thread changes the
// volume and stops. Built with ThreadSanitizer by test.sh, this is where a data race would show.
TEST_F(MusicTest, RealStreamThreadsAndTheGameThreadShareThePlayerSafely) {
  HeadlessMidiUseThreads(true);
  MidiTrackBuilder t;
  t.Tempo(0, 20000);  // 4 ms a beat at 96 ticks: many buffers in little time
  for (int i = 0; i < 200; ++i) t.NoteOn(i == 0 ? 0 : 12, 0, static_cast<uint8_t>(50 + i % 30), 80);
  Write("fast.mid", MidiFileBytes(0, 96, {t.End().Bytes()}));
  // Without OpenMusic the first start opens the stream itself, skipping the idle stream's stop wait.
  StartMusic("Music\\fast.mid", true, 1000);
  for (int i = 0; i < 150; ++i) {
    SetMusicVolume(i % 2 ? 300 : 600);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const uint32_t before = timeGetTime();
  StopMusic();
  EXPECT_LT(timeGetTime() - before, kMusicStopWaitMs);
  CloseMusic();
  EXPECT_FALSE(NoteOns().empty());
  EXPECT_EQ(MidiStreamsOpen(), 0u);
}

// The end of a random piece on real threads: the pause and the next piece run away from the game's thread
// while it keeps using the player. Real time passes, so this runs only in the ThreadSanitizer build.
TEST_F(MusicTest, RandomPiecesFollowOneAnotherOnRealThreadsSafely) {
#ifndef __SANITIZE_THREAD__
  GTEST_SKIP() << "runs in the ThreadSanitizer build";
#endif
  HeadlessMidiUseThreads(true);
  for (uint8_t key : {40, 70}) {
    MidiTrackBuilder t;
    t.Tempo(0, 10000);
    for (int i = 0; i < 20; ++i) t.NoteOn(0, 0, key, 80).NoteOff(24, 0, key);
    Write(std::to_string(key) + ".mid", MidiFileBytes(0, 96, {t.End().Bytes()}));
  }
  UseSettings("Random", "600");
  StartMusicFromSettings();
  bool both = false;
  for (int i = 0; i < 1000 && !both; ++i) {
    SetMusicVolume(i % 2 ? 300 : 600);
    EXPECT_FALSE(NowPlayingText().empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::vector<HeadlessMidiEvent> notes = NoteOns();
    both = !notes.empty() && Key(notes.back().message) != Key(notes.front().message);
  }
  EXPECT_TRUE(both);
  StopMusic();
  CloseMusic();
}

}  // namespace

namespace {

struct Callback {
  uint32_t time;
  uint32_t message;
  MIDIHDR* header;
};
std::vector<Callback> gCallbacks;

void Record(HMIDISTRM, uint32_t message, uintptr_t, uintptr_t header, uintptr_t) {
  gCallbacks.push_back({timeGetTime(), message, reinterpret_cast<MIDIHDR*>(header)});
}

// A stream buffer of (delta, event word) pairs.
struct Events {
  explicit Events(std::vector<std::pair<uint32_t, uint32_t>> events) {
    for (const auto& [delta, word] : events) memory.insert(memory.end(), {delta, 0u, word});
    header = MIDIHDR{};
    header.lpData = reinterpret_cast<char*>(memory.data());
    header.dwBufferLength = header.dwBytesRecorded = static_cast<uint32_t>(memory.size() * 4);
  }
  std::vector<uint32_t> memory;
  MIDIHDR header;
};

class MidiStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HeadlessReset(HeadlessConfig{});
    gCallbacks.clear();
    uint32_t device = MIDI_MAPPER;
    ASSERT_EQ(midiStreamOpen(&stream_, &device, 1, Record, 0, CALLBACK_FUNCTION), MMSYSERR_NOERROR);
  }
  void SetDivision(uint32_t division) {
    MIDIPROPTIMEDIV d{sizeof d, division};
    ASSERT_EQ(midiStreamProperty(stream_, reinterpret_cast<uint8_t*>(&d), MIDIPROP_SET | MIDIPROP_TIMEDIV),
              MMSYSERR_NOERROR);
  }
  MMRESULT Queue(Events& e) {
    midiOutPrepareHeader(stream_, &e.header, sizeof e.header);
    return midiStreamOut(stream_, &e.header, sizeof e.header);
  }
  HMIDISTRM stream_ = 0;
};

TEST_F(MidiStreamTest, EventsPlayByTempoAndABufferComesBackAfterItsLastEvent) {
  SetDivision(100);
  Events a({{0, 0x90 | 60 << 8 | 100 << 16}, {100, 0x01000000 | 250000}, {100, 0x80 | 60 << 8}});
  Events b({{100, 0xB0 | 7 << 8 | 50 << 16 | MEVT_F_CALLBACK}});
  ASSERT_EQ(Queue(a), MMSYSERR_NOERROR);
  ASSERT_EQ(Queue(b), MMSYSERR_NOERROR);
  HeadlessAdvance(1000);
  EXPECT_TRUE(HeadlessMidiEvents().empty());  // opened paused
  const uint32_t start = timeGetTime();
  midiStreamRestart(stream_);
  HeadlessAdvance(2000);
  const std::vector<HeadlessMidiEvent> played = HeadlessMidiEvents();
  ASSERT_EQ(played.size(), 3u);
  EXPECT_EQ(played[0].time - start, 0u);
  EXPECT_EQ(played[1].time - start, 750u);  // 100 ticks at 500 ms a quarter, then 100 at 250 ms
  EXPECT_EQ(played[2].time - start, 1000u);
  ASSERT_EQ(gCallbacks.size(), 3u);
  EXPECT_EQ(gCallbacks[0].message, MOM_DONE);
  EXPECT_EQ(gCallbacks[0].header, &a.header);
  EXPECT_EQ(gCallbacks[0].time - start, 750u);
  EXPECT_EQ(gCallbacks[1].message, MOM_POSITIONCB);
  EXPECT_EQ(gCallbacks[2].header, &b.header);
  EXPECT_TRUE(b.header.dwFlags & MHDR_DONE);
  midiStreamClose(stream_);
}

TEST_F(MidiStreamTest, StopAndResetHandEveryQueuedBufferBack) {
  // SMPTE: 25 frames of 40 ticks a second, a millisecond a tick.
  SetDivision(static_cast<uint32_t>(static_cast<uint8_t>(-25)) << 8 | 40);
  Events a({{500, 0x90 | 60 << 8 | 100 << 16}}), b({{500, 0x90 | 62 << 8 | 100 << 16}});
  Events unprepared({{0, 0x90}});
  EXPECT_EQ(midiStreamOut(stream_, &unprepared.header, sizeof(MIDIHDR)), MIDIERR_UNPREPARED);
  Queue(a);
  Queue(b);
  EXPECT_EQ(midiOutUnprepareHeader(stream_, &a.header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
  midiStreamRestart(stream_);
  HeadlessAdvance(600);
  ASSERT_EQ(gCallbacks.size(), 1u);
  EXPECT_EQ(gCallbacks[0].time, 500u);
  midiStreamStop(stream_);
  HeadlessAdvance(1);
  ASSERT_EQ(gCallbacks.size(), 2u);
  EXPECT_EQ(gCallbacks[1].header, &b.header);
  EXPECT_EQ(midiOutUnprepareHeader(stream_, &b.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  HeadlessAdvance(2000);
  size_t notes = 0;
  for (const HeadlessMidiEvent& e : HeadlessMidiEvents()) notes += (e.message & 0xF0) == 0x90;
  EXPECT_EQ(notes, 1u);
  EXPECT_EQ(midiStreamClose(stream_), MMSYSERR_NOERROR);
  EXPECT_EQ(midiStreamClose(stream_), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(midiOutShortMsg(stream_, 0x90), MMSYSERR_INVALHANDLE);
}

TEST_F(MusicTest, TheMusicFolderIsFoundWhateverTheCaseOfItsNames) {
  std::filesystem::create_directories(dir_ / "mUSIC");
  std::ofstream(dir_ / "mUSIC" / "B.MID") << "x";
  std::ofstream(dir_ / "mUSIC" / "a.mid") << "x";
  std::ofstream(dir_ / "mUSIC" / "c.midi") << "x";
  std::filesystem::create_directories(dir_ / "mUSIC" / "d.mid");
  EXPECT_EQ(FindGameFiles("Music\\*.mid"), (std::vector<std::string>{"a.mid", "B.MID"}));
  EXPECT_EQ(FindGameFiles(dir_.string() + "\\MUSIC\\?.Mid").size(), 2u);
  EXPECT_TRUE(FindGameFiles("Nothing\\*.mid").empty());
}

TEST_F(MusicTest, TheCoursePiecesPlayToTheirEndInOneAndAHalfToThreeMinutes) {
  for (const std::filesystem::path& source : CourseTunes(QUILL_COURSE_DIR)) {
    std::string error;
    const std::optional<CompiledTune> tune = CompileTuneFile(source, &error);
    ASSERT_TRUE(tune) << error;
    const std::string file = source.stem().string() + ".mid";
    Write(file, tune->midi);
    ResetAllForTest();
    HeadlessMidiClearEvents();
    StartMusic(("Music\\" + file).c_str(), false, 1000);
    const uint32_t start = timeGetTime();
    while (GetMusicStatus().running && timeGetTime() - start < 200000) HeadlessAdvance(100);
    const uint32_t length = timeGetTime() - start;
    EXPECT_GT(length, 90000u) << file;
    EXPECT_LT(length, 181000u) << file;
    EXPECT_GT(NoteOns().size(), 300u) << file;
  }
}

}  // namespace
