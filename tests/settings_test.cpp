// The settings store through the real settings file in a scratch config folder: first run, names, the
// best-score text, damaged and unreadable files, and writes that survive being killed half-way.
#include "menus/settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "menus/bestscores.h"
#include "platform/files/settings_file.h"
#include "tests/fixture.h"

namespace fs = std::filesystem;

namespace {

PlayerRecord Record(const char* name, int8_t strokesEach) {
  PlayerRecord r{};
  std::memcpy(r.name, name, std::min(std::strlen(name), sizeof r.name - 1));
  for (int8_t& s : r.strokes) s = strokesEach;
  return r;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAllForTest();
    ResetSettingsForTest();
    ResetBestScoresForTest();
    const char* old = std::getenv("XDG_CONFIG_HOME");
    hadConfig_ = old != nullptr;
    if (old) oldConfig_ = old;
    dir_ = fs::temp_directory_path() / ("quill-settings-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    file_ = dir_ / "Lindqvarn" / "Kormo1.reg";
  }
  void TearDown() override {
    if (hadConfig_) {
      ::setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    fs::remove_all(dir_);
  }
  void WriteFile(const std::string& text) {
    fs::create_directories(file_.parent_path());
    std::ofstream(file_, std::ios::binary) << text;
  }
  SettingsParse Stored() { return ParseSettingsText(ReadText(file_)); }
  std::string StoredValue(const std::string& name) {
    for (const SettingsValue& v : Stored().values) {
      if (v.name == name) return v.text;
    }
    return "<missing>";
  }

  fs::path dir_, file_;
  std::string oldConfig_;
  bool hadConfig_ = false;
};

TEST_F(SettingsTest, FirstRunWritesTheTwentyDefaultsInOrder) {
  EXPECT_EQ(LoadSettings(), kSettingsOk);
  ASSERT_TRUE(fs::exists(file_));
  EXPECT_EQ(SettingsFilePath(), file_.string());
  const std::string text = ReadText(file_);
  EXPECT_EQ(text.substr(0, text.find('\n')), kSettingsKeyHeader);
  const SettingsParse parse = ParseSettingsText(text);
  EXPECT_FALSE(parse.damaged());
  ASSERT_EQ(parse.values.size(), 20u);
  const std::string owner = RegisteredOwner();
  for (int32_t i = 0; i < 20; ++i) {
    const std::string name = i < 9     ? "Best 0" + std::to_string(i + 1)
                             : i == 9  ? "Best 10"
                             : i == 10 ? "Music"
                             : i == 11 ? "MusicVol"
                                       : "Player " + std::to_string(i - 11);
    EXPECT_EQ(parse.values[i].name, name) << i;
  }
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(parse.values[i].text, kEmptyBestScoreText);
  EXPECT_EQ(parse.values[10].text, "Random");
  EXPECT_EQ(parse.values[11].text, "1000");
  EXPECT_EQ(parse.values[12].text, owner);
  EXPECT_EQ(parse.values[19].text, "Player 8");

  EXPECT_STREQ(gSettings.musicChoice, "Random");
  EXPECT_STREQ(gSettings.musicVolume, "1000");
  EXPECT_STREQ(gRound.players[0].name, owner.size() <= 15 ? owner.c_str() : "Player 1");
  EXPECT_STREQ(gRound.players[1].name, "Player 2");
  EXPECT_STREQ(gRound.players[7].name, "Player 8");
  for (int32_t n = 0; n < kBestScoreCount; ++n) {
    EXPECT_STREQ(gBestScores.records[n].name, "");
    EXPECT_EQ(BestScoreTotal(gBestScores.records[n]), kUnplayedTotal);
  }
}

TEST_F(SettingsTest, LaterRunsReadWithoutWritingAndKeepGapsAtTheirDefaults) {
  WriteFile(std::string(kSettingsKeyHeader) +
            "\n\"Music\"=\"None\"\n\"Player 3\"=\"Fifteen chars!!\"\n\"Player 4\"=\"Sixteen chars!!!\"\n"
            "\"Best 01\"=\"Ann#############3" +
            std::string(17, '2') + "\"\n\"Best 02\"=\"Bob#\"\n");
  const std::string before = ReadText(file_);
  EXPECT_EQ(LoadSettings(), kSettingsOk);
  EXPECT_EQ(ReadText(file_), before);  // not a first run: nothing written
  EXPECT_STREQ(gSettings.musicChoice, "None");
  EXPECT_STREQ(gSettings.musicVolume, "");  // missing: stays as it was
  EXPECT_STREQ(gRound.players[2].name, "Fifteen chars!!");
  EXPECT_STREQ(gRound.players[3].name, "Player 4");  // too long for the name field
  EXPECT_STREQ(gRound.players[0].name, "Player 1");  // missing
  EXPECT_STREQ(gBestScores.records[0].name, "Ann");
  EXPECT_EQ(BestScoreTotal(gBestScores.records[0]), 3 + 17 * 2);
  EXPECT_STREQ(gBestScores.records[1].name, "");  // too short: the empty record
  EXPECT_EQ(BestScoreTotal(gBestScores.records[1]), kUnplayedTotal);
  EXPECT_EQ(BestScoreTotal(gBestScores.records[9]), kUnplayedTotal);  // missing
}

TEST(BestScoreTextTest, BothWays) {
  PlayerRecord r = Record("Ann", 0);
  r.strokes[0] = 3;
  r.strokes[1] = 2;
  r.strokes[4] = 12;
  r.playing = kSittingOut;
  const std::string text = FormatBestScore(r);
  EXPECT_EQ(text, "Ann#############3200<" + std::string(13, '0'));
  PlayerRecord back{};
  back.playing = 7;
  ParseBestScore(text, &back);
  EXPECT_STREQ(back.name, "Ann");
  EXPECT_EQ(back.strokes[0], 3);
  EXPECT_EQ(back.strokes[2], 0);
  EXPECT_EQ(back.strokes[4], 12);
  EXPECT_EQ(back.playing, 0);  // not stored

  PlayerRecord full = Record("ABCDEFGHIJKLMNO", 4);  // 15 characters: exactly one '#'
  EXPECT_EQ(FormatBestScore(full).substr(0, 17), "ABCDEFGHIJKLMNO#4");
  ParseBestScore(FormatBestScore(full), &back);
  EXPECT_STREQ(back.name, "ABCDEFGHIJKLMNO");

  PlayerRecord hash = Record("No#1", 3);
  EXPECT_EQ(FormatBestScore(hash).substr(0, 16), "No#1############");  // stored as written
  ParseBestScore(FormatBestScore(hash), &back);
  EXPECT_STREQ(back.name, "No");  // read back cut at the first '#'
  EXPECT_EQ(back.strokes[17], 3);
}

TEST(BestScoreTextTest, DamagedTextsReadAsTheEmptyRecordAndNeverOverrunTheName) {
  PlayerRecord back = Record("Old", 5);
  ParseBestScore("Ann#############32000", &back);  // shorter than 34
  EXPECT_STREQ(back.name, "");
  EXPECT_EQ(BestScoreTotal(back), kUnplayedTotal);

  back = Record("Old", 5);
  ParseBestScore("Ann#############" + std::string(17, '1') + "\xF0", &back);  // would be a negative count
  EXPECT_EQ(back.strokes[17], 0);
  EXPECT_STREQ(back.name, "");

  back = Record("Old", 5);
  ParseBestScore("ABCDEFGHIJKLMNOP" + std::string(18, '2'), &back);  // no '#': the name stays
  EXPECT_STREQ(back.name, "Old");
  EXPECT_EQ(back.strokes[0], 2);

  PlayerRecord unterminated{};
  std::memset(unterminated.name, 'x', sizeof unterminated.name);
  unterminated.strokes[0] = -3;  // cannot come from play: kept storable as "not played"
  const std::string text = FormatBestScore(unterminated);
  EXPECT_EQ(text.size(), kBestScoreTextLength);
  EXPECT_EQ(text.substr(15, 2), "#0");
}

TEST_F(SettingsTest, NamesRoundTripThroughTheFile) {
  ASSERT_EQ(LoadSettings(), kSettingsOk);
  gBestScores.records[0] = Record("ABCDEFGHIJKLMNO", 2);
  gBestScores.records[1] = Record("Me#You", 3);
  gBestScores.records[2] = Record("Zo\xEB \x80", 4);  // 1252: e-diaeresis, euro sign
  gBestScores.records[10] = Record("Candidate", 1);
  std::strcpy(gRound.players[4].name, "Quote\"Back\\");
  EXPECT_EQ(SaveBestScores(), kSettingsOk);
  EXPECT_EQ(SavePlayerNames(), kSettingsOk);
  EXPECT_EQ(StoredValue("Best 03").substr(0, 10), "Zo\xEB \x80#####");
  EXPECT_NE(ReadText(file_).find("\"Best 03\"=\"Zo\xC3\xAB \xE2\x82\xAC#"), std::string::npos);  // UTF-8 on disk
  EXPECT_NE(ReadText(file_).find("\"Player 5\"=\"Quote\\\"Back\\\\\""), std::string::npos);
  EXPECT_EQ(ReadText(file_).find("Candidate"), std::string::npos);  // the candidate slot is never stored

  ResetSettingsForTest();
  ResetBestScoresForTest();
  ResetRoundForTest();
  ASSERT_EQ(LoadSettings(), kSettingsOk);
  EXPECT_STREQ(gBestScores.records[0].name, "ABCDEFGHIJKLMNO");
  EXPECT_EQ(BestScoreTotal(gBestScores.records[0]), 36);
  EXPECT_STREQ(gBestScores.records[1].name, "Me");
  EXPECT_STREQ(gBestScores.records[2].name, "Zo\xEB \x80");
  EXPECT_STREQ(gRound.players[4].name, "Quote\"Back\\");
}

TEST(SettingsTextTest, EveryByteOfTheGameSurvivesTheFile) {
  std::string all;
  for (int32_t b = 0x20; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
  const SettingsParse parse = ParseSettingsText(FormatSettingsText({{"Music", all}}));
  EXPECT_FALSE(parse.damaged());
  ASSERT_EQ(parse.values.size(), 1u);
  EXPECT_EQ(parse.values[0].text, all);
  bool valid = true;
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD", &valid), "?");  // not in 1252
  EXPECT_TRUE(valid);
}

TEST(SettingsTextTest, ReadsWhatCanBeReadAndCountsTheRest) {
  const SettingsParse parse = ParseSettingsText(
      "\xEF\xBB\xBF[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lindqvarn\\Kormo1]\r\n\"A\"=\"1\"\r\n\r\n"
      "\"B\"=\"bad \\n escape\"\n\"C\"=\"2\" trailing\ngarbage\n\"D\"=\"caf\xE9\"\n\"a\"=\"3\"\n\"E\"=\"");
  ASSERT_EQ(parse.values.size(), 2u);
  EXPECT_EQ(parse.values[0].name, "A");
  EXPECT_EQ(parse.values[0].text, "3");        // names match regardless of case; the last one wins
  EXPECT_EQ(parse.values[1].text, "caf\xE9");  // a 1252 byte typed by hand is kept
  EXPECT_EQ(parse.badLines, 6);
  EXPECT_EQ(ParseSettingsText("\"A\"=\"1\"\n").badLines, 1);  // no header
  EXPECT_EQ(ParseSettingsText("\"A\"=\"1\"\n").values.size(), 1u);
  EXPECT_FALSE(ParseSettingsText(FormatSettingsText({})).damaged());
}

TEST_F(SettingsTest, ADamagedFileKeepsItsGoodValuesAndIsKeptAsideBeforeTheNextWrite) {
  const std::string damaged = std::string(kSettingsKeyHeader) + "\n\"Music\"=\"None\"\n\x01\x02 rubbish\n" +
                              "\"Best 01\"=\"Ann#############" + std::string(18, '2') + "\"\n\"Player 2\"=\"Eve\n";
  WriteFile(damaged);
  EXPECT_EQ(LoadSettings(), kSettingsOk);  // the game starts, not as a first run
  EXPECT_STREQ(gSettings.musicChoice, "None");
  EXPECT_STREQ(gBestScores.records[0].name, "Ann");
  EXPECT_STREQ(gRound.players[1].name, "Player 2");
  EXPECT_FALSE(fs::exists(file_.string() + ".bad"));  // nothing is replaced yet

  std::strcpy(gSettings.musicVolume, "600");
  EXPECT_EQ(SaveMusicSettings(), kSettingsOk);
  EXPECT_EQ(ReadText(file_.string() + ".bad"), damaged);
  EXPECT_FALSE(Stored().damaged());
  EXPECT_EQ(StoredValue("Music"), "None");
  EXPECT_EQ(StoredValue("MusicVol"), "600");
  EXPECT_EQ(StoredValue("Best 01").substr(0, 4), "Ann#");

  WriteFile("second damaged file\n");
  EXPECT_EQ(SaveMusicSettings(), kSettingsOk);
  EXPECT_EQ(ReadText(file_.string() + ".bad"), damaged);  // never overwritten
  EXPECT_EQ(ReadText(file_.string() + ".bad.1"), "second damaged file\n");
  EXPECT_EQ(SaveMusicSettings(), kSettingsOk);  // a clean file makes no more copies
  EXPECT_FALSE(fs::exists(file_.string() + ".bad.2"));
}

TEST_F(SettingsTest, AnUnreadableFileIsAKeyThatDoesNotOpen) {
  fs::create_directories(file_);  // where the file should be, something that cannot be read as one
  EXPECT_NE(LoadSettings(), kSettingsOk);
  EXPECT_STREQ(gSettings.musicChoice, "");  // built-in defaults, no first run
  EXPECT_STREQ(gRound.players[0].name, "Player 1");
  gBestScores.records[0] = Record("Kept", 3);
  EXPECT_NE(ClearBestScores(), kSettingsOk);
  EXPECT_STREQ(gBestScores.records[0].name, "Kept");  // memory untouched too
  EXPECT_NE(SaveBestScores(), kSettingsOk);
  EXPECT_TRUE(fs::is_directory(file_));

  // Nor does a file over 1 MiB: the game writes about a kilobyte.
  fs::remove_all(file_);
  const std::string music = std::string(kSettingsKeyHeader) + "\n\"Music\"=\"None\"\n";
  WriteFile(music + std::string((1u << 20) - music.size(), '\n'));
  EXPECT_EQ(LoadSettings(), kSettingsOk);
  EXPECT_STREQ(gSettings.musicChoice, "None");
  ResetSettingsForTest();
  WriteFile(music + std::string((1u << 20) - music.size() + 1, '\n'));
  EXPECT_EQ(LoadSettings(), kSettingsAccessDenied);
  EXPECT_STREQ(gSettings.musicChoice, "");
  EXPECT_EQ(fs::file_size(file_), (1u << 20) + 1);
}

// A folder where the temporary file goes, then folders under every name a damaged file could be kept as:
// each write fails whole, and the table in memory stays the one on disk.
TEST_F(SettingsTest, AWriteThatFailsChangesNeitherTheFileNorTheTable) {
  ASSERT_EQ(LoadSettings(), kSettingsOk);
  gBestScores.records[0] = Record("Kept", 3);
  ASSERT_EQ(SaveBestScores(), kSettingsOk);
  const std::string saved = ReadText(file_);
  const fs::path temporary = file_.string() + "." + std::to_string(::getpid()) + ".tmp";
  fs::create_directories(temporary);
  EXPECT_EQ(ClearBestScores(), kSettingsAccessDenied);
  EXPECT_STREQ(gBestScores.records[0].name, "Kept");
  EXPECT_EQ(ReadText(file_), saved);
  fs::remove(temporary);

  WriteFile(saved + "rubbish\n");
  for (int32_t n = 0; n < 1000; ++n)
    fs::create_directories(file_.string() + ".bad" + (n ? "." + std::to_string(n) : ""));
  EXPECT_EQ(ClearBestScores(), kSettingsWriteFault);
  EXPECT_STREQ(gBestScores.records[0].name, "Kept");
  EXPECT_EQ(ReadText(file_), saved + "rubbish\n");
  fs::remove(file_.string() + ".bad.999");
  EXPECT_EQ(ClearBestScores(), kSettingsOk);
  EXPECT_EQ(ReadText(file_.string() + ".bad.999"), saved + "rubbish\n");
  EXPECT_STREQ(gBestScores.records[0].name, "");
}

TEST_F(SettingsTest, SavesNeedAnExistingKeyAndClearingWorksOnBoth) {
  EXPECT_EQ(SaveBestScores(), kSettingsNotFound);  // no key yet: nothing is created
  EXPECT_FALSE(fs::exists(file_));
  ASSERT_EQ(LoadSettings(), kSettingsOk);
  gBestScores.records[3] = Record("Dee", 2);
  ASSERT_EQ(SaveBestScores(), kSettingsOk);
  EXPECT_EQ(StoredValue("Best 04").substr(16), std::string(18, '2'));
  EXPECT_EQ(ClearBestScores(), kSettingsOk);
  EXPECT_EQ(StoredValue("Best 04"), kEmptyBestScoreText);
  EXPECT_STREQ(gBestScores.records[3].name, "");
  EXPECT_EQ(gBestScores.records[3].strokes[0], 0);

  std::strcpy(gSettings.musicChoice, "/music/two\nlines.mid");  // the file cannot hold it
  EXPECT_EQ(SaveMusicSettings(), kSettingsBadParameter);
  EXPECT_EQ(StoredValue("Music"), "Random");
  EXPECT_FALSE(Stored().damaged());

  WriteFile("broken\n");
  EXPECT_EQ(SettingsDeleteKey(), kSettingsOk);
  EXPECT_EQ(SettingsDeleteKey(), kSettingsNotFound);
  EXPECT_EQ(SaveBestScores(), kSettingsNotFound);
  EXPECT_FALSE(fs::exists(file_));
}

// A child saves two alternating tables for as long as it lives; it is killed at random moments. Whatever
// moment it died at, the file must be whole and hold one table, never a mix of the two. QUILL_KILL_ROUNDS sets
// a long run by hand.
TEST_F(SettingsTest, AKilledWriterNeverLeavesAHalfWrittenFile) {
  ASSERT_EQ(LoadSettings(), kSettingsOk);
  std::mt19937 random(12345);
  const char* rounds = std::getenv("QUILL_KILL_ROUNDS");
  const int32_t kills = rounds && *rounds ? std::atoi(rounds) : 200;
  for (int32_t round = 0; round < kills; ++round) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      for (int8_t generation = 1;; generation = static_cast<int8_t>(generation % 9 + 1)) {
        for (int32_t n = 0; n < kBestScoreCount; ++n) gBestScores.records[n] = Record("Gen", generation);
        if (::write(ready[1], "s", 1) != 1) ::_exit(1);
        SaveBestScores();
      }
    }
    ::close(ready[1]);
    char token[8];
    const uint32_t saves = random() % 4 + 1;
    for (uint32_t i = 0; i < saves;) {
      const ssize_t got = ::read(ready[0], token, std::min<size_t>(sizeof token, saves - i));
      ASSERT_GT(got, 0);
      i += static_cast<uint32_t>(got);
    }
    volatile uint32_t spin = 0;
    for (const uint32_t until = random() % 200000; spin < until;) spin = spin + 1;
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);

    const SettingsParse parse = Stored();
    ASSERT_FALSE(parse.damaged()) << "round " << round;
    ASSERT_EQ(parse.values.size(), 20u) << "round " << round;
    const std::string first = StoredValue("Best 01");
    for (int32_t n = 2; n <= 10; ++n) {
      char name[16];
      std::snprintf(name, sizeof name, "Best %02d", n);
      ASSERT_EQ(StoredValue(name), first) << "round " << round;
    }
  }
  // The next write sweeps away the temporary files of the killed writers.
  EXPECT_EQ(SaveBestScores(), kSettingsOk);
  int32_t leftovers = 0;
  for (const auto& entry : fs::directory_iterator(file_.parent_path())) leftovers += entry.path().extension() == ".tmp";
  EXPECT_EQ(leftovers, 0);
}

}  // namespace
