// The shell: frame timer, random numbers, mouse messages, start-up failures, activation and closing.
#include "shell/shell.h"

#include <gtest/gtest.h>

#include "media/music.h"
#include "platform/backend.h"
#include "platform/system.h"
#include "platform/window/dialog.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "tests/fixture.h"

namespace {

HeadlessInput At(uint32_t time, HeadlessInput::Kind kind) {
  HeadlessInput in;
  in.time = time;
  in.kind = kind;
  return in;
}

HeadlessInput CallAt(uint32_t time, std::function<void()> call) {
  HeadlessInput in = At(time, HeadlessInput::Kind::Call);
  in.call = std::move(call);
  return in;
}

HeadlessInput ActivateAt(uint32_t time, bool active) {
  HeadlessInput in = At(time, HeadlessInput::Kind::Activate);
  in.down = active;
  return in;
}

}  // namespace

TEST(FrameWaitTest, PacesFromTheResetAndCatchesUpAfterALateStep) {
  ResetAllForTest(HeadlessConfig{.clockStart = 1000});
  EXPECT_EQ(FrameWait(0), 0u);
  EXPECT_EQ(FrameWait(500), 500u);
  EXPECT_EQ(timeGetTime(), 1501u);  // the spin ends on the first millisecond past the deadline
  EXPECT_EQ(FrameWait(100), 600u);
  EXPECT_EQ(timeGetTime(), 1601u);

  HeadlessAdvance(350);  // something slow happened: the clock is at 1951, the deadline at 1600
  EXPECT_EQ(FrameWait(100), 9999u);
  EXPECT_EQ(FrameWait(100), 9999u);
  EXPECT_EQ(FrameWait(100), 9999u);
  EXPECT_EQ(timeGetTime(), 1951u);   // late steps do not wait at all
  EXPECT_EQ(FrameWait(100), 1000u);  // the accumulated deadline 2000 is ahead again: no drift
  EXPECT_EQ(timeGetTime(), 2001u);
}

TEST(FrameWaitTest, ClockWrapStartsAFreshDeadline) {
  ResetAllForTest(HeadlessConfig{.clockStart = 0xFFFFFF00u});
  FrameWait(0);
  HeadlessAdvance(0x180);  // the clock wraps to 0x80
  EXPECT_EQ(FrameWait(50), 50u);
  EXPECT_EQ(timeGetTime(), 0x80u + 51u);
}

TEST(FrameWaitTest, ADeadlineAtTheEndOfTheClockIsPassedWhenTheClockWraps) {
  ResetAllForTest(HeadlessConfig{.clockStart = 0xFFFFFF00u});
  FrameWait(0);
  EXPECT_EQ(FrameWait(0xFF), 0xFFu);  // deadline 0xFFFFFFFF: no clock value is above it
  EXPECT_EQ(timeGetTime(), 0u);
  EXPECT_EQ(FrameWait(10), 10u);  // the clock is below the base: the timer starts afresh from now
  EXPECT_EQ(timeGetTime(), 11u);
}

TEST(RandomTest, FollowsTheSharedGeneratorSequence) {
  ResetAllForTest();
  EXPECT_EQ(Random(), 41);  // state 1 before any seeding
  SeedRandom(1);
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724};
  for (int32_t value : expected) EXPECT_EQ(Random(), value);
  SeedRandom(0xFFFFFFFFu);
  for (int i = 0; i < 1000; ++i) {
    const int32_t r = Random();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
}

TEST(MouseMessageTest, PositionsAreLimitedToTheScreenAndButtonsCoded) {
  EXPECT_EQ(MouseEventFromMessage(WM_LBUTTONUP, MAKELPARAM(700, 500)).x, 639);
  EXPECT_EQ(MouseEventFromMessage(WM_LBUTTONUP, MAKELPARAM(700, 500)).y, 479);
  const MouseEvent inside = MouseEventFromMessage(WM_RBUTTONDOWN, MAKELPARAM(639, 0));
  EXPECT_EQ(inside.x, 639);
  EXPECT_EQ(inside.y, 0);
  EXPECT_EQ(inside.code, 3);
  // A position left of the screen is taken unsigned, so it lands on the right edge.
  EXPECT_EQ(MouseEventFromMessage(WM_RBUTTONUP, MAKELPARAM(-1, 10)).x, 639);
  EXPECT_EQ(MouseEventFromMessage(WM_RBUTTONUP, MAKELPARAM(-1, 10)).code, 2);
  EXPECT_EQ(MouseEventFromMessage(WM_LBUTTONUP, 0).code, 1);
}

