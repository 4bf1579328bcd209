// The title menu: ticking the players of a round and naming them, and choosing what comes next, with a
// marquee of encouragement scrolling across the start button.
#pragma once

#include <cstdint>

#include "platform/win.h"

constexpr int32_t kMarqueeTexts = 3;
constexpr int32_t kMarqueeStride = 200;                                    // bytes from one text to the next
constexpr int32_t kMarqueeLength = 77;                                     // every text, padded with spaces
constexpr int32_t kMarqueeWindow = 20;                                     // characters shown at once
constexpr int32_t kMarqueeLastPosition = kMarqueeLength - kMarqueeWindow;  // 57
constexpr uint32_t kMarqueeMs = 200;
constexpr int32_t kNameLength = 14;

struct TitleMenuState {
  char marquee[kMarqueeTexts * kMarqueeStride];
  int32_t textIndex = 0;
  int32_t scroll = 0;  // p: kept for the whole run, not reset when the menu opens again
  bool firstTick = false;
};

extern TitleMenuState gTitleMenu;

// Which text a draw r (0..32767) of the shared generator picks: 0, 1 or 2.
int32_t PickMarqueeText(int32_t r);
// The 20 characters of a text from position p on.
void MarqueeWindow(int32_t textIndex, int32_t p, char out[kMarqueeWindow + 1]);

// Shows the menu over the game window; 0 means quit, 1 that the application state has been set.
intptr_t RunTitleMenu();
intptr_t TitleMenuProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam);

void ResetTitleMenuForTest();
