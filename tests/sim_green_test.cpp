// quillmere-sim's green commands on a game folder with a file missing: the message names the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/fixture.h"
#include "tools/sim/green_commands.h"

namespace fs = std::filesystem;

class SimGreenTest : public GameFolderTest {};

TEST_F(SimGreenTest, AFolderWithoutBallsNamesTheMissingBallPicture) {
  fs::create_directories(dir_ / "Holes");
  for (const char* file : {"Hole01.HIO", "Hole01.H2O"})
    fs::copy_file(fs::path(QUILL_GAME_DIR) / "Holes" / file, dir_ / "Holes" / file);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunStroke({{"game", dir_.string()}, {"hole", "1"}, {"ball", "100,100"}, {"aim", "150,100"}}), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "quillmere-sim: hole 1 cannot be loaded from " + dir_.string() + ": Balls/Ball1.bmp is missing\n");
}
