// Course features: water and its penalty, tunnels under the green, the chute of hole 18 with its figure,
// launch and return cells, glide stretches, and judging where the ball came to rest.
#include "green/features.h"

#include <cstdlib>
#include <unordered_set>

#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "media/picture.h"
#include "media/sound.h"
#include "round/round_data.h"
#include "shell/shell.h"

namespace {

constexpr int32_t kQuackEvery = 100;
constexpr int32_t kPathPointMs = 30;
constexpr int32_t kNearMissSquared = 81;

void PlayRoundEffect(RoundEffect effect) { PlayEffect(gRound.effects[effect].get(), kPlayOnce); }

void DrawFigureSprite(int32_t spriteX, int32_t toX, int32_t toY) {
  BlitRect(gHole.holePicture.get(), toX, toY, 32, 32, spriteX, 0, gHole.figurePicture.get(), 0);
}

bool OutsideMap(int32_t x, int32_t y) { return x < 0 || x > kMapWidth - 1 || y < 0 || y > kMapHeight - 1; }

// The ball disappears down the tunnel and takes the transit time to come out at the other end.
void Transit(const TunnelRoute& route, int32_t bx, int32_t by, bool inHoleSound) {
  const int32_t distance = std::abs(route.x - bx) + std::abs(route.y - by);
  const int32_t ms = TransitTime(distance, gRound.ball.speedX, gRound.ball.speedY);
  if (inHoleSound) PlayRoundEffect(kEffectInHole);
  SinkBall();
  // A fast ball through a short tunnel takes 0 ms; FrameWait(0) would restart the frame timer instead, and
  // with it the roll's 30-second guard, so a ball cycling through such a tunnel could roll for ever.
  if (ms > 0) FrameWait(static_cast<uint32_t>(ms));
  if (inHoleSound) StopEffect(gRound.effects[kEffectInHole].get());
}

}  // namespace

// ---- Pure cores -----------------------------------------------------------------------------------------

void CupPoint(int32_t* hx, int32_t* hy) {
  const TablePoint p = gHole.cupTable[0].x == 0 ? gHole.cupTable[15] : gHole.cupTable[0];
  *hx = p.x;
  *hy = p.y;
}

bool IsNearMiss(int32_t x, int32_t y, int32_t hx, int32_t hy) {
  const int64_t dx = hx - x;
  const int64_t dy = hy - y;
  return dx * dx + dy * dy <= kNearMissSquared;
}

TunnelRoute FollowTunnel(int32_t bx, int32_t by, int32_t f,
                         const std::function<void(int32_t x, int32_t y, int32_t d)>& onPoint) {
  TunnelRoute route{TunnelStop::Result, 0, bx, by, f & 7, 0};
  int32_t& x = route.x;
  int32_t& y = route.y;
  int32_t& d = route.direction;
  bool first = true;  // still inside the mouth the trip started from
  std::unordered_set<uint32_t> turns;
  for (;;) {
    const int32_t dx = kStepX[d];
    const int32_t dy = kStepY[d];
    const int32_t from = (d + 4) & 7;  // the side the ball comes from
    for (;;) {
      x += dx;
      y += dy;
      ++route.points;
      if (OutsideMap(x, y)) {
        route.stop = TunnelStop::MapEdge;
        return route;
      }
      if (onPoint) onPoint(x, y, d);
      const uint8_t k = MapCodeAt(x, y);
      if (k < kCodeTunnel) {
        first = false;
        continue;
      }
      const int32_t e2 = k & 7;
      const int32_t f2 = (k >> 3) & 7;
      if (e2 == f2) {  // a mouth
        if (first) continue;
        if (from == f2) {
          route.result = 1;
          return route;
        }
        d = f2;
        break;
      }
      if (((e2 + 4) & 7) == f2) {  // an end
        route.result = f2;
        return route;
      }
      // A bend: in at one opening, out at the other; from any other side the ball turns back.
      d = from == f2 ? e2 : (from == e2 ? f2 : from);
      break;
    }
    // The trip is fixed by where it turns, which way and whether it is still in its first mouth: a turn
    // taken a second time in the same way would repeat forever. Bad hole data must not hang the game.
    const uint32_t turn =
        ((static_cast<uint32_t>(y) * kMapWidth + static_cast<uint32_t>(x)) * 8 + d) * 2 + (first ? 1 : 0);
    if (!turns.insert(turn).second) {
      route.stop = TunnelStop::Loop;
      return route;
    }
  }
}

int32_t TransitTime(int32_t distance, int16_t speedX, int16_t speedY) {
  const int32_t sum = speedX + speedY;
  // A speed sum below 0 only comes from wrapped speeds; it waits as long as no speed at all.
  if (sum <= 0) return kMaxTransitMs;
  const int32_t ms = distance * 1000 / sum;
  return ms > kMaxTransitMs ? kMaxTransitMs : ms;
}

void WestwardSpeeds(int16_t* speedX, int16_t* speedY) {
  // Halving speed y always ends the loop for speeds that are not negative; nothing else may run it.
  while (*speedX<*speedY&& * speedY> 0) {
    *speedY = static_cast<int16_t>(*speedY >> 1);
    *speedX = static_cast<int16_t>(*speedX + (*speedY >> 1));
  }
}

ChuteStart ChuteEntry(int16_t y) {
  switch (y) {
    case 116:
      return {119, 7};
    case 117:
      return {119, 0};
    case 118:
      return {119, 1};
    case 119:
      return {120, 7};
    case 120:
      return {120, 0};
    case 121:
      return {120, 1};
    case 122:
      return {120, 0};
    case 123:
      return {120, 1};
    default:
      return {120, 0};
  }
}

