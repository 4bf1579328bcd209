// The headless backend's controls: a virtual clock, a timed script of inputs, an in-memory screen, and a
// record of every message box and traced state, for tests and the quillmere-sim driver.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/surface.h"
#include "platform/system.h"
#include "platform/win.h"

struct HeadlessConfig {
  uint32_t clockStart = 0;
  bool mousePresent = true;
  bool otherInstanceRunning = false;
  bool audioWorks = true;
  int32_t failDisplayStep = -1;  // a DisplayStep value that fails, or -1
  // Every peek that finds the queue empty lets this much virtual time pass. The loops that idle wait for their
  // next tick or timer themselves, so by default a peek costs nothing.
  uint32_t idleCostMs = 0;
  // What the machine reports to the DirectX probe; unset: a current system whose video works.
  std::optional<PlatformReport> report;
};

struct HeadlessInput {
  enum class Kind : uint8_t { Move, Button, Key, Char, Activate, Close, Screenshot, Call };
  uint32_t time = 0;  // virtual milliseconds at which it happens
  Kind kind = Kind::Move;
  int32_t x = 0;
  int32_t y = 0;
  bool right = false;  // Button: right button
  bool down = false;   // Button, Key: pressed (else released); Activate: active
  uint32_t key = 0;    // Key: virtual key; Char: Windows-1252 byte
  std::string path;    // Screenshot: PNG file to write
  std::function<void()> call;  // Call: run at that time (tests)
};

struct HeadlessMessageBox {
  uint32_t time;
  std::string text;
  std::string caption;
  uint32_t type;
  int32_t answer;
};

// Thrown out of the game when the script has run out and nothing more can happen, so that a driver can end.
struct HeadlessIdle {
  uint32_t time;
};

void HeadlessReset(const HeadlessConfig& config);
void HeadlessSchedule(const HeadlessInput& input);
// Inputs are scheduled in time order; this is the time of the last one (0 when none).
uint32_t HeadlessLastScheduledTime();
// After the script's last input the game may run on this long before HeadlessIdle is thrown.
void HeadlessSetRunOn(uint32_t ms);
void HeadlessAdvance(uint32_t ms);  // lets virtual time pass, delivering due inputs

// Message boxes are answered from this queue (IDOK for an OK box when it is empty; IDNO for Yes/No). A
// queued 0 leaves a box drawn in the game window open for scripted clicks and keys to answer.
void HeadlessQueueAnswer(int32_t answer);
const std::vector<HeadlessMessageBox>& HeadlessMessageBoxes();

struct HeadlessTrace {
  uint32_t time;
  std::string what;
  int64_t value;
};
const std::vector<HeadlessTrace>& HeadlessTraces();
void HeadlessOnTrace(std::function<void(const HeadlessTrace&)> listener);

// The screen as the player would see it, and how many times it changed.
const Surface* HeadlessScreen();
bool HeadlessCursorVisible();
bool HeadlessAudioOpen();
const std::vector<std::string>& HeadlessDebugOutput();
// Forgets every record kept so far (traces, message boxes, debug output, sounds, MIDI events) while the game
// runs on: a run of days of virtual time measures the game's memory, not the records'.
void HeadlessForgetRecords();
