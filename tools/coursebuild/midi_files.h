// Standard MIDI files written from code: a small track builder (running status, tempo, sysex and text
// meta events, tracks with or without their end) for the tune compiler and tests, and the course's pieces.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

void AppendVarNumber(std::vector<uint8_t>* bytes, uint32_t value);

class MidiTrackBuilder {
 public:
  // With running status on, a channel message whose status equals the previous one leaves it out.
  explicit MidiTrackBuilder(bool runningStatus = false) : running_(runningStatus) {}
  MidiTrackBuilder& Message(uint32_t delta, uint8_t status, uint8_t data1, uint8_t data2 = 0);
  MidiTrackBuilder& NoteOn(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity);
  MidiTrackBuilder& NoteOff(uint32_t delta, uint8_t channel, uint8_t key);
  MidiTrackBuilder& Tempo(uint32_t delta, uint32_t microsecondsPerQuarter);
  MidiTrackBuilder& Meta(uint32_t delta, uint8_t type, const std::vector<uint8_t>& data);
  MidiTrackBuilder& Text(uint32_t delta, const std::string& text);
  MidiTrackBuilder& Sysex(uint32_t delta, const std::vector<uint8_t>& data);  // data after the 0xF0
  MidiTrackBuilder& End(uint32_t delta = 0);
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  bool running_;
  uint8_t last_ = 0;
};

// "MThd" with format, track count and division, then one "MTrk" chunk per track.
std::vector<uint8_t> MidiFileBytes(uint16_t format, uint16_t division, const std::vector<std::vector<uint8_t>>& tracks);

// The course's tune sources, course/music/*.tune, in name order.
std::vector<std::filesystem::path> CourseTunes(const std::filesystem::path& courseDir);
// Compiles every tune into gameDir/Music/NAME.mid, writing each only when its bytes changed, and removes the
// .mid files there that no tune makes. The paths written are added to *written; a tune that does not compile
// stops it with the compiler's message in *error.
bool WriteCourseMusic(const std::filesystem::path& courseDir, const std::filesystem::path& gameDir,
                      std::vector<std::filesystem::path>* written, std::string* error);
