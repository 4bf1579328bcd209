// The dialog toolkit on the headless backend: layout from dialog units, the edit-box rules, keyboard and
// mouse handling, timers, results, the screen beneath, message boxes and the open-file dialog.
#include "platform/window/dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/window/dialog_internal.h"
#include "platform/system.h"
#include "tests/fixture.h"

namespace {

// What the test dialog's procedure saw.
struct Seen {
  std::vector<int32_t> commands;
  std::vector<uint32_t> timerTimes;
  int32_t timerStopAfter = 0;
  uint32_t openedAt = 0;
};
Seen gSeen;

int32_t gMainActivations = 0;
int32_t gMainInputs = 0;

LRESULT MainProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATEAPP) ++gMainActivations;
  if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_KEYDOWN && message <= WM_CHAR)) {
    ++gMainInputs;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

constexpr int32_t kEdit = 10, kCheck = 11, kOff = 12;

// OK ends with 42, Cancel with 7; every command is remembered.
intptr_t TestProc(HWND dialog, uint32_t message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    gSeen.openedAt = timeGetTime();
    if (gSeen.timerStopAfter > 0) SetTimer(dialog, 5, 200);
    return 1;
  }
  if (message == WM_TIMER) {
    gSeen.timerTimes.push_back(timeGetTime() - gSeen.openedAt);
    if (static_cast<int32_t>(gSeen.timerTimes.size()) == gSeen.timerStopAfter) KillTimer(dialog, 5);
    return 1;
  }
  if (message != WM_COMMAND) return 0;
  const int32_t id = LOWORD(wParam);
  gSeen.commands.push_back(id);
  if (id == IDOK) EndDialog(dialog, 42);
  if (id == IDCANCEL) EndDialog(dialog, 7);
  return 1;
}

const DialogTemplate kTemplate{200,
                               100,
                               kDlgModalFrame | kDlgCentre,
                               nullptr,
                               {
                                   {ControlKind::Static, -1, "Name", 4, 4, 40, 10, kCtlSunken},
                                   {ControlKind::Edit, kEdit, "", 50, 4, 80, 12, kCtlBorder | kCtlTabStop},
                                   {ControlKind::CheckBox, kCheck, "Tick", 50, 24, 60, 10, kCtlTabStop},
                                   {ControlKind::PushButton, kOff, "Off", 4, 80, 40, 14, kCtlTabStop | kCtlDisabled},
                                   {ControlKind::DefPushButton, IDOK, "OK", 100, 80, 40, 14, kCtlTabStop},
                                   {ControlKind::PushButton, IDCANCEL, "Cancel", 150, 80, 40, 14, kCtlTabStop},
                               }};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAllForTest();
    gSeen = Seen{};
    gMainActivations = gMainInputs = 0;
    RegisterWindowClass("DialogTestMain", MainProc, true);
    main_ = CreateGameWindow("DialogTestMain", "");
    ShowGameWindow(main_);
    DisplayDo(DisplayStep::PrimarySurface, main_);
    HeadlessSetRunOn(3000);  // a dialog nobody closes ends the test instead of hanging it
  }

  intptr_t Run(const DialogTemplate& t = kTemplate) { return DialogBoxIndirectParamA(&t, main_, TestProc, 0); }


  HWND main_ = 0;
};

TEST(DialogUnitsTest, BaseUnitsSixByThirteen) {
  EXPECT_EQ(DialogUnitsToPixelsX(283), 424);
  EXPECT_EQ(DialogUnitsToPixelsY(138), 224);
  const RECT r = MapDialogRect(ControlTemplate{ControlKind::PushButton, 1, "", 205, 121, 67, 14, 0});
  EXPECT_EQ(r.left, 307);
  EXPECT_EQ(r.top, 196);
  EXPECT_EQ(r.right, 408);
  EXPECT_EQ(r.bottom, 219);
}

TEST(EditCoreTest, LimitRefusesTypingButAllowsReplacingASelection) {
  EditState e;
  e.limit = 14;
  for (char c : std::string("Fourteen chars")) EXPECT_TRUE(EditType(&e, c));
  EXPECT_FALSE(EditType(&e, '!'));
  EXPECT_EQ(e.text, "Fourteen chars");
  EditSetSel(&e, 0, 8);
  EXPECT_TRUE(EditType(&e, 'X'));  // one character replaces eight
  EXPECT_EQ(e.text, "X chars");
  EXPECT_EQ(e.caret, 1u);
}

