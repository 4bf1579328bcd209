// The round's play-phase machine. Long activities (a rolling ball, a panel's hold, a sound's wait) run
// inside one step; the phases that end them drop the clicks made meanwhile.
#include "round/round_flow.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "green/features.h"
#include "green/hole.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "green/status.h"
#include "media/picture.h"
#include "media/sound.h"
#include "media/text.h"
#include "menus/bestscores.h"
#include "menus/scorecard.h"
#include "menus/settings.h"
#include "round/putting.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"

namespace {

constexpr uint32_t kPlayLooped = 1;

Effect* RoundEffect(RoundEffect which) { return gRound.effects[which].get(); }

PlayerRecord& CurrentPlayer() { return gRound.players[gRound.currentPlayer - 1]; }

void SetBallPosition(int16_t x, int16_t y) {
  gRound.ball.x = x;
  gRound.ball.y = y;
}

// The at-rest ball state's place in the stroke history, or null past its end.
BallState* HistoryEntry(int32_t stroke) {
  return stroke >= 0 && stroke < kStrokeHistorySize ? &gRound.strokeHistory[stroke] : nullptr;
}

// Takes back the last stroke, and the penalty stroke that came with it.
void TakeBackStroke() {
  gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter - 1);
  const BallState* entry = HistoryEntry(gRound.strokeCounter);
  if (entry && entry->x == kNoPosition) gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter - 1);
}

void RecordHoleScore() { CurrentPlayer().strokes[gRound.currentHole - 1] = gRound.strokeCounter; }

// A score screen already on the back buffer is kept in the hole picture, which the frames keep showing.
void KeepScreenInHolePicture(int32_t nextPhase) {
  BlitRect(gHole.holePicture.get(), 0, 0, 640, 480, 0, 0, gDisplay.backBuffer.get(), 0);
  SetPlayPhase(nextPhase);
}

void ShowScoreScreen() {
  DrawToBackBuffer(gHole.holePicture.get(), 0, 0, 0);
  DrawCursorBall();
  PresentFrame();
}

void NextHole() {
  if (gRound.currentHole < 19) gRound.currentHole = static_cast<int8_t>(gRound.currentHole + 1);
  if (gRound.currentHole < 19) {
    LoadHole();
    gRound.currentPlayer = 0;
    SetPlayPhase(kPhaseNextPlayer);
  } else {
    gRound.savedPhase = kPhaseEndRound;
    SetPlayPhase(kPhaseScoreCard);
  }
  if (gRound.currentHole == 10) {
    gRound.savedPhase = kPhaseNextPlayer;
    SetPlayPhase(kPhaseScoreCard);
  }
  if (!gHole.holePicture) SetPlayPhase(kPhaseEndRound);
}

// A slot that sits out is passed over; when slot 1 does, the round ends if no slot up to the count plays.
void PassOverSlot() {
  if (gRound.currentPlayer != 1) return;
  int32_t slot = 1;
  while (slot <= gRound.playerCount && gRound.players[slot - 1].playing == kSittingOut) ++slot;
  if (slot > gRound.playerCount) {
    gRound.currentHole = 19;
    SetPlayPhase(kPhaseEndRound);
  }
}

// No stroke yet, no ball on the green, and the flag waving until the ball is placed.
void ReadyToPlace() {
  gRound.strokeCounter = 0;
  gRound.replayAllowed = 0;
  gRound.retryAllowed = 0;
  PlayEffect(RoundEffect(kEffectFlagLap), kPlayLooped);
  SetBallPosition(kNoPosition, kNoPosition);
  gRound.aimPoint = POINT{kNoPosition, kNoPosition};
}

void LoadPlayerBall() {
  ReleaseInterface(gRound.ballPicture);
  char path[32];
  std::snprintf(path, sizeof path, "Balls\\Ball%1d.bmp", gRound.currentPlayer);
  gRound.ballPicture = LoadKeyedSurface(path);
  if (!gRound.ballPicture) gRound.ballPicture = LoadKeyedSurface("Balls\\Ball1.bmp");
}

