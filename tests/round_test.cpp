// Whole rounds on the test course: the program from start-up, driven by scripted clicks on the virtual
// clock, watched through the round's records, the traced phases, the sounds and the settings file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "green/hole.h"
#include "menus/bestscores.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "round/round_flow.h"
#include "shell/shell.h"
#include "tests/fixture.h"
#include "tools/coursebuild/test_course.h"
#include "tools/sim/script.h"

namespace {

namespace fs = std::filesystem;

// Start-up takes two seconds: the music player's first stop waits out its idle stream.
constexpr uint32_t kStartUp = 2100;

// A play script written as the clock goes: each line some milliseconds after the one before.
class Script {
 public:
  Script& At(uint32_t after, const std::string& command) {
    now_ += after;
    text_ << now_ << ' ' << command << '\n';
    return *this;
  }
  Script& Click(int32_t x, int32_t y, uint32_t after = 200) {
    return At(after, "click " + std::to_string(x) + ' ' + std::to_string(y));
  }
  Script& Move(int32_t x, int32_t y, uint32_t after = 200) {
    return At(after, "move " + std::to_string(x) + ' ' + std::to_string(y));
  }
  // Crosses the pad at its centre and clicks there: the ball goes down at the centre.
  Script& Place(int32_t hole) {
    const TestHoleInfo& h = TestHole(hole);
    const int32_t x = (h.padLeft + h.padRight) / 2;
    const int32_t y = (h.padTop + h.padBottom) / 2;
    return Move(x, y).Click(x, y, 100);
  }
  // A stroke toward (x, y), then time for the longest roll of the course.
  Script& Stroke(int32_t x, int32_t y) {
    Move(x, y).Click(x, y, 100);
    now_ += 12000;
    return *this;
  }
  // Clicks with the pointer on the ball: strokes that do not move it, each still counted.
  Script& Dab(int32_t count, int32_t hole) {
    const TestHoleInfo& h = TestHole(hole);
    for (int32_t i = 0; i < count; ++i) Click((h.padLeft + h.padRight) / 2, (h.padTop + h.padBottom) / 2);
    return *this;
  }
  // Plays the hole to the stroke limit and waits out the panel.
  Script& OverLimit(int32_t hole) {
    Place(hole).Dab(TestHole(hole).par + 3, hole);
    now_ += 3000;
    return *this;
  }
  Script& Continue(uint32_t after = 200) { return Click(320, 300, after); }
  Script& Wait(uint32_t ms) {
    now_ += ms;
    return *this;
  }
  uint32_t Now() const { return now_; }
  std::string Text() const { return text_.str(); }

 private:
  uint32_t now_ = 0;
  std::ostringstream text_;
};

// Holes in one on the test course: from the pad centre toward the aim point.
struct Ace {
  int32_t hole;
  int32_t x, y;
};
constexpr Ace kAces[] = {{1, 165, 220}, {6, 155, 220}, {7, 110, 148}, {9, 159, 175}, {16, 162, 306}, {18, 155, 120}};

const Ace* AceFor(int32_t hole) {
  for (const Ace& a : kAces) {
    if (a.hole == hole) return &a;
  }
  return nullptr;
}

// One player's hole: an ace where the course allows one, the stroke limit elsewhere.
void PlayHole(Script& s, int32_t hole) {
  if (const Ace* ace = AceFor(hole)) {
    s.Place(hole).Stroke(ace->x, ace->y);
  } else {
    s.OverLimit(hole);
  }
}

int8_t ExpectedStrokes(int32_t hole) { return static_cast<int8_t>(AceFor(hole) ? 1 : TestHole(hole).par + 4); }

class RoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config_ = fs::temp_directory_path() / ("quill-round-" + std::to_string(::getpid()));
    fs::remove_all(config_);
    fs::create_directories(config_);
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) previousConfig_ = old;
    ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    previousDir_ = fs::current_path();
    // A tick every 10 virtual ms instead of every one keeps hours of play to seconds of testing.
    HeadlessConfig config;
    config.idleCostMs = 10;
    ResetAllForTest(config);
    ASSERT_TRUE(SetCurrentDirectoryA(QUILL_GAME_DIR));
  }
  void TearDown() override {
    fs::current_path(previousDir_);
    if (previousConfig_.empty()) {
      ::unsetenv("XDG_CONFIG_HOME");
    } else {
      ::setenv("XDG_CONFIG_HOME", previousConfig_.c_str(), 1);
    }
    fs::remove_all(config_);
  }

  void Run(const Script& script) {
    std::istringstream in(script.Text());
    PlayScript parsed;
    std::string error;
    ASSERT_TRUE(ParsePlayScript(in, &parsed, &error)) << error;
    for (const HeadlessInput& input : parsed.inputs) HeadlessSchedule(input);
    HeadlessSetRunOn(15000);  // long enough for any roll after the last input
    exitCode_ = RunGame();
  }

  static int32_t Count(const std::vector<int64_t>& values, int64_t value) {
    return static_cast<int32_t>(std::count(values.begin(), values.end(), value));
  }
  static int32_t SoundCount(const std::string& name, HeadlessSoundAction action) {
    int32_t n = 0;
    for (const HeadlessSound& s : HeadlessSounds()) n += s.name == name && s.action == action;
    return n;
  }

  fs::path config_;
  fs::path previousDir_;
  std::string previousConfig_;
  int32_t exitCode_ = -1;  // -1: the game was still running when the script ran out
};