// ---- Verbs -----------------------------------------------------------------------------------------------

void JudgeRest() {
  if (gRound.playPhase == kPhaseRolling) {
    SetPlayPhase(kPhaseAtRest);
    return;
  }
  const BallState& ball = gRound.ball;
  if (IsHoled(MapCodeAt(ball.x, ball.y))) {
    SetPlayPhase(gRound.strokeCounter == 1 ? kPhaseHoleInOne : kPhaseHoled);
    return;
  }
  int32_t hx = 0;
  int32_t hy = 0;
  CupPoint(&hx, &hy);
  if (IsNearMiss(ball.x, ball.y, hx, hy)) PlayRoundEffect(kEffectJustMiss);
}

void EnterWater() {
  PlayRoundEffect(kEffectWater);
  SplashBall();
  BallState& ball = gRound.ball;
  ball = gMotion.previous;
  ball.speedX = 0;
  ball.speedY = 0;
  // The penalty stroke.
  gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter + 1);
  if (gRound.strokeCounter >= 0 && gRound.strokeCounter < kStrokeHistorySize) {
    BallState& entry = gRound.strokeHistory[gRound.strokeCounter];
    entry = ball;
    entry.x = kNoPosition;
  }
  if (!gRound.replayAllowed) gRound.replayAllowed = 1;
}

void TunnelTrip(int32_t f, int32_t e) {
  MotionState& m = gMotion;
  if (m.tunnelGuard != 0) {
    m.tunnelGuard = static_cast<int16_t>(m.tunnelGuard + 1);
    return;
  }
  if (e != f) return;
  m.tunnelGuard = 2;
  BallState& ball = gRound.ball;
  const int32_t bx = ball.x;
  const int32_t by = ball.y;
  TunnelRoute route;
  if (m.chutePath) {
    route = FollowTunnel(bx, by, f, [](int32_t x, int32_t y, int32_t d) { DrawPathPoint(x, y, d); });
  } else {
    route = FollowTunnel(bx, by, f);
  }
  if (route.stop != TunnelStop::Result) {
    // Off the map, or round and round: the ball stays where it was before the step.
    m.tunnelGuard = 0;
    BounceBack();
    return;
  }
  switch (route.result) {
    case 1:
      Transit(route, bx, by, gRound.currentHole == 14 && route.direction == 3);
      break;
    case 2:
      PlayRoundEffect(kEffectTeleport);
      TeleportBall();
      break;
    case 4:
      Transit(route, bx, by, false);
      ball.dirX = -1;
      WestwardSpeeds(&ball.speedX, &ball.speedY);
      break;
    default:
      break;
  }
  ball.x = static_cast<int16_t>(route.x);
  ball.y = static_cast<int16_t>(route.y);
}

void DrawPathPoint(int32_t x, int32_t y, int32_t direction) {
  MotionState& m = gMotion;
  if (!m.chutePath) return;
  // The figure and the ball ride at the path point; the ball's own position moves at the end of the trip.
  BallState& ball = gRound.ball;
  const int16_t ballX = ball.x;
  const int16_t ballY = ball.y;
  ball.x = static_cast<int16_t>(x);
  ball.y = static_cast<int16_t>(y);
  DrawBall(direction, 1);
  ball.x = ballX;
  ball.y = ballY;
  if (m.quackCounter == 0) PlayRoundEffect(kEffectQuack);
  m.quackCounter = m.quackCounter >= kQuackEvery ? 0 : m.quackCounter + 1;
  FrameWait(kPathPointMs);
}

void RideChute() {
  gMotion.chutePath = 1;
  DrawChuteFigureStart();
  RestoreUnderBall();
  BallState& ball = gRound.ball;
  const ChuteStart start = ChuteEntry(ball.y);
  ball.x = kChuteX;
  ball.y = start.y;
  TunnelTrip(start.direction, start.direction);
  gMotion.chutePath = 0;
  DrawFigureSprite(kFigureSpriteBack, kFigureBottomX, kFigureBottomY);
  ball.speedX = 100;
  ball.dirX = -1;
  ball.speedY = 0;
  ball.dirY = 1;
}

void LaunchBall() {
  BallState& ball = gRound.ball;
  gMotion.launch = ball;
  ball.speedX = 100;
  ball.dirX = 1;
  ball.speedY = 0;
  ball.dirY = 1;
}

void ReturnBall() {
  BallState& ball = gRound.ball;
  const BallState& launch = gMotion.launch;
  ball.speedX = launch.speedX;
  ball.speedY = launch.speedY;
  ball.dirX = static_cast<int16_t>(-launch.dirX);
  ball.dirY = launch.dirY;
}

void KeepSpeed() {
  gRound.ball.speedX = gMotion.previous.speedX;
  gRound.ball.speedY = gMotion.previous.speedY;
}

void StartGlide() {
  BallState& ball = gRound.ball;
  if (ball.speedX + ball.speedY >= 20) {
    gMotion.glideMode = 3;
    RestoreUnderBall();  // hidden until the glide ends
  } else {
    ball.speedX = 0;
    ball.speedY = 0;
  }
}

void EndGlide() { gMotion.glideMode = 0; }

void DrawChuteFigureStart() {
  DrawFigureSprite(kFigureSpriteStart, kFigureTopX, kFigureTopY);
  DrawFigureSprite(kFigureSpriteGate, kFigureBottomX, kFigureBottomY);
}

void ResetChuteFigure() {
  DrawChuteFigureStart();
  gMotion.quackCounter = 0;
  DrawFigureSprite(kFigureSpriteIdle, kFigureTopX, kFigureTopY);
}

bool IsStartPadAt(int32_t x, int32_t y) { return MapCodeAt(x, y) == kCodeStartPad; }
