// The title menu and the small dialogs in the whole program on the headless backend: first tick, ticking
// and naming players, starting, quitting, clearing the best scores, the marquee, About and hole select.
#include "menus/title_menu.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "menus/bestscores.h"
#include "menus/dialogs.h"
#include "menus/settings.h"
#include "platform/system.h"
#include "platform/window/dialog.h"
#include "round/round_data.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

// The three marquee texts as the menu scrolls them: 24 blanks before, blanks after up to 77 characters.
std::string Marquee(int32_t text) {
  const std::string messages[kMarqueeTexts] = {"Let's get this show on the road!", "Get on your mark, Get set, GO!!",
                                               "What are you waiting for, PUTT!"};
  return std::string(24, ' ') + messages[text] + std::string(53 - messages[text].size(), ' ');
}

void Click(uint32_t time, int32_t id) { HeadlessSchedule(ClickControlAt(time, id)); }

// Replaces the whole text of the name box of a slot: click in it, select everything, type.
void Rename(uint32_t time, int32_t slot, const std::string& name) {
  Click(time, 999 + 2 * slot);
  SchedulePress(time + 1, VK_END);
  ScheduleKey(time + 1, VK_SHIFT, true);
  SchedulePress(time + 1, VK_HOME);
  ScheduleKey(time + 1, VK_SHIFT, false);
  if (name.empty()) SchedulePress(time + 1, VK_DELETE);
  ScheduleType(time + 2, name);
}

std::string Name(int32_t slot) {
  return std::string(gRound.players[slot - 1].name, strnlen(gRound.players[slot - 1].name, 16));
}

class TitleMenuTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    HeadlessSetRunOn(3000);
  }
};

TEST(MarqueeTest, TextsArePaddedAndPickedInThirds) {
  for (int32_t i = 0; i < kMarqueeTexts; ++i) {
    EXPECT_EQ(std::string(gTitleMenu.marquee + static_cast<ptrdiff_t>(i) * kMarqueeStride), Marquee(i));
    char first[21], last[21];
    MarqueeWindow(i, 0, first);
    MarqueeWindow(i, kMarqueeLastPosition, last);
    EXPECT_EQ(std::string(first), std::string(20, ' '));
    EXPECT_EQ(std::string(last), std::string(20, ' '));
  }
  char window[21];
  MarqueeWindow(0, 30, window);
  EXPECT_STREQ(window, "get this show on the");
  EXPECT_EQ(PickMarqueeText(0), 0);
  EXPECT_EQ(PickMarqueeText(10922), 0);
  EXPECT_EQ(PickMarqueeText(10923), 1);
  EXPECT_EQ(PickMarqueeText(32767), 2);
}

TEST_F(TitleMenuTest, NamesArriveWithTheFirstTickWithOnlySlotOneTicked) {
  std::vector<std::string> early, late, stored;
  uint32_t earlyTicked = 9, lateFocus = 0;
  LRESULT selection = 0;
  std::vector<bool> enabled;
  ScheduleCall(150, [&] {
    for (int32_t s = 1; s <= 8; ++s) early.push_back(DialogItemText(999 + 2 * s));
    earlyTicked = IsDlgButtonChecked(ActiveDialog(), 1000);
  });
  ScheduleCall(250, [&] {
    for (int32_t s = 1; s <= 8; ++s) {
      late.push_back(DialogItemText(999 + 2 * s));
      stored.push_back(Name(s));
      enabled.push_back(IsWindowEnabled(GetDlgItem(ActiveDialog(), 999 + 2 * s)));
      EXPECT_EQ(IsDlgButtonChecked(ActiveDialog(), 998 + 2 * s), s == 1 ? BST_CHECKED : BST_UNCHECKED);
      EXPECT_EQ(gRound.players[s - 1].playing, s == 1 ? 0 : kSittingOut);
    }
    lateFocus = GetDlgCtrlID(GetFocus());
    selection = SendDlgItemMessageA(ActiveDialog(), 1001, EM_GETSEL, 0, 0);
  });
  SchedulePress(300, VK_ESCAPE);
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(early, std::vector<std::string>(8, ""));
  EXPECT_EQ(earlyTicked, BST_UNCHECKED);
  EXPECT_EQ(late, stored);
  EXPECT_EQ(late[1], "Player 2");
  EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, false, false, false, false, false}));
  EXPECT_EQ(lateFocus, 1001u);
  EXPECT_EQ(selection, MAKELPARAM(0, static_cast<int32_t>(late[0].size())));
  // Esc is the menu's QUIT.
  EXPECT_EQ(Traced("state"), (std::vector<int64_t>{kStateTitleMenu, kStateQuitting}));
}

