// quillmere-sim music --events: the record of the stream buffers the music player queues, every event decoded.
#include "tools/sim/music_events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "media/music.h"
#include "menus/settings.h"
#include "platform/system.h"
#include "shell/shell.h"
#include "tests/fixture.h"

class MusicEventsTest : public GameFolderTest {};

TEST_F(MusicEventsTest, RecordsEachQueuedBufferWithEveryEventDecoded) {
  // One track at 480 ticks a quarter: a tempo of 500,000 us, middle C for a quarter note, the end.
  const char kPiece[] =
      "MThd\0\0\0\6\0\0\0\1\1\xE0"
      "MTrk\0\0\0\x14"
      "\0\xFF\x51\3\x07\xA1\x20"
      "\0\x90\x3C\x5A"
      "\x83\x60\x80\x3C\0"
      "\0\xFF\x2F\0";
  std::ofstream(dir_ / "one.mid", std::ios::binary).write(kPiece, sizeof kPiece - 1);
  LoadSettings();
  std::strcpy(gShell.startDirectory, dir_.c_str());
  std::strcpy(gSettings.musicChoice, "None");
  OpenMusic();
  HeadlessAdvance(7);
  StartStreamEventLog();
  StartMusic("one.mid", false, 1000);
  HeadlessAdvance(3000);
  CloseMusic();
  const std::vector<std::string> lines = StopStreamEventLog();
  // Tempo (type 1) 0x07A120, the note on 0x5A3C90, 480 ticks later its note off 0x003C80; then the piece has
  // ended and the second buffer goes out empty.
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "{\"index\":0,\"ms\":0,\"bytes\":36,\"events\":[{\"delta\":0,\"stream\":0,\"event\":17277216},"
            "{\"delta\":0,\"stream\":0,\"event\":5913744},{\"delta\":480,\"stream\":0,\"event\":15488}]}");
  EXPECT_EQ(lines[1], "{\"index\":1,\"ms\":0,\"bytes\":0,\"events\":[]}");
  // Once stopped, nothing more is recorded.
  OpenMusic();
  StartMusic("one.mid", false, 1000);
  EXPECT_TRUE(StopStreamEventLog().empty());
}
