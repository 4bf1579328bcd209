// The game's dialog resources (title menu, hole select, About box, music options) and its small dialogs.
#include "menus/dialogs.h"

#include <string>

#include "shell/shell.h"

namespace {

using K = ControlKind;

constexpr uint32_t kTab = kCtlTabStop;
constexpr uint32_t kNameBox = kCtlBorder | kCtlAutoScroll | kCtlTabStop;

// Check box and name box of each slot, in the order Tab visits them.
void AddSlots(std::vector<ControlTemplate>* controls) {
  const int16_t checkY[4] = {33, 52, 73, 92};
  const int16_t editY[4] = {30, 52, 70, 92};
  for (int32_t column = 0; column < 2; ++column) {
    for (int32_t row = 0; row < 4; ++row) {
      const int32_t slot = column * 4 + row + 1;
      const auto checkX = static_cast<int16_t>(column == 0 ? (slot == 1 ? 5 : 3) : 103);
      const auto editX = static_cast<int16_t>(column == 0 ? 23 : 123);
      const uint32_t disabled = slot == 1 ? 0 : kCtlDisabled;
      controls->push_back({K::CheckBox, 998 + 2 * slot, "", checkX, checkY[row], 8, 8, kTab});
      controls->push_back({K::Edit, 999 + 2 * slot, "", editX, editY[row], 65, 12, kNameBox | disabled});
    }
  }
}

DialogTemplate TitleMenuTemplate() {
  DialogTemplate t{283, 138, kDlgModalFrame | kDlgClientEdge | kDlgCentre, nullptr, {}};
  t.controls.push_back({K::Static, -1, kProductBanner, 56, 3, 168, 22, kCtlCentre | kCtlSunken});
  AddSlots(&t.controls);
  t.controls.push_back({K::PushButton, 1016, "Show DEMO Hole", 205, 28, 67, 14, kTab});
  t.controls.push_back({K::PushButton, 1017, "Show Best Scores", 205, 52, 67, 14, kTab});
  t.controls.push_back({K::PushButton, 1018, "Clear Best Scores", 205, 74, 67, 14, kTab});
  t.controls.push_back({K::PushButton, 1019, "Music Options", 205, 97, 67, 14, kTab});
  t.controls.push_back({K::PushButton, 2, "QUIT", 3, 121, 50, 14, kTab});
  t.controls.push_back({K::PushButton, 1020, "About", 133, 121, 67, 14, kTab});
  t.controls.push_back({K::DefPushButton, 1, "", 205, 121, 67, 14, kTab | kCtlTextLeft});
  return t;
}

DialogTemplate HoleSelectTemplate() {
  static const char* const kNumbers[18] = {"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",
                                           "10", "11", "12", "13", "14", "15", "16", "17", "18"};
  DialogTemplate t{193, 71, kDlgModalFrame | kDlgCentre, nullptr, {}};
  t.controls.push_back({K::Static, -1, "Select Number of Hole", 52, 4, 88, 15, kCtlCentre | kCtlSunken});
  for (int32_t k = 1; k <= 18; ++k) {
    const auto x = static_cast<int16_t>(k <= 9 ? 7 + 20 * (k - 1) : 7 + 20 * (k - 10));
    const auto y = static_cast<int16_t>(k <= 9 ? 24 : 48);
    t.controls.push_back({K::PushButton, 1016 + (k - 1), kNumbers[k - 1], x, y, 16, 16, kTab});
  }
  return t;
}

DialogTemplate AboutTemplate() {
  return DialogTemplate{
      217,
      158,
      kDlgModalFrame,
      nullptr,
      {
          {K::Static, -1, kProductBanner, 24, 3, 168, 22, kCtlCentre | kCtlSunken},
          {K::Static, -1, "Concept, Design, Implemention\nthe Quillmere team", 29, 33, 156, 16, kCtlCentre},
          {K::Static, -1, "Graphics and Backgrounds\nthe Quillmere team", 29, 57, 156, 16, kCtlCentre},
          {K::Static, -1, "Sound effects and Help\nthe Quillmere project, the Quillmere team", 29, 81, 156, 16,
           kCtlCentre},
          {K::Static, -1, "For more information:\nthe README in the game's folder", 30, 105, 156, 16, kCtlCentre},
          {K::DefPushButton, IDOK, "OK", 82, 129, 50, 14, kTab},
      }};
}

DialogTemplate MusicOptionsTemplate() {
  return DialogTemplate{
      187,
      110,
      kDlgModalFrame | kDlgClientEdge,
      nullptr,
      {
          {K::Static, -1, kProductBanner, 9, 3, 168, 22, kCtlCentre | kCtlClientEdge | kCtlModalFrame},
          {K::PushButton, 1019, "Now Playing", 3, 37, 179, 21, kTab | kCtlClientEdge | kCtlModalFrame},
          {K::PushButton, 1020, "Volume Medium", 65, 67, 56, 14, kTab},
          {K::PushButton, 1016, "No Music", 4, 90, 56, 14, kTab},
          {K::PushButton, 1018, "Random Music", 65, 90, 56, 14, kTab},
          {K::PushButton, 1017, "Select Music", 126, 90, 56, 14, kTab},
      }};
}

}  // namespace

