// Ready-made dialogs of the toolkit: the message box drawn in the game window and the open-file dialog.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/system.h"
#include "platform/window/dialog_internal.h"

namespace {

// ---- Message box -----------------------------------------------------------------------------------------

constexpr int32_t kMargin = 7;  // dialog units round the box's contents
constexpr int32_t kButtonWidth = 50;
constexpr int32_t kButtonHeight = 14;
constexpr int32_t kButtonGap = 4;
constexpr int32_t kIconUnitsX = 30;  // 32 pixels and the gap to the text
constexpr int32_t kIconUnitsY = 20;
constexpr int32_t kMaxTextPixels = 400;

int32_t PixelsToUnitsX(int32_t px) { return (px * 4 + 5) / 6; }
int32_t PixelsToUnitsY(int32_t py) { return (py * 8 + 12) / 13; }

SIZE MeasureText(const char* text, int32_t maxWidth, HFONT font) {
  DC dc;
  SelectFont(&dc, font);
  RECT r{0, 0, maxWidth, 0};
  DrawTextA(&dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

bool IsYesNo(uint32_t type) { return (type & 0x0F) == MB_YESNO; }

intptr_t MessageBoxProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) return 1;
  if (message != WM_COMMAND) return 0;
  const int32_t id = LOWORD(wParam);
  // A box without a Cancel button takes Esc and its close box as OK; a question must be answered.
  const bool yesNo = GetDlgItem(dialog, IDYES) != 0;
  if (id == IDOK || id == IDYES || id == IDNO) EndDialog(dialog, id);
  if (id == IDCANCEL && !yesNo) EndDialog(dialog, IDOK);
  return 1;
}

DialogTemplate MessageBoxTemplate(const char* text, const char* caption, uint32_t type) {
  const uint32_t icon = type & 0xF0;
  const SIZE textSize = MeasureText(text, kMaxTextPixels, DialogFont());
  const SIZE captionSize = MeasureText(caption, 600, DialogBoldFont());
  const int32_t iconX = icon ? kIconUnitsX : 0;
  const int32_t textW = PixelsToUnitsX(textSize.cx) + 2, textH = std::max<int32_t>(PixelsToUnitsY(textSize.cy), 8);
  const int32_t buttons = IsYesNo(type) ? 2 : 1;
  const int32_t rowW = buttons * kButtonWidth + (buttons - 1) * kButtonGap;
  const int32_t width =
      std::max({iconX + textW + 2 * kMargin, rowW + 2 * kMargin, PixelsToUnitsX(captionSize.cx) + 24, 90});
  const int32_t contentH = std::max(textH, icon ? kIconUnitsY : 0);
  const int32_t buttonsY = kMargin + contentH + kMargin;

  DialogTemplate t{static_cast<int16_t>(width),
                   static_cast<int16_t>(buttonsY + kButtonHeight + kMargin),
                   kDlgModalFrame | kDlgCentre,
                   caption,
                   {}};
  const auto s16 = [](int32_t v) { return static_cast<int16_t>(v); };
  int32_t x = (width - rowW) / 2;
  if (IsYesNo(type)) {
    t.controls.push_back(
        {ControlKind::DefPushButton, IDYES, "&Yes", s16(x), s16(buttonsY), kButtonWidth, kButtonHeight, kCtlTabStop});
    x += kButtonWidth + kButtonGap;
    t.controls.push_back(
        {ControlKind::PushButton, IDNO, "&No", s16(x), s16(buttonsY), kButtonWidth, kButtonHeight, kCtlTabStop});
  } else {
    t.controls.push_back(
        {ControlKind::DefPushButton, IDOK, "OK", s16(x), s16(buttonsY), kButtonWidth, kButtonHeight, kCtlTabStop});
  }
  // Text beside a taller icon sits level with the icon's middle.
  const int32_t textY = kMargin + (contentH - textH) / 2;
  t.controls.push_back(
      {ControlKind::Static, -1, text, s16(kMargin + iconX), s16(textY), s16(textW), s16(textH + 1), 0});
  if (icon) t.controls.push_back({ControlKind::Icon, static_cast<int32_t>(icon), "", kMargin, kMargin, 21, 20, 0});
  return t;
}

// ---- Open-file dialog ------------------------------------------------------------------------------------

constexpr int32_t kIdFolder = 1088;
constexpr int32_t kIdList = 1120;
constexpr int32_t kIdFileName = 1152;
constexpr int32_t kIdFileType = 1136;

struct Entry {
  std::string name;
  bool folder;
};

struct FileDialogState {
  OPENFILENAMEA* ofn = nullptr;
  std::filesystem::path folder;
  std::string pattern = "*.*";
  std::string filterName;
  std::vector<Entry> entries;
};

FileDialogState gFiles;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "*" and "?" wildcards, case-insensitive as on the game's original file system.
bool MatchPattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  const std::string n = Lower(name), p = Lower(pattern);
  size_t ni = 0, pi = 0, starP = std::string::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++ni;
      ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::string::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

void ReadFilter(const OPENFILENAMEA& ofn) {
  gFiles.pattern = "*.*";
  gFiles.filterName = "All Files (*.*)";
  const char* f = ofn.lpstrFilter;
  for (uint32_t pair = 1; f && *f; ++pair) {
    const char* pattern = f + std::strlen(f) + 1;
    if (pair == std::max<uint32_t>(ofn.nFilterIndex, 1)) {
      gFiles.filterName = f;
      gFiles.pattern = pattern;
      return;
    }
    f = pattern + std::strlen(pattern) + 1;
  }
}

void ListFolder(HWND dialog) {
  std::vector<Entry> folders, files;
  std::error_code ec;
  for (const auto& item : std::filesystem::directory_iterator(gFiles.folder, ec)) {
    const std::string name = item.path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code e2;
    if (item.is_directory(e2)) {
      folders.push_back({name, true});
    } else if (MatchPattern(name, gFiles.pattern)) {
      files.push_back({name, false});
    }
  }
  const auto byName = [](const Entry& a, const Entry& b) { return Lower(a.name) < Lower(b.name); };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  gFiles.entries.clear();
  if (gFiles.folder.has_parent_path() && gFiles.folder != gFiles.folder.root_path())
    gFiles.entries.push_back({"..", true});
  gFiles.entries.insert(gFiles.entries.end(), folders.begin(), folders.end());
  gFiles.entries.insert(gFiles.entries.end(), files.begin(), files.end());
  SendDlgItemMessageA(dialog, kIdList, LB_RESETCONTENT, 0, 0);
  for (const Entry& e : gFiles.entries) {
    const std::string row = e.folder ? "[" + e.name + "]" : e.name;
    SendDlgItemMessageA(dialog, kIdList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  }
  SetDlgItemTextA(dialog, kIdFolder, gFiles.folder.string().c_str());
}

void EnterFolder(HWND dialog, const std::filesystem::path& folder) {
  std::error_code ec;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, ec);
  gFiles.folder = ec ? folder : canonical;
  ListFolder(dialog);
  SetDlgItemTextA(dialog, kIdFileName, "");
}

bool Accept(HWND dialog, const std::filesystem::path& file) {
  OPENFILENAMEA* ofn = gFiles.ofn;
  const std::string full = file.string();
  if (!ofn->lpstrFile || full.size() + 1 > ofn->nMaxFile) {
    MessageBoxA(dialog, "The path of this file is too long.", ofn->lpstrTitle ? ofn->lpstrTitle : "Open",
                MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  std::memcpy(ofn->lpstrFile, full.c_str(), full.size() + 1);
  EndDialog(dialog, 1);
  return true;
}

// OK: a folder name enters the folder, an existing file is the answer, anything else is refused.
void PressOpen(HWND dialog) {
  char typed[1024];
  GetDlgItemTextA(dialog, kIdFileName, typed, sizeof typed);
  std::string name = typed;
  const LRESULT row = SendDlgItemMessageA(dialog, kIdList, LB_GETCURSEL, 0, 0);
  if (name.empty() && row >= 0 && static_cast<size_t>(row) < gFiles.entries.size())
    name = gFiles.entries[static_cast<size_t>(row)].name;
  if (name.empty()) return;
  // Names are matched without regard to case, as on the file system the game was made for.
  for (const Entry& e : gFiles.entries) {
    if (Lower(e.name) == Lower(name)) name = e.name;
  }
  const std::filesystem::path target =
      std::filesystem::path(name).is_absolute() ? std::filesystem::path(name) : gFiles.folder / name;
  std::error_code ec;
  if (std::filesystem::is_directory(target, ec)) {
    EnterFolder(dialog, target);
  } else if (std::filesystem::is_regular_file(target, ec)) {
    Accept(dialog, target);
  } else {
    const std::string text = name + "\nFile not found.\nPlease verify the correct file name was given.";
    MessageBoxA(dialog, text.c_str(), gFiles.ofn->lpstrTitle ? gFiles.ofn->lpstrTitle : "Open",
                MB_OK | MB_ICONEXCLAMATION);
  }
}

void OnListNotify(HWND dialog, uint16_t notify) {
  const LRESULT row = SendDlgItemMessageA(dialog, kIdList, LB_GETCURSEL, 0, 0);
  if (row < 0 || static_cast<size_t>(row) >= gFiles.entries.size()) return;
  const Entry e = gFiles.entries[static_cast<size_t>(row)];
  if (notify == LBN_SELCHANGE) {
    SetDlgItemTextA(dialog, kIdFileName, e.folder ? "" : e.name.c_str());
  } else if (notify == LBN_DBLCLK) {
    if (e.folder) {
      EnterFolder(dialog, gFiles.folder / e.name);
    } else {
      Accept(dialog, gFiles.folder / e.name);
    }
  }
}

intptr_t FileDialogProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) {
    OPENFILENAMEA* ofn = gFiles.ofn;
    SetDlgItemTextA(dialog, kIdFileType, gFiles.filterName.c_str());
    ListFolder(dialog);
    const std::string initial = ofn->lpstrFile ? std::filesystem::path(ofn->lpstrFile).filename().string() : "";
    SetDlgItemTextA(dialog, kIdFileName, initial.c_str());
    SendDlgItemMessageA(dialog, kIdFileName, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, kIdFileName));
    if ((ofn->Flags & OFN_ENABLEHOOK) && ofn->lpfnHook)
      ofn->lpfnHook(dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(ofn));
    return 0;
  }
  if (message != WM_COMMAND) return 0;
  switch (LOWORD(wParam)) {
    case IDOK:
      PressOpen(dialog);
      break;
    case IDCANCEL:
      EndDialog(dialog, 0);
      break;
    case kIdList:
      OnListNotify(dialog, HIWORD(wParam));
      break;
    default:
      break;
  }
  return 1;
}