TEST(EditCoreTest, SelectionRules) {
  EditState e;
  EditSetText(&e, "Brindlemoor");
  EditSetSel(&e, 0, -1);
  EXPECT_EQ(EditSelStart(e), 0u);
  EXPECT_EQ(EditSelEnd(e), 11u);
  EditSetSel(&e, -1, 0);  // removes the selection, the caret stays
  EXPECT_EQ(EditSelStart(e), EditSelEnd(e));
  EditMoveCaret(&e, 3, false);
  EditMoveCaret(&e, 1, true);  // Shift+Left twice
  EXPECT_EQ(EditSelStart(e), 1u);
  EXPECT_EQ(EditSelEnd(e), 3u);
  EditBackspace(&e);
  EXPECT_EQ(e.text, "Bndlemoor");
  EditMoveCaret(&e, 99, false);
  EditDelete(&e);  // nothing after the end
  EditBackspace(&e);
  EXPECT_EQ(e.text, "Bndlemoo");
}

TEST_F(DialogTest, TabVisitsEnabledControlsInOrderAndWraps) {
  std::vector<int32_t> focus;
  const auto record = [&] { focus.push_back(GetDlgCtrlID(GetFocus())); };
  ScheduleCall(10, record);
  for (uint32_t t = 20; t <= 60; t += 10) {
    SchedulePress(t, VK_TAB);
    ScheduleCall(t + 1, record);
  }
  ScheduleKey(70, VK_SHIFT, true);
  SchedulePress(71, VK_TAB);
  ScheduleKey(72, VK_SHIFT, false);
  ScheduleCall(73, record);
  SchedulePress(80, VK_ESCAPE);
  EXPECT_EQ(Run(), 7);
  // The static and the disabled button are skipped.
  EXPECT_EQ(focus, (std::vector<int32_t>{kEdit, kCheck, IDOK, IDCANCEL, kEdit, kCheck, kEdit}));
}

TEST_F(DialogTest, SpaceTicksTheFocusedCheckBoxOnRelease) {
  uint32_t whileHeld = 9, afterRelease = 9;
  SchedulePress(10, VK_TAB);  // from the edit box to the check box
  ScheduleKey(20, VK_SPACE, true);
  ScheduleCall(21, [&] { whileHeld = IsDlgButtonChecked(ActiveDialog(), kCheck); });
  ScheduleKey(30, VK_SPACE, false);
  ScheduleCall(31, [&] { afterRelease = IsDlgButtonChecked(ActiveDialog(), kCheck); });
  SchedulePress(40, VK_ESCAPE);
  EXPECT_EQ(Run(), 7);
  EXPECT_EQ(whileHeld, BST_UNCHECKED);
  EXPECT_EQ(afterRelease, BST_CHECKED);
}

TEST_F(DialogTest, EnterPressesTheDefaultButtonOrTheFocusedOne) {
  SchedulePress(10, VK_RETURN);
  EXPECT_EQ(Run(), 42);
  EXPECT_EQ(gSeen.commands, (std::vector<int32_t>{IDOK}));

  gSeen = Seen{};
  SchedulePress(10000, VK_TAB);
  SchedulePress(10000, VK_TAB);
  SchedulePress(10000, VK_TAB);  // edit, check box, OK, Cancel
  SchedulePress(10001, VK_RETURN);
  EXPECT_EQ(Run(), 7);
}

TEST_F(DialogTest, TypingStopsAtTheLimitAndShiftArrowsSelect) {
  std::string afterLimit, afterReplace;
  ScheduleCall(5, [] { SendDlgItemMessageA(ActiveDialog(), kEdit, EM_LIMITTEXT, 14, 0); });
  ScheduleType(10, "Bartholomew Quill");  // 17 characters
  ScheduleCall(11, [&] { afterLimit = DialogItemText(kEdit); });
  ScheduleKey(20, VK_SHIFT, true);
  for (int32_t i = 0; i < 5; ++i) SchedulePress(21, VK_LEFT);
  ScheduleKey(22, VK_SHIFT, false);
  ScheduleType(23, "Bo");
  ScheduleCall(24, [&] { afterReplace = DialogItemText(kEdit); });
  SchedulePress(30, VK_RETURN);
  EXPECT_EQ(Run(), 42);
  EXPECT_EQ(afterLimit, "Bartholomew Qu");
  EXPECT_EQ(afterReplace, "BartholomBo");
}

