// The best-score text, both ways: pure functions apart from the store, so the fuzzer can build them alone.
#include <cstring>

#include "menus/settings.h"

namespace {

constexpr int32_t kMaxStrokeByte = 127;

void CopyName(std::string_view text, char* field, size_t fieldSize) {
  const size_t n = text.size() < fieldSize ? text.size() : fieldSize - 1;
  std::memset(field, 0, fieldSize);
  std::memcpy(field, text.data(), n);
}

}  // namespace

std::string FormatBestScore(const PlayerRecord& record) {
  std::string text(kBestScoreTextLength, '#');
  const std::string_view name(record.name, ::strnlen(record.name, 15));
  text.replace(0, name.size(), name);
  for (int32_t h = 0; h < kHoleCount; ++h) {
    // A negative count cannot come from play; stored as it is it would read back as a damaged record.
    const int8_t strokes = record.strokes[h] < 0 ? 0 : record.strokes[h];
    text[16 + h] = static_cast<char>('0' + strokes);
  }
  return text;
}

void ParseBestScore(std::string_view text, PlayerRecord* record) {
  bool readable = text.size() >= kBestScoreTextLength;
  for (size_t i = 16; readable && i < kBestScoreTextLength; ++i) {
    const int32_t strokes = static_cast<uint8_t>(text[i]) - '0';
    readable = strokes >= 0 && strokes <= kMaxStrokeByte;  // else a hand-edited value would rank first
  }
  if (!readable) text = kEmptyBestScoreText;
  for (int32_t h = 0; h < kHoleCount; ++h) record->strokes[h] = static_cast<int8_t>(text[16 + h] - '0');
  const size_t mark = text.substr(0, 16).find('#');
  if (mark != std::string_view::npos) CopyName(text.substr(0, mark), record->name, sizeof record->name);
  record->playing = 0;
  record->spare = 0;
}
