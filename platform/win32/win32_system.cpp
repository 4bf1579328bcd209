// The win32 backend, game side: the machine interface the game is written against, served by the real
// Windows API on the other side of win32_bridge.h. The primary surface is shown whole whenever it changed,
// at most once a display refresh.
#include <algorithm>
#include <cstdio>

#include "platform/backend.h"
#include "platform/sdl/sdl_helpers.h"
#include "platform/sound/sync.h"
#include "platform/system.h"
#include "platform/win32/win32_audio.h"
#include "platform/win32/win32_bridge.h"

namespace {

constexpr int32_t kGameWidth = 640;
constexpr int32_t kGameHeight = 480;
constexpr const char* kWindowTitle = "Quillmere Brindlemoor";
constexpr int32_t kDefaultRefreshHz = 60;
// Long pauses still read the window's messages this often, so the desktop never thinks the game hung.
constexpr uint32_t kListenGapMs = 100;

struct Screen {
  bool up = false;
  SurfacePtr primary;
  uint64_t shownVersion = 0;
  bool redraw = false;
  uint32_t frameMs = 1000 / kDefaultRefreshHz;
  uint32_t lastShown = 0;
  uint32_t listened = 0;
};
Screen gScreen;

sdlbits::Letterbox CurrentLetterbox() {
  int32_t w = 0, h = 0;
  W32ClientSize(&w, &h);
  return sdlbits::FitPicture(w, h, kGameWidth, kGameHeight);
}

bool FramePending() {
  return gScreen.primary && W32HasWindow() && (gScreen.redraw || gScreen.primary->version != gScreen.shownVersion);
}

void ShowFrame(bool force = false) {
  if (!FramePending()) return;
  const uint32_t now = W32Clock();
  if (!force && !gScreen.redraw && now - gScreen.lastShown < gScreen.frameMs) return;
  const sdlbits::Letterbox box = CurrentLetterbox();
  const auto w = static_cast<int32_t>(kGameWidth * box.scale), h = static_cast<int32_t>(kGameHeight * box.scale);
  W32Present(gScreen.primary->pixels.data(), box.x, box.y, w, h);
  gScreen.shownVersion = gScreen.primary->version;
  gScreen.redraw = false;
  gScreen.lastShown = now;
}

}  // namespace

void W32WindowToGame(int32_t clientX, int32_t clientY, int32_t* x, int32_t* y) {
  const POINT p = sdlbits::WindowToPicture(CurrentLetterbox(), clientX, clientY, kGameWidth, kGameHeight);
  *x = p.x;
  *y = p.y;
}

void W32RedrawNeeded() { gScreen.redraw = true; }

// ---- Clock --------------------------------------------------------------------------------------------

uint32_t timeGetTime() { return W32Clock(); }

uint32_t WaitClockTick(uint32_t /*now*/, uint32_t deadline) {
  ShowFrame();
  const uint32_t now = W32Clock();
  if (W32HasWindow() && now - gScreen.listened >= kListenGapMs) {
    W32Pump();
    gScreen.listened = now;
  }
  uint32_t most = kListenGapMs;
  if (FramePending()) most = std::min(most, gScreen.frameMs - std::min(gScreen.frameMs, now - gScreen.lastShown));
  W32RestUntil(deadline, std::max<uint32_t>(most, 1));
  return W32Clock();
}

void BackendWaitSlice(HANDLE event, uint32_t msLeft) { EventRest(event, msLeft); }

// ---- Display ------------------------------------------------------------------------------------------

bool DisplayDo(DisplayStep step, HWND /*window*/) {
  switch (step) {
    case DisplayStep::CreateDevice:
    case DisplayStep::QueryInterface:
      gScreen.up = gScreen.up || W32Probe().hasDirectDraw2;
      return gScreen.up;
    case DisplayStep::Cooperative:
      return gScreen.up && W32CreateWindow(kWindowTitle);
    case DisplayStep::DisplayMode:
      if (!W32HasWindow()) return false;
      if (const int32_t hz = W32RefreshRate(); hz > 0) gScreen.frameMs = std::max<uint32_t>(1, 1000 / hz);
      return true;
    case DisplayStep::PrimarySurface:
      if (!W32HasWindow()) return false;
      if (!gScreen.primary) gScreen.primary = CreateSurface(kGameWidth, kGameHeight);
      if (!gScreen.primary) return false;
      gScreen.redraw = true;
      ShowFrame(true);
      return true;
  }
  return false;
}

