// The headless backend: no window and no real waiting. A virtual clock that waiting advances at once, a
// timed script of inputs, an in-memory screen, and a record of every observable side effect.
#include "platform/headless/headless.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "platform/backend.h"
#include "platform/headless/headless_audio.h"
#include "platform/headless/headless_midi.h"
#include "platform/sound/midi_backend.h"
#include "platform/draw/png.h"
#include "platform/sound/sync.h"
#include "platform/system.h"

namespace {

struct HeadlessState {
  HeadlessConfig config;
  uint64_t elapsed = 0;  // virtual ms since reset; the clock is clockStart + elapsed, wrapping
  std::deque<HeadlessInput> script;
  uint64_t lastInput = 0;
  uint64_t runOn = std::numeric_limits<uint64_t>::max();
  SurfacePtr primary;
  bool videoUp = false;
  bool audioOpen = false;
  bool cursorVisible = true;
  std::deque<int32_t> answers;
  std::vector<HeadlessMessageBox> boxes;
  std::vector<HeadlessTrace> traces;
  std::vector<std::string> debug;
  std::function<void(const HeadlessTrace&)> traceListener;
};

HeadlessState gHeadless;

void TakeScreenshot(const std::string& path) {
  if (gHeadless.primary) {
    WriteSurfacePng(*gHeadless.primary, path);
    return;
  }
  const SurfacePtr black = CreateSurface(640, 480);
  WriteSurfacePng(*black, path);
}

void Apply(const HeadlessInput& in) {
  using Kind = HeadlessInput::Kind;
  switch (in.kind) {
    case Kind::Move: QueueMouseMove(in.x, in.y); break;
    case Kind::Button: QueueMouseButton(in.right, in.down, in.x, in.y); break;
    case Kind::Key: QueueKey(in.key, in.down); break;
    case Kind::Char: QueueChar(static_cast<uint8_t>(in.key)); break;
    case Kind::Activate: QueueActivation(in.down); break;
    case Kind::Close: QueueClose(); break;
    case Kind::Screenshot: TakeScreenshot(in.path); break;
    case Kind::Call:
      if (in.call) in.call();
      break;
  }
}

void DeliverDue() {
  while (!gHeadless.script.empty() && gHeadless.script.front().time <= gHeadless.elapsed) {
    const HeadlessInput in = gHeadless.script.front();
    gHeadless.script.pop_front();
    Apply(in);
  }
}

// Elapsed virtual milliseconds at which a MIDI stream has work next, or never.
uint64_t MidiDueMs() {
  const uint64_t due = MidiStreamsNextDueUs();
  if (due == kMidiNever) return std::numeric_limits<uint64_t>::max();
  const uint64_t start = static_cast<uint64_t>(gHeadless.config.clockStart) * 1000;
  return due <= start ? 0 : (due - start + 999) / 1000;
}

// Time passes one scripted input or MIDI step at a time, so each happens with the clock at its own moment.
void AdvanceTo(uint64_t target) {
  for (;;) {
    const uint64_t input = gHeadless.script.empty() ? std::numeric_limits<uint64_t>::max()
                                                    : gHeadless.script.front().time;
    const uint64_t next = std::min(input, MidiDueMs());
    if (next > target) break;
    gHeadless.elapsed = std::max<uint64_t>(gHeadless.elapsed, next);
    DeliverDue();
    MidiStreamsRun(BackendMidiVirtualUs());
  }
  gHeadless.elapsed = std::max(gHeadless.elapsed, target);
  if (gHeadless.runOn != std::numeric_limits<uint64_t>::max() &&
      gHeadless.elapsed > gHeadless.lastInput + gHeadless.runOn) {
    throw HeadlessIdle{timeGetTime()};
  }
}

}  // namespace

// ---- Controls -----------------------------------------------------------------------------------------

void HeadlessReset(const HeadlessConfig& config) {
  gHeadless = HeadlessState{};
  gHeadless.config = config;
  ResetMessagesForTest();
  HeadlessAudioReset();
  HeadlessMidiReset();
}

void HeadlessSchedule(const HeadlessInput& input) {
  auto& s = gHeadless.script;
  const auto at = std::upper_bound(s.begin(), s.end(), input.time,
                                   [](uint64_t t, const HeadlessInput& i) { return t < i.time; });
  s.insert(at, input);
  gHeadless.lastInput = std::max<uint64_t>(gHeadless.lastInput, input.time);
}

uint32_t HeadlessLastScheduledTime() { return static_cast<uint32_t>(gHeadless.lastInput); }
void HeadlessSetRunOn(uint32_t ms) { gHeadless.runOn = ms; }
void HeadlessAdvance(uint32_t ms) { AdvanceTo(gHeadless.elapsed + ms); }
void HeadlessQueueAnswer(int32_t answer) { gHeadless.answers.push_back(answer); }
const std::vector<HeadlessMessageBox>& HeadlessMessageBoxes() { return gHeadless.boxes; }
const std::vector<HeadlessTrace>& HeadlessTraces() { return gHeadless.traces; }
void HeadlessOnTrace(std::function<void(const HeadlessTrace&)> listener) {
  gHeadless.traceListener = std::move(listener);
}
const Surface* HeadlessScreen() { return gHeadless.primary.get(); }
bool HeadlessCursorVisible() { return gHeadless.cursorVisible; }
bool HeadlessAudioOpen() { return gHeadless.audioOpen; }
const std::vector<std::string>& HeadlessDebugOutput() { return gHeadless.debug; }
void HeadlessForgetRecords() {
  gHeadless.traces = {};
  gHeadless.boxes = {};
  gHeadless.debug = {};
  HeadlessSoundsClear();
  HeadlessMidiClearEvents();
}

