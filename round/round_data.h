// The records of a round: players, the course with its pars, the ball, and the round in progress. Every
// module that plays a round reads and writes these directly, on the game's one thread.
#pragma once

#include <cstdint>

#include "media/sound.h"
#include "platform/draw/surface.h"
#include "platform/win.h"

constexpr int32_t kPlayerSlots = 8;
constexpr int32_t kHoleCount = 18;
constexpr int32_t kStrokeHistorySize = 16;
constexpr int32_t kNoPosition = 999;
constexpr uint8_t kSittingOut = 'c';  // playing flag of a slot that does not take part

struct PlayerRecord {
  char name[16];
  int8_t strokes[kHoleCount];  // 0: hole not finished
  uint8_t playing;             // 0 plays, kSittingOut does not
  uint8_t spare;
};
static_assert(sizeof(PlayerRecord) == 36);

struct HoleRecord {
  char name[32];
  int8_t par;
};
static_assert(sizeof(HoleRecord) == 33);

struct CourseRecord {
  char name[33];
  HoleRecord holes[kHoleCount];
};
static_assert(sizeof(CourseRecord) == 33 + 18 * 33);

// Always copied as one unit. A direction other than -1 counts as +1.
struct BallState {
  int16_t x;
  int16_t y;
  int16_t speedX;
  int16_t speedY;
  int16_t dirX;
  int16_t dirY;
};
static_assert(sizeof(BallState) == 12);

// Play phases of the round's machine.
constexpr int32_t kPhaseNewRound = 0;
constexpr int32_t kPhaseNextHole = 10;
constexpr int32_t kPhaseNextPlayer = 20;
constexpr int32_t kPhasePlacing = 30;
constexpr int32_t kPhaseAiming = 40;
constexpr int32_t kPhaseStrike = 50;
constexpr int32_t kPhaseRolling = 51;
constexpr int32_t kPhaseAtRest = 52;
constexpr int32_t kPhaseHoled = 60;
constexpr int32_t kPhaseHoleInOne = 61;
constexpr int32_t kPhaseOverLimit = 62;
constexpr int32_t kPhaseHoleOver = 70;
constexpr int32_t kPhaseReplay = 80;
constexpr int32_t kPhaseRetry = 81;
constexpr int32_t kPhaseCourseInfo = 82;
constexpr int32_t kPhaseScoreCard = 83;
constexpr int32_t kPhaseScoreShowing = 84;
constexpr int32_t kPhaseBestCheck = 90;
constexpr int32_t kPhaseCelebration = 91;
constexpr int32_t kPhaseEndRound = 9999;

// The round's effects, in the order they are loaded.
enum RoundEffect : int32_t {
  kEffectHitBall,
  kEffectHoleOne,
  kEffectWallL,
  kEffectWallR,
  kEffectInHole,
  kEffectTeleport,
  kEffectWater,
  kEffectOverPar,
  kEffectReplay,
  kEffectRetry,
  kEffectQuack,
  kEffectJustMiss,
  kEffectFlagLap,
  kRoundEffectCount
};

struct RoundState {
  PlayerRecord players[kPlayerSlots];  // slots 1..8 are players[0..7]
  int8_t playerCount;
  CourseRecord course;
  int8_t currentHole;    // 0 before the first hole, 1..18, 19 after the last
  int8_t currentPlayer;  // slot 1..8, 0 at the start of a hole
  int8_t strokeCounter;
  int32_t playPhase;
  int32_t savedPhase;
  int32_t replayAllowed;
  int32_t retryAllowed;
  int32_t pauseFlag;
  BallState ball;
  BallState strokeHistory[kStrokeHistorySize];  // x 999 marks a penalty stroke
  POINT aimPoint;
  POINT lastCursor;
  POINT padPosition;
  // Round resources: the hole and figure pictures belong to the hole loader (green/hole.h).
  SurfacePtr ballPicture;
  SurfacePtr flagPicture;
  EffectPtr effects[kRoundEffectCount];
  EffectPtr celebration;  // "snds\July4.wav", only while a new best score is celebrated
};

extern RoundState gRound;

// The file of each round effect, in table order.
extern const char* const kRoundEffectFiles[kRoundEffectCount];

int8_t HolePar(int32_t hole);  // par of hole 1..18 from the course record
void SetPlayPhase(int32_t phase);  // every change is traced for the headless driver

// Back to the values the program starts with.
void ResetRoundForTest();
