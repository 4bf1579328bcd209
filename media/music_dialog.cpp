// The music options dialog: what plays, the volume button, and the choice of no music, random music from
// the Music folder or one file picked anywhere.
#include "media/music_options.h"

#include <cstring>
#include <string>

#include "menus/dialogs.h"
#include "menus/settings.h"
#include "platform/window/dialog.h"
#include "platform/system.h"
#include "shell/shell.h"

namespace {

constexpr int32_t kNoMusicButton = 1016;
constexpr int32_t kSelectMusicButton = 1017;
constexpr int32_t kRandomMusicButton = 1018;
constexpr int32_t kNowPlayingButton = 1019;
constexpr int32_t kVolumeButton = 1020;
constexpr size_t kPathBytes = 256;

// The part of a path after its last separator.
std::string FileTitle(const std::string& path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A chosen file's own folder, else the Music folder beside the program.
std::string InitialFolder(const std::string& choice) {
  const size_t cut = choice.find_last_of("\\/:");
  const bool isPath = choice.size() > 1 && (choice[0] == '/' || choice[1] == ':');
  return isPath && cut != std::string::npos && cut > 0 ? choice.substr(0, cut + 1) : "Music";
}

intptr_t MusicOptionsProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, kNowPlayingButton, NowPlayingText().c_str());
    SetDlgItemTextA(dialog, kVolumeButton, ShowMusicVolume().c_str());
    CentreDialog(dialog);
    return 1;
  }
  if (message != WM_COMMAND) return 0;
  switch (LOWORD(wParam)) {
    case kNoMusicButton: ChooseNoMusic(); break;
    case kRandomMusicButton: ChooseRandomMusic(); break;
    case kSelectMusicButton: {
      // A cancelled file dialog still restarts the music that was chosen.
      std::string path;
      ChooseMusicFile(SelectMusicFile(&path) ? path.c_str() : nullptr);
      break;
    }
    case kNowPlayingButton: break;
    case kVolumeButton:
      SetDlgItemTextA(dialog, kVolumeButton, CycleMusicVolume().c_str());
      return 1;
    default: return 0;
  }
  EndDialog(dialog, 1);
  return 1;
}

}  // namespace

bool SelectMusicFile(std::string* path) {
  const std::string choice = gSettings.musicChoice;
  char file[kPathBytes] = {};
  std::strncpy(file, FileTitle(choice).c_str(), sizeof file - 1);
  const std::string folder = InitialFolder(choice);
  OPENFILENAMEA ofn;
  ofn.hwndOwner = gShell.mainWindow;
  ofn.lpstrFilter = "MIDI Files(*.mid)\0*.mid\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrTitle = "Select Background Music";
  ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  ofn.lpfnHook = FileDialogHook;
  const bool chosen = GetOpenFileNameA(&ofn);
  SetCurrentDirectoryA(gShell.startDirectory);
  if (chosen) *path = file;
  return chosen;
}

void RunMusicOptions() { DialogBoxParamA(kDialogMusicOptions, gShell.mainWindow, MusicOptionsProc, 0); }