TEST_F(TitleMenuTest, SlotsOneAndThreeMakeARoundOfThreeAndTheNamesAreSaved) {
  Click(300, 1004);
  ScheduleType(310, "Cara");  // slot 3's box has the focus with its name selected
  Rename(400, 1, "Ann");
  Click(500, 1);
  HeadlessSchedule(InputAt(600, HeadlessInput::Kind::Close));
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(gRound.playerCount, 3);
  EXPECT_EQ(Name(1), "Ann");
  EXPECT_EQ(Name(2), "Player 2");
  EXPECT_EQ(Name(3), "Cara");
  EXPECT_EQ(gRound.players[0].playing, 0);
  EXPECT_EQ(gRound.players[1].playing, kSittingOut);
  EXPECT_EQ(gRound.players[2].playing, 0);
  ASSERT_GE(Traced("state").size(), 2u);  // the round itself ends at once: this folder has no holes
  EXPECT_EQ(Traced("state")[1], kStatePlay);
  const std::string saved = SettingsText();
  EXPECT_NE(saved.find("\"Player 1\"=\"Ann\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"Player 3\"=\"Cara\""), std::string::npos) << saved;
}

TEST_F(TitleMenuTest, FifteenthCharacterIsRefusedAndAnEmptyNameBecomesPlayerN) {
  Rename(300, 1, "Maximilianus Quill");
  Click(400, 1008);
  SchedulePress(410, VK_BACK);  // slot 5's selected name is wiped
  Click(500, 1);
  HeadlessSchedule(InputAt(600, HeadlessInput::Kind::Close));
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(Name(1), "Maximilianus Q");
  EXPECT_EQ(Name(5), "Player 5");
  EXPECT_EQ(gRound.playerCount, 5);
}

TEST_F(TitleMenuTest, StartWithNobodyTickedEndsTheProgram) {
  uint32_t focusAfterUntick = 0;
  bool nameBoxEnabled = true;
  Click(300, 1000);
  ScheduleCall(310, [&] {
    focusAfterUntick = GetDlgCtrlID(GetFocus());
    nameBoxEnabled = IsWindowEnabled(GetDlgItem(ActiveDialog(), 1001));
  });
  Click(400, 1);
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(focusAfterUntick, 1u);
  EXPECT_FALSE(nameBoxEnabled);
  EXPECT_EQ(gRound.playerCount, 0);
  EXPECT_EQ(Traced("state"), (std::vector<int64_t>{kStateTitleMenu, kStateQuitting}));
}

TEST_F(TitleMenuTest, ClearBestScoresAsksAndOnlyYesClears) {
  PlayerRecord best{};
  std::strcpy(best.name, "Dora");
  for (int8_t& s : best.strokes) s = 2;
  std::string afterNo;
  bool menuStillUp = false;
  ScheduleCall(100, [&] {
    gBestScores.records[0] = best;
    SaveBestScores();
  });
  HeadlessQueueAnswer(IDNO);
  HeadlessQueueAnswer(IDYES);
  Click(300, 1018);
  ScheduleCall(400, [&] {
    afterNo = FormatBestScore(gBestScores.records[0]);
    menuStillUp = ActiveDialog() != 0 && gShell.applicationState == kStateTitleMenu;
  });
  Click(500, 1018);
  HeadlessSchedule(InputAt(700, HeadlessInput::Kind::Close));
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(afterNo, FormatBestScore(best));
  EXPECT_TRUE(menuStillUp);
  EXPECT_EQ(FormatBestScore(gBestScores.records[0]), kEmptyBestScoreText);
  EXPECT_EQ(Traced("state"), (std::vector<int64_t>{kStateTitleMenu, kStateBestScores}));
  ASSERT_EQ(HeadlessMessageBoxes().size(), 2u);
  EXPECT_EQ(HeadlessMessageBoxes()[0].text, "Clear Best Scores?");
  EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "Quillmere Brindlemoor");
  EXPECT_EQ(HeadlessMessageBoxes()[0].type, MB_YESNO);
  EXPECT_EQ(SettingsText().find("Dora"), std::string::npos);
}

TEST_F(TitleMenuTest, MarqueeShowsFiftyEightPositionsOfATextBeforeSwitching) {
  std::vector<std::string> shown;
  int32_t firstText = -1;
  for (uint32_t n = 0; n < 59; ++n) {
    ScheduleCall(250 + 200 * n, [&] {
      if (firstText < 0) firstText = gTitleMenu.textIndex;
      shown.push_back(DialogItemText(1));
    });
  }
  ScheduleCall(250 + 200 * 57, [&] { EXPECT_EQ(gTitleMenu.scroll, 0); });  // wrapped after showing p = 57
  SchedulePress(12000, VK_ESCAPE);
  EXPECT_EQ(RunGame(), 0);
  ASSERT_EQ(shown.size(), 59u);
  for (int32_t p = 0; p <= kMarqueeLastPosition; ++p)
    EXPECT_EQ(shown[size_t(p)], Marquee(firstText).substr(p, 20)) << p;
  EXPECT_NE(shown[30], std::string(20, ' '));
  EXPECT_EQ(shown[58], std::string(20, ' '));  // the next text starts with its blank window
}