DialogTemplate FileDialogTemplate(const char* title) {
  return DialogTemplate{
      238,
      160,
      kDlgModalFrame | kDlgCentre,
      title ? title : "Open",
      {
          {ControlKind::Static, -1, "Look in:", 7, 8, 40, 9, 0},
          {ControlKind::Static, kIdFolder, "", 50, 6, 181, 12, kCtlSunken},
          {ControlKind::ListBox, kIdList, "", 7, 22, 224, 94, kCtlBorder | kCtlTabStop},
          {ControlKind::Static, -1, "File name:", 7, 124, 45, 9, 0},
          {ControlKind::Edit, kIdFileName, "", 55, 122, 120, 12, kCtlBorder | kCtlAutoScroll | kCtlTabStop},
          {ControlKind::Static, -1, "Files of type:", 7, 141, 46, 9, 0},
          {ControlKind::Static, kIdFileType, "", 55, 139, 120, 12, kCtlSunken},
          {ControlKind::DefPushButton, IDOK, "&Open", 181, 121, 50, 14, kCtlTabStop},
          {ControlKind::PushButton, IDCANCEL, "Cancel", 181, 139, 50, 14, kCtlTabStop},
      }};
}

std::filesystem::path InitialFolder(const OPENFILENAMEA& ofn) {
  std::error_code ec;
  if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) {
    const std::filesystem::path dir = ResolveGamePath(ofn.lpstrInitialDir);
    if (std::filesystem::is_directory(dir, ec)) return std::filesystem::absolute(dir, ec);
  }
  return std::filesystem::path(GetCurrentDirectoryA());
}

}  // namespace

