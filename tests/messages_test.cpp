// The shared message queue: double clicks, coalesced moves, quit ordering, sent activation, destruction.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/backend.h"
#include "platform/system.h"
#include "tests/fixture.h"
#include "tools/sim/script.h"

namespace {

std::vector<uint32_t> gSeen;

LRESULT Recorder(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  gSeen.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(bool dblclks) {
  gSeen.clear();
  EXPECT_TRUE(RegisterWindowClass("Test", Recorder, dblclks));
  EXPECT_FALSE(RegisterWindowClass("Test", Recorder, dblclks));  // a class is registered once
  return CreateGameWindow("Test", "Test");
}

std::vector<uint32_t> Drain() {
  std::vector<uint32_t> out;
  MSG msg;
  while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) out.push_back(msg.message);
  return out;
}

void Click(int32_t x, int32_t y) {
  QueueMouseButton(false, true, x, y);
  QueueMouseButton(false, false, x, y);
}

}  // namespace

TEST(MessagesTest, QuickSecondPressBecomesADoubleClick) {
  ResetAllForTest();
  ASSERT_NE(MakeWindow(true), 0u);
  Click(100, 100);
  HeadlessAdvance(200);
  Click(101, 99);  // within the double-click rectangle and time
  HeadlessAdvance(100);
  Click(101, 99);  // a third press starts afresh
  EXPECT_EQ(Drain(), (std::vector<uint32_t>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE,
                                            WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
  HeadlessAdvance(501);
  Click(101, 99);  // too late
  HeadlessAdvance(10);
  Click(104, 99);  // too far
  QueueMouseButton(true, true, 104, 99);  // another button
  EXPECT_EQ(Drain(), (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDOWN,
                                            WM_LBUTTONUP, WM_RBUTTONDOWN}));
  QueueMouseButton(true, false, 104, 99);
  QueueMouseButton(true, true, 104, 99);
  EXPECT_EQ(Drain(), (std::vector<uint32_t>{WM_RBUTTONUP, WM_RBUTTONDBLCLK}));
}

TEST(MessagesTest, ClassWithoutDoubleClicksGetsPlainPresses) {
  ResetAllForTest();
  ASSERT_NE(MakeWindow(false), 0u);
  Click(5, 5);
  Click(5, 5);
  EXPECT_EQ(Drain(), (std::vector<uint32_t>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN,
                                            WM_LBUTTONUP}));
}

TEST(MessagesTest, MovesCoalesceAndMessagesKeepTheirPositions) {
  ResetAllForTest();
  ASSERT_NE(MakeWindow(true), 0u);
  QueueMouseMove(1, 1);
  QueueMouseMove(2, 2);
  QueueMouseMove(3, 4);
  QueueKey('L', true);
  QueueMouseMove(5, 6);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_MOUSEMOVE);
  EXPECT_EQ(msg.lParam, MAKELPARAM(3, 4));  // only the newest of a run of moves is kept
  ASSERT_TRUE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.wParam, 'L');
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 6);
}

TEST(MessagesTest, FilteredPeekLeavesOtherMessagesAndQuitComesLast) {
  ResetAllForTest();
  const HWND w = MakeWindow(true);
  QueueKey(VK_ESCAPE, false);
  Click(7, 7);
  PostQuitMessage(5);
  MSG msg;
  while (PeekMessageA(&msg, w, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  ASSERT_TRUE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYUP);
  EXPECT_EQ(GetMessageA(&msg, 0, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 5u);
}

TEST(MessagesTest, ActivationIsDeliveredInsideAnyPeekAndCloseDestroys) {
  ResetAllForTest();
  const HWND w = MakeWindow(true);
  ShowGameWindow(w);
  EXPECT_EQ(gSeen, (std::vector<uint32_t>{WM_ACTIVATEAPP}));  // sent at once on showing
  QueueActivation(false);
  QueueActivation(false);  // no change, no message
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, w, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
  EXPECT_EQ(gSeen.size(), 2u);
  QueueClose();
  QueueKey('A', true);
  ASSERT_TRUE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
  DispatchMessageA(&msg);  // WM_CLOSE: the default handling destroys the window
  EXPECT_EQ(gSeen.back(), WM_DESTROY);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));  // its pending key went with it
}

TEST(MessagesTest, GamePathsMatchAnyCase) {
  const auto dir = std::filesystem::temp_directory_path() / "quill-paths";
  std::filesystem::create_directories(dir / "Holes");
  std::ofstream(dir / "Holes" / "Hole01.HIO") << "x";
  const std::string previous = GetCurrentDirectoryA();
  ASSERT_TRUE(SetCurrentDirectoryA(dir.string()));
  EXPECT_EQ(ResolveGamePath("holes\\HOLE01.hio"), "Holes/Hole01.HIO");
  EXPECT_EQ(ResolveGamePath("Holes\\Missing.HIO"), "Holes/Missing.HIO");
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ReadGameFile("HOLES\\hole01.hio", &bytes));
  EXPECT_EQ(bytes, std::vector<uint8_t>{'x'});
  EXPECT_FALSE(ReadGameFile("Holes", &bytes));  // a folder is not a file
  SetCurrentDirectoryA(previous);
  std::filesystem::remove_all(dir);
}

TEST(PlayScriptTest, ReadsTimedCommandsAndRefusesBadLines) {
  std::istringstream text(
      "# a comment\n"
      "100 move 10 20\n"
      "+50 click 30 40\n"
      "+0 key Escape\n"
      "200 type Ann B\n"
      "300 shot out/a.png\n"
      "300 answer yes\n"
      "400 close\n");
  PlayScript script;
  std::string error;
  ASSERT_TRUE(ParsePlayScript(text, &script, &error)) << error;
  ASSERT_EQ(script.inputs.size(), 12u);
  EXPECT_EQ(script.inputs[1].time, 150u);
  EXPECT_TRUE(script.inputs[1].down);
  EXPECT_FALSE(script.inputs[2].down);
  EXPECT_EQ(script.inputs[3].key, VK_ESCAPE);
  EXPECT_EQ(script.inputs[5].key, static_cast<uint32_t>('A'));
  EXPECT_EQ(script.inputs[9].key, static_cast<uint32_t>('B'));
  EXPECT_EQ(script.inputs[10].path, "out/a.png");
  EXPECT_EQ(script.answers, std::vector<int32_t>{IDYES});

  for (const char* bad : {"100 jump 1 2\n", "100 move 1\n", "abc move 1 2\n", "200 close\n100 close\n",
                          "100 key NoSuchKey\n", "100 move 1 2 3\n"}) {
    std::istringstream in(bad);
    PlayScript s;
    EXPECT_FALSE(ParsePlayScript(in, &s, &error)) << bad;
    EXPECT_NE(error.find("line "), std::string::npos);
  }
}