TEST_F(DialogTest, MouseDragSelectsAndDoubleClickPicksAWord) {
  LRESULT dragged = 0, word = 0;
  RECT box{};
  ScheduleCall(5, [&] {
    SetDlgItemTextA(ActiveDialog(), kEdit, "Ann Bee");
    POINT c;
    DialogControlCentre(kEdit, &c);
    const Control* edit = FindControl(FindDialog(ActiveDialog()), kEdit);
    box = RECT{c.x - (edit->rect.right - edit->rect.left) / 2, c.y, c.x + (edit->rect.right - edit->rect.left) / 2, c.y};
    QueueMouseButton(false, true, box.left + 3, c.y);
    QueueMouseMove(box.right - 3, c.y);
    QueueMouseButton(false, false, box.right - 3, c.y);
  });
  ScheduleCall(10, [&] { dragged = SendDlgItemMessageA(ActiveDialog(), kEdit, EM_GETSEL, 0, 0); });
  ScheduleCall(600, [&] {
    const int32_t x = box.left + 2 + 2 + EditTextWidth("Ann Bee", 0, 5);  // inside "Bee"
    QueueMouseButton(false, true, x, box.top);
    QueueMouseButton(false, false, x, box.top);
    QueueMouseButton(false, true, x, box.top);
    QueueMouseButton(false, false, x, box.top);
  });
  ScheduleCall(610, [&] { word = SendDlgItemMessageA(ActiveDialog(), kEdit, EM_GETSEL, 0, 0); });
  SchedulePress(700, VK_ESCAPE);
  EXPECT_EQ(Run(), 7);
  EXPECT_EQ(dragged, MAKELPARAM(0, 7));
  EXPECT_EQ(word, MAKELPARAM(4, 7));
}

TEST_F(DialogTest, MouseClicksCheckBoxesButNotDisabledOrAbandonedButtons) {
  uint32_t checked = 99;
  POINT check{}, off{}, ok{};
  ScheduleCall(1, [&] {
    DialogControlCentre(kCheck, &check);
    DialogControlCentre(kOff, &off);
    DialogControlCentre(IDOK, &ok);
    QueueMouseButton(false, true, check.x, check.y);
    QueueMouseButton(false, false, check.x, check.y);
    QueueMouseButton(false, true, off.x, off.y);
    QueueMouseButton(false, false, off.x, off.y);
    // Pressed on OK, released beside it: no click.
    QueueMouseButton(false, true, ok.x, ok.y);
    QueueMouseButton(false, false, ok.x, ok.y - 40);
  });
  ScheduleCall(20, [&] { checked = IsDlgButtonChecked(ActiveDialog(), kCheck); });
  SchedulePress(30, VK_ESCAPE);
  EXPECT_EQ(Run(), 7);
  EXPECT_EQ(checked, BST_CHECKED);
  EXPECT_EQ(gSeen.commands, (std::vector<int32_t>{kCheck, IDCANCEL}));
}

TEST_F(DialogTest, TimersFireOnTheVirtualClockUntilKilled) {
  gSeen.timerStopAfter = 3;
  SchedulePress(2000, VK_RETURN);
  EXPECT_EQ(Run(), 42);
  EXPECT_EQ(gSeen.timerTimes, (std::vector<uint32_t>{200, 400, 600}));
}

TEST_F(DialogTest, DrawnOverTheScreenWithTheCursorAndPutBackAfter) {
  Surface* screen = DisplayPrimary();
  std::fill(screen->pixels.begin(), screen->pixels.end(), ColorTo565(RGB(0, 128, 0)));
  const std::vector<uint16_t> before = screen->pixels;
  while (ShowCursor(false) >= 0) {
  }
  bool cursorDuring = false;
  uint16_t face = 0;
  RECT window{};
  ScheduleCall(10, [&] {
    cursorDuring = HeadlessCursorVisible();
    GetWindowRect(ActiveDialog(), &window);
    face = screen->pixels[(window.top + 5) * 640 + window.left + 5];
  });
  SchedulePress(20, VK_RETURN);
  Run();
  EXPECT_TRUE(cursorDuring);
  EXPECT_EQ(face, ColorTo565(RGB(192, 192, 192)));
  // Centred on the screen: 300 x 162 pixels of client area and a 3-pixel frame.
  EXPECT_EQ(window.left, (640 - 306) / 2);
  EXPECT_EQ(window.top, (480 - 168) / 2);
  EXPECT_EQ(screen->pixels, before);
  EXPECT_FALSE(HeadlessCursorVisible());
}