int32_t DialogMessageBox(HWND owner, const char* text, const char* caption, uint32_t type) {
  const uint32_t asked = timeGetTime();
  const int32_t cautious = IsYesNo(type) ? IDNO : IDOK;
  int32_t answer = 0;
  if (!BackendPresetAnswer(type, &answer)) {
    const DialogTemplate t = MessageBoxTemplate(text, caption, type);
    answer = static_cast<int32_t>(DialogBoxIndirectParamA(&t, owner, MessageBoxProc, 0));
    if (answer != IDOK && answer != IDYES && answer != IDNO) answer = cautious;  // its owner went away
  }
  BackendRecordMessageBox(asked, text, caption, type, answer);
  return answer;
}

bool GetOpenFileNameA(OPENFILENAMEA* ofn) {
  if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) return false;
  const FileDialogState previous = gFiles;  // a file dialog opened from a hook gets its own state
  gFiles = FileDialogState{};
  gFiles.ofn = ofn;
  gFiles.folder = InitialFolder(*ofn);
  ReadFilter(*ofn);
  const DialogTemplate t = FileDialogTemplate(ofn->lpstrTitle);
  const intptr_t result = DialogBoxIndirectParamA(&t, ofn->hwndOwner, FileDialogProc, 0);
  gFiles = previous;
  return result == 1;
}