Surface* DisplayPrimary() { return gScreen.primary.get(); }
int32_t DisplayRefreshRate() { return W32RefreshRate(); }

PlatformReport GetPlatformReport() {
  const W32Report r = W32Probe();
  PlatformReport report;
  report.versionKnown = r.majorVersion != 0;
  report.platformId = r.platformId;
  report.majorVersion = r.majorVersion;
  report.buildNumber = r.buildNumber;
  report.ddrawLoads = r.ddrawLoads;
  report.ddrawHasCreate = r.ddrawHasCreate;
  report.ddrawCreates = r.ddrawCreates;
  report.hasDirectDraw2 = r.hasDirectDraw2;
  report.dinputLoads = r.dinputLoads;
  report.dinputHasCreate = r.dinputHasCreate;
  report.normalCooperative = r.normalCooperative;
  report.primaryCreates = r.primaryCreates;
  report.hasSurface3 = r.hasSurface3;
  return report;
}

void OutputDebugStringA(const char* text) {
  if (!text) return;
  W32DebugString(text);
  if (W32DebugOn()) std::fputs(text, stderr);
}

// ---- Sound device -------------------------------------------------------------------------------------

bool AudioOpen(int32_t samplesPerSecond, int32_t channels, int32_t bitsPerSample) {
  if (samplesPerSecond <= 0 || channels < 1 || channels > 2 || (bitsPerSample != 8 && bitsPerSample != 16)) {
    return false;
  }
  return W32AudioOpen(samplesPerSecond);
}

bool AudioIsOpen() { return W32AudioIsOpen(); }

// ---- Program ------------------------------------------------------------------------------------------

bool ClaimSingleInstance(const char* name) { return W32ClaimInstance(name ? name : "Quillmere1"); }

// Shown to a debugger (or Wine's debugstr channel) as well, since a GUI program's stderr often goes nowhere.
void TraceState(const char* what, int64_t value) {
  if (!W32DebugOn()) return;
  char line[96];
  std::snprintf(line, sizeof line, "%s=%lld\n", what, static_cast<long long>(value));
  std::fputs(line, stderr);
  W32DebugString(line);
}

// ---- Beneath the message queue ------------------------------------------------------------------------

void BackendPumpEvents() {
  W32Pump();
  gScreen.listened = W32Clock();
  ShowFrame();
}

void BackendWaitEvents(uint32_t ms) {
  ShowFrame();
  uint32_t wait = std::min(ms, kListenGapMs);
  if (FramePending()) wait = std::min(wait, gScreen.frameMs);
  W32WaitInput(wait);
  ShowFrame();
}

void BackendNothingPending() { ShowFrame(); }
void BackendShowCursor(bool visible) { W32SetCursorVisible(visible); }

void BackendWarpCursor(int32_t x, int32_t y) {
  const POINT p =
      sdlbits::PictureToWindow(CurrentLetterbox(), std::clamp(x, 0, kGameWidth - 1), std::clamp(y, 0, kGameHeight - 1));
  W32WarpCursor(p.x, p.y);
}

bool BackendMousePresent() { return true; }
void BackendMinimizeWindow() { W32Minimize(); }

int32_t BackendMessageBox(const char* text, const char* caption, uint32_t type) {
  ShowFrame(true);  // what the game drew before asking stays behind the box
  const int32_t answer = W32MessageBox(text ? text : "", caption ? caption : "", type);
  gScreen.redraw = true;
  return answer;
}

// The player answers every box; there is nothing to record.
bool BackendPresetAnswer(uint32_t /*type*/, int32_t* /*answer*/) { return false; }
void BackendRecordMessageBox(uint32_t, const char*, const char*, uint32_t, int32_t) {}
