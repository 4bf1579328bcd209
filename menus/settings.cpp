// The settings store over the settings key: loading with first-run defaults, and the four save operations.
#include "menus/settings.h"

#include <cstdio>
#include <cstring>

#include "menus/shortcut.h"
#include "platform/files/settings_file.h"

SettingsState gSettings;

namespace {

constexpr size_t kNameBuffer = 16;  // a player name of more than 15 characters does not load
constexpr size_t kBestBuffer = 60;

std::string PlayerValueName(int32_t slot) { return "Player " + std::to_string(slot); }

std::string BestValueName(int32_t n) {
  char name[16];
  std::snprintf(name, sizeof name, "Best %02d", static_cast<int>(n));
  return name;
}

void CopyText(std::string_view text, char* field, size_t fieldSize) {
  const size_t n = text.size() < fieldSize ? text.size() : fieldSize - 1;
  std::memset(field, 0, fieldSize);
  std::memcpy(field, text.data(), n);
}

std::string_view NameOf(const PlayerRecord& record) { return {record.name, ::strnlen(record.name, 15)}; }

// A value the file refused (a line break in a music path) must not come back as success.
void Keep(int32_t status, int32_t* first) {
  if (*first == kSettingsOk) *first = status;
}

int32_t CloseWith(SettingsKey* key, int32_t firstFailure) {
  const int32_t status = SettingsCloseKey(key);
  return firstFailure != kSettingsOk ? firstFailure : status;
}

// Opens the key, lets write set its values, and closes it: every value of one save reaches the disk in one
// replacement. The first failure is the result; nothing is written when the key does not open.
template <typename Write>
int32_t SaveValues(Write write) {
  SettingsKey key;
  const int32_t status = SettingsOpenKey(&key);
  if (status != kSettingsOk) return status;
  int32_t failure = kSettingsOk;
  write(&key, &failure);
  return CloseWith(&key, failure);
}

}  // namespace

std::vector<SettingsValue> FirstRunSettings(std::string_view owner) {
  std::vector<SettingsValue> values;
  for (int32_t n = 1; n <= kBestScoreCount; ++n) values.push_back({BestValueName(n), kEmptyBestScoreText});
  values.push_back({"Music", "Random"});
  values.push_back({"MusicVol", "1000"});
  values.push_back({PlayerValueName(1), std::string(owner)});
  for (int32_t slot = 2; slot <= kPlayerSlots; ++slot) values.push_back({PlayerValueName(slot), PlayerValueName(slot)});
  return values;
}

int32_t LoadSettings() {
  std::string owner = RegisteredOwner();
  if (owner.size() >= sizeof gSettings.ownerName) owner.clear();
  CopyText(owner, gSettings.ownerName, sizeof gSettings.ownerName);

  SettingsKey key;
  bool created = false;
  const int32_t status = SettingsCreateKey(&key, &created);
  if (status != kSettingsOk) return status;  // this run keeps the built-in defaults

  if (created) {
    for (const SettingsValue& value : FirstRunSettings(gSettings.ownerName)) {
      SettingsSetValue(&key, value.name, value.text);
    }
    // First run: the desktop-shortcut question is asked here, after the defaults are on disk and before they
    // are read back. It uses its own key; this one stays open for the reads below. When the defaults did not
    // reach the disk the next start is a first run again and asks then: the question never comes twice.
    if (SettingsFlushKey(&key) == kSettingsOk) AskDesktopShortcut();
  }

  std::string text;
  if (SettingsQueryValue(key, "Music", sizeof gSettings.musicChoice, &text) == kSettingsOk) {
    CopyText(text, gSettings.musicChoice, sizeof gSettings.musicChoice);
  }
  if (SettingsQueryValue(key, "MusicVol", sizeof gSettings.musicVolume, &text) == kSettingsOk) {
    CopyText(text, gSettings.musicVolume, sizeof gSettings.musicVolume);
  }
  for (int32_t slot = 1; slot <= kPlayerSlots; ++slot) {
    if (SettingsQueryValue(key, PlayerValueName(slot), kNameBuffer, &text) != kSettingsOk) text = PlayerValueName(slot);
    CopyText(text, gRound.players[slot - 1].name, sizeof gRound.players[slot - 1].name);
  }
  for (int32_t n = 1; n <= kBestScoreCount; ++n) {
    if (SettingsQueryValue(key, BestValueName(n), kBestBuffer, &text) != kSettingsOk) text = kEmptyBestScoreText;
    ParseBestScore(text, &gBestScores.records[n - 1]);
  }
  return SettingsCloseKey(&key);
}

int32_t SavePlayerNames() {
  return SaveValues([](SettingsKey* key, int32_t* failure) {
    for (int32_t slot = 1; slot <= kPlayerSlots; ++slot) {
      Keep(SettingsSetValue(key, PlayerValueName(slot), NameOf(gRound.players[slot - 1])), failure);
    }
  });
}

int32_t SaveMusicSettings() {
  return SaveValues([](SettingsKey* key, int32_t* failure) {
    Keep(SettingsSetValue(key, "Music",
                          {gSettings.musicChoice, ::strnlen(gSettings.musicChoice, sizeof gSettings.musicChoice - 1)}),
         failure);
    Keep(SettingsSetValue(key, "MusicVol",
                          {gSettings.musicVolume, ::strnlen(gSettings.musicVolume, sizeof gSettings.musicVolume - 1)}),
         failure);
  });
}

// All ten in one replacement: the table on disk is never half old, half new.
int32_t SaveBestScores() {
  return SaveValues([](SettingsKey* key, int32_t* failure) {
    for (int32_t n = 1; n <= kBestScoreCount; ++n) {
      Keep(SettingsSetValue(key, BestValueName(n), FormatBestScore(gBestScores.records[n - 1])), failure);
    }
  });
}

// The table shown afterwards is the one on disk: memory is cleared only once the empty table is stored.
int32_t ClearBestScores() {
  const int32_t status = SaveValues([](SettingsKey* key, int32_t* failure) {
    for (int32_t n = 1; n <= kBestScoreCount; ++n)
      Keep(SettingsSetValue(key, BestValueName(n), kEmptyBestScoreText), failure);
  });
  if (status != kSettingsOk) return status;
  for (int32_t n = 0; n < kBestScoreCount; ++n) {
    PlayerRecord& record = gBestScores.records[n];
    std::memset(record.name, 0, sizeof record.name);
    std::memset(record.strokes, 0, sizeof record.strokes);
  }
  return status;
}

void ResetSettingsForTest() { gSettings = SettingsState{}; }
