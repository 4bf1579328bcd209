// The score card and course information screens, and the engraved table style the best scores share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/draw/gdi.h"
#include "round/round_data.h"

constexpr int32_t kColumnUnit = 8;
constexpr int32_t kScoreRowHeight = 22;
constexpr int32_t kCourseInfoRowHeight = 20;

// The three engraved cells differ only in where their text goes.
enum class CellKind : uint8_t { Header, Number, Name };

struct TableCell {
  CellKind kind;
  std::string text;  // Windows-1252 bytes
  RECT rect;         // right and bottom as passed to the cell drawing
};

struct ScoreTableState {
  int32_t rowHeight = kScoreRowHeight;  // each screen sets its own before drawing
};

extern ScoreTableState gScoreTable;

// Layout, as functions of the records, so the tables can be checked without drawing.
int32_t PlayingSlotCount(const RoundState& round);
// Slot indexes (0-based) of the players on the card, in slot order.
std::vector<int32_t> PlayingSlots(const RoundState& round);
int32_t ScoreCardTop(int32_t playing);  // y0 of the header rows
std::vector<TableCell> ScoreHeaderCells(const CourseRecord& course, int32_t y0);
std::vector<TableCell> ScoreRowCells(const PlayerRecord& player, const CourseRecord& course, int32_t top);
std::vector<TableCell> CourseInfoCells(const CourseRecord& course);
// Strokes minus par over the holes played only.
int32_t OverPar(const PlayerRecord& player, const CourseRecord& course);
// Names are fixed-size fields that need not end in a NUL.
std::string FieldText(const char* field, size_t size);

// Drawing pieces the best-scores screen uses too.
void DrawGrassBackground();
void DrawHeaderCell(DC* dc, const char* text, int32_t left, int32_t top, int32_t right, int32_t bottom);
void DrawNumberCell(DC* dc, const char* text, int32_t left, int32_t top, int32_t right, int32_t bottom);
void DrawNameCell(DC* dc, const char* text, int32_t left, int32_t top, int32_t right, int32_t bottom);
void DrawCells(DC* dc, const std::vector<TableCell>& cells);
// Opens the back buffer's context with the game font, hollow brush, black text and transparent background.
bool BeginTableDrawing(DC* dc);
void EndTableDrawing(DC* dc);
void DrawContinueBox();

void DrawScoreCard();
void DrawCourseInfo();
