// The game's dialog resources and its small dialogs: centring over the game window, the hole-select
// dialog, the About box, the file-dialog hook, and the seam where the music options dialog opens.
#pragma once

#include <cstdint>

#include "platform/win.h"
#include "platform/window/dialog.h"

// Dialog resource numbers.
constexpr int32_t kDialogTitleMenu = 101;
constexpr int32_t kDialogHoleSelect = 107;
constexpr int32_t kDialogAbout = 113;
constexpr int32_t kDialogMusicOptions = 118;

// The two-line banner at the top of the title menu, the About box and the music options.
constexpr const char* kProductBanner = "Quillmere\nV1.2a Brindlemoor Course";

// The template of a dialog resource; null for an unknown number.
const DialogTemplate* FindDialogResource(int32_t resource);
// Shows a dialog resource modally over owner; -1 when the resource does not exist.
intptr_t DialogBoxParamA(int32_t resource, HWND owner, DLGPROC proc, LPARAM param);

// Moves a dialog to the middle of the game window's client area, keeping its size.
void CentreDialog(HWND window);

intptr_t HoleSelectProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam);
intptr_t AboutBoxProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam);
// Installed on the music file dialog: centres it when it opens and leaves everything else to it.
uintptr_t FileDialogHook(HWND dialog, uint32_t message, WPARAM wParam, LPARAM lParam);

// The hole-select dialog over the game window: 1..18 for the hole picked, 0 for Esc.
int32_t SelectHoleDialog();
// The About box over the game window; always 1.
int32_t RunAboutBox();
