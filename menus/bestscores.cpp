// The best-scores table: ranking a finished round against the ten best, and the screen that shows them.
#include "menus/bestscores.h"

#include <cstring>
#include <string>
#include <utility>

#include "media/text.h"
#include "menus/scorecard.h"
#include "shell/display.h"

BestScoresState gBestScores;

namespace {

constexpr COLORREF kPlayerColors[kPlayerSlots] = {
    RGB(248, 248, 80), RGB(8, 224, 184),   RGB(96, 160, 216), RGB(40, 240, 16),
    RGB(248, 72, 8),   RGB(248, 152, 216), RGB(152, 32, 248), RGB(240, 0, 0),
};

constexpr int32_t kHeaderTop = 110;
constexpr int32_t kFirstRowTop = 152;

}  // namespace

int32_t BestScoreTotal(const PlayerRecord& record) {
  int32_t total = 0;
  for (int8_t strokes : record.strokes) {
    if (strokes == 0) return kUnplayedTotal;  // a skipped hole is no complete round
    total += strokes;
  }
  return total;
}

int32_t SortBestScores(PlayerRecord* records, int32_t count) {
  if (!records || count < 2) return 0;
  int32_t totals[kBestScoreSlots];
  if (count > kBestScoreSlots) count = kBestScoreSlots;  // never more than the table and its candidate
  for (int32_t r = 0; r < count; ++r) totals[r] = BestScoreTotal(records[r]);
  int32_t i = 1, place = 0;
  while (i < count) {
    // Strictly greater only: an equal total keeps the older entry in front.
    if (totals[i - 1] > totals[i]) {
      std::swap(records[i - 1], records[i]);
      std::swap(totals[i - 1], totals[i]);
      place = i;
      if (i == 1) return place;
      --i;
    } else {
      ++i;
    }
  }
  return place;
}

int32_t InsertBestScore(const PlayerRecord& player) {
  std::memcpy(&gBestScores.records[kBestScoreCount], &player, sizeof player);
  return SortBestScores(gBestScores.records, kBestScoreSlots);
}

bool PlayerColor(int32_t player, COLORREF* color) {
  if (player < 1 || player > kPlayerSlots) return false;
  *color = kPlayerColors[player - 1];
  return true;
}

void DrawBestScores(int32_t place) {
  gScoreTable.rowHeight = kScoreRowHeight;
  DrawGrassBackground();
  Surface* back = gDisplay.backBuffer.get();
  DrawFramedText(back, kTextRaised, "", 1, 107, 639, 366);
  const std::string title =
      "Top TEN Best Players for " + FieldText(gRound.course.name, sizeof gRound.course.name) + " Course";
  const int32_t width = kColumnUnit * (static_cast<int32_t>(title.size()) + 4);
  const int32_t left = (640 - width) / 2;
  DrawFramedText(back, kTextRaised, title.c_str(), left, 44, left + width, 44 + 22);
  DC dc;
  if (BeginTableDrawing(&dc)) {
    DrawCells(&dc, ScoreHeaderCells(gRound.course, kHeaderTop));
    for (int32_t r = 1; r <= kBestScoreCount; ++r) {
      const int32_t y = kFirstRowTop + 21 * (r - 1);
      COLORREF color;
      if (r == place && PlayerColor(gRound.currentPlayer, &color)) {
        const RECT fill{4, y, 123, y + 22};
        FillRect(&dc, &fill, Brush{true, color});
      }
      DrawCells(&dc, ScoreRowCells(gBestScores.records[r - 1], gRound.course, y));
    }
    EndTableDrawing(&dc);
  }
  DrawContinueBox();
}

void ResetBestScoresForTest() { gBestScores = BestScoresState{}; }
