// Ball physics: a speed is a budget of pixels, spent one pixel at a time; slopes add to it, friction
// scales it down, walls reflect it. Integer arithmetic only, at the widths the ball state has.
#include "green/physics.h"

#include "green/features.h"
#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/sprites.h"
#include "green/status.h"
#include "media/sound.h"
#include "shell/display.h"
#include "shell/shell.h"

MotionState gMotion;

namespace {

// The ball's fields are 16-bit and wrap as such.
constexpr int16_t W16(int32_t value) { return static_cast<int16_t>(value); }

// 32-bit products and sums wrap the way the machine's registers do, never as undefined behaviour.
constexpr int32_t Mul32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
constexpr int32_t Add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t Neg32(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }
constexpr int32_t Div32(int32_t a, int32_t b) { return b == -1 ? Neg32(a) : a / b; }
constexpr int32_t Abs32(int32_t a) { return a < 0 ? Neg32(a) : a; }

void PlayRoundEffect(RoundEffect effect) { PlayEffect(gRound.effects[effect].get(), kPlayOnce); }

bool OutsideField(const BallState& ball) {
  return ball.x < 0 || ball.x > kFieldRight || ball.y < 0 || ball.y > kFieldBottom;
}

// The pacing half of PaceAndDraw; true when the step waited.
bool PaceAndDrawStep() {
  const BallState& ball = gRound.ball;
  const int32_t delay = StepDelay(gMotion.stepPace, ball.speedX, ball.speedY);
  if (delay != 0) FrameWait(static_cast<uint32_t>(delay));
  if (ball.speedX + ball.speedY >= 10) {
    DrawRollingBall();
  } else {
    DrawBall(8, 1);
  }
  return delay != 0;
}

void TakeRestingState() { gMotion.resting = gRound.ball; }

// What the exact value of a code does (codes 0 and 128..255 do nothing here).
void PerformCodeAction(uint8_t code) {
  switch (code) {
    case kCodeStartPad:
    case kCodeGreen:
      TakeRestingState();
      break;
    case kCodeCup:
      CupFriction();
      TakeRestingState();
      break;
    case kCodeRoughWall:
      RoughEdgeRebound();
      break;
    case kCodeWater:
      EnterWater();
      break;
    case kCodeHeavy:
      HeavyGround();
      TakeRestingState();
      break;
    case kCodeCentreOff:
      gMotion.centreReversal = 0;
      break;
    case kCodeCentreOn:
      gMotion.centreReversal = 1;
      break;
    case kCodeChute:
      RideChute();
      break;
    case kCodeLaunch:
      LaunchBall();
      break;
    case kCodeReturn:
      ReturnBall();
      break;
    case kCodeKeepSpeed:
      KeepSpeed();
      break;
    case kCodeGlideStart:
      StartGlide();
      break;
    case kCodeGlideEnd:
      EndGlide();
      break;
    case kCodeBounceBack:
      BounceBack();
      break;
    default:
      if (code >= kCodeSlopeStrength && code < kCodeSlopeReset) {
        gMotion.slopeStrength = W16(code - kCodeSlopeStrength);
      } else if (code == kCodeSlopeReset) {
        ResetSlopeStrength();
      }
      break;
  }
}

// A roll that has made this many steps without a pause would long have passed the 30-second guard had each
// step paused the shortest delay. Only a ball that can never rest gets there: one held with no speed on a
// slope of strength 0, or knocked to and fro against a wall by a slope of strength 1. Such steps add no
// time, so the clock alone would stop it only after some 27 million steps, and on a real machine, where
// the guard's wait then comes back late, never.
constexpr uint32_t kMaxStepsWithoutPause = kRestTimeLimitMs / 2;

}  // namespace

// ---- Pure cores -----------------------------------------------------------------------------------------

BallState StrikeFromAim(const BallState& ball, int32_t aimX, int32_t aimY) {
  BallState b = ball;
  const int16_t dx = W16(static_cast<int32_t>(static_cast<uint32_t>(aimX) - static_cast<uint32_t>(ball.x)));
  const int16_t dy = W16(static_cast<int32_t>(static_cast<uint32_t>(aimY) - static_cast<uint32_t>(ball.y)));
  const int16_t vx = W16(6 * dx);
  const int16_t vy = W16(6 * dy);
  b.speedX = W16(vx < 0 ? -vx : vx);
  b.dirX = vx < 0 ? -1 : 1;
  b.speedY = W16(vy < 0 ? -vy : vy);
  b.dirY = vy < 0 ? -1 : 1;
  return b;
}