TEST(CursorTest, HelpersLeaveTheDisplayCounterWhereTheGameExpects) {
  ResetAllForTest();
  HideMouseCursor();
  EXPECT_FALSE(HeadlessCursorVisible());
  EXPECT_EQ(ShowCursor(true), 0);  // hiding from 0 went to -1 exactly
  ShowCursor(false);
  ShowCursor(false);
  ShowCursor(false);  // -3
  ShowMouseCursor();
  EXPECT_TRUE(HeadlessCursorVisible());
  EXPECT_EQ(ShowCursor(false), -1);
  ShowCursor(true);
  ShowCursor(true);
  ShowCursor(true);   // 2
  HideMouseCursor();  // stops as soon as the count is no longer above 0
  EXPECT_TRUE(HeadlessCursorVisible());
  EXPECT_EQ(ShowCursor(true), 1);
}

TEST(ProbeTest, DecidesPlatformAndVersionFromWhatTheMachineReports) {
  PlatformReport nt;
  nt.versionKnown = true;
  nt.platformId = 2;
  nt.majorVersion = 3;
  EXPECT_EQ(ProbeFromReport(nt).platform, kPlatformUnsupported);
  nt.majorVersion = 4;
  EXPECT_EQ(ProbeFromReport(nt).version, 0x200u);
  EXPECT_STREQ(ProbeFromReport(nt).debugText, "Couldn't LoadLibrary DInput\r\n");
  nt.dinputLoads = nt.dinputHasCreate = true;
  EXPECT_EQ(ProbeFromReport(nt).version, 0x300u);
  nt.majorVersion = 5;
  EXPECT_EQ(ProbeFromReport(nt).version, 0x501u);
  EXPECT_EQ(ProbeFromReport(nt).platform, kPlatformWindowsNT);

  PlatformReport w95;
  w95.versionKnown = true;
  w95.platformId = 1;
  w95.buildNumber = 0x04001354u;  // only the low 16 bits count: 4948 > 1353
  EXPECT_EQ(ProbeFromReport(w95).version, 0x501u);
  w95.buildNumber = 950;
  EXPECT_EQ(ProbeFromReport(w95).platform, kPlatformUnsupported);  // no DDRAW.DLL
  w95.ddrawLoads = w95.ddrawHasCreate = w95.ddrawCreates = true;
  EXPECT_EQ(ProbeFromReport(w95).version, 0x100u);  // DirectX 1 only
  w95.hasDirectDraw2 = w95.dinputLoads = w95.dinputHasCreate = true;
  EXPECT_EQ(ProbeFromReport(w95).version, 0u);  // cooperative level refused
  EXPECT_STREQ(ProbeFromReport(w95).debugText, "Couldn't Set coop level\r\n");
  w95.normalCooperative = w95.primaryCreates = true;
  EXPECT_EQ(ProbeFromReport(w95).version, 0x300u);
  w95.hasSurface3 = true;
  EXPECT_EQ(ProbeFromReport(w95).version, 0x500u);
  EXPECT_EQ(ProbeFromReport(w95).platform, kPlatformWindows95);
  EXPECT_EQ(ProbeFromReport(PlatformReport{}).platform, kPlatformUnsupported);
}

class StartupTest : public GameFolderTest {
 protected:
  std::string OnlyMessage() {
    const auto& boxes = HeadlessMessageBoxes();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? "" : boxes[0].caption + "|" + boxes[0].text;
  }
};

TEST_F(StartupTest, SecondCopyLeavesSilently) {
  ResetAllForTest(HeadlessConfig{.otherInstanceRunning = true});
  EXPECT_EQ(RunGame(), 0);
  EXPECT_TRUE(HeadlessMessageBoxes().empty());
  EXPECT_EQ(HeadlessScreen(), nullptr);
}

TEST_F(StartupTest, NoMouseIsReportedBeforeAnyWindow) {
  ResetAllForTest(HeadlessConfig{.mousePresent = false});
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(OnlyMessage(), "Quillmere Brindlemoor|No Mouse Availble!\n Exiting!");
  EXPECT_EQ(HeadlessMessageBoxes()[0].type, MB_ICONHAND);
  EXPECT_EQ(gShell.mainWindow, 0u);
}

TEST_F(StartupTest, EachFailedDisplayStepHasItsMessage) {
  const char* expected[] = {
      "Problem with DirectX! Make sure DirectX is installed and working properly. Check https://www.libsdl.org for "
      "more information.",
      "Problem with DirectX2! Make sure DirectX is installed and working properly. Check https://www.libsdl.org for "
      "more information.",
      "Can't Set FullScreen Mode. Check https://www.libsdl.org for more information.",
      "Can't change display mode. Check https://www.libsdl.org for more information.",
      "Can't create surface. Check https://www.libsdl.org for more information."};
  for (int32_t step = 0; step < 5; ++step) {
    // A machine whose video does not start reports an NT-4-like system without DirectInput: version 0x200,
    // so the refusal comes from the device step itself.
    ResetAllForTest(HeadlessConfig{.failDisplayStep = step});
    EXPECT_EQ(RunGame(), 0);
    EXPECT_EQ(OnlyMessage(), std::string("Message|") + expected[step]);
  }
}