// Every change of phase that ended a player's turn, in order, with the hole it was on.
struct TurnWatcher {
  std::vector<std::pair<int32_t, int32_t>> placings;  // (hole, player) at each start of placing
  void Install() {
    HeadlessOnTrace([this](const HeadlessTrace& t) {
      if (t.what == "phase" && t.value == kPhasePlacing)
        placings.emplace_back(gRound.currentHole, gRound.currentPlayer);
    });
  }
};

}  // namespace

TEST_F(RoundTest, OnePlayerPlaysEveryHoleFromNewRoundToEndOfRound) {
  Script s;
  s.At(kStartUp, "round Ann");
  for (int32_t hole = 1; hole <= 18; ++hole) {
    PlayHole(s, hole);
    s.Continue();
    if (hole == 9) s.Continue(500);  // the score card before hole 10
  }
  const uint32_t celebrating = s.Now() + 1000;
  s.Continue(2000);  // leaves the best-scores celebration
  const uint32_t finalCard = s.Now() + 1000;
  s.Continue(2000);  // leaves the final score card
  int8_t holeAtFirstCard = 0;
  int8_t hole10StrokesThen = -1;
  bool fanfare = false;
  int32_t cardHole = 0;
  HeadlessOnTrace([&](const HeadlessTrace& t) {
    if (t.what == "phase" && t.value == kPhaseScoreCard && holeAtFirstCard == 0) {
      holeAtFirstCard = gRound.currentHole;
      hole10StrokesThen = gRound.players[0].strokes[9];
    }
  });
  ScheduleCall(celebrating, [&] { fanfare = HeadlessSoundPlaying("snds\\July4.wav"); });
  ScheduleCall(finalCard, [&] { cardHole = gRound.playPhase == kPhaseScoreShowing ? gRound.currentHole : -1; });
  Run(s);

  for (int32_t hole = 1; hole <= 18; ++hole)
    EXPECT_EQ(gRound.players[0].strokes[hole - 1], ExpectedStrokes(hole)) << hole;
  const std::vector<int64_t> phases = Traced("phase");
  EXPECT_EQ(Count(phases, kPhaseHoleInOne), 6);
  EXPECT_EQ(Count(phases, kPhaseOverLimit), 12);
  EXPECT_EQ(Count(phases, kPhaseScoreCard), 2);
  EXPECT_EQ(holeAtFirstCard, 10);  // shown before hole 10 is played
  EXPECT_EQ(hole10StrokesThen, 0);
  EXPECT_EQ(cardHole, 19);  // the final card after hole 18
  EXPECT_EQ(phases.back(), kPhaseNewRound);
  EXPECT_EQ(Traced("state").back(), kStateTitleMenu);
  // The new best score: saved, celebrated until the click, and stopped with it.
  EXPECT_TRUE(fanfare);
  EXPECT_EQ(SoundCount("snds\\July4.wav", HeadlessSoundAction::Loop), 1);
  EXPECT_FALSE(HeadlessSoundPlaying("snds\\July4.wav"));
  EXPECT_STREQ(gBestScores.records[0].name, "Ann");
  EXPECT_NE(SettingsText().find("\"Best 01\"=\"Ann"), std::string::npos);
  EXPECT_EQ(SoundCount("Snds\\HoleOne.wav", HeadlessSoundAction::Play), 6);
  EXPECT_EQ(SoundCount("Snds\\OverPar.wav", HeadlessSoundAction::Play), 12);
  EXPECT_FALSE(gRound.ballPicture || gRound.flagPicture || gHole.holePicture);  // the round's pictures let go
  EXPECT_EQ(gShell.quitFlag, 0);
}

