// The score card and course information screens: grass, engraved cells, and the continue box.
#include "menus/scorecard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "media/picture.h"
#include "media/text.h"
#include "shell/display.h"

ScoreTableState gScoreTable;

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr uint32_t kNumberFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;
constexpr uint32_t kNameFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;
constexpr uint32_t kHeaderFormat = DT_CENTER | DT_NOPREFIX;
// The plus-minus sign of Windows-1252.
constexpr char kAgainstParLabel[] = "\xB1PAR";

// GDI's Rectangle with a hollow brush: the outline covers left..right-1 and top..bottom-1.
void DrawOutline(DC* dc, const RECT& r) {
  MoveToEx(dc, r.left, r.top, nullptr);
  LineTo(dc, r.right - 1, r.top);
  LineTo(dc, r.right - 1, r.bottom - 1);
  LineTo(dc, r.left, r.bottom - 1);
  LineTo(dc, r.left, r.top);
}

// Grey up-left, white down-right, black in place: the cell looks cut into the panel.
void DrawEngraved(DC* dc, const char* text, const RECT& cell, const RECT& textRect, uint32_t format) {
  const struct {
    int32_t shift;
    COLORREF color;
  } passes[] = {{-1, kGrey}, {1, kWhite}, {0, kBlack}};
  for (const auto& pass : passes) {
    SelectPen(dc, CreatePen(PS_SOLID, 1, pass.color));
    SetTextColor(dc, pass.color);
    const int32_t d = pass.shift;
    DrawOutline(dc, RECT{cell.left + d, cell.top + d, cell.right + d, cell.bottom + d});
    RECT area{textRect.left + d, textRect.top + d, textRect.right + d, textRect.bottom + d};
    DrawTextA(dc, text, -1, &area, format);
  }
}

std::string Number(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

int32_t HoleLeft(int32_t hole) { return hole <= 9 ? 122 + 23 * (hole - 1) : 360 + 23 * (hole - 10); }

int32_t ParSum(const CourseRecord& course, int32_t first, int32_t last) {
  int32_t sum = 0;
  for (int32_t k = first; k <= last; ++k) sum += course.holes[k - 1].par;
  return sum;
}

int32_t StrokeSum(const PlayerRecord& player, int32_t first, int32_t last) {
  int32_t sum = 0;
  for (int32_t k = first; k <= last; ++k) sum += player.strokes[k - 1];
  return sum;
}

// Title boxes are as wide as their text plus four column units, centred on the screen.
void DrawTitle(const std::string& title, int32_t top, int32_t height) {
  const int32_t width = kColumnUnit * (static_cast<int32_t>(title.size()) + 4);
  const int32_t left = (640 - width) / 2;
  DrawFramedText(gDisplay.backBuffer.get(), kTextRaised, title.c_str(), left, top, left + width, top + height);
}

}  // namespace

std::string FieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

std::vector<int32_t> PlayingSlots(const RoundState& round) {
  // The count comes from the title menu; a value outside 0..8 must not walk past the eight slots.
  const int32_t slots = std::clamp<int32_t>(round.playerCount, 0, kPlayerSlots);
  std::vector<int32_t> playing;
  for (int32_t s = 0; s < slots; ++s) {
    if (round.players[s].playing != kSittingOut) playing.push_back(s);
  }
  return playing;
}

int32_t PlayingSlotCount(const RoundState& round) { return static_cast<int32_t>(PlayingSlots(round).size()); }

int32_t ScoreCardTop(int32_t playing) { return 11 * (20 - playing); }

int32_t OverPar(const PlayerRecord& player, const CourseRecord& course) {
  int32_t over = 0;
  for (int32_t k = 0; k < kHoleCount; ++k) {
    if (player.strokes[k] != 0) over += player.strokes[k] - course.holes[k].par;
  }
  return over;
}

std::vector<TableCell> ScoreHeaderCells(const CourseRecord& course, int32_t y0) {
  const int32_t holeTop = y0, holeBottom = y0 + 22, parTop = y0 + 21, parBottom = y0 + 43;
  std::vector<TableCell> cells;
  cells.push_back({CellKind::Header, "PLAYER\nNAME", {4, y0, 84, parBottom}});
  cells.push_back({CellKind::Number, "HOLE", {83, holeTop, 123, holeBottom}});
  cells.push_back({CellKind::Number, "PAR", {83, parTop, 123, parBottom}});
  for (int32_t k = 1; k <= kHoleCount; ++k) {
    const int32_t left = HoleLeft(k);
    cells.push_back({CellKind::Number, Number(k), {left, holeTop, left + 24, holeBottom}});
    cells.push_back({CellKind::Number, Number(course.holes[k - 1].par), {left, parTop, left + 24, parBottom}});
    if (k == 9) {
      cells.push_back({CellKind::Number, "SUB", {329, holeTop, 361, holeBottom}});
      cells.push_back({CellKind::Number, Number(ParSum(course, 1, 9)), {329, parTop, 361, parBottom}});
    }
  }
  cells.push_back({CellKind::Number, "TOT", {567, holeTop, 599, holeBottom}});
  cells.push_back({CellKind::Number, Number(ParSum(course, 1, 18)), {567, parTop, 599, parBottom}});
  cells.push_back({CellKind::Number, kAgainstParLabel, {598, holeTop, 637, holeBottom}});
  cells.push_back({CellKind::Number, "0", {598, parTop, 637, parBottom}});
  return cells;
}

