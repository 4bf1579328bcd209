// MIDI file writing and the course's three pieces: a walk in the meadow (4/4, piano, bass and strings), a
// waltz by the brook (3/4, flute and harp) and an evening tune (marimba and vibraphone).
#include "tools/coursebuild/midi_files.h"

#include "tools/coursebuild/course_files.h"

void AppendVarNumber(std::vector<uint8_t>* bytes, uint32_t value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) bytes->push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  bytes->push_back(groups[0]);
}

MidiTrackBuilder& MidiTrackBuilder::Message(uint32_t delta, uint8_t status, uint8_t data1, uint8_t data2) {
  AppendVarNumber(&bytes_, delta);
  if (!running_ || status != last_) bytes_.push_back(status);
  last_ = status;
  bytes_.push_back(data1);
  if ((status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0) bytes_.push_back(data2);
  return *this;
}

MidiTrackBuilder& MidiTrackBuilder::NoteOn(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity) {
  return Message(delta, static_cast<uint8_t>(0x90 | channel), key, velocity);
}

// A note-on of velocity 0, so that running status carries whole melodies.
MidiTrackBuilder& MidiTrackBuilder::NoteOff(uint32_t delta, uint8_t channel, uint8_t key) {
  return Message(delta, static_cast<uint8_t>(0x90 | channel), key, 0);
}

MidiTrackBuilder& MidiTrackBuilder::Tempo(uint32_t delta, uint32_t us) {
  return Meta(delta, 0x51, {static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
}

MidiTrackBuilder& MidiTrackBuilder::Meta(uint32_t delta, uint8_t type, const std::vector<uint8_t>& data) {
  AppendVarNumber(&bytes_, delta);
  bytes_.push_back(0xFF);
  bytes_.push_back(type);
  AppendVarNumber(&bytes_, static_cast<uint32_t>(data.size()));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  return *this;
}

MidiTrackBuilder& MidiTrackBuilder::Text(uint32_t delta, const std::string& text) {
  return Meta(delta, 0x01, std::vector<uint8_t>(text.begin(), text.end()));
}

MidiTrackBuilder& MidiTrackBuilder::Sysex(uint32_t delta, const std::vector<uint8_t>& data) {
  AppendVarNumber(&bytes_, delta);
  bytes_.push_back(0xF0);
  AppendVarNumber(&bytes_, static_cast<uint32_t>(data.size()));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  return *this;
}

MidiTrackBuilder& MidiTrackBuilder::End(uint32_t delta) { return Meta(delta, 0x2F, {}); }

namespace {

void PutBig(std::vector<uint8_t>* out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

constexpr uint16_t kDivision = 480;

// A note of the melody: semitones above the key's root (or a rest), and its length in eighths.
struct Note {
  int8_t step;  // -128: rest
  uint8_t eighths;
};
constexpr int8_t kRest = -128;

struct Piece {
  const char* file;
  const char* title;
  uint32_t tempo;       // microseconds a quarter note
  uint8_t beatsPerBar;  // quarter notes
  uint8_t root;         // MIDI key of the tonic
  uint8_t leadProgram, padProgram, bassProgram;
  std::vector<int8_t> chords;  // one root a bar, semitones above the tonic (major; 9 is minor vi)
  std::vector<Note> melody;
  int repeats;
};

bool IsMinor(int8_t chord) { return chord == 9 || chord == 2 || chord == 4; }

// One track a voice: the melody, a held chord a bar, and the bass on each bar's first and middle beat.
std::vector<uint8_t> Compose(const Piece& p) {
  const uint32_t eighth = kDivision / 2;
  const uint32_t bar = kDivision * p.beatsPerBar;
  std::vector<std::vector<uint8_t>> tracks;
  MidiTrackBuilder conductor;
  conductor.Text(0, p.title).Tempo(0, p.tempo);
  conductor.Meta(0, 0x58, {p.beatsPerBar, 2, 24, 8});
  conductor.End(bar * static_cast<uint32_t>(p.chords.size()) * p.repeats);
  tracks.push_back(conductor.Bytes());

  MidiTrackBuilder lead(true);
  lead.Message(0, 0xC0, p.leadProgram).Message(0, 0xB0, 91, 40);
  uint32_t rest = 0;
  for (int r = 0; r < p.repeats; ++r) {
    for (const Note& n : p.melody) {
      const uint32_t length = n.eighths * eighth;
      if (n.step == kRest) {
        rest += length;
        continue;
      }
      const uint8_t key = static_cast<uint8_t>(p.root + 12 + n.step);
      lead.NoteOn(rest, 0, key, r % 2 ? 88 : 80).NoteOff(length - 20, 0, key);
      rest = 20;
    }
  }
  tracks.push_back(lead.End(rest).Bytes());

  MidiTrackBuilder pad(true), bass(true);
  pad.Message(0, 0xC1, p.padProgram).Message(0, 0xB1, 7, 70);
  bass.Message(0, 0xC2, p.bassProgram);
  uint32_t padRest = 0, bassRest = 0;
  for (int r = 0; r < p.repeats; ++r) {
    for (int8_t chord : p.chords) {
      const uint8_t base = static_cast<uint8_t>(p.root + chord);
      const uint8_t third = static_cast<uint8_t>(base + (IsMinor(chord) ? 3 : 4));
      const uint8_t fifth = static_cast<uint8_t>(base + 7);
      pad.NoteOn(padRest, 1, base, 50).NoteOn(0, 1, third, 46).NoteOn(0, 1, fifth, 46);
      pad.NoteOff(bar - 10, 1, base).NoteOff(0, 1, third).NoteOff(0, 1, fifth);
      padRest = 10;
      const uint8_t low = static_cast<uint8_t>(base - 24);
      const uint32_t half = bar / 2 >= kDivision ? kDivision * (p.beatsPerBar / 2 + p.beatsPerBar % 2) : bar;
      bass.NoteOn(bassRest, 2, low, 90).NoteOff(half - 30, 2, low);
      bass.NoteOn(30, 2, static_cast<uint8_t>(low + 7), 76).NoteOff(bar - half - 30, 2, static_cast<uint8_t>(low + 7));
      bassRest = 30;
    }
  }
  tracks.push_back(pad.End(padRest).Bytes());
  tracks.push_back(bass.End(bassRest).Bytes());
  return MidiFileBytes(1, kDivision, tracks);
}

std::vector<Piece> Pieces() {
  return {
      {"Meadow.mid",
       "A Walk in the Meadow",
       600000,
       4,
       60,
       0,
       48,
       32,
       {0, 9, 5, 7, 0, 9, 2, 7},
       {{4, 2},     {7, 2}, {9, 2}, {7, 2},  {4, 2},  {0, 2}, {2, 4}, {4, 2}, {5, 2}, {4, 2}, {2, 2}, {0, 4},
        {kRest, 4}, {7, 2}, {9, 2}, {12, 4}, {11, 2}, {9, 2}, {7, 4}, {5, 2}, {4, 2}, {2, 4}, {0, 8}},
       3},
      {"Brook.mid",
       "Waltz by the Brook",
       500000,
       3,
       65,
       73,
       46,
       32,
       {0, 7, 0, 5, 9, 2, 7, 0},
       {{0, 2},
        {4, 2},
        {7, 2},
        {11, 4},
        {7, 2},
        {12, 2},
        {9, 2},
        {5, 2},
        {9, 4},
        {kRest, 2},
        {7, 2},
        {5, 2},
        {4, 2},
        {2, 4},
        {5, 2},
        {4, 2},
        {2, 2},
        {0, 2},
        {4, 6}},
       4},
      {"Lanterns.mid",
       "Lanterns at Dusk",
       680000,
       4,
       57,
       12,
       11,
       33,
       {0, 5, 7, 0, 9, 5, 2, 7},
       {{0, 1},     {4, 1}, {7, 2}, {4, 2}, {7, 2}, {9, 2}, {7, 2}, {5, 2},  {4, 2},  {2, 4},
        {kRest, 4}, {5, 2}, {9, 2}, {7, 2}, {5, 2}, {4, 2}, {7, 2}, {12, 4}, {11, 2}, {9, 2},
        {7, 2},     {2, 2}, {4, 4}, {2, 2}, {4, 2}, {5, 2}, {7, 2}, {0, 4}},
       3},
  };
}

}  // namespace

std::vector<uint8_t> MidiFileBytes(uint16_t format, uint16_t division,
                                   const std::vector<std::vector<uint8_t>>& tracks) {
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
  PutBig(&out, 6, 4);
  PutBig(&out, format, 2);
  PutBig(&out, static_cast<uint32_t>(tracks.size()), 2);
  PutBig(&out, division, 2);
  for (const std::vector<uint8_t>& t : tracks) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    PutBig(&out, static_cast<uint32_t>(t.size()), 4);
    out.insert(out.end(), t.begin(), t.end());
  }
  return out;
}

std::vector<CourseMusic> ComposeCourseMusic() {
  std::vector<CourseMusic> music;
  for (const Piece& p : Pieces()) music.push_back({p.file, Compose(p)});
  return music;
}

bool WriteCourseMusic(const std::filesystem::path& gameDir, std::vector<std::filesystem::path>* written,
                      std::string* error) {
  for (const CourseMusic& m : ComposeCourseMusic()) {
    const std::filesystem::path path = gameDir / "Music" / m.file;
    const WriteOutcome outcome = WriteIfChanged(path, m.midi, error);
    if (outcome == WriteOutcome::Failed) return false;
    if (outcome == WriteOutcome::Written) written->push_back(path);
  }
  return true;
}