const DialogTemplate* FindDialogResource(int32_t resource) {
  static const DialogTemplate kTitleMenu = TitleMenuTemplate();
  static const DialogTemplate kHoleSelect = HoleSelectTemplate();
  static const DialogTemplate kAbout = AboutTemplate();
  static const DialogTemplate kMusicOptions = MusicOptionsTemplate();
  switch (resource) {
    case kDialogTitleMenu:
      return &kTitleMenu;
    case kDialogHoleSelect:
      return &kHoleSelect;
    case kDialogAbout:
      return &kAbout;
    case kDialogMusicOptions:
      return &kMusicOptions;
    default:
      return nullptr;
  }
}

intptr_t DialogBoxParamA(int32_t resource, HWND owner, DLGPROC proc, LPARAM param) {
  const DialogTemplate* t = FindDialogResource(resource);
  return t ? DialogBoxIndirectParamA(t, owner, proc, param) : -1;
}

void CentreDialog(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  const int32_t w = r.right - r.left, h = r.bottom - r.top;
  RECT client;
  if (!GetClientRect(gShell.mainWindow, &client)) return;
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(gShell.mainWindow, &centre);
  MoveWindow(window, centre.x - w / 2, centre.y - h / 2, w, h, false);
}

intptr_t HoleSelectProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) {
    CentreDialog(dialog);
    return 1;
  }
  if (message != WM_COMMAND) return 0;
  const int32_t id = LOWORD(wParam);
  if (id >= 1016 && id <= 1033) {
    EndDialog(dialog, id - 1015);
    return 1;
  }
  if (id == IDCANCEL) {
    EndDialog(dialog, 0);
    return 1;
  }
  return 0;
}

intptr_t AboutBoxProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) {
    CentreDialog(dialog);
    return 1;
  }
  if (message != WM_COMMAND) return 0;
  const int32_t id = LOWORD(wParam);
  if (id == IDOK || id == IDCANCEL) EndDialog(dialog, 1);
  return 1;
}

uintptr_t FileDialogHook(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  (void)lParam;
  if (message == WM_INITDIALOG) CentreDialog(dialog);
  return 0;
}

int32_t SelectHoleDialog() {
  return static_cast<int32_t>(DialogBoxParamA(kDialogHoleSelect, gShell.mainWindow, HoleSelectProc, 0));
}

int32_t RunAboutBox() {
  return static_cast<int32_t>(DialogBoxParamA(kDialogAbout, gShell.mainWindow, AboutBoxProc, 0));
}

// The music options dialog (resource 118) opens here once the music player is in; until then the shell
// goes straight back to the title menu.