TEST_F(RoundTest, ASlotThatSitsOutIsPassedOverOnEveryHole) {
  TurnWatcher turns;
  turns.Install();
  Script s;
  s.At(kStartUp, "round Ann|-|Cid");
  for (int32_t player = 0; player < 2; ++player) {
    s.Wait(1200);  // each turn opens with the player's name for a second
    s.Place(1).Stroke(165, 220).Continue();
  }
  s.Wait(1200);
  s.Click(630, 8, 10000);  // "X" ends the round
  Run(s);
  ASSERT_GE(turns.placings.size(), 3u);
  const std::vector<std::pair<int32_t, int32_t>> expected = {{1, 1}, {1, 3}, {2, 1}};
  EXPECT_EQ(std::vector(turns.placings.begin(), turns.placings.begin() + 3), expected);
  EXPECT_EQ(gRound.playerCount, 3);
  EXPECT_EQ(gRound.players[0].strokes[0], 1);
  EXPECT_EQ(gRound.players[1].strokes[0], 0);
  EXPECT_EQ(gRound.players[2].strokes[0], 1);
  EXPECT_EQ(Traced("state").back(), kStateTitleMenu);
}

TEST_F(RoundTest, TheFifthFailedStrokeOnAParTwoHoleGoesOverTheLimit) {
  Script s;
  s.At(kStartUp, "round Ann").Place(1).Dab(4, 1);
  const uint32_t beforeFifth = s.Now() + 100;
  s.Dab(1, 1);
  const uint32_t duringPanel = s.Now() + 1500;
  int8_t strokesBefore = -1;
  uint16_t panelPixel = 0;
  uint16_t underPanel = 0;
  ScheduleCall(beforeFifth, [&] {
    strokesBefore = gRound.strokeCounter;
    underPanel = HeadlessScreen()->pixels[200 * 640 + 170];
  });
  ScheduleCall(duringPanel, [&] { panelPixel = HeadlessScreen()->pixels[200 * 640 + 170]; });
  s.Continue(3000);
  Run(s);
  EXPECT_EQ(strokesBefore, 5);  // four failed strokes: the fifth is still allowed
  EXPECT_EQ(gRound.players[0].strokes[0], 6);
  EXPECT_EQ(SoundCount("Snds\\OverPar.wav", HeadlessSoundAction::Play), 1);
  EXPECT_EQ(panelPixel, ColorTo565(RGB(192, 192, 192)));  // the panel's face in the wide rectangle
  EXPECT_NE(underPanel, panelPixel);
  const std::vector<int64_t> phases = Traced("phase");
  EXPECT_EQ(Count(phases, kPhaseOverLimit), 1);
  EXPECT_EQ(phases.back(), kPhasePlacing);  // the click after the panel moved on to hole 2
}

TEST_F(RoundTest, TwoScoreInfoClicksQueuedBehindThePanelStillLeadBackToTheHole) {
  Script s;
  s.At(kStartUp, "round Ann").Place(1).Dab(5, 1);
  s.Click(240, 460, 500).Click(240, 460, 100);  // during "over stroke limit": delivered when its hold ends
  s.Wait(3000).Continue().Continue();           // leave the score card, then the hole
  Run(s);
  const std::vector<int64_t> phases = Traced("phase");
  EXPECT_EQ(Count(phases, kPhaseScoreShowing), 1);
  const auto card = std::find(phases.begin(), phases.end(), kPhaseScoreShowing);
  ASSERT_NE(card, phases.end());
  EXPECT_EQ(*(card + 1), kPhaseHoleOver);  // back where the clicks found the round
  EXPECT_EQ(phases.back(), kPhasePlacing);
  EXPECT_EQ(gRound.currentHole, 2);
}