TEST_F(DialogTest, TheOwnerHearsActivationButNoInputAndTheClosingEscStaysInTheDialog) {
  HeadlessInput deactivate = InputAt(10, HeadlessInput::Kind::Activate);
  deactivate.down = false;
  HeadlessSchedule(deactivate);
  deactivate.time = 20;
  deactivate.down = true;
  HeadlessSchedule(deactivate);
  ScheduleKey(30, VK_ESCAPE, true);
  const int32_t activationsBefore = gMainActivations;
  EXPECT_EQ(Run(), 7);
  ScheduleKey(40, VK_ESCAPE, false);  // released after the dialog has gone
  MSG m;
  HeadlessAdvance(50);
  while (PeekMessageA(&m, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  EXPECT_EQ(gMainActivations - activationsBefore, 2);
  EXPECT_EQ(gMainInputs, 0);
}

TEST_F(DialogTest, ClosingTheOwnerEndsTheDialogWithZero) {
  HeadlessSchedule(InputAt(50, HeadlessInput::Kind::Close));
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ActiveDialog(), 0u);
}

TEST_F(DialogTest, InWindowMessageBoxesAnswerFromTheQueueOrFromTheScript) {
  HeadlessQueueAnswer(IDYES);
  EXPECT_EQ(MessageBoxA(main_, "Sure?", "Q", MB_YESNO), IDYES);

  HeadlessQueueAnswer(0);  // left to the script: Esc does not answer a question, a click on No does
  SchedulePress(100, VK_ESCAPE);
  ScheduleCall(150, [] {
    POINT no;
    ASSERT_TRUE(DialogControlCentre(IDNO, &no));
    QueueMouseButton(false, true, no.x, no.y);
    QueueMouseButton(false, false, no.x, no.y);
  });
  EXPECT_EQ(MessageBoxA(main_, "Really?", "Q", MB_YESNO | MB_ICONQUESTION), IDNO);

  HeadlessQueueAnswer(0);
  SchedulePress(300, VK_ESCAPE);  // an OK box takes Esc as OK
  EXPECT_EQ(MessageBoxA(main_, "Done.", "Q", MB_OK), IDOK);

  // The close box of a question does nothing; that of an OK box answers OK.
  const auto clickCloseBox = [] {
    const RECT b = CaptionCloseBox(*FindDialog(ActiveDialog()));
    QueueMouseButton(false, true, b.left + 3, b.top + 3);
    QueueMouseButton(false, false, b.left + 3, b.top + 3);
  };
  HeadlessQueueAnswer(0);
  ScheduleCall(400, clickCloseBox);
  SchedulePress(450, VK_RETURN);  // Yes, the default
  EXPECT_EQ(MessageBoxA(main_, "Again?", "Q", MB_YESNO), IDYES);
  EXPECT_GE(timeGetTime(), 450u);
  HeadlessQueueAnswer(0);
  ScheduleCall(500, clickCloseBox);
  EXPECT_EQ(MessageBoxA(main_, "Noted.", "Q", MB_OK | MB_ICONEXCLAMATION), IDOK);

  const auto& boxes = HeadlessMessageBoxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[1].text, "Really?");
  EXPECT_EQ(boxes[1].answer, IDNO);
  EXPECT_GE(timeGetTime(), 300u);
}

TEST_F(DialogTest, OpenFileDialogListsFoldersAndMatchingFilesAndCallsItsHook) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "quill-dialog-files";
  fs::remove_all(dir);
  fs::create_directories(dir / "Music" / "Older");
  for (const char* f : {"b.MID", "a.mid", "notes.txt"}) std::ofstream(dir / "Music" / f) << "x";
  const fs::path previous = fs::current_path();
  fs::current_path(dir);

  static int32_t hookCalls = 0;
  hookCalls = 0;
  std::vector<std::string> rows;
  char file[256] = "a.mid";
  OPENFILENAMEA ofn;
  ofn.hwndOwner = main_;
  ofn.lpstrFilter = "MIDI Files(*.mid)\0*.mid\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = "music";
  ofn.lpstrTitle = "Select Background Music";
  ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  ofn.lpfnHook = [](HWND, uint32_t message, WPARAM, LPARAM) -> uintptr_t {
    if (message == WM_INITDIALOG) ++hookCalls;
    return 0;
  };
  ScheduleCall(10, [&] {
    char row[256];
    const HWND d = ActiveDialog();
    for (LRESULT i = 0; i < SendDlgItemMessageA(d, 1120, LB_GETCOUNT, 0, 0); ++i) {
      SendDlgItemMessageA(d, 1120, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(row));
      rows.emplace_back(row);
    }
  });
  SchedulePress(20, VK_BACK);
  ScheduleType(21, "zz.mid");  // no such file: the dialog says so and stays
  SchedulePress(22, VK_RETURN);
  for (int32_t i = 0; i < 6; ++i) SchedulePress(30, VK_BACK);
  ScheduleType(31, "B.MID");  // found whatever its case
  SchedulePress(32, VK_RETURN);
  HeadlessQueueAnswer(IDOK);
  EXPECT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(hookCalls, 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"[..]", "[Older]", "a.mid", "b.MID"}));
  EXPECT_EQ(std::string(file), (fs::canonical(dir / "Music") / "b.MID").string());
  ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
  EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "Select Background Music");

  SchedulePress(100, VK_ESCAPE);
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  fs::current_path(previous);
  fs::remove_all(dir);
}

}  // namespace
