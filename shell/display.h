// The full-screen display and the sound device: taking the screen, the two surfaces every frame is drawn
// through, presenting a frame, and the platform probe.
#pragma once

#include <cstdint>

#include "platform/draw/surface.h"
#include "platform/system.h"

struct DisplayState {
  bool device = false;           // the display device exists: the display is set up
  Surface* primary = nullptr;    // the visible screen, owned by the platform
  SurfacePtr backBuffer;         // every frame is composed here; made from the title picture
  bool sound = false;            // the sound device is open; without it the game is silent
};

extern DisplayState gDisplay;

int32_t InitDisplay(HWND window);
int32_t InitSound(HWND window);
void PresentFrame();

constexpr uint32_t kPlatformUnsupported = 0;
constexpr uint32_t kPlatformWindows95 = 1;
constexpr uint32_t kPlatformWindowsNT = 2;

struct ProbeResult {
  uint32_t version = 0;  // 0, 0x100, 0x200, 0x300, 0x500 or 0x501
  uint32_t platform = 0;
  const char* debugText = nullptr;  // the probe's debug line, if it wrote one
};

// The probe's decisions as a function of what the machine reports.
ProbeResult ProbeFromReport(const PlatformReport& report);
void ProbeDirectXVersion(uint32_t* version, uint32_t* platform);

void ResetDisplayForTest();