TEST_F(RoundTest, AHoleInOneAllowsReplayAndRetryAndAReplayScoresTheSameCount) {
  Script s;
  s.At(kStartUp, "round Ann").Place(1).Stroke(165, 220);
  int32_t replay = -1;
  int32_t retry = -1;
  ScheduleCall(s.Now(), [&] {
    replay = gRound.replayAllowed;
    retry = gRound.retryAllowed;
  });
  s.Click(400, 460);  // "Instant Replay"
  s.Wait(15000);
  Run(s);
  EXPECT_EQ(replay, 1);
  EXPECT_EQ(retry, 1);
  const std::vector<int64_t> phases = Traced("phase");
  EXPECT_EQ(Count(phases, kPhaseReplay), 1);
  EXPECT_EQ(Count(phases, kPhaseHoleInOne), 2);
  EXPECT_EQ(gRound.players[0].strokes[0], 1);
  EXPECT_EQ(gRound.playPhase, kPhaseHoleOver);
  EXPECT_EQ(SoundCount("Snds\\Replay.wav", HeadlessSoundAction::Play), 1);
}

TEST_F(RoundTest, ReplayOfAHoledSecondStrokeScoresTwoAgain) {
  Script s;
  s.At(kStartUp, "round Ann").Place(1).Dab(1, 1).Stroke(165, 220).Click(400, 460);
  s.Wait(15000);
  int8_t firstScore = 0;
  HeadlessOnTrace([&](const HeadlessTrace& t) {
    if (t.what == "phase" && t.value == kPhaseReplay) firstScore = gRound.players[0].strokes[0];
  });
  Run(s);
  EXPECT_EQ(firstScore, 2);
  EXPECT_EQ(gRound.players[0].strokes[0], 2);
  EXPECT_EQ(Count(Traced("phase"), kPhaseHoled), 2);
}

TEST_F(RoundTest, RetryAfterWaterTakesBackThePenaltyAndRetryFromStrokeOnePlacesAgain) {
  Script s;
  s.At(kStartUp, "round Ann").OverLimit(1).Continue().OverLimit(2).Continue();
  s.Place(3).Stroke(180, 198);  // into the pond: a penalty stroke
  int8_t afterWater = 0;
  ScheduleCall(s.Now(), [&] { afterWater = gRound.strokeCounter; });
  s.Click(560, 460);  // "Retry Putt"
  int8_t afterRetry = 0;
  int32_t phaseAfterRetry = 0;
  BallState ball{};
  ScheduleCall(s.Now() + 100, [&] {
    afterRetry = gRound.strokeCounter;
    phaseAfterRetry = gRound.playPhase;
    ball = gRound.ball;
  });
  s.Click(560, 460, 300);  // again, from stroke 1: back to placing
  int32_t phaseAfterSecondRetry = 0;
  ScheduleCall(s.Now() + 100, [&] { phaseAfterSecondRetry = gRound.playPhase; });
  s.Click(400, 460, 300);  // "Instant Replay" while placing does nothing
  Run(s);
  EXPECT_EQ(afterWater, 3);
  EXPECT_EQ(afterRetry, 1);
  EXPECT_EQ(phaseAfterRetry, kPhaseAiming);
  EXPECT_EQ(ball.x, 75);
  EXPECT_EQ(ball.y, 220);
  EXPECT_EQ(phaseAfterSecondRetry, kPhasePlacing);
  EXPECT_EQ(gRound.playPhase, kPhasePlacing);
  EXPECT_EQ(gRound.ball.x, kNoPosition);
  EXPECT_EQ(SoundCount("Snds\\Retry.wav", HeadlessSoundAction::Play), 2);
  EXPECT_TRUE(HeadlessSoundPlaying("Snds\\FlagLap.wav"));
}

TEST_F(RoundTest, JumpingAheadLeavesSkippedHolesUnscoredAndTheRoundOutOfTheBestScores) {
  Script s;
  s.At(kStartUp, "round Ann").Place(1);
  ScheduleCall(s.Now() + 100, [] { JumpToHole(4); });
  s.Wait(300);
  for (int32_t hole = 5; hole <= 18; ++hole) {
    PlayHole(s, hole);
    s.Continue();
    if (hole == 9) s.Continue(500);
  }
  s.Continue(2000);  // the final score card
  Run(s);
  for (int32_t hole = 1; hole <= 4; ++hole) EXPECT_EQ(gRound.players[0].strokes[hole - 1], 0) << hole;
  for (int32_t hole = 5; hole <= 18; ++hole)
    EXPECT_EQ(gRound.players[0].strokes[hole - 1], ExpectedStrokes(hole)) << hole;
  EXPECT_EQ(Count(Traced("phase"), kPhaseCelebration), 0);
  EXPECT_EQ(gBestScores.records[0].name[0], '\0');
  EXPECT_EQ(SettingsText().find("Ann"), std::string::npos);
  EXPECT_EQ(Traced("state").back(), kStateTitleMenu);
}