int16_t FirstAccumulator(int16_t speedX, int16_t speedY) { return speedX <= speedY ? speedY : W16(-speedX); }

StepCore StepPixel(const BallState& ball, int16_t accumulator) {
  StepCore s{ball, accumulator, 0};
  BallState& b = s.ball;
  int16_t& a = s.accumulator;
  if (a > 0) {
    if (b.speedY > 0) {
      b.y = W16(b.y + Sign(b.dirY));
      b.speedY = W16(b.speedY - 1);
    }
    a = W16(a - b.speedX);
    s.pace = W16(b.speedX + b.speedY);
    if (a > 0) return s;  // vertical
    const int16_t speedXBefore = b.speedX;
    if (b.speedX > 0) {
      b.x = W16(b.x + Sign(b.dirX));
      b.speedX = W16(b.speedX - 1);
    }
    a = W16(a + b.speedY);
    // A diagonal step takes twice as long as a straight one.
    s.pace = W16(W16(speedXBefore + b.speedY) >> 1);
    return s;
  }
  if (b.speedX > 0) {
    b.x = W16(b.x + Sign(b.dirX));
    b.speedX = W16(b.speedX - 1);
  }
  a = W16(a + b.speedY);
  s.pace = W16(b.speedX + b.speedY);
  if (a <= 0) return s;  // horizontal
  const int16_t speedYBefore = b.speedY;
  if (b.speedY > 0) {
    b.y = W16(b.y + Sign(b.dirY));
    b.speedY = W16(b.speedY - 1);
  }
  a = W16(a - b.speedX);
  s.pace = W16(W16(b.speedX + speedYBefore) >> 1);
  return s;
}

int32_t StepDelay(int16_t pace, int16_t speedX, int16_t speedY) {
  if (pace == 0 || speedX + speedY == 0) return 0;
  const int32_t delay = 1000 / pace;
  return delay < 2 ? 2 : (delay > 64 ? 64 : delay);
}

BallState PushCore(const BallState& ball, int32_t direction, int16_t strength, uint8_t* toggle) {
  int32_t d = direction;
  if (d & 1) {
    d = (*toggle ? d + 1 : d - 1) & 15;
    *toggle = *toggle ? 0 : 1;
  }
  const int32_t step = (d & 15) >> 1;
  BallState b = ball;
  const int16_t vx = W16(b.speedX * Sign(b.dirX) + kStepX[step] * strength);
  const int16_t vy = W16(b.speedY * Sign(b.dirY) + kStepY[step] * strength);
  b.speedX = W16(vx < 0 ? -vx : vx);
  b.dirX = vx < 0 ? -1 : 1;
  b.speedY = W16(vy < 0 ? -vy : vy);
  b.dirY = vy < 0 ? -1 : 1;
  return b;
}

BallState BounceBackFrom(const BallState& previous) {
  BallState b = previous;
  b.dirX = W16(-previous.dirX);
  b.dirY = W16(-previous.dirY);
  return b;
}

ReboundCoreResult ReboundCore(const BallState& moved, const BallState& previous, int32_t nx, int32_t ny,
                              ReboundKind kind) {
  if (nx == 0 && ny == 0) return {BounceBackFrom(previous), ReboundOutcome::BouncedBack};
  int32_t vx = previous.speedX * Sign(previous.dirX);
  int32_t vy = previous.speedY * Sign(previous.dirY);
  const int32_t dot = Add32(Mul32(vx, nx), Mul32(vy, ny));
  ReboundOutcome outcome = ReboundOutcome::Held;
  if (dot <= 0) {
    // Not moving into the wall.
    if (kind == ReboundKind::Straight) return {moved, ReboundOutcome::Stood};
    if (kind == ReboundKind::RoughEdge) {
      BallState b = BounceBackFrom(previous);
      b.speedX = W16(b.speedX >> 1);
      b.speedY = W16(b.speedY >> 1);
      return {b, ReboundOutcome::Halved};
    }
    // A curved wall keeps the ball where it was, with the velocity it had.
  } else {
    const int32_t n = Add32(Mul32(nx, nx), Mul32(ny, ny));
    const int32_t a = Add32(Mul32(ny, ny), Neg32(Mul32(nx, nx)));
    const int32_t c = Mul32(2, Mul32(nx, ny));
    const int32_t rx = Div32(Add32(Mul32(a, vx), Neg32(Mul32(c, vy))), n);
    const int32_t ry = Neg32(Div32(Add32(Mul32(a, vy), Mul32(c, vx)), n));
    vx = rx;
    vy = ry;
    outcome = ReboundOutcome::Reflected;
  }
  BallState b = previous;
  b.speedX = W16(Abs32(vx));
  b.dirX = vx < 0 ? -1 : 1;
  b.speedY = W16(Abs32(vy));
  b.dirY = vy < 0 ? -1 : 1;
  return {b, outcome};
}

