// The round's records and their start-up values.
#include "round/round_data.h"

#include <cstdio>
#include <cstring>

#include "platform/system.h"

RoundState gRound;

const char* const kRoundEffectFiles[kRoundEffectCount] = {
    "Snds\\HitBall.wav", "Snds\\HoleOne.wav", "Snds\\WallL.wav",   "Snds\\WallR.wav",  "Snds\\InHole.wav",
    "Snds\\Teleport.wav", "Snds\\Water.wav",  "Snds\\OverPar.wav", "Snds\\Replay.wav", "Snds\\Retry.wav",
    "Snds\\Quack.wav",   "Snds\\JustMiss.wav", "Snds\\FlagLap.wav"};

namespace {

constexpr int8_t kPars[kHoleCount] = {2, 2, 2, 2, 2, 2, 3, 2, 3, 2, 4, 2, 2, 3, 2, 3, 2, 2};

void InitRound(RoundState* r) {
  *r = RoundState{};
  for (int32_t i = 0; i < kPlayerSlots; ++i) std::snprintf(r->players[i].name, sizeof r->players[i].name, "Player %d", i + 1);
  std::strcpy(r->course.name, "Brindlemoor");
  for (int32_t h = 0; h < kHoleCount; ++h) {
    std::snprintf(r->course.holes[h].name, sizeof r->course.holes[h].name, "Hole %d", h + 1);
    r->course.holes[h].par = kPars[h];
  }
  r->lastCursor = {kNoPosition, kNoPosition};
  r->padPosition = {kNoPosition, kNoPosition};
}

struct RoundInit {
  RoundInit() { InitRound(&gRound); }
} gRoundInit;

}  // namespace

int8_t HolePar(int32_t hole) { return hole >= 1 && hole <= kHoleCount ? gRound.course.holes[hole - 1].par : 0; }

void SetPlayPhase(int32_t phase) {
  if (phase == gRound.playPhase) return;
  gRound.playPhase = phase;
  TraceState("phase", phase);
}

void ResetRoundForTest() { InitRound(&gRound); }
