// The best-scores table: ranking a finished round against the ten best, and the screen that shows them.
#pragma once

#include <cstdint>

#include "platform/win.h"
#include "round/round_data.h"

constexpr int32_t kBestScoreCount = 10;
constexpr int32_t kBestScoreSlots = kBestScoreCount + 1;  // the eleventh is the candidate
constexpr int32_t kNoHighlight = 99;
constexpr int32_t kUnplayedTotal = 999;

struct BestScoresState {
  PlayerRecord records[kBestScoreSlots];  // 0..9 the top ten in order, 10 the candidate
};

extern BestScoresState gBestScores;

// The sum of the strokes, or 999 when any hole was not played.
int32_t BestScoreTotal(const PlayerRecord& record);
// Moves out-of-order records up past larger totals; returns the 1-based place of the last move, 0 for none.
int32_t SortBestScores(PlayerRecord* records, int32_t count);
// Enters a finished round as the candidate; its place 1..10, or 0 when it stays eleventh.
int32_t InsertBestScore(const PlayerRecord& player);
// Colour of player 1..8's highlight; false for any other number.
bool PlayerColor(int32_t player, COLORREF* color);
// Place 1..10 highlights that row in the current player's colour; 99 highlights nothing.
void DrawBestScores(int32_t place);

void ResetBestScoresForTest();