TEST_F(StartupTest, UnsupportedPlatformsAreRefusedBeforeTheDisplay) {
  PlatformReport old;
  old.versionKnown = true;
  old.platformId = 2;
  old.majorVersion = 3;
  ResetAllForTest(HeadlessConfig{.report = old});
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(OnlyMessage(), "Message|Sorry, Program will only run on Windows 95 or later.");

  PlatformReport dx1;
  dx1.versionKnown = true;
  dx1.platformId = 1;
  dx1.ddrawLoads = dx1.ddrawHasCreate = dx1.ddrawCreates = true;
  ResetAllForTest(HeadlessConfig{.report = dx1});
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(OnlyMessage(), "Message|DirectX 2.0 or later required.");
  EXPECT_EQ(HeadlessScreen(), nullptr);
}

TEST_F(StartupTest, MissingOrSmallTitlePictureStopsTheStart) {
  std::filesystem::remove(dir_ / "Data" / "Title.bmp");
  EXPECT_EQ(RunGame(), 0);
  EXPECT_NE(OnlyMessage().find("Data\\Title.bmp"), std::string::npos);

  ResetAllForTest();
  WriteBitmapFile(dir_ / "data" / "title.BMP", MakeBitmap(320, 200, [](int32_t, int32_t) { return 0u; }));
  EXPECT_EQ(RunGame(), 0);
  EXPECT_NE(OnlyMessage().find("Data\\Title.bmp"), std::string::npos);
}

TEST_F(StartupTest, StartsOnTheTitleAndClosesWithExitCodeZero) {
  HeadlessSchedule(At(1000, HeadlessInput::Kind::Close));
  EXPECT_EQ(RunGame(), 0);
  // Closing the window takes the title menu with it, whose quit result leaves the quitting state behind.
  EXPECT_EQ(Traced("state"), (std::vector<int64_t>{kStateTitleMenu, kStateQuitting}));
  EXPECT_TRUE(HeadlessMessageBoxes().empty());
  EXPECT_FALSE(HeadlessCursorVisible());
  EXPECT_TRUE(HeadlessAudioOpen());
  EXPECT_EQ(gShell.quitFlag, 1);
  EXPECT_FALSE(IsWindow(gShell.mainWindow));
  // The primary shows the title picture, reduced to 16-bit colour.
  const Surface* screen = HeadlessScreen();
  ASSERT_NE(screen, nullptr);
  for (int32_t y : {0, 240, 479}) {
    for (int32_t x : {0, 41, 639}) {
      const uint32_t c = TitleColor(x, y);
      EXPECT_EQ(screen->pixels[y * 640 + x], ColorTo565(RGB(c >> 16, c >> 8, c))) << x << "," << y;
    }
  }
  EXPECT_EQ(gShell.startDirectory, std::filesystem::current_path().string());
  // The first start wrote the settings with their defaults.
  EXPECT_TRUE(std::filesystem::exists(dir_ / "config" / "Lindqvarn" / "Kormo1.reg"));
}

TEST_F(StartupTest, BestScoresScreenShowsUntilAClick) {
  const Surface* screen = nullptr;
  std::vector<uint16_t> title, scores;
  HeadlessSchedule(CallAt(99, [&] {
    screen = HeadlessScreen();
    title = screen->pixels;
  }));
  HeadlessSchedule(ClickControlAt(100, 1017));  // the title menu's "Show Best Scores"
  HeadlessSchedule(CallAt(200, [&] { scores = screen->pixels; }));
  HeadlessInput release = At(300, HeadlessInput::Kind::Button);
  release.right = true;
  HeadlessSchedule(release);  // a right press is enough to leave
  HeadlessSchedule(At(400, HeadlessInput::Kind::Close));
  EXPECT_EQ(RunGame(), 0);
  EXPECT_NE(scores, title);  // every tick draws the table and presents it
  EXPECT_EQ(Traced("state"),
            (std::vector<int64_t>{kStateTitleMenu, kStateBestScores, kStateTitleMenu, kStateQuitting}));
}

