// The demonstration hole: the real round machinery driven by the script instead of the mouse. It runs
// within one idle tick and cannot be interrupted.
#include "round/demo.h"

#include <cstring>

#include "green/features.h"
#include "green/hole.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "green/status.h"
#include "media/sound.h"
#include "menus/scorecard.h"
#include "platform/system.h"
#include "round/putting.h"
#include "round/round_data.h"
#include "round/round_flow.h"
#include "shell/display.h"
#include "shell/shell.h"

DemoState gDemo;

namespace {

constexpr uint32_t kFrameMs = 66;

const DemoRecord& RecordAtHand() { return kDemoScript[gDemo.record]; }

bool RecordMatches(int32_t stroke) {
  const DemoRecord& r = RecordAtHand();
  return r.hole == gRound.currentHole && r.player == gRound.currentPlayer && r.stroke == stroke;
}

void UseRecord() {
  if (gDemo.recordHook) gDemo.recordHook(gDemo.record);
  ++gDemo.record;
}

void SetName(int32_t slot, const char* name) {
  char* field = gRound.players[slot].name;
  std::memset(field, 0, sizeof gRound.players[slot].name);
  std::strncpy(field, name, sizeof gRound.players[slot].name - 1);
}

// Moves the pointer one frame's step toward the record's point; true when it has arrived.
bool StepPointer() {
  POINT p{};
  GetCursorPos(&p);
  const DemoRecord& r = RecordAtHand();
  const POINT next{PointerStep(p.x, r.x), PointerStep(p.y, r.y)};
  SetCursorPos(next.x, next.y);
  return next.x == r.x && next.y == r.y;
}

void PlaceFromScript() {
  while (gRound.playPhase == kPhasePlacing) {
    DrawPlayingFrame();
    if (StepPointer()) {
      DrawPlayingFrame();
      PlaceBall();
      UseRecord();
    }
    FrameWait(kFrameMs);
  }
}

void StrikeFromScript() {
  DrawPlayingFrame();
  gRound.aimPoint = POINT{RecordAtHand().x, RecordAtHand().y};
  SetPlayPhase(kPhaseStrike);
  PlayEffect(gRound.effects[kEffectHitBall].get(), kPlayOnce);
  StrikeBall();
  SetPlayPhase(kPhaseRolling);
  RollBall();
  JudgeRest();
  gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter + 1);
  if (gRound.playPhase == kPhaseHoled || gRound.playPhase == kPhaseHoleInOne) {
    const bool inOne = gRound.playPhase == kPhaseHoleInOne;
    PlayEffect(gRound.effects[inOne ? kEffectHoleOne : kEffectInHole].get(), kPlayOnce);
    SinkBall();
  } else {
    SetPlayPhase(kPhaseAiming);
  }
  gRound.replayAllowed = 1;
  UseRecord();
}

// False when the script and the game's counters part ways.
bool AimFromScript() {
  while (gRound.playPhase == kPhaseAiming) {
    DrawPlayingFrame();
    if (StepPointer()) {
      StrikeFromScript();
    } else {
      FrameWait(kFrameMs);
      if (!RecordMatches(gRound.strokeCounter)) return false;
    }
  }
  return true;
}

bool PlayDemoTurn() {
  SetPlayPhase(kPhasePlacing);
  gRound.strokeCounter = 0;
  if (!RecordMatches(0)) return false;
  ResetSlopeStrength();
  gRound.replayAllowed = 0;
  gRound.retryAllowed = 0;
  RedrawGreen();
  const PlayerRecord& player = gRound.players[gRound.currentPlayer - 1];
  ShowRoundPanel(2, FieldText(player.name, sizeof player.name).c_str(), kNameRect);
  RedrawGreen();
  ShowRoundPanel(2, kPlaceOnPad, kWideRect);
  PlaceFromScript();
  if (!RecordMatches(gRound.strokeCounter)) return false;
  FrameWait(250);
  return AimFromScript();
}

}  // namespace

int32_t PointerStep(int32_t p, int32_t q) {
  if (p != q) p = (7 * p + q) / 8;
  if (p < q) return p + 1;
  if (p > q) return p - 1;
  return p;
}

void RunDemoHole(int32_t hole) {
  if (hole < 1 || hole > 18) return;
  SetCursorPos(320, 240);
  StartRound();
  gRound.currentHole = static_cast<int8_t>(hole);
  gDemo.record = 0;
  while (kDemoScript[gDemo.record].hole != hole) ++gDemo.record;
  LoadHole();
  char savedNames[2][sizeof gRound.players[0].name];
  std::memcpy(savedNames[0], gRound.players[0].name, sizeof savedNames[0]);
  std::memcpy(savedNames[1], gRound.players[1].name, sizeof savedNames[1]);
  gRound.playerCount = 2;
  SetName(0, "Player 1");
  SetName(1, Random() * 1025 / 32768 > 512 ? "Dace Wimbrel" : "Pell Arvo");
  FrameWait(0);
  for (gRound.currentPlayer = 1; gRound.currentPlayer <= 2; ++gRound.currentPlayer) {
    if (!PlayDemoTurn()) break;
  }
  FrameWait(2500);
  RedrawGreen();
  PresentFrame();
  EndRound();
  std::memcpy(gRound.players[0].name, savedNames[0], sizeof savedNames[0]);
  std::memcpy(gRound.players[1].name, savedNames[1], sizeof savedNames[1]);
}

void ResetDemoForTest() { gDemo = DemoState{}; }