BallState CupFrictionCore(const BallState& ball) {
  BallState b = ball;
  b.speedX = W16(b.speedX * 13 / 16);
  b.speedY = W16(b.speedY * 13 / 16);
  if (b.speedX + b.speedY < 50) {
    b.speedX = 0;
    b.speedY = 0;
  }
  return b;
}

BallState HeavyGroundCore(const BallState& ball) {
  BallState b = ball;
  b.speedX = W16(b.speedX * 15 / 16);
  b.speedY = W16(b.speedY * 15 / 16);
  return b;
}

void RoughEdgeNormal(int32_t px, int32_t py, int32_t* nx, int32_t* ny) {
  int32_t sx = 0;
  int32_t sy = 0;
  for (int32_t dx = -2; dx <= 2; ++dx) {
    for (int32_t dy = -2; dy <= 2; ++dy) {
      if (IsWallForNormal(MapCodeAt(px + dx, py + dy))) {
        sx += dx;
        sy += dy;
      }
    }
  }
  *nx = sx;
  *ny = sy;
}

// ---- Verbs -----------------------------------------------------------------------------------------------

void StrikeBall() {
  BallState& ball = gRound.ball;
  ball = StrikeFromAim(ball, gRound.aimPoint.x, gRound.aimPoint.y);
  gMotion.stepAccumulator = FirstAccumulator(ball.speedX, ball.speedY);
  // The round's stroke limit keeps the counter inside the history; a counter beyond it records nothing.
  if (gRound.strokeCounter >= 0 && gRound.strokeCounter < kStrokeHistorySize) {
    gRound.strokeHistory[gRound.strokeCounter] = ball;
  }
  gMotion.centreReversal = 0;
  gMotion.previousCode = 0;
  gMotion.glideMode = 0;
  gMotion.oddToggle = 0;
  RedrawGreen();
  DrawBall(8, 1);
  PresentFrame();
}

void PrepareReplayMotion() {
  gMotion.stepAccumulator = FirstAccumulator(gRound.ball.speedX, gRound.ball.speedY);
  gMotion.stepPace = 0;
}

void RollBall() {
  FrameWait(0);
  int32_t stepCounter = 0;
  uint32_t stepsWithoutPause = 0;
  gMotion.pixelSteps = 0;
  while (gRound.playPhase == kPhaseRolling) {
    PixelStep();
    ApplyGround();
    ++gMotion.pixelSteps;
    if (gMotion.stepHook) gMotion.stepHook({gMotion.pixelSteps, gRound.ball, gMotion.currentCode});
    if (!PaceAndDrawStep()) ++stepsWithoutPause;
    // Step 1,801 and every 900 steps after it: a ball scheduled to roll for more than 30 seconds stops.
    if (stepCounter == 1800) {
      const uint32_t scheduled = FrameWait(1);
      if (scheduled > static_cast<uint32_t>(kRestTimeLimitMs) || stepsWithoutPause >= kMaxStepsWithoutPause) {
        SetPlayPhase(kPhaseAtRest);
      }
      stepCounter = 900;
    }
    ++stepCounter;
  }
}

void PixelStep() {
  gMotion.previous = gRound.ball;
  const StepCore s = StepPixel(gRound.ball, gMotion.stepAccumulator);
  gRound.ball = s.ball;
  gMotion.stepAccumulator = s.accumulator;
  gMotion.stepPace = s.pace;
}

