// The course's sound effects, synthesised from seeded noise and plain arithmetic: the same bytes on every build.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct CourseSound {
  std::string file;  // name inside Snds, e.g. "WallL.wav"
  std::vector<uint8_t> wav;
};

// The fourteen effects of the Snds folder as WAV files: 16-bit PCM at 22,050 or 44,100 Hz, mono or stereo,
// except Water.wav (8-bit mono) and InHole.wav (a LIST chunk before its samples).
std::vector<CourseSound> SynthesizeCourseSounds();

// Writes them into gameDir/Snds, each only when its bytes changed; the paths written are added to *written.
// False, with the reason in *error, when a file cannot be written.
bool WriteCourseSounds(const std::filesystem::path& gameDir, std::vector<std::filesystem::path>* written,
                       std::string* error);
