// The course checks' searches: strokes played as a turn plays them, on the game's own physics with nothing
// drawn, and a search over aim points for a line that holes out within a number of strokes.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "green/physics.h"
#include "platform/win.h"
#include "round/round_data.h"

// What one stroke of a turn hands to the next: the ball at rest, the motion state that carries over (resting
// and launch states, slope strength, tunnel guard) and the stroke counter, penalties included.
struct TurnState {
  BallState ball{};
  MotionState motion{};
  int8_t stroke = 1;
};

// How a roll ended: at rest by the ground step, or stopped by the rolling loop's guard, either because it had
// been scheduled for more than 30 seconds or because it made too many steps without a pause.
enum class RollEnd : uint8_t { Rest, TimeGuard, NoPauseStop };

struct StrokeResult {
  TurnState after;               // the next stroke's state when the ball is still in play
  int32_t phase = kPhaseAtRest;  // 52 still in play, 60 holed, 61 holed in one
  RollEnd end = RollEnd::Rest;
  uint32_t steps = 0;
  uint32_t ms = 0;      // virtual milliseconds of the roll
  int32_t nearest = 0;  // squared distance of the path's closest approach to the cup point
  bool Holed() const { return phase == kPhaseHoled || phase == kPhaseHoleInOne; }
};

// The hole loaded now, readied for the searches: the display and the pictures are dropped so that a stroke
// draws nothing (drawing never feeds back into the motion), and only the map, its tables and the physics
// remain. Returns false when no hole is loaded.
void PrepareHeadlessPhysics();
// A turn's first stroke from (x, y): the ball at rest there, the motion as the program starts it, the resting
// state at the ball, and the slope strength reset as every turn does.
TurnState StartOfTurn(int32_t x, int32_t y);
// Whether a player can aim there: the aim line ends inside the field's rows and at most 200 pixels away.
bool IsPlayerAim(const BallState& ball, POINT aim);
// One stroke as the round plays it: strike, roll, judge; a ball still in play raises the stroke counter.
StrokeResult PlayTurnStroke(const TurnState& from, POINT aim);

struct LineStroke {
  POINT from;
  POINT aim;
  BallState rest;
  int32_t phase;
  int8_t stroke;  // the stroke's number (the counter at the strike)
};
using Line = std::vector<LineStroke>;

using StateKey = std::array<int32_t, 9>;
struct StateKeyHash {
  size_t operator()(const StateKey& k) const;
};

// Everything about a state that decides what its strokes do.
StateKey KeyOf(const TurnState& s);

struct Knowledge {
  Line line;                 // a line found from here (empty: none yet)
  int32_t failedBudget = 0;  // no line found within this many strokes
  int32_t quickTried = 0;    // how far the cheap tries went: 1 from here, 2 also from where they led
};

struct HoleSearch {
  int32_t cupX = 0;
  int32_t cupY = 0;
  std::vector<int32_t> distance;  // per field pixel: path length to the cup in fifths of a pixel
  std::unordered_map<StateKey, Knowledge, StateKeyHash> known;
  std::vector<std::pair<POINT, POINT>> learnedAims;  // (ball, aim) of every stroke of every line found
  uint64_t strokes = 0;
};

constexpr int32_t kFar = 1 << 30;

// The cup point and the distance field of the loaded hole (walls, water and bounce-back cells block; tunnels
// and the chute join their mouths to where they come out).
void StartHoleSearch(HoleSearch* search);
// Path length from (x, y) to the cup, or kFar.
int32_t CupDistance(const HoleSearch& search, int32_t x, int32_t y);
// A line from `from` that holes out with at most `budget` strokes, penalties counted. `width` is how many of
// the most promising resting places are searched further at each level. Results are remembered per state.
bool FindLine(HoleSearch* search, const TurnState& from, int32_t budget, int32_t width, Line* line);