void ApplyGround() {
  BallState& ball = gRound.ball;
  MotionState& m = gMotion;
  if (OutsideField(ball)) {
    BounceBack();
    return;
  }
  const uint8_t k = MapCodeAt(ball.x, ball.y);
  m.currentCode = k;
  bool slopeMark = false;
  const int32_t n = k & 0x0F;
  if (k >= kCodeTunnel) {
    TunnelTrip((k >> 3) & 7, k & 7);
  } else if ((k & 0xF0) == kCodeWall) {
    if (n >= 8) {
      // The normal runs from the bend's centre to the ball: the inside of the bend reflects.
      Rebound(ball.x - gHole.wallTable[n].x, ball.y - gHole.wallTable[n].y, ReboundKind::Curved);
    } else if (gRound.currentHole != 16) {
      Rebound(gHole.wallTable[n].x, gHole.wallTable[n].y, ReboundKind::Straight);
    } else if (m.glideMode != 0) {
      // Hole 16's walls only hold a gliding ball, and keep the speed it rebounded with.
      Rebound(gHole.wallTable[n].x, gHole.wallTable[n].y, ReboundKind::Straight);
      m.previous = ball;
    } else if (m.previousCode == kCodeGlideEnd) {
      BounceBack();
    }
  } else if ((k & 0xF0) == kCodeFunnel) {
    const TablePoint p = gHole.cupTable[n];
    const int32_t d = DirectionToward(ball.x, ball.y, p.x, p.y);
    if (d >= 16) {
      m.currentCode = kCodeCup;  // close to its point a funnel is the cup
    } else {
      const int16_t saved = m.slopeStrength;
      m.slopeStrength = kFunnelStrength;
      Push(d, m.slopeStrength);
      m.slopeStrength = saved;
      // A ball circling the cup is stopped there after 51 pushes in a row.
      if (m.funnelCounter++ > 50) {
        ball.speedX = 0;
        ball.speedY = 0;
        m.funnelCounter = 0;
      }
    }
  } else if ((k & 0xF0) == kCodeCentreSlope) {
    const TablePoint p = gHole.centreTable[n];
    int32_t d = DirectionToward(ball.x, ball.y, p.x, p.y) & 15;
    if (m.centreReversal) d = (d + 8) & 15;
    Push(d, m.slopeStrength);
    slopeMark = true;
  } else if ((k & 0xF0) == kCodeSlope) {
    Push(n, m.slopeStrength);
    slopeMark = true;
  }
  if ((k & 0xF0) != kCodeFunnel) m.funnelCounter = 0;
  if (m.glideMode != 0 && m.currentCode != kCodeGlideEnd) m.currentCode = kCodeKeepSpeed;
  PerformCodeAction(m.currentCode);
  m.previousCode = m.currentCode;
  if (m.tunnelGuard > 0) m.tunnelGuard = W16(m.tunnelGuard - 1);

  const uint8_t k2 = MapCodeAt(ball.x, ball.y);
  const uint8_t glide = m.glideMode;
  if (k2 == kCodeRoughWall && glide == 0) {
    ball.x = m.resting.x;
    ball.y = m.resting.y;
  }
  m.currentCode = k2;
  // Never judged at rest on a step that crossed a slope.
  if (slopeMark) return;
  if (ball.speedX + ball.speedY != 0) return;
  if (!IsRestingPlace(k2)) {
    ball.x = m.resting.x;
    ball.y = m.resting.y;
  }
  if (glide != 0) {
    m.glideMode = 0;
    ball.x = m.resting.x;
    ball.y = m.resting.y;
  }
  JudgeRest();
}

void PaceAndDraw() { PaceAndDrawStep(); }

void Push(int32_t direction, int16_t strength) {
  gRound.ball = PushCore(gRound.ball, direction, strength, &gMotion.oddToggle);
}

void Rebound(int32_t nx, int32_t ny, ReboundKind kind) {
  const ReboundCoreResult r = ReboundCore(gRound.ball, gMotion.previous, nx, ny, kind);
  if (r.outcome == ReboundOutcome::Reflected) {
    PlayRoundEffect(gMotion.reboundSide == 0 ? kEffectWallL : kEffectWallR);
    gMotion.reboundSide = (gMotion.reboundSide + 1) & 1;
  }
  gRound.ball = r.ball;
}

void RoughEdgeRebound() {
  int32_t nx = 0;
  int32_t ny = 0;
  RoughEdgeNormal(gMotion.previous.x, gMotion.previous.y, &nx, &ny);
  if (nx == 0 && ny == 0) {
    BounceBack();
  } else {
    Rebound(nx, ny, ReboundKind::RoughEdge);
  }
}

void BounceBack() { gRound.ball = BounceBackFrom(gMotion.previous); }

void CupFriction() { gRound.ball = CupFrictionCore(gRound.ball); }

void HeavyGround() { gRound.ball = HeavyGroundCore(gRound.ball); }

void ResetSlopeStrength() {
  if (gHole.holeSlopeStrength < 0 || gHole.holeSlopeStrength > 9) gHole.holeSlopeStrength = 1;
  gMotion.slopeStrength = gHole.holeSlopeStrength;
}

void ResetMotionForTest() { gMotion = MotionState{}; }
