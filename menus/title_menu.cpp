// The title menu's dialog procedure: marquee, slot ticks and names, and the buttons that pick the next
// screen. It never does the work itself: it sets the next application state and closes.
#include "menus/title_menu.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "menus/dialogs.h"
#include "menus/settings.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "shell/shell.h"

namespace {

constexpr int32_t kStartButton = 1;
constexpr int32_t kFirstCheck = 1000;
constexpr int32_t kLastCheck = 1014;
constexpr int32_t kDemoButton = 1016;
constexpr int32_t kBestScoresButton = 1017;
constexpr int32_t kClearButton = 1018;
constexpr int32_t kMusicButton = 1019;
constexpr int32_t kAboutButton = 1020;
constexpr uintptr_t kMarqueeTimer = 0;

const char* const kMessages[kMarqueeTexts] = {
    "Let's get this show on the road!",
    "Get on your mark, Get set, GO!!",
    "What are you waiting for, PUTT!",
};

constexpr int32_t CheckId(int32_t slot) { return 998 + 2 * slot; }
constexpr int32_t EditId(int32_t slot) { return 999 + 2 * slot; }

void FillMarquee(TitleMenuState* s) {
  std::memset(s->marquee, 0, sizeof s->marquee);
  for (int32_t i = 0; i < kMarqueeTexts; ++i) {
    char* text = s->marquee + static_cast<ptrdiff_t>(i) * kMarqueeStride;
    std::memset(text, ' ', kMarqueeLength);
    std::memcpy(text + 24, kMessages[i], std::strlen(kMessages[i]));
  }
}

TitleMenuState MakeState() {
  TitleMenuState s;
  FillMarquee(&s);
  return s;
}

PlayerRecord& Slot(int32_t slot) { return gRound.players[slot - 1]; }

void SelectAllOf(HWND dialog, int32_t id) { SendDlgItemMessageA(dialog, id, EM_SETSEL, 0, -1); }

// Every time the menu opens only slot 1 is ticked; the names survive from last time.
void FirstTick(HWND dialog) {
  for (int32_t slot = 1; slot <= kPlayerSlots; ++slot) {
    SendDlgItemMessageA(dialog, EditId(slot), EM_LIMITTEXT, kNameLength, 0);
    char name[sizeof PlayerRecord::name + 1] = {};
    std::memcpy(name, Slot(slot).name, sizeof Slot(slot).name);
    SetDlgItemTextA(dialog, EditId(slot), name);
    Slot(slot).playing = slot == 1 ? 0 : kSittingOut;
  }
  CheckDlgButton(dialog, CheckId(1), BST_CHECKED);
  gTitleMenu.firstTick = false;
  SetFocus(GetDlgItem(dialog, EditId(1)));
  SelectAllOf(dialog, EditId(1));
}

void MarqueeTick(HWND dialog) {
  char window[kMarqueeWindow + 1];
  MarqueeWindow(gTitleMenu.textIndex, gTitleMenu.scroll, window);
  SetDlgItemTextA(dialog, kStartButton, window);
  if (++gTitleMenu.scroll > kMarqueeLastPosition) {
    gTitleMenu.scroll = 0;
    gTitleMenu.textIndex = PickMarqueeText(Random());
  }
  if (gTitleMenu.firstTick) FirstTick(dialog);
}

void SlotTicked(HWND dialog, int32_t slot) {
  const HWND edit = GetDlgItem(dialog, EditId(slot));
  if (IsDlgButtonChecked(dialog, CheckId(slot)) == BST_CHECKED) {
    EnableWindow(edit, true);
    Slot(slot).playing = 0;
    SetFocus(edit);
    SelectAllOf(dialog, EditId(slot));
  } else {
    EnableWindow(edit, false);
    Slot(slot).playing = kSittingOut;
    SendDlgItemMessageA(dialog, EditId(slot), EM_SETSEL, static_cast<WPARAM>(-1), 0);
    SetFocus(GetDlgItem(dialog, kStartButton));
  }
}

void Close(HWND dialog, intptr_t result, uint32_t nextState) {
  KillTimer(dialog, kMarqueeTimer);
  if (result != 0) SetApplicationState(nextState);
  EndDialog(dialog, result);
}

void StartRound(HWND dialog) {
  gRound.playerCount = 0;
  for (int32_t slot = 1; slot <= kPlayerSlots; ++slot) {
    if (IsDlgButtonChecked(dialog, CheckId(slot)) != BST_CHECKED) continue;
    PlayerRecord& p = Slot(slot);
    GetDlgItemTextA(dialog, EditId(slot), p.name, kNameLength + 1);
    if (p.name[0] == '\0') std::snprintf(p.name, sizeof p.name, "Player %u", static_cast<uint8_t>(slot));
    p.playing = 0;
    gRound.playerCount = static_cast<int8_t>(slot);
  }
  if (gRound.playerCount == 0) {
    Close(dialog, 0, 0);
    return;
  }
  SavePlayerNames();
  Close(dialog, 1, kStatePlay);
}

void AskClearBestScores(HWND dialog) {
  if (MessageBoxA(dialog, "Clear Best Scores?", "Quillmere Brindlemoor", MB_YESNO) != IDYES) return;
  KillTimer(dialog, kMarqueeTimer);
  ClearBestScores();
  Close(dialog, 1, kStateBestScores);
}

void OnCommand(HWND dialog, int32_t id) {
  switch (id) {
    case kStartButton:
      StartRound(dialog);
      break;
    case IDCANCEL:
      Close(dialog, 0, 0);
      break;
    case kDemoButton:
      Slot(1).playing = 0;
      Slot(2).playing = 0;
      Close(dialog, 1, kStateDemo);
      break;
    case kBestScoresButton:
      Close(dialog, 1, kStateBestScores);
      break;
    case kClearButton:
      AskClearBestScores(dialog);
      break;
    case kMusicButton:
      Close(dialog, 1, kStateMusicOptions);
      break;
    case kAboutButton:
      Close(dialog, 1, kStateAbout);
      break;
    default:
      if (id >= kFirstCheck && id <= kLastCheck && id % 2 == 0) SlotTicked(dialog, (id - 998) / 2);
      break;
  }
}

}  // namespace

TitleMenuState gTitleMenu = MakeState();

int32_t PickMarqueeText(int32_t r) { return ((r * 999) / 32768) / 333; }

void MarqueeWindow(int32_t textIndex, int32_t p, char out[kMarqueeWindow + 1]) {
  textIndex = std::clamp(textIndex, 0, kMarqueeTexts - 1);
  p = std::clamp(p, 0, kMarqueeLastPosition);
  std::memcpy(out, gTitleMenu.marquee + static_cast<ptrdiff_t>(textIndex) * kMarqueeStride + p, kMarqueeWindow);
  out[kMarqueeWindow] = '\0';
}

intptr_t TitleMenuProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      SetTimer(dialog, kMarqueeTimer, kMarqueeMs);
      gTitleMenu.textIndex = PickMarqueeText(Random());
      gTitleMenu.firstTick = true;
      return 1;
    case WM_TIMER:
      MarqueeTick(dialog);
      return 1;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam));
      return 1;
    default:
      return 0;
  }
}

intptr_t RunTitleMenu() { return DialogBoxParamA(kDialogTitleMenu, gShell.mainWindow, TitleMenuProc, 0); }

void ResetTitleMenuForTest() { gTitleMenu = MakeState(); }