TEST_F(TitleMenuTest, ReopenedMenuContinuesTheScroll) {
  int32_t scrollAtReopen = -1;
  std::string firstWindowAfter;
  Click(1100, 1017);  // five ticks shown: p is 5
  HeadlessInput up = InputAt(1200, HeadlessInput::Kind::Button);
  up.x = up.y = 5;
  HeadlessSchedule(up);
  ScheduleCall(1300, [&] { scrollAtReopen = gTitleMenu.scroll; });
  ScheduleCall(1450, [&] { firstWindowAfter = DialogItemText(1); });
  SchedulePress(1500, VK_ESCAPE);
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(Traced("state"),
            (std::vector<int64_t>{kStateTitleMenu, kStateBestScores, kStateTitleMenu, kStateQuitting}));
  EXPECT_EQ(scrollAtReopen, 5);
  EXPECT_EQ(firstWindowAfter, Marquee(gTitleMenu.textIndex).substr(5, 20));
}

TEST_F(TitleMenuTest, AboutClosesWithOkEnterAndEscThenPausesASecond) {
  Click(300, 1020);
  Click(400, IDOK);
  Click(2000, 1020);
  SchedulePress(2100, VK_RETURN);
  Click(3700, 1020);
  SchedulePress(3800, VK_ESCAPE);
  SchedulePress(5400, VK_ESCAPE);
  EXPECT_EQ(RunGame(), 0);
  std::vector<uint32_t> backAt;
  for (const HeadlessTrace& t : HeadlessTraces()) {
    if (t.what == "state" && t.value == kStateTitleMenu) backAt.push_back(t.time);
  }
  EXPECT_EQ(Traced("state"), (std::vector<int64_t>{kStateTitleMenu, kStateAbout, kStateTitleMenu, kStateAbout,
                                                   kStateTitleMenu, kStateAbout, kStateTitleMenu, kStateQuitting}));
  ASSERT_EQ(backAt.size(), 4u);
  EXPECT_GE(backAt[1], 1400u);  // one second after OK
  EXPECT_LT(backAt[1], 1410u);
  EXPECT_GE(backAt[3], 4800u);
  EXPECT_EQ(gShell.quitFlag, 1);  // only from the final Esc: the About box's Esc stayed in the box
}

TEST_F(TitleMenuTest, DemoButtonPicksAHoleAndComesBack) {
  uint8_t demoFlags[2] = {9, 9};
  Click(300, 1016);
  ScheduleCall(350, [&] {  // the two demonstration players take slots 1 and 2
    demoFlags[0] = gRound.players[0].playing;
    demoFlags[1] = gRound.players[1].playing;
  });
  Click(400, 1033);
  SchedulePress(9000, VK_ESCAPE);
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(demoFlags[0], 0);
  EXPECT_EQ(demoFlags[1], 0);
  EXPECT_EQ(Traced("state"), (std::vector<int64_t>{kStateTitleMenu, kStateDemo, kStateTitleMenu, kStateQuitting}));
}

class SmallDialogTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    HeadlessSetRunOn(3000);
    RegisterWindowClass("Quillmere1", MainWindowProc, true);
    gShell.mainWindow = CreateGameWindow("Quillmere1", "");
    DisplayDo(DisplayStep::PrimarySurface, gShell.mainWindow);
  }
};

TEST_F(SmallDialogTest, HoleSelectReturnsTheHoleOrZero) {
  Click(10, 1033);
  EXPECT_EQ(SelectHoleDialog(), 18);
  Click(100, 1016);
  EXPECT_EQ(SelectHoleDialog(), 1);
  SchedulePress(200, VK_ESCAPE);
  EXPECT_EQ(SelectHoleDialog(), 0);
}

intptr_t CentredProc(HWND dialog, uint32_t message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    CentreDialog(dialog);
    SetTimer(dialog, 1, 50);  // closes once it has been drawn
  } else if (message == WM_TIMER) {
    RECT r;
    GetWindowRect(dialog, &r);
    EndDialog(dialog, r.left * 1000 + r.top);
  }
  return 0;
}

TEST_F(SmallDialogTest, CentringALargeDialogPutsItsCornerOffTheScreen) {
  Surface* screen = DisplayPrimary();
  for (size_t i = 0; i < screen->pixels.size(); ++i) screen->pixels[i] = static_cast<uint16_t>(i * 7);
  const std::vector<uint16_t> before = screen->pixels;
  const DialogTemplate big{500, 320, kDlgModalFrame, nullptr, {}};
  // 750 x 520 pixels and a 3-pixel frame: 756 x 526 around the centre (320, 240).
  EXPECT_EQ(DialogBoxIndirectParamA(&big, gShell.mainWindow, CentredProc, 0), (320 - 378) * 1000 + (240 - 263));
  EXPECT_EQ(screen->pixels, before);  // what lay beneath comes back, edges and all
  const DialogTemplate* menu = FindDialogResource(kDialogTitleMenu);
  EXPECT_EQ(DialogBoxIndirectParamA(menu, gShell.mainWindow, CentredProc, 0), (320 - 217) * 1000 + (240 - 117));
}

}  // namespace