void NextPlayer() {
  if (gRound.currentPlayer == gRound.playerCount) {
    SetPlayPhase(kPhaseNextHole);
    return;
  }
  gRound.currentPlayer = static_cast<int8_t>(gRound.currentPlayer + 1);
  if (CurrentPlayer().playing == kSittingOut) {
    PassOverSlot();
    return;
  }
  ReadyToPlace();
  ResetSlopeStrength();
  LoadPlayerBall();
  if (gRound.playerCount > 1) {
    RedrawGreen();
    const std::string name = FieldText(CurrentPlayer().name, sizeof CurrentPlayer().name);
    ShowRoundPanel(2, name.c_str(), kNameRect);
  }
  RedrawGreen();
  SetPlayPhase(kPhasePlacing);
  FlushMouseMessages();
}

void Strike() {
  PlayEffect(RoundEffect(kEffectHitBall), kPlayOnce);
  StrikeBall();
  SetPlayPhase(gRound.ball.speedX + gRound.ball.speedY < 3 ? kPhaseAtRest : kPhaseRolling);
}

void AtRest() {
  JudgeRest();
  FlushMouseMessages();
  if (gRound.playPhase != kPhaseAtRest) return;
  gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter + 1);
  SetPlayPhase(gRound.strokeCounter > HolePar(gRound.currentHole) + 3 ? kPhaseOverLimit : kPhaseAiming);
  if (gRound.strokeCounter == 2) gRound.replayAllowed = 1;
}

void Holed(bool inOne) {
  if (inOne) {
    gRound.replayAllowed = 1;
    gRound.retryAllowed = 1;
  }
  PlayEffect(RoundEffect(inOne ? kEffectHoleOne : kEffectInHole), kPlayOnce);
  SinkBall();
  SetPlayPhase(kPhaseHoleOver);
  RecordHoleScore();
  gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter + 1);
}

void OverLimit() {
  RecordHoleScore();
  RedrawGreen();
  PresentFrame();
  PlayEffect(RoundEffect(kEffectOverPar), kPlayOnce);
  RedrawGreen();
  ShowRoundPanel(5, "Sorry, you went over stroke limit.", kWideRect);
  SetPlayPhase(kPhaseHoleOver);
}

void HoleOverFrame() {
  RedrawGreen();
  ShowRoundPanel(0, "Hit Button", kNameRect);
  DrawCursorBall();
  PresentFrame();
}

void Replay() {
  if (gRound.replayAllowed == 0) {
    SetPlayPhase(kPhaseAiming);
    return;
  }
  TakeBackStroke();
  if (gRound.strokeCounter <= 0) {
    // Nothing earlier to replay (the buttons never lead here): back to aiming the stroke at hand.
    gRound.strokeCounter = 1;
    SetPlayPhase(kPhaseAiming);
    return;
  }
  if (const BallState* entry = HistoryEntry(gRound.strokeCounter)) gRound.ball = *entry;
  if (gRound.currentHole == 18 && gRound.strokeCounter == 1) ResetChuteFigure();
  for (int i = 0; i < 2; ++i) {
    RedrawGreen();
    DrawBall(8, 1);
    PresentFrame();
  }
  PlayEffect(RoundEffect(kEffectReplay), kPlayAndWait);
  FrameWait(0);
  FrameWait(500);
  PrepareReplayMotion();
  PlayEffect(RoundEffect(kEffectHitBall), kPlayOnce);
  SetPlayPhase(kPhaseRolling);
}

void Retry() {
  if (gRound.retryAllowed == 0) {
    SetPlayPhase(kPhaseAiming);
    return;
  }
  PlayEffect(RoundEffect(kEffectRetry), kPlayOnce);
  TakeBackStroke();
  RedrawGreen();
  if (gRound.strokeCounter <= 0) {
    ReadyToPlace();
    SetPlayPhase(kPhasePlacing);
    return;
  }
  if (gRound.strokeCounter == 1) gRound.replayAllowed = 0;
  SetPlayPhase(kPhaseAiming);
  if (const BallState* entry = HistoryEntry(gRound.strokeCounter)) SetBallPosition(entry->x, entry->y);
  if (gRound.currentHole == 18 && gRound.strokeCounter == 1) ResetChuteFigure();
}