// ---- Clock ------------------------------------------------------------------------------------------

uint32_t timeGetTime() { return gHeadless.config.clockStart + static_cast<uint32_t>(gHeadless.elapsed); }

uint32_t WaitClockTick(uint32_t now, uint32_t deadline) {
  const uint32_t current = timeGetTime();
  if (current != now) return current;
  // A real spin would end on the first millisecond past the deadline: go straight there.
  const uint32_t ahead = deadline - now;
  const uint32_t step = ahead < 0x80000000u ? ahead + 1 : 1;
  AdvanceTo(gHeadless.elapsed + step);
  return timeGetTime();
}

uint64_t BackendMidiVirtualUs() {
  return (static_cast<uint64_t>(gHeadless.config.clockStart) + gHeadless.elapsed) * 1000;
}

// A wait lets virtual time pass a millisecond at a time, running what falls due; with real stream threads
// it also gives them a moment of real time.
void BackendWaitSlice(HANDLE event, uint32_t /*msLeft*/) {
  if (BackendMidiThreaded()) EventRest(event, 1);
  AdvanceTo(gHeadless.elapsed + 1);
}

// ---- Backend hooks -------------------------------------------------------------------------------------

void BackendPumpEvents() { DeliverDue(); }

void BackendWaitEvents(uint32_t ms) {
  const uint64_t limit = ms == kWaitForever ? std::numeric_limits<uint64_t>::max() : gHeadless.elapsed + ms;
  if (gHeadless.script.empty() && ms == kWaitForever) throw HeadlessIdle{timeGetTime()};
  AdvanceTo(std::min<uint64_t>(limit, gHeadless.script.empty() ? limit : gHeadless.script.front().time));
}

void BackendNothingPending() { AdvanceTo(gHeadless.elapsed + gHeadless.config.idleCostMs); }
void BackendShowCursor(bool visible) { gHeadless.cursorVisible = visible; }
void BackendWarpCursor(int32_t, int32_t) {}
bool BackendMousePresent() { return gHeadless.config.mousePresent; }
// Nobody is there to bring the window back: the script's next "activate" does.
void BackendMinimizeWindow() { QueueActivation(false); }

namespace {

// The next queued answer, or the cautious one (OK, or No to a question) when none is queued. A queued 0
// leaves the box to the script's inputs.
int32_t TakeAnswer(uint32_t type) {
  int32_t answer = (type & 0xF) == MB_YESNO ? IDNO : IDOK;
  if (!gHeadless.answers.empty()) {
    answer = gHeadless.answers.front();
    gHeadless.answers.pop_front();
  }
  return answer;
}

}  // namespace

int32_t BackendMessageBox(const char* text, const char* caption, uint32_t type) {
  int32_t answer = TakeAnswer(type);
  if (answer == 0) answer = (type & 0xF) == MB_YESNO ? IDNO : IDOK;  // nobody can click a desktop box here
  gHeadless.boxes.push_back({timeGetTime(), text, caption, type, answer});
  return answer;
}

bool BackendPresetAnswer(uint32_t type, int32_t* answer) {
  *answer = TakeAnswer(type);
  return *answer != 0;
}

void BackendRecordMessageBox(uint32_t time, const char* text, const char* caption, uint32_t type, int32_t answer) {
  gHeadless.boxes.push_back({time, text, caption, type, answer});
}

// ---- Display, sound, program ------------------------------------------------------------------------------

bool DisplayDo(DisplayStep step, HWND window) {
  (void)window;
  if (static_cast<int32_t>(step) == gHeadless.config.failDisplayStep) return false;
  if (step == DisplayStep::CreateDevice) gHeadless.videoUp = true;
  if (step == DisplayStep::PrimarySurface) gHeadless.primary = CreateSurface(640, 480);
  return true;
}

Surface* DisplayPrimary() { return gHeadless.primary.get(); }
int32_t DisplayRefreshRate() { return 0; }

PlatformReport GetPlatformReport() {
  if (gHeadless.config.report) return *gHeadless.config.report;
  PlatformReport r;
  r.versionKnown = true;
  r.platformId = 2;
  const bool video = gHeadless.config.failDisplayStep != static_cast<int32_t>(DisplayStep::CreateDevice);
  r.majorVersion = video ? 5 : 4;
  return r;
}

void OutputDebugStringA(const char* text) { gHeadless.debug.emplace_back(text ? text : ""); }

bool AudioOpen(int32_t, int32_t, int32_t) {
  gHeadless.audioOpen = gHeadless.config.audioWorks;
  return gHeadless.audioOpen;
}

bool AudioIsOpen() { return gHeadless.audioOpen; }

bool ClaimSingleInstance(const char*) { return !gHeadless.config.otherInstanceRunning; }

void TraceState(const char* what, int64_t value) {
  gHeadless.traces.push_back({timeGetTime(), what, value});
  if (gHeadless.traceListener) gHeadless.traceListener(gHeadless.traces.back());
}
