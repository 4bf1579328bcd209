// Taking the screen at 640x480, the primary surface and back buffer, presenting, the sound device, and the
// probe that decides whether this machine can run the game at all.
#include "shell/display.h"

#include <string>

#include "media/picture.h"

DisplayState gDisplay;

namespace {

constexpr const char* kCaption = "Message";
constexpr const char* kVendorPage = "https://www.libsdl.org";
constexpr const char* kMoreInformation = " for more information.";
constexpr const char* kTitlePicture = "Data\\Title.bmp";

struct DisplayStepMessage {
  DisplayStep step;
  const char* lead;  // followed by the vendor's page and kMoreInformation
};

constexpr DisplayStepMessage kDisplaySteps[] = {
    {DisplayStep::CreateDevice,
     "Problem with DirectX! Make sure DirectX is installed and working properly. Check "},
    {DisplayStep::QueryInterface,
     "Problem with DirectX2! Make sure DirectX is installed and working properly. Check "},
    {DisplayStep::Cooperative, "Can't Set FullScreen Mode. Check "},
    {DisplayStep::DisplayMode, "Can't change display mode. Check "},
    {DisplayStep::PrimarySurface, "Can't create surface. Check "},
};

int32_t Refuse(HWND window, const std::string& text) {
  MessageBoxA(window, text.c_str(), kCaption, MB_OK);
  return 0;
}

ProbeResult Fail(ProbeResult r, const char* debugText) {
  r.debugText = debugText;
  return r;
}

ProbeResult ProbeWindowsNT(const PlatformReport& report) {
  ProbeResult r{0, kPlatformWindowsNT, nullptr};
  if (report.majorVersion < 4) return ProbeResult{};
  if (report.majorVersion > 4) return ProbeResult{0x501, kPlatformWindowsNT, nullptr};
  r.version = 0x200;
  if (!report.dinputLoads) return Fail(r, "Couldn't LoadLibrary DInput\r\n");
  if (!report.dinputHasCreate) return Fail(r, "Couldn't GetProcAddress DInputCreate\r\n");
  r.version = 0x300;
  return r;
}

ProbeResult ProbeWindows95(const PlatformReport& report) {
  ProbeResult r{0, kPlatformWindows95, nullptr};
  if ((report.buildNumber & 0xFFFF) > 1353) return ProbeResult{0x501, kPlatformWindows95, nullptr};
  if (!report.ddrawLoads) return ProbeResult{};
  if (!report.ddrawHasCreate) return Fail(ProbeResult{}, "Couldn't LoadLibrary DDraw\r\n");
  if (!report.ddrawCreates) return Fail(ProbeResult{}, "Couldn't create DDraw\r\n");
  r.version = 0x100;
  if (!report.hasDirectDraw2) return Fail(r, "Couldn't QI DDraw2\r\n");
  r.version = 0x200;
  if (!report.dinputLoads) return Fail(r, "Couldn't LoadLibrary DInput\r\n");
  if (!report.dinputHasCreate) return Fail(r, "Couldn't GetProcAddress DInputCreate\r\n");
  r.version = 0x300;
  if (!report.normalCooperative) return Fail(ProbeResult{0, kPlatformWindows95, nullptr}, "Couldn't Set coop level\r\n");
  if (!report.primaryCreates) return Fail(ProbeResult{0, kPlatformWindows95, nullptr}, "Couldn't CreateSurface\r\n");
  if (!report.hasSurface3) return r;
  r.version = 0x500;
  return r;
}

}  // namespace

ProbeResult ProbeFromReport(const PlatformReport& report) {
  if (!report.versionKnown) return ProbeResult{};
  if (report.platformId == 2) return ProbeWindowsNT(report);
  return ProbeWindows95(report);
}

void ProbeDirectXVersion(uint32_t* version, uint32_t* platform) {
  const ProbeResult r = ProbeFromReport(GetPlatformReport());
  if (r.debugText) OutputDebugStringA(r.debugText);
  *version = r.version;
  *platform = r.platform;
}

int32_t InitDisplay(HWND window) {
  uint32_t version = 0;
  uint32_t platform = 0;
  ProbeDirectXVersion(&version, &platform);
  if (platform == kPlatformUnsupported) return Refuse(window, "Sorry, Program will only run on Windows 95 or later.");
  if (version < 0x200) return Refuse(window, "DirectX 2.0 or later required.");
  for (const DisplayStepMessage& s : kDisplaySteps) {
    if (!DisplayDo(s.step, window)) return Refuse(window, std::string(s.lead) + kVendorPage + kMoreInformation);
    if (s.step == DisplayStep::QueryInterface) gDisplay.device = true;
  }
  gDisplay.primary = DisplayPrimary();
  gDisplay.backBuffer = LoadKeyedSurface(kTitlePicture);
  // Every screen is drawn over the back buffer made from the title picture: without it there is no game.
  const Surface* back = gDisplay.backBuffer.get();
  if (!back || back->width < 640 || back->height < 480) {
    return Refuse(window, "Can't load the title picture Data\\Title.bmp (640 by 480 or larger). "
                          "Reinstall the game folder.");
  }
  return 1;
}

int32_t InitSound(HWND window) {
  (void)window;
  // The primary buffer runs at 44.1 kHz 16-bit stereo; without a device the game simply stays silent.
  gDisplay.sound = AudioOpen(44100, 2, 16);
  return 1;
}

void PresentFrame() {
  const RECT screen{0, 0, 640, 480};
  if (SurfaceBlt(gDisplay.primary, &screen, gDisplay.backBuffer.get(), &screen, DDBLT_WAIT) == DDERR_SURFACELOST) {
    SurfaceRestore(gDisplay.primary);
    SurfaceBlt(gDisplay.primary, &screen, gDisplay.backBuffer.get(), &screen, DDBLT_WAIT);
  }
}

void ResetDisplayForTest() { gDisplay = DisplayState{}; }
