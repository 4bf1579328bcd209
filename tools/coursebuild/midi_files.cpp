// MIDI file writing, and the course's pieces compiled from course/music/ into the Music folder.
#include "tools/coursebuild/midi_files.h"

#include <algorithm>
#include <optional>
#include <set>

#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/music_source.h"

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

std::vector<std::filesystem::path> CourseTunes(const std::filesystem::path& courseDir) {
  std::vector<std::filesystem::path> tunes;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(courseDir / "music", ec))
    if (entry.path().extension() == ".tune") tunes.push_back(entry.path());
  std::sort(tunes.begin(), tunes.end());
  return tunes;
}

bool WriteCourseMusic(const std::filesystem::path& courseDir, const std::filesystem::path& gameDir,
                      std::vector<std::filesystem::path>* written, std::string* error) {
  const std::filesystem::path music = gameDir / "Music";
  std::set<std::filesystem::path> made;
  for (const std::filesystem::path& source : CourseTunes(courseDir)) {
    const std::optional<CompiledTune> tune = CompileTuneFile(source, error);
    if (!tune) return false;
    const std::filesystem::path path = music / source.stem().concat(".mid");
    made.insert(path);
    const WriteOutcome outcome = WriteIfChanged(path, tune->midi, error);
    if (outcome == WriteOutcome::Failed) return false;
    if (outcome == WriteOutcome::Written) written->push_back(path);
  }
  // Random music plays whatever the folder holds: a piece dropped from the course must go from it too.
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(music, ec)) {
    if (entry.path().extension() == ".mid" && made.count(entry.path()) == 0) std::filesystem::remove(entry.path(), ec);
  }
  return true;
}
