// Course features that take the ball out of plain rolling: water, tunnels, hole 18's chute, launch and
// return cells, glide stretches, and the judging of a ball at rest.
#pragma once

#include <cstdint>
#include <functional>

// Figure picture of hole 18: direction frames at x = 64 x d, and four single sprites.
constexpr int32_t kFigureSpriteStart = 512;  // shown at the top of the chute before a ride
constexpr int32_t kFigureSpriteIdle = 544;   // shown at the top when nobody rides
constexpr int32_t kFigureSpriteGate = 576;   // the bottom while the figure is away
constexpr int32_t kFigureSpriteBack = 608;   // the bottom after a ride
constexpr int32_t kFigureTopX = 499, kFigureTopY = 104;
constexpr int32_t kFigureBottomX = 499, kFigureBottomY = 304;

constexpr int32_t kChuteX = 515;
constexpr int32_t kMaxTransitMs = 3000;

// ---- Pure cores -----------------------------------------------------------------------------------------

// Where a near miss is judged: cup table entry 0, or entry 15 when entry 0's x is 0.
void CupPoint(int32_t* hx, int32_t* hy);
bool IsNearMiss(int32_t x, int32_t y, int32_t hx, int32_t hy);

enum class TunnelStop : uint8_t { Result, MapEdge, Loop };
struct TunnelRoute {
  TunnelStop stop;
  int32_t result;     // for TunnelStop::Result: 1 exit, else the end's direction
  int32_t x, y;       // last path point
  int32_t direction;  // travel direction there
  int32_t points;     // path points visited
};
// Follows a tunnel from the ball at (bx, by) into direction f; onPoint sees every path point inside the map.
// A path that comes back to a turn it has already taken in the same way would run forever: it stops there.
TunnelRoute FollowTunnel(int32_t bx, int32_t by, int32_t f,
                         const std::function<void(int32_t x, int32_t y, int32_t d)>& onPoint = nullptr);
// Milliseconds spent under the green: the Manhattan distance at the ball's speed, at most 3000.
int32_t TransitTime(int32_t distance, int16_t speedX, int16_t speedY);
// The westward exit's speeds: while x is the slower axis, y halves and x gains half of the new y.
void WestwardSpeeds(int16_t* speedX, int16_t* speedY);

struct ChuteStart {
  int16_t y;
  int32_t direction;
};
ChuteStart ChuteEntry(int16_t y);

// ---- Verbs -----------------------------------------------------------------------------------------------

// While rolling: the ball is at rest. Otherwise holed, holed in one, or a near miss's effect.
void JudgeRest();
// Code 9: splash, back to before the step, one penalty stroke.
void EnterWater();
// A tunnel cell with directions f and e under the ball.
void TunnelTrip(int32_t f, int32_t e);
// Code 20: hole 18's figure carries the ball through the chute and sends it west.
void RideChute();
// One point of the chute's path, while path drawing is on.
void DrawPathPoint(int32_t x, int32_t y, int32_t direction);
// Codes 21 and 22.
void LaunchBall();
void ReturnBall();
// Codes 23, 24 and 25.
void KeepSpeed();
void StartGlide();
void EndGlide();
// The figure's sprites as at the start of a ride, drawn into the hole picture.
void DrawChuteFigureStart();
// Replay and retry put hole 18's figure back: start sprites, quack counter 0, idle sprite at the top.
void ResetChuteFigure();
// Where the ball may be set down before the first stroke of a turn.
bool IsStartPadAt(int32_t x, int32_t y);
