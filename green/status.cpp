// The status strip and the corner buttons, drawn into the hole picture so that every later copy of the
// green carries them; and rebuilding the frame from the hole picture.
#include "green/status.h"

#include <cstdio>
#include <cstring>

#include "green/hole.h"
#include "green/sprites.h"
#include "media/picture.h"
#include "media/text.h"
#include "platform/system.h"
#include "round/round_data.h"

StatusState gStatus;

namespace {

constexpr const char* kBanner = "Quillmere - Brindlemoor Course";
constexpr int32_t kButtonWidth = 160;  // the four strip buttons side by side

// The current player's name; a turn that has not begun yet (player 0) has no name to show.
const char* CurrentPlayerName(char (&buffer)[sizeof(PlayerRecord::name) + 1]) {
  buffer[0] = 0;
  const int8_t slot = gRound.currentPlayer;
  if (slot >= 1 && slot <= kPlayerSlots) {
    // A full 16-byte name need not carry its terminator.
    std::memcpy(buffer, gRound.players[slot - 1].name, sizeof(PlayerRecord::name));
    buffer[sizeof(PlayerRecord::name)] = 0;
  }
  return buffer;
}

void DrawStatusTexts(Surface* picture) {
  char name[sizeof(PlayerRecord::name) + 1];
  CurrentPlayerName(name);
  char text[64];

  if (gRound.playPhase == kPhasePlacing || gRound.strokeCounter == 0) {
    std::snprintf(text, sizeof text, "%s Start Pad", name);
  } else if (gRound.playPhase == kPhaseHoleOver) {
    std::snprintf(text, sizeof text, "Hit Button to Continue");
  } else {
    std::snprintf(text, sizeof text, "%s  Putt %d", name, gRound.strokeCounter);
  }
  DrawFramedText(picture, kTextRaised, text, 0, 460, 160, 480);

  DrawFramedText(picture, kTextRaised, kBanner, 160, 460, 480, 480);

  std::snprintf(text, sizeof text, "Hole %d  Par %d", gRound.currentHole, HolePar(gRound.currentHole));
  DrawFramedText(picture, kTextRaised, text, 480, 460, 640, 480);

  // The score against par as it will stand if this stroke drops; nothing to say before the ball is down.
  text[0] = 0;
  if (gRound.playPhase != kPhasePlacing) {
    const int32_t score = gRound.strokeCounter - HolePar(gRound.currentHole) - 1;
    std::snprintf(text, sizeof text, score > 0 ? "+%d" : "%d", score);
  }
  DrawFramedText(picture, kTextRaised, text, 0, 0, 32, 20);
}

}  // namespace

void RedrawGreen() {
  Surface* picture = gHole.holePicture.get();
  if (!picture) return;
  // While the ball rolls the strip does not change, and redrawing its text at every step would cost time.
  if (gRound.playPhase != kPhaseRolling) DrawStatusLine();
  DrawToBackBuffer(picture, 0, 0, 0);
  if (gRound.playPhase == kPhasePlacing) DrawFlag();
}

void DrawStatusLine() {
  if (gRound.currentHole >= 19) return;  // the round is over: the score card owns the screen
  DrawStatusTexts(gHole.holePicture.get());
  DrawStatusButtons();
}

void DrawStatusButtons() {
  StatusButton* b = gStatus.buttons;
  b[0].state = 0;
  b[1].state = 0;
  b[2].state = gRound.replayAllowed ? 0 : 2;
  b[3].state = gRound.retryAllowed ? 0 : 2;

  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  const int32_t x = cursor.x;
  const int32_t y = cursor.y;
  // Only a position on the screen picks a strip button: x / 160 must name one of the four.
  if (y > 440 && y < 480 && x >= 0 && x < 4 * kButtonWidth) {
    StatusButton& under = b[x / kButtonWidth];
    if (under.state == 0) under.state = 1;
  }

  Surface* picture = gHole.holePicture.get();
  for (int32_t i = 0; i < 4; ++i) {
    DrawFramedText(picture, b[i].state, b[i].text, b[i].left, b[i].top, b[i].right, b[i].bottom);
  }

  b[4].state = (y < 16 && x > 624) ? 1 : 0;
  DrawFramedText(picture, b[4].state, b[4].text, b[4].left, b[4].top, b[4].right, b[4].bottom);
  b[5].state = (y < 16 && x > 608 && x < 624) ? 1 : 0;
  DrawFramedText(picture, b[5].state, b[5].text, b[5].left, b[5].top, b[5].right, b[5].bottom);
}

void ResetStatusForTest() { gStatus = StatusState{}; }
