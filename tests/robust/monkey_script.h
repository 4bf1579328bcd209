// Random input scripts for quillmere-sim play, the way a careless player (or a cat on the keyboard) plays.
#pragma once

#include <cstdint>
#include <random>
#include <string>

// A script of a few dozen inputs: clicks and drags anywhere on and off the screen, keys, typed text with
// non-ASCII bytes, rounds of 1 to 8 seats, jumps to a hole, focus changes, message-box answers, dialog controls
// and now and then a close. With `hole` set (1..18) the script starts a round on that hole and plays it.
std::string MonkeyScript(std::mt19937& random, int32_t hole = 0);

// What a settings file might hold after a disk, an editor or an older version had a go at it. Empty means
// no file at all.
std::string DamagedSettingsText(std::mt19937& random);