// Holes 1 to 17 played in two strokes each, then an ace on 18: a new best score, whose celebration ends
// with the window closed. The program ends with code 0 and the score saved.
TEST_F(RoundTest, ClosingTheWindowDuringTheCelebrationEndsTheProgramWithTheScoreSaved) {
  Script s;
  s.At(kStartUp, "round Ann").Place(1);
  ScheduleCall(s.Now() + 100, [] {
    for (int8_t& strokes : gRound.players[0].strokes) strokes = 2;
    JumpToHole(17);
  });
  s.Wait(300);
  PlayHole(s, 18);
  s.Continue().At(1000, "close");
  bool celebrating = false;
  ScheduleCall(s.Now() - 1, [&] { celebrating = HeadlessSoundPlaying("snds\\July4.wav"); });
  Run(s);
  EXPECT_TRUE(celebrating);
  EXPECT_EQ(exitCode_, 0);
  EXPECT_NE(SettingsText().find("\"Best 01\"=\"Ann#############222222222222222221\""), std::string::npos);
}

TEST_F(RoundTest, EscapeDuringARollTakesEffectOnceTheBallStops) {
  Script s;
  s.At(kStartUp, "round Ann").Place(1).Move(165, 220).Click(165, 220, 100);
  s.At(500, "key Escape");
  BallState restBall{};
  HeadlessOnTrace([&](const HeadlessTrace& t) {
    if (t.what == "phase" && t.value == kPhaseEndRound) restBall = gRound.ball;
  });
  Run(s);
  const std::vector<int64_t> phases = Traced("phase");
  const auto rolling = std::find(phases.begin(), phases.end(), kPhaseRolling);
  ASSERT_NE(rolling, phases.end());
  EXPECT_EQ(std::vector<int64_t>(rolling, phases.end()),
            (std::vector<int64_t>{kPhaseRolling, kPhaseAtRest, kPhaseHoleInOne, kPhaseEndRound, kPhaseNewRound}));
  EXPECT_EQ(restBall.x, 521);  // where the stroke ends when nobody interrupts it
  EXPECT_EQ(Traced("state").back(), kStateTitleMenu);
  EXPECT_EQ(gShell.quitFlag, 0);
}

TEST_F(RoundTest, TheLKeyOpensHoleSelectAndTheChosenHoleComesNext) {
  Script s;
  s.At(kStartUp, "round Ann").Place(1).At(300, "key L").At(300, "control 1020");  // the button of hole 5
  s.Wait(500);
  int8_t hole = 0;
  int32_t phase = 0;
  ScheduleCall(s.Now(), [&] {
    hole = gRound.currentHole;
    phase = gRound.playPhase;
  });
  s.At(200, "key L").At(300, "key Escape");  // cancelled: the round goes on where it was
  int8_t afterCancel = 0;
  int32_t phaseAfterCancel = 0;
  ScheduleCall(s.Now() + 100, [&] {
    afterCancel = gRound.currentHole;
    phaseAfterCancel = gRound.playPhase;
  });
  Run(s);
  EXPECT_EQ(hole, 5);
  EXPECT_EQ(phase, kPhasePlacing);
  EXPECT_EQ(afterCancel, 5);
  EXPECT_EQ(phaseAfterCancel, kPhasePlacing);  // the dialog's Esc does not end the round
  EXPECT_EQ(gRound.players[0].strokes[0], 0);  // hole 1 abandoned without a score
}

