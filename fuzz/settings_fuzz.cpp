// Fuzzes the settings file reader and the best-score text reader. Whatever the file held, every value read
// must write back and read again unchanged with no damage, and a best-score record must never carry a
// negative stroke count or an unterminated name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "menus/settings.h"
#include "platform/files/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const SettingsParse parse = ParseSettingsText(bytes);
  const SettingsParse again = ParseSettingsText(FormatSettingsText(parse.values));
  if (again.damaged() || again.values.size() != parse.values.size()) abort();
  for (size_t i = 0; i < parse.values.size(); ++i) {
    if (again.values[i].name != parse.values[i].name || again.values[i].text != parse.values[i].text) abort();
  }

  PlayerRecord record{};
  std::memset(&record, 0x7F, sizeof record);
  record.name[15] = 0;
  ParseBestScore(bytes, &record);
  if (::strnlen(record.name, sizeof record.name) >= sizeof record.name || record.playing != 0) abort();
  for (int8_t strokes : record.strokes) {
    if (strokes < 0) abort();
  }
  const std::string text = FormatBestScore(record);
  if (text.size() != kBestScoreTextLength) abort();
  PlayerRecord back{};
  ParseBestScore(text, &back);
  if (std::memcmp(back.strokes, record.strokes, sizeof back.strokes) != 0) abort();
  if (std::strncmp(back.name, record.name, sizeof back.name) != 0 && std::strchr(record.name, '#') == nullptr) abort();
  return 0;
}