std::vector<TableCell> ScoreRowCells(const PlayerRecord& player, const CourseRecord& course, int32_t top) {
  const int32_t bottom = top + 22;
  std::vector<TableCell> cells;
  cells.push_back({CellKind::Name, FieldText(player.name, sizeof player.name), {4, top, 123, bottom}});
  for (int32_t k = 1; k <= kHoleCount; ++k) {
    const int32_t left = HoleLeft(k);
    const int8_t strokes = player.strokes[k - 1];
    cells.push_back({CellKind::Number, strokes == 0 ? " " : Number(strokes), {left, top, left + 24, bottom}});
    if (k == 9) cells.push_back({CellKind::Number, Number(StrokeSum(player, 1, 9)), {329, top, 361, bottom}});
  }
  cells.push_back({CellKind::Number, Number(StrokeSum(player, 1, 18)), {567, top, 599, bottom}});
  cells.push_back({CellKind::Number, Number(OverPar(player, course)), {598, top, 637, bottom}});
  return cells;
}

std::vector<TableCell> CourseInfoCells(const CourseRecord& course) {
  std::vector<TableCell> cells;
  auto row = [&cells](std::string first, std::string second, std::string name, int32_t top) {
    cells.push_back({CellKind::Number, std::move(first), {160, top, 200, top + 20}});
    cells.push_back({CellKind::Number, std::move(second), {199, top, 231, top + 20}});
    cells.push_back({CellKind::Name, std::move(name), {230, top, 486, top + 20}});
  };
  row("Hole", "Par", FieldText(course.name, sizeof course.name), 25);
  for (int32_t k = 1; k <= kHoleCount; ++k) {
    const HoleRecord& hole = course.holes[k - 1];
    row(Number(k), Number(hole.par), FieldText(hole.name, sizeof hole.name), 44 + 19 * (k - 1));
  }
  row("Tot", Number(ParSum(course, 1, 18)), "Quillmere", 386);
  return cells;
}

void DrawGrassBackground() {
  SurfacePtr grass = LoadKeyedSurface("Data\\Grass.bmp");
  if (!grass) return;  // the table goes over whatever the back buffer held
  for (int32_t j = 0; j < 8; ++j) {
    const int32_t h = j < 7 ? 64 : 32;  // eight rows of 64 would run 32 past the bottom
    for (int32_t i = 0; i < 10; ++i) BlitRect(gDisplay.backBuffer.get(), 64 * i, 64 * j, 64, h, 0, 0, grass.get(), 0);
  }
  ReleaseInterface(grass);
}

void DrawHeaderCell(DC* dc, const char* text, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const RECT cell{left, top, right, bottom};
  DrawEngraved(dc, text, cell, RECT{left, top + gScoreTable.rowHeight - 16, right, bottom}, kHeaderFormat);
}

void DrawNumberCell(DC* dc, const char* text, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const RECT cell{left, top, right, bottom};
  DrawEngraved(dc, text, cell, cell, kNumberFormat);
}

void DrawNameCell(DC* dc, const char* text, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const RECT cell{left, top, right, bottom};
  DrawEngraved(dc, text, cell, RECT{left + 2, top, right, bottom}, kNameFormat);
}

void DrawCells(DC* dc, const std::vector<TableCell>& cells) {
  for (const TableCell& c : cells) {
    const RECT& r = c.rect;
    switch (c.kind) {
      case CellKind::Header:
        DrawHeaderCell(dc, c.text.c_str(), r.left, r.top, r.right, r.bottom);
        break;
      case CellKind::Number:
        DrawNumberCell(dc, c.text.c_str(), r.left, r.top, r.right, r.bottom);
        break;
      case CellKind::Name:
        DrawNameCell(dc, c.text.c_str(), r.left, r.top, r.right, r.bottom);
        break;
    }
  }
}

bool BeginTableDrawing(DC* dc) {
  if (!SurfaceGetDC(gDisplay.backBuffer.get(), dc)) return false;
  SelectGameFont(dc);
  SelectBrush(dc, NULL_BRUSH);
  SetTextColor(dc, kBlack);
  SetBkMode(dc, TRANSPARENT);
  return true;
}

void EndTableDrawing(DC* dc) {
  SelectPen(dc, WHITE_PEN);
  SelectFont(dc, nullptr);  // the stock font, so the game font is not left selected
  SurfaceReleaseDC(gDisplay.backBuffer.get(), dc);
}

void DrawContinueBox() { DrawTitle("Hit Button to Continue", 440, gScoreTable.rowHeight); }

void DrawScoreCard() {
  gScoreTable.rowHeight = kScoreRowHeight;
  const int32_t n = PlayingSlotCount(gRound);
  const int32_t y0 = ScoreCardTop(n);
  DrawGrassBackground();
  DrawFramedText(gDisplay.backBuffer.get(), kTextRaised, "", 1, y0 - 3, 639, y0 + 21 * n + 46);
  DrawTitle("Score Card for " + FieldText(gRound.course.name, sizeof gRound.course.name) + " Course", (y0 - 22) / 2,
            22);
  DC dc;
  if (BeginTableDrawing(&dc)) {
    DrawCells(&dc, ScoreHeaderCells(gRound.course, y0));
    const std::vector<int32_t> slots = PlayingSlots(gRound);
    for (size_t row = 0; row < slots.size(); ++row) {
      const int32_t top = y0 + 42 + 21 * static_cast<int32_t>(row);
      DrawCells(&dc, ScoreRowCells(gRound.players[slots[row]], gRound.course, top));
    }
    EndTableDrawing(&dc);
  }
  DrawContinueBox();
}

void DrawCourseInfo() {
  gScoreTable.rowHeight = kCourseInfoRowHeight;
  DrawGrassBackground();
  DrawFramedText(gDisplay.backBuffer.get(), kTextRaised, "", 155, 20, 491, 411);
  DC dc;
  if (BeginTableDrawing(&dc)) {
    DrawCells(&dc, CourseInfoCells(gRound.course));
    EndTableDrawing(&dc);
  }
  DrawContinueBox();
}