// The Brindlemoor course for two players, each hole played with the line `quillmere-sim check` found for
// it (its "par" report): every hole at or under par, the score card before hole 10, and both rounds in the
// best-scores table, each celebrated in its player's colour and saved; Esc at the second celebration ends
// the round with the fanfare stopped.
TEST_F(RoundTest, TwoPlayersPlayBrindlemoorAtOrUnderParIntoTheBestScores) {
  struct ParLine {
    POINT pad, aim;
  };
  constexpr ParLine kLines[18] = {{{71, 319}, {196, 258}},  {{77, 232}, {111, 220}},  {{87, 254}, {192, 261}},
                                  {{76, 185}, {144, 175}},  {{132, 362}, {204, 337}}, {{138, 364}, {53, 217}},
                                  {{83, 353}, {159, 345}},  {{89, 213}, {158, 196}},  {{67, 239}, {118, 225}},
                                  {{235, 371}, {262, 376}}, {{77, 219}, {154, 229}},  {{69, 115}, {150, 149}},
                                  {{185, 356}, {219, 313}}, {{320, 191}, {322, 220}}, {{70, 147}, {118, 166}},
                                  {{103, 398}, {136, 372}}, {{70, 220}, {117, 208}},  {{74, 119}, {151, 163}}};
  ASSERT_TRUE(SetCurrentDirectoryA(QUILL_BRINDLEMOOR_DIR));
  Script s;
  s.At(kStartUp, "round Ann|Bob");
  std::vector<uint32_t> celebrations;
  for (int32_t hole = 1; hole <= 18; ++hole) {
    const ParLine& line = kLines[hole - 1];
    for (int32_t player = 1; player <= 2; ++player) {
      s.Wait(1200);  // the player's name is shown before the turn
      s.Move(line.pad.x, line.pad.y).Click(line.pad.x, line.pad.y, 100).Stroke(line.aim.x, line.aim.y);
      s.Continue();
      if (hole == 18) celebrations.push_back(s.Now() + 1000);
      if (hole == 18 && player == 1) s.Continue(2000);  // leaves Ann's table
    }
    if (hole == 9) s.Continue(500);  // the score card before hole 10
  }
  s.At(2000, "key Escape");  // Bob's table: Esc ends the round there
  int8_t holeAtCard = 0;
  HeadlessOnTrace([&](const HeadlessTrace& t) {
    if (t.what == "phase" && t.value == kPhaseScoreCard && holeAtCard == 0) holeAtCard = gRound.currentHole;
  });
  // Each player's row of the table, highlighted in that player's colour: (player, row 1's and row 2's name cell).
  std::vector<std::vector<int32_t>> tableShown;
  for (const uint32_t at : celebrations) {
    ScheduleCall(at, [&] {
      const auto cell = [](int32_t row) {
        return HeadlessScreen()->pixels[size_t(152 + 21 * (row - 1) + 11) * 640 + 110];
      };
      tableShown.push_back({gRound.playPhase == kPhaseCelebration ? gRound.currentPlayer : 0, cell(1), cell(2)});
    });
  }
  Run(s);

  for (int32_t hole = 1; hole <= 18; ++hole) {
    for (int32_t player = 0; player < 2; ++player) {
      const int8_t strokes = gRound.players[player].strokes[hole - 1];
      EXPECT_GE(strokes, 1) << "hole " << hole << " player " << player + 1;
      EXPECT_LE(strokes, HolePar(hole)) << "hole " << hole << " player " << player + 1;
    }
  }
  EXPECT_EQ(holeAtCard, 10);
  const int32_t panel = ColorTo565(RGB(192, 192, 192)), ann = ColorTo565(RGB(248, 248, 80)),
                bob = ColorTo565(RGB(8, 224, 184));
  EXPECT_EQ(tableShown, (std::vector<std::vector<int32_t>>{{1, ann, panel}, {2, panel, bob}}));
  EXPECT_EQ(SoundCount("snds\\July4.wav", HeadlessSoundAction::Loop), 2);
  EXPECT_FALSE(HeadlessSoundPlaying("snds\\July4.wav"));
  EXPECT_STREQ(gBestScores.records[0].name, "Ann");
  EXPECT_STREQ(gBestScores.records[1].name, "Bob");
  const std::string settings = SettingsText();
  EXPECT_NE(settings.find("\"Best 01\"=\"Ann"), std::string::npos) << settings;
  EXPECT_NE(settings.find("\"Best 02\"=\"Bob"), std::string::npos) << settings;
  EXPECT_EQ(Traced("state").back(), kStateTitleMenu);
}
