// The tune compiler: what a small tune becomes as the game's MIDI reader plays it, the messages for
// mistakes in a source, and the course's own pieces.
#include "tools/coursebuild/music_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "media/midi.h"
#include "media/music.h"
#include "media/music_options.h"
#include "menus/settings.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_midi.h"
#include "shell/shell.h"
#include "tests/fixture.h"
#include "tools/coursebuild/midi_files.h"

namespace {

// (tick, event word) of every stream event the game's reader makes of the file.
std::vector<std::pair<uint32_t, uint32_t>> Played(const std::vector<uint8_t>& midi) {
  ResetMidiForTest();
  EXPECT_EQ(OpenMidiBytes(midi), 0);
  std::vector<std::pair<uint32_t, uint32_t>> events;
  StreamBuffer buffer{};
  char memory[kStreamBufferSize];
  buffer.header.lpData = memory;
  uint32_t tick = 0;
  for (bool reset = true;; reset = false) {
    buffer.maxLength = kStreamBufferSize;
    if (ConvertToBuffer(reset, &buffer) != kMidiReady || events.size() > 1000) break;
    for (uint32_t at = 0; at + 12 <= buffer.bytesRecorded; at += 12) {
      uint32_t words[3];
      std::memcpy(words, memory + at, 12);
      events.push_back({tick += words[0], words[2]});
    }
  }
  CloseMidiFile();
  return events;
}

constexpr uint32_t On(uint32_t channel, uint32_t key, uint32_t velocity) {
  return 0x90 | channel | key << 8 | velocity << 16;
}

TEST(MusicSourceTest, ATuneBecomesTheNotesTheGameReads) {
  const char* tune =
      "title Check   % a comment\n"
      "tempo 120\nmetre 3/4\nkey D\nunit 1/8\n"
      "pattern oom 1/4 0 [3 5] -\n"
      "voice tune clarinet velocity 80\n"
      "voice band piano velocity 60 play oom low C\n"
      "voice perc drums velocity 50\n"
      "part A\n"
      "chords | A7/E . D |\n"
      "tune | F2 (3fga [Ac]2 |\n"
      "perc | C,,2 z2 F,,2 |\n"
      "part B from A transpose 2\n"
      "tune | !p F4- F2 |\n"
      "form A B\n";
  std::string error;
  const std::optional<CompiledTune> t = CompileTuneSource(tune, "t.tune", &error);
  ASSERT_TRUE(t) << error;
  EXPECT_EQ(t->bars, 2);
  EXPECT_DOUBLE_EQ(t->seconds, 3.0);
  EXPECT_EQ(t->voices, (std::vector<std::string>{"tune (clarinet)", "band (piano)", "perc (drums)"}));

  std::vector<std::pair<uint32_t, uint32_t>> notes, setup;
  uint32_t tiedOff = 0;
  for (const auto& [tick, word] : Played(t->midi)) {
    if ((word & 0xF0) == 0x90 && (word >> 16) != 0) notes.push_back({tick, word});
    if (tick == 0 && (word & 0xF0) != 0x90) setup.push_back({tick, word});
    if (word == 0x90 + (68 << 8) && tick > 1440) tiedOff = tick;
    EXPECT_FALSE((word & 0xFFF0) == (0xB0 | 7 << 8)) << "channel volume is the player's";
  }
  // Key D sharpens F and C, but not on the drums; the triplet takes a quarter; the bass of A7/E is the E under
  // A; D begins on a held step and strikes it; part B moves all but the drums up a tone.
  const std::vector<std::pair<uint32_t, uint32_t>> want = {
      {0, On(0, 66, 88)},    {0, On(1, 64, 68)},    {0, On(9, 36, 58)},    {480, On(0, 78, 83)},  {480, On(1, 73, 63)},
      {480, On(1, 76, 63)},  {640, On(0, 79, 80)},  {800, On(0, 81, 80)},  {960, On(0, 69, 83)},  {960, On(0, 73, 83)},
      {960, On(1, 66, 63)},  {960, On(1, 69, 63)},  {960, On(9, 41, 53)},  {1440, On(0, 68, 60)}, {1440, On(1, 66, 68)},
      {1440, On(9, 36, 58)}, {1920, On(1, 75, 63)}, {1920, On(1, 78, 63)}, {2400, On(1, 68, 63)}, {2400, On(1, 71, 63)},
      {2400, On(9, 41, 53)}};
  EXPECT_EQ(notes, want);
  EXPECT_EQ(tiedOff, 1440u + 1440 - 60);  // one struck note, sounding through the tie, a little short of legato
  EXPECT_EQ(setup[0].second, 0x01000000u | 500000);
  const std::set<uint32_t> words = [&] {
    std::set<uint32_t> s;
    for (const auto& e : setup) s.insert(e.second);
    return s;
  }();
  for (const uint32_t w : {0xC0u | 71 << 8, 0xC1u, 0xC9u, 0xB0u | 11 << 8 | 100 << 16})
    EXPECT_EQ(words.count(w), 1u) << w;
}

TEST(MusicSourceTest, MistakesNameTheFileAndTheLine) {
  const std::string head = "title T\nvoice a flute\n";  // lines 1 and 2
  const std::string eight = "part A\na | C8 | D8 | E8 | F8 | G8 | A8 | B8 | c8 |\n";
  const std::pair<std::string, std::string> cases[] = {
      {"title T\nmetre 3/5\n", "f.tune:2: metre '3/5': the lower number is not a power of two"},
      {"title T\nkey H\n",
       "f.tune:2: 'H' is not a key (a letter, then # or b, then m, dor or mix: G, Em, Bb, F#m, Dmix)"},
      {head + "voice b kazoo\n", "f.tune:3: 'kazoo' is not an instrument this notation names (or use program N)"},
      {head + "part A\na | C4 D3 |\n", "f.tune:4: a bar of 7/8 where the metre asks for 4/4: C4 D3"},
      {head + "part A\na | C8 | H8 |\n", "f.tune:4: 'H' is not a note (C D E F G A B, c d e f g a b, z for a rest)"},
      {head + "part A\nchords | G | Q |\n", "f.tune:4: 'Q' is not a chord (G, Em, D7, C/E, z)"},
      {head + "part A\nchords | G | C |\na | C8 |\n", "f.tune:5: voice 'a' has 1 bar in part 'A', which lasts 2 bars"},
      {head + "part A\na | c''''''8 |\nform A\n", "f.tune:4: a note outside the MIDI range (key 144)"},
      {head + "part A\na | C8- | D8 |\nform A\n", "f.tune:4: a tie joins two different notes"},
      {head + "part A\nb | C8 |\n", "f.tune:4: no voice 'b' (declare it with a voice line)"},
      {head + "part A\na @walk\n", "f.tune:4: no pattern 'walk' (patterns are declared before they are used)"},
      {head + "part A\na | C8 |\nform A B\n", "f.tune:5: no part 'B' (the form comes after its parts)"},
      {head + "part A\na | C8 |\n", "f.tune:4: the tune has no form (the order its parts are played in)"},
      {head + eight + "form A A A A\n",
       "f.tune:5: bars 25 to 32 play the 8 bars from bar 1 for the fourth time in a row"},
  };
  for (const auto& [source, message] : cases) {
    std::string error;
    EXPECT_FALSE(CompileTuneSource(source, "f.tune", &error)) << source;
    EXPECT_EQ(error, message);
  }
  std::string error;
  EXPECT_TRUE(CompileTuneSource(head + eight + "form A A A\n", "f.tune", &error)) << error;
}

// The course's pieces for random music: enough of them, in different metres, keys and tempos (how long each
// plays is the music player's test).
TEST(MusicSourceTest, TheCoursePiecesAreVaried) {
  std::set<std::string> metres, keys;
  std::set<int32_t> tempos;
  const std::vector<std::filesystem::path> tunes = CourseTunes(QUILL_COURSE_DIR);
  EXPECT_GE(tunes.size(), 8u);
  for (const std::filesystem::path& path : tunes) {
    std::string error;
    const std::optional<CompiledTune> t = CompileTuneFile(path, &error);
    ASSERT_TRUE(t) << error;
    metres.insert(t->metre), keys.insert(t->key), tempos.insert(t->tempo);
  }
  EXPECT_GE(metres.size(), 4u);
  EXPECT_GE(keys.size(), 6u);
  EXPECT_GE(tempos.size(), 6u);
}

// The game folder's random music is the course's own pieces: each one is listed, picked in turn, and plays.
class CourseMusicTest : public GameFolderTest {};

TEST_F(CourseMusicTest, RandomMusicPlaysTheCoursePieces) {
  std::set<std::string> course, picked;
  for (const std::filesystem::path& tune : CourseTunes(QUILL_COURSE_DIR)) course.insert(tune.stem().string() + ".mid");
  std::filesystem::copy(std::filesystem::path(QUILL_BRINDLEMOOR_DIR) / "Music", dir_ / "Music");
  LoadSettings();
  std::strcpy(gShell.startDirectory, dir_.c_str());
  for (int i = 0; i < 100; ++i) {
    PickRandomMusic();
    const std::string piece = CurrentRandomMusic();
    picked.insert(piece.substr(piece.find_last_of('\\') + 1));
  }
  EXPECT_EQ(MusicListCount(), course.size());
  EXPECT_EQ(picked, course);
  OpenMusic();
  StartMusicFromSettings();  // the default choice is random music
  HeadlessAdvance(3000);
  EXPECT_TRUE(GetMusicStatus().running);
  size_t notes = 0;
  for (const HeadlessMidiEvent& e : HeadlessMidiEvents()) notes += (e.message & 0xF0) == 0x90 ? 1 : 0;
  EXPECT_GT(notes, 5u);
}

}  // namespace
