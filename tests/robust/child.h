// Running quillmere-sim as a child under a watchdog, and judging how it ended: a crash, a hang or a sanitizer
// report is a fault whatever the exit code says.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ChildRun {
  int32_t exitCode = -1;  // -1 when it did not exit by itself
  int32_t signal = 0;     // the signal that ended it, if one did
  bool hung = false;      // the watchdog had to kill it
  std::string out;        // what it printed
  std::string err;
};

// Runs argv[0] with the arguments in folder `where`, the extra environment entries ("NAME=value") added;
// kills it after timeoutSeconds of real time.
ChildRun RunChild(const std::vector<std::string>& argv, const std::filesystem::path& where,
                  const std::vector<std::string>& environment, uint32_t timeoutSeconds);

// Empty when the run ended by itself with one of the allowed exit codes and without any sanitizer report;
// else what went wrong, in a line.
std::string ChildFault(const ChildRun& run, const std::vector<int32_t>& allowedCodes);

std::string ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);
// Empty when the settings file in config folder `config` is absent or parses cleanly; else why not.
std::string SettingsFileFault(const std::filesystem::path& config);
