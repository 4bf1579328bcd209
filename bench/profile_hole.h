// What the CPU profile needs to know of the game folder, read with the game's own code on the headless
// backend: where hole 1's start pad and cup are, and the colours of the title picture.
#pragma once

#include <cstdint>
#include <string>

struct ProfilePoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct ProfileHole {
  ProfilePoint pad;  // a start-pad pixel near the middle of the pad
  ProfilePoint cup;
};

// False, with the reason in *error, when the game folder has no playable hole 1.
bool ReadHoleOne(const std::string& gameDir, ProfileHole* hole, std::string* error);

// The title picture's colour at a game pixel as a 16-bit screen shows it, 0x00RRGGBB; -1 when unreadable.
int64_t TitleColorAt(const std::string& gameDir, int32_t x, int32_t y);