TEST_F(StartupTest, WithoutSoundTheGameStillStarts) {
  ResetAllForTest(HeadlessConfig{.audioWorks = false});
  HeadlessSchedule(At(10, HeadlessInput::Kind::Close));
  EXPECT_EQ(RunGame(), 0);
  EXPECT_FALSE(gDisplay.sound);
  EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(StartupTest, DeactivationOutsidePlayEndsTheProgram) {
  HeadlessSchedule(ActivateAt(500, false));
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(Traced("state"), (std::vector<int64_t>{kStateTitleMenu, kStateQuitting}));
  EXPECT_EQ(gShell.quitFlag, 1);
}

TEST_F(StartupTest, DeactivationDuringPlayFreezesUntilActivatedAgain) {
  uint32_t quietTicks = 0;
  // A paused round stands still in play, which is all this needs (the folder has no holes to play); the
  // title menu closes as its start button would.
  HeadlessSchedule(CallAt(100, [] {
    gRound.pauseFlag = 1;
    SetApplicationState(kStatePlay);
    EndDialog(ActiveDialog(), 1);
  }));
  // Losing the foreground stops and closes the music at once: with nothing queued on the idle stream there
  // is no buffer to wait for (a wait would still be under way when the call at 201 comes).
  HeadlessSchedule(ActivateAt(200, false));
  bool streamWhileAway = true;
  bool streamBack = false;
  HeadlessSchedule(CallAt(201, [&] { streamWhileAway = GetMusicStatus().streamOpen; }));
  HeadlessSchedule(CallAt(300, [&] { quietTicks = gShell.activeFlag; }));
  HeadlessSchedule(ActivateAt(400, true));
  HeadlessSchedule(CallAt(401, [&] { streamBack = GetMusicStatus().streamOpen; }));
  HeadlessSchedule(CallAt(500, [] { SetApplicationState(kStateBestScores); }));
  HeadlessInput click = At(600, HeadlessInput::Kind::Button);
  click.x = 10;
  click.y = 10;
  HeadlessSchedule(click);  // a press does nothing on the best-scores screen...
  click.time = 700;
  click.down = false;
  HeadlessSchedule(click);  // ...its release returns to the title menu
  HeadlessSchedule(At(800, HeadlessInput::Kind::Close));
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(quietTicks, 0u);
  EXPECT_FALSE(streamWhileAway);  // the music closed while the game was away...
  EXPECT_TRUE(streamBack);        // ...and reopened on its return
  EXPECT_EQ(Traced("state"),
            (std::vector<int64_t>{kStateTitleMenu, kStatePlay, kStateBestScores, kStateTitleMenu, kStateQuitting}));
}

// Idle ticks come once a refresh (60 a second when the display does not say) instead of back to back; input
// is acted on when it comes.
TEST_F(StartupTest, IdleTicksComeOnceARefreshAndInputAtOnce) {
  HeadlessSchedule(ClickControlAt(100, 1017));  // the best-scores screen draws and presents at every tick
  std::vector<uint64_t> shown;
  for (uint32_t t = 200; t < 1200; ++t) {
    HeadlessSchedule(CallAt(t, [&] { shown.push_back(HeadlessScreen()->version); }));
  }
  HeadlessInput move = At(1307, HeadlessInput::Kind::Move);
  move.x = 5;
  move.y = 5;
  HeadlessSchedule(move);
  uint32_t tickAfterMove = 0;
  HeadlessSchedule(CallAt(1308, [&] { tickAfterMove = gShell.lastTick; }));
  HeadlessSchedule(At(1400, HeadlessInput::Kind::Close));
  EXPECT_EQ(RunGame(), 0);
  uint32_t ticks = 0;
  for (size_t i = 1; i < shown.size(); ++i) ticks += shown[i] != shown[i - 1] ? 1 : 0;
  EXPECT_EQ(IdleTickMs(), 16u);
  EXPECT_GE(ticks, 60u);
  EXPECT_LE(ticks, 1000u / 16 + 1);
  EXPECT_EQ(tickAfterMove, 1307u);
}

TEST_F(StartupTest, EscapeActsOnReleaseOnly) {
  bool afterPress = true;
  HeadlessSchedule(ClickControlAt(50, 1017));  // out of the title menu, where Esc is the dialog's
  HeadlessInput key = At(100, HeadlessInput::Kind::Key);
  key.key = VK_ESCAPE;
  key.down = true;
  HeadlessSchedule(key);
  HeadlessSchedule(CallAt(150, [&] { afterPress = gShell.quitFlag != 0; }));
  key.time = 200;
  key.down = false;
  HeadlessSchedule(key);
  HeadlessSchedule(CallAt(250, [] { SetApplicationState(kStateQuitting); }));
  // With the quit flag up, the next tick in the quitting state closes the window.
  EXPECT_EQ(RunGame(), 0);
  EXPECT_FALSE(afterPress);
  EXPECT_FALSE(IsWindow(gShell.mainWindow));
}
