// The settings store: player names, the music choice and volume, and the ten best scores, kept in the
// settings key between runs and written back at the moment each of them changes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "menus/bestscores.h"
#include "platform/files/settings_file.h"
#include "round/round_data.h"

constexpr size_t kBestScoreTextLength = 34;
// No name, no hole played.
constexpr const char* kEmptyBestScoreText = "################000000000000000000";

struct SettingsState {
  char ownerName[256];    // the machine owner's name, player 1's name on the first run
  char musicChoice[256];  // "None", "Random" or the path of a MIDI file
  char musicVolume[8];    // "300", "600" or "1000"
};
// The best-score table itself is gBestScores (menus/bestscores.h): one table, loaded and stored from here,
// ranked there. Its candidate slot is never stored.

extern SettingsState gSettings;

// A best-score record as its 34-character text: the name, '#' up to position 15, then '0' + strokes per hole.
std::string FormatBestScore(const PlayerRecord& record);
// Reads a best-score text into record: strokes, and the name before the first '#' of characters 0..15 (no '#'
// leaves the name as it was). A text too short or with a stroke character below '0' reads as the empty text.
void ParseBestScore(std::string_view text, PlayerRecord* record);

// The values the first run stores: player 1 is the machine's owner.
std::vector<SettingsValue> FirstRunSettings(std::string_view owner);

// Each returns the settings key's status; the game goes on whatever it is.
int32_t LoadSettings();  // once at start-up; writes the defaults on the first run
int32_t SavePlayerNames();
int32_t SaveMusicSettings();
int32_t SaveBestScores();
int32_t ClearBestScores();  // stored, then in memory; memory is untouched when the store fails

void ResetSettingsForTest();
