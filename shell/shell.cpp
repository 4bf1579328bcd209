// The program's spine: start-up, the message loop with its idle tick, the application states and the
// main window procedure.
#include "shell/shell.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "media/music.h"
#include "media/music_options.h"
#include "media/picture.h"
#include "menus/bestscores.h"
#include "menus/dialogs.h"
#include "menus/settings.h"
#include "menus/title_menu.h"
#include "platform/system.h"
#include "round/demo.h"
#include "round/putting.h"
#include "round/round_flow.h"
#include "shell/display.h"

ShellState gShell;

namespace {

constexpr const char* kClassName = "Quillmere1";
constexpr const char* kProductName = "Quillmere Brindlemoor";
constexpr const char* kTitlePicture = "Data\\Title.bmp";

void PaintTitlePicture() { CopyBitmapToSurface(gDisplay.primary, kTitlePicture); }

void PauseOneSecond() {
  FrameWait(0);
  FrameWait(500);
  FrameWait(0);
  FrameWait(500);
}

// A modal dialog over the title picture, with the system cursor shown while it is up.
template <typename Run>
auto OverTitlePicture(Run run) {
  ShowMouseCursor();
  PaintTitlePicture();
  const auto result = run();
  HideMouseCursor();
  return result;
}

int32_t RunMessageLoop() {
  MSG msg;
  for (;;) {
    if (PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE)) {
      if (GetMessageA(&msg, 0, 0, 0) == 0) return static_cast<int32_t>(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else if (gShell.activeFlag != 0) {
      IdleTick();
    } else {
      WaitMessage();
    }
  }
}

LRESULT OnActivateApp(WPARAM wParam) {
  gShell.activeFlag = static_cast<int32_t>(wParam);
  if (!gDisplay.device) return 0;
  if (wParam != 0) {
    OpenMusic();
    StartMusicFromSettings();
    return 0;
  }
  if (gShell.applicationState == kStatePlay) {
    // During play the round freezes where it stands, and the music is silenced until the game is back.
    StopMusic();
    CloseMusic();
    return 0;
  }
  gShell.quitFlag = 1;
  SetApplicationState(kStateQuitting);
  StateTick();
  StateTick();
  return 0;
}

// 'L' during play: the hole-select dialog, then on to the chosen hole. Only a round has holes to jump to.
bool OnHoleSelectKey() {
  if (gShell.applicationState != kStatePlay) return false;
  ShowMouseCursor();
  const int32_t hole = SelectHoleDialog();
  HideMouseCursor();
  if (hole < 1 || hole > 18) return false;
  // The second click of a quick double click on the dialog's button must not land on the green.
  FlushMouseMessages();
  JumpToHole(static_cast<int8_t>(hole - 1));
  return true;
}

bool ActOnState();

LRESULT OnMouseButton(uint32_t message, LPARAM lParam) {
  const MouseEvent e = MouseEventFromMessage(message, lParam);
  if (gShell.applicationState == kStatePlay) {
    PlayMouse(e.x, e.y, e.code);
  } else if (gShell.applicationState == kStateBestScores) {
    SetApplicationState(kStateTitleMenu);
  }
  return 0;
}

}  // namespace

void SetApplicationState(uint32_t state) {
  if (state == gShell.applicationState) return;
  gShell.applicationState = state;
  TraceState("state", state);
}

MouseEvent MouseEventFromMessage(uint32_t message, LPARAM lParam) {
  const int32_t code = message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONDOWN ? 3 : 2;
  // Taken unsigned: a position left of or above the screen also ends up at the far edge.
  return MouseEvent{std::min<int32_t>(LOWORD(lParam), 639), std::min<int32_t>(HIWORD(lParam), 479), code};
}

int32_t InitApplication(HWND window) {
  const std::string dir = GetCurrentDirectoryA();
  std::strncpy(gShell.startDirectory, dir.c_str(), sizeof gShell.startDirectory - 1);
  InitSound(window);
  if (!InitDisplay(window)) return 0;
  while (ShowCursor(false) > 0) {
  }
  PaintTitlePicture();
  LoadSettings();
  OpenMusic();
  StartMusicFromSettings();
  return 1;
}

int32_t WinMain() {
  if (!ClaimSingleInstance(kClassName)) return 0;
  SeedRandom(timeGetTime());
  if (GetSystemMetrics(SM_MOUSEPRESENT) == 0) {
    MessageBoxA(0, "No Mouse Availble!\n Exiting!", kProductName, MB_ICONHAND);
    return 0;
  }
  if (!RegisterWindowClass(kClassName, MainWindowProc, true)) return 0;
  gShell.mainWindow = CreateGameWindow(kClassName, kClassName);
  if (gShell.mainWindow == 0) return 0;
  ShowGameWindow(gShell.mainWindow);
  if (!InitApplication(gShell.mainWindow)) return 0;
  SetApplicationState(kStateStart);
  return RunMessageLoop();
}

uint32_t IdleTickMs() {
  const int32_t hz = DisplayRefreshRate();
  return 1000u / static_cast<uint32_t>(hz > 0 ? hz : 60);
}

// Idle ticks follow the display's refresh instead of running back to back: once the state and phase stand
// where the last tick found them, the next tick comes a refresh later, or sooner by input. What moves on the
// tick keeps its pace, which comes from the clock and the frame timer, not from how often the loop spins.
void IdleTick() {
  const uint32_t now = timeGetTime();
  const bool moved = gShell.applicationState != gShell.tickedState || gRound.playPhase != gShell.tickedPhase;
  const uint32_t due = gShell.lastTick + IdleTickMs();
  if (!moved && static_cast<int32_t>(now - due) < 0) {
    WaitMessageTimeout(due - now);
    return;
  }
  StateTick();
}

void StateTick() {
  gShell.lastTick = timeGetTime();
  gShell.tickedState = gShell.applicationState;
  gShell.tickedPhase = gRound.playPhase;
  const bool closed = ActOnState();
  if (!closed && gShell.quitFlag != 0 && gShell.applicationState == kStateQuitting) {
    SendMessageA(gShell.mainWindow, WM_CLOSE, 0, 0);
  }
}

namespace {

// The work of one tick in the current application state; true when it already closed the window.
bool ActOnState() {
  switch (gShell.applicationState) {
    case kStateStart:
      SetApplicationState(kStateTitleMenu);
      break;
    case kStateTitleMenu:
      if (OverTitlePicture(RunTitleMenu) == 0) {
        // Quitting closes the window here, once; StateTick's own check must not send a second close.
        gShell.quitFlag = 1;
        SetApplicationState(kStateQuitting);
        SendMessageA(gShell.mainWindow, WM_CLOSE, 0, 0);
        return true;
      }
      break;
    case kStateDemo:
      RunDemoHole(OverTitlePicture(SelectHoleDialog));  // Esc (0) shows nothing
      PaintTitlePicture();
      PauseOneSecond();
      SetApplicationState(kStateTitleMenu);
      break;
    case kStateAbout:
      OverTitlePicture(RunAboutBox);
      PaintTitlePicture();
      PauseOneSecond();
      SetApplicationState(kStateTitleMenu);
      break;
    case kStateMusicOptions:
      OverTitlePicture([] {
        RunMusicOptions();
        return 0;
      });
      PaintTitlePicture();
      SetApplicationState(kStateTitleMenu);
      break;
    case kStatePlay:
      PlayTick();
      break;
    case kStateBestScores:
      DrawBestScores(99);
      PresentFrame();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace

LRESULT MainWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      if (gShell.quitFlag == 0) {
        gShell.activeFlag = 0;
        gShell.quitFlag = 1;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATEAPP:
      return OnActivateApp(wParam);
    case WM_KEYDOWN:
      if (wParam == 'L' && OnHoleSelectKey()) return 0;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYUP:
      if (wParam != VK_ESCAPE) return DefWindowProcA(window, message, wParam, lParam);
      gShell.quitFlag = 1;
      return 0;
    case WM_MOUSEMOVE:
      StateTick();
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return OnMouseButton(message, lParam);
    case WM_LBUTTONDBLCLK:
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void ResetShellForTest() { gShell = ShellState{}; }