void BestScoreCheck() {
  const int32_t place = InsertBestScore(CurrentPlayer());
  if (place == 0) {
    SetPlayPhase(kPhaseNextPlayer);
    return;
  }
  SaveBestScores();
  gRound.celebration = CreateEffectBuffer("snds\\July4.wav");
  PlayEffect(gRound.celebration.get(), kPlayLooped);
  DrawBestScores(place);
  KeepScreenInHolePicture(kPhaseCelebration);
  gRound.savedPhase = kPhaseNextPlayer;
}

void EndOfRound() {
  EndRound();
  SetApplicationState(kStateTitleMenu);
}

void Step() {
  switch (gRound.playPhase) {
    case kPhaseNewRound: StartRound(); SetPlayPhase(kPhaseNextHole); break;
    case kPhaseNextHole: NextHole(); break;
    case kPhaseNextPlayer: NextPlayer(); break;
    case kPhasePlacing:
    case kPhaseAiming: DrawPlayingFrame(); break;
    case kPhaseStrike: Strike(); break;
    case kPhaseRolling: RollBall(); break;
    case kPhaseAtRest: AtRest(); break;
    case kPhaseHoled: Holed(false); break;
    case kPhaseHoleInOne: Holed(true); break;
    case kPhaseOverLimit: OverLimit(); break;
    case kPhaseHoleOver: HoleOverFrame(); break;
    case kPhaseReplay: Replay(); break;
    case kPhaseRetry: Retry(); break;
    case kPhaseCourseInfo: DrawCourseInfo(); KeepScreenInHolePicture(kPhaseScoreShowing); break;
    case kPhaseScoreCard: DrawScoreCard(); KeepScreenInHolePicture(kPhaseScoreShowing); break;
    case kPhaseScoreShowing:
    case kPhaseCelebration: ShowScoreScreen(); break;
    case kPhaseBestCheck: BestScoreCheck(); break;
    case kPhaseEndRound: EndOfRound(); break;
    default: break;
  }
}

}  // namespace

void ShowRoundPanel(uint32_t hold, const char* text, const int32_t (&rect)[4]) {
  ShowPanel(kTextRaised, hold, text, rect[0], rect[1], rect[2], rect[3]);
}

void DrawPlayingFrame() {
  RedrawGreen();
  DrawCursorBall();
  if (gRound.playPhase == kPhaseAiming) {
    DrawBall(8, 1);
    DrawAimLine();
  }
  PresentFrame();
}

void PlayTick() {
  if (gRound.pauseFlag != 0) return;
  Step();
  if (gShell.quitFlag != 0) SetPlayPhase(kPhaseEndRound);
}

void StartRound() {
  gRound.pauseFlag = 0;
  gRound.currentHole = 0;
  for (int32_t i = 0; i < kRoundEffectCount; ++i) {
    if (!gRound.effects[i]) gRound.effects[i] = CreateEffectBuffer(kRoundEffectFiles[i]);
  }
  for (PlayerRecord& player : gRound.players) std::memset(player.strokes, 0, sizeof player.strokes);
  ReleaseInterface(gRound.ballPicture);
  gRound.ballPicture = LoadKeyedSurface("Balls\\Ball1.bmp");
  ReleaseInterface(gRound.flagPicture);
  gRound.flagPicture = LoadKeyedSurface("Balls\\Flag.bmp");
}

void EndCelebration() {
  StopEffect(gRound.celebration.get());
  ReleaseEffect(gRound.celebration);
}

void EndRound() {
  ReleaseInterface(gRound.ballPicture);
  ReleaseInterface(gRound.flagPicture);
  ReleaseInterface(gHole.holePicture);
  ReleaseInterface(gHole.figurePicture);
  for (EffectPtr& effect : gRound.effects) ReleaseEffect(effect);
  // A round ended by Esc during the celebration must not leave the fanfare looping over the title menu.
  EndCelebration();
  SetPlayPhase(kPhaseNewRound);
  gShell.quitFlag = 0;
}

void PlaceBall() {
  SetBallPosition(static_cast<int16_t>(gRound.lastCursor.x), static_cast<int16_t>(gRound.lastCursor.y));
  gRound.aimPoint = gRound.lastCursor;
  gRound.retryAllowed = 1;
  gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter + 1);
  SetPlayPhase(kPhaseAiming);
  FlushMouseMessages();
}

void JumpToHole(int8_t n) {
  gRound.currentHole = n;
  SetPlayPhase(kPhaseNextHole);
}
