// Ball physics: the strike, the rolling loop with its pacing and time guard, the pixel step, the ground
// step that reads the map code under the ball, slope pushes, friction and rebounds.
#pragma once

#include <cstdint>
#include <functional>

#include "round/round_data.h"

// One pixel step as seen after its ground step: for the headless driver's per-step trace.
struct StepRecord {
  uint32_t step;  // 1 for the first pixel step of the roll
  BallState ball;
  uint8_t code;  // current code after the ground step
};
using StepHook = std::function<void(const StepRecord&)>;

struct MotionState {
  BallState previous{};         // taken at the start of every pixel step; rebounds return the ball to it
  BallState resting{};          // taken on codes 1, 2, 3 and 10; a ball stopping elsewhere goes back here
  BallState launch{};           // taken on code 21
  int16_t stepAccumulator = 0;  // interleaves x and y steps
  int16_t stepPace = 0;         // speed figure of the last pixel step, for its delay
  int16_t slopeStrength = 0;
  uint8_t oddToggle = 0;       // which neighbour an odd push direction uses
  int32_t centreReversal = 0;  // set by code 14: centre slopes push away from their centre
  uint8_t glideMode = 0;       // 0 off, 3 gliding (ball hidden, speed kept)
  uint8_t previousCode = 0;    // code acted on in the last step, after substitution
  uint8_t currentCode = 0;     // code under the ball after the last step
  int16_t tunnelGuard = 0;     // no tunnel trip starts while it is not 0
  int32_t funnelCounter = 0;   // consecutive funnel pushes
  uint8_t reboundSide = 0;     // 0 plays the left wall effect next, 1 the right one
  int32_t quackCounter = 100;  // path points of the chute; 0 quacks
  uint8_t chutePath = 0;       // the chute's figure carries the ball: path points are drawn
  // For tools and tests: pixel steps of the current roll, and a hook called after each ground step.
  uint32_t pixelSteps = 0;
  StepHook stepHook;
};

extern MotionState gMotion;

constexpr int32_t kFieldRight = 639;
constexpr int32_t kFieldBottom = 440;
constexpr int32_t kRestTimeLimitMs = 30000;
constexpr int32_t kFunnelStrength = 11;

// Any direction value other than -1 moves forward.
constexpr int32_t Sign(int16_t direction) { return direction == -1 ? -1 : 1; }

// ---- Pure cores -----------------------------------------------------------------------------------------

// Speeds and directions from six times the aim offset, in 16-bit arithmetic; the position is kept.
BallState StrikeFromAim(const BallState& ball, int32_t aimX, int32_t aimY);
// The accumulator a stroke starts with: speed y when x is not the faster axis, else minus speed x.
int16_t FirstAccumulator(int16_t speedX, int16_t speedY);

struct StepCore {
  BallState ball;
  int16_t accumulator;
  int16_t pace;
};
// One pixel step: at most one pixel on each axis, each costing a unit of that axis's speed.
StepCore StepPixel(const BallState& ball, int16_t accumulator);
// Milliseconds to wait after a step (2..64), or 0 when the step does not wait.
int32_t StepDelay(int16_t pace, int16_t speedX, int16_t speedY);

// Adds strength s along 16-step direction d; an odd d uses a neighbour picked by *toggle, which flips.
BallState PushCore(const BallState& ball, int32_t direction, int16_t strength, uint8_t* toggle);

enum class ReboundKind : uint8_t { Straight, Curved, RoughEdge };
enum class ReboundOutcome : uint8_t { BouncedBack, Stood, Halved, Held, Reflected };
struct ReboundCoreResult {
  BallState ball;
  ReboundOutcome outcome;
};
// A rebound from normal (nx, ny) of a ball that moved from previous to moved; Reflected plays a wall effect.
ReboundCoreResult ReboundCore(const BallState& moved, const BallState& previous, int32_t nx, int32_t ny,
                              ReboundKind kind);
// The previous state with both directions reversed.
BallState BounceBackFrom(const BallState& previous);
BallState CupFrictionCore(const BallState& ball);
BallState HeavyGroundCore(const BallState& ball);
// Sum of the offsets (-2..2) of wall pixels (code 4, 0xA0..0xAF) around (px, py).
void RoughEdgeNormal(int32_t px, int32_t py, int32_t* nx, int32_t* ny);

// ---- Verbs on the ball and the motion state --------------------------------------------------------------

// Sets the ball going toward the aim point, records the stroke, and shows the green with the ball at rest.
void StrikeBall();
// A replayed stroke starts from its recorded state: accumulator as at the strike, no pending delay.
void PrepareReplayMotion();
// Steps the ball while the play phase is rolling.
void RollBall();
void PixelStep();
void ApplyGround();
void PaceAndDraw();
void Push(int32_t direction, int16_t strength);
void Rebound(int32_t nx, int32_t ny, ReboundKind kind);
void RoughEdgeRebound();
void BounceBack();
void CupFriction();
void HeavyGround();
void ResetSlopeStrength();

// Back to the values the program starts with.
void ResetMotionForTest();
