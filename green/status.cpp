// The status strip and the corner buttons, drawn into the hole picture so that every later copy of the
// green carries them; and rebuilding the frame from the hole picture.
#include "green/status.h"

#include <cstdio>
#include <cstring>
#include <utility>

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

// The four texts of the strip as they should read now.
std::vector<StripText> StatusTexts() {
  char name[sizeof(PlayerRecord::name) + 1];
  CurrentPlayerName(name);
  char text[64];
  std::vector<StripText> texts;

  if (gRound.playPhase == kPhasePlacing || gRound.strokeCounter == 0) {
    std::snprintf(text, sizeof text, "%s Start Pad", name);
  } else if (gRound.playPhase == kPhaseHoleOver) {
    std::snprintf(text, sizeof text, "Hit Button to Continue");
  } else {
    std::snprintf(text, sizeof text, "%s  Putt %d", name, gRound.strokeCounter);
  }
  texts.push_back({kTextRaised, text, RECT{0, 460, 160, 480}});

  texts.push_back({kTextRaised, kBanner, RECT{160, 460, 480, 480}});

  std::snprintf(text, sizeof text, "Hole %d  Par %d", gRound.currentHole, HolePar(gRound.currentHole));
  texts.push_back({kTextRaised, text, RECT{480, 460, 640, 480}});

  // The score against par as it will stand if this stroke drops; nothing to say before the ball is down.
  text[0] = 0;
  if (gRound.playPhase != kPhasePlacing) {
    const int32_t score = gRound.strokeCounter - HolePar(gRound.currentHole) - 1;
    std::snprintf(text, sizeof text, score > 0 ? "+%d" : "%d", score);
  }
  texts.push_back({kTextRaised, text, RECT{0, 0, 32, 20}});
  return texts;
}

// The six buttons in the states the flags and the pointer give them now.
std::vector<StripText> ButtonTexts() {
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
  b[4].state = (y < 16 && x > 624) ? 1 : 0;
  b[5].state = (y < 16 && x > 608 && x < 624) ? 1 : 0;

  std::vector<StripText> texts;
  for (const StatusButton& button : gStatus.buttons) {
    texts.push_back({button.state, button.text, RECT{button.left, button.top, button.right, button.bottom}});
  }
  return texts;
}

void DrawStripTexts(const std::vector<StripText>& texts) {
  Surface* picture = gHole.holePicture.get();
  for (const StripText& t : texts) {
    DrawFramedText(picture, t.style, t.text.c_str(), t.place.left, t.place.top, t.place.right, t.place.bottom);
  }
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

// Drawing the strip's ten framed texts is most of the cost of a frame, and from one tick to the next they
// rarely change: they are drawn again only when one of them changed, or the picture was written since.
void DrawStatusLine() {
  if (gRound.currentHole >= 19) return;  // the round is over: the score card owns the screen
  std::vector<StripText> texts = StatusTexts();
  for (StripText& t : ButtonTexts()) texts.push_back(std::move(t));
  const Surface* picture = gHole.holePicture.get();
  if (picture && picture == gStatus.drawnOn && picture->version == gStatus.drawnVersion && texts == gStatus.drawn) {
    return;
  }
  DrawStripTexts(texts);
  gStatus.drawn = std::move(texts);
  gStatus.drawnOn = picture;
  gStatus.drawnVersion = picture ? picture->version : 0;
}

void DrawStatusButtons() { DrawStripTexts(ButtonTexts()); }

void ResetStatusForTest() { gStatus = StatusState{}; }
