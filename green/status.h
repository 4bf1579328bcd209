// The status strip under the field: the six buttons and the texts (player and putt, banner, hole and par,
// score against par), and rebuilding the whole green from the hole picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/draw/surface.h"

struct StatusButton {
  uint8_t state;  // 0 normal, 1 highlighted, 2 greyed
  const char* text;
  int32_t left, top, right, bottom;
};

// One framed text of the strip: its text style, its text and where it goes.
struct StripText {
  uint8_t style;
  std::string text;
  RECT place;
  bool operator==(const StripText& o) const {
    return style == o.style && text == o.text && place.left == o.place.left && place.top == o.place.top &&
           place.right == o.place.right && place.bottom == o.place.bottom;
  }
};

struct StatusState {
  StatusButton buttons[6] = {
      {0, "Course Info", 0, 440, 160, 460},    {0, "Score Info", 160, 440, 320, 460},
      {2, "Instant Replay", 320, 440, 480, 460}, {2, "Retry Putt", 480, 440, 640, 460},
      {0, "X", 624, 0, 640, 16},                {0, "-", 608, 0, 624, 16}};
  // The strip as last drawn, and the hole picture it went into as it stood right after.
  std::vector<StripText> drawn;
  const Surface* drawnOn = nullptr;
  uint64_t drawnVersion = 0;
};

extern StatusState gStatus;

void RedrawGreen();
void DrawStatusLine();
void DrawStatusButtons();

void ResetStatusForTest();
