// Text on surfaces: the game font, framed text in the game's five box styles, and the message panel.
#pragma once

#include <cstdint>

#include "platform/draw/gdi.h"

// Text styles of DrawFramedText.
constexpr uint8_t kTextRaised = 0;
constexpr uint8_t kTextSunken = 1;
constexpr uint8_t kTextGreyed = 2;
constexpr uint8_t kTextPlain = 4;
constexpr uint8_t kTextLeftAligned = 5;

struct TextState {
  HFONT gameFont = nullptr;
};

extern TextState gText;

// Creates the game font on first use and selects it; no device context deletes it and forgets it.
void SelectGameFont(DC* dc);
void DrawFramedText(Surface* surface, uint8_t style, const char* text, int32_t left, int32_t top, int32_t right,
                    int32_t bottom);
// A framed text on the back buffer inside the rectangle shrunk by 2; a hold of n > 0 presents it and waits
// n half-seconds.
void ShowPanel(uint8_t style, uint32_t hold, const char* text, int32_t left, int32_t top, int32_t right,
               int32_t bottom);

void ResetTextForTest();
