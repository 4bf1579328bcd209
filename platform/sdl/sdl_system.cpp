// The SDL backend: the real clock, a borderless full-screen window showing the 640x480 primary surface
// letterboxed, real input turned into the shared message queue's messages, the sound device, message
// boxes, the single-instance lock, and the ways the program ends from outside (TERM, a lost display).
#include <SDL.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/backend.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_helpers.h"
#include "platform/sdl/sdl_x11.h"
#include "platform/system.h"

namespace {

constexpr int32_t kGameWidth = 640;
constexpr int32_t kGameHeight = 480;
constexpr const char* kWindowTitle = "Quillmere Brindlemoor";
constexpr uint64_t kNsPerMs = 1'000'000;
// When the display does not say how often it refreshes.
constexpr int32_t kDefaultRefreshHz = 60;
// Rows compared and sent to the display together: a ball and a flag far apart stay two small updates.
constexpr int32_t kBandRows = 16;
// How long a wait for input lasts when nothing needs showing; the caller simply asks again.
constexpr int32_t kIdleWaitMs = 100;
// Long pauses still look at the display connection and at signals this often.
constexpr uint64_t kListenGapNs = 100 * kNsPerMs;
// After a TERM the game closes its window as soon as it next reads its messages; one busy in a long activity
// (a demonstration, a rolling ball) is ended after this long.
constexpr uint64_t kTermGraceNs = 1000 * kNsPerMs;
// Deactivating the game can end it (it quits from its menus), so a focus loss must last this long before
// the game hears of it: window managers take focus away and hand it straight back when a full-screen
// window maps, and around a message box.
constexpr uint32_t kFocusLossGraceMs = 150;

bool DebugOn() { return std::getenv("QUILL_DEBUG") != nullptr; }

void Debug(const char* format, ...) {
  if (!DebugOn()) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

// ---- State -------------------------------------------------------------------------------------------

enum class VideoState : uint8_t { Untried, Up, Failed };

// The primary surface is drawn straight into the window's own pixels, only where it changed since last
// shown: a rolling ball costs a 32x32 patch, not a whole frame.
struct Screen {
  VideoState video = VideoState::Untried;
  SDL_Window* window = nullptr;
  SDL_Surface* pixels = nullptr;  // the window's pixels; SDL makes new ones when the window changes size
  sdlbits::ScaleAxis across;
  sdlbits::ScaleAxis down;
  std::vector<uint32_t> colours;  // window pixel for each 16-bit colour
  SurfacePtr primary;
  std::vector<uint16_t> shown;  // the primary as last shown, to find what changed
  bool redraw = false;          // the whole window needs drawing (just made, exposed, resized)
  uint64_t shownVersion = 0;
  uint64_t frameNs = 1'000'000'000 / kDefaultRefreshHz;
  uint64_t nextShowNs = 0;  // frames are shown at most once a refresh
  uint64_t listenedNs = 0;
};
Screen gScreen;

bool gCursorVisible = true;
struct Focus {
  bool has = true;         // as SDL last reported it
  bool toldActive = true;  // what the game last heard; showing the game window activates it
  bool lossPending = false;
  uint32_t lossSeenAt = 0;
};
Focus gFocus;

SDL_AudioDeviceID gAudio = 0;

int gLockFd = -1;

// The TERM or INT signal that came, set by its handler; the game's thread acts on it.
volatile sig_atomic_t gTermSignalled = 0;
// A desktop message box runs its own loop and never returns to ours: a TERM then ends the program at once.
volatile sig_atomic_t gNativeBoxUp = 0;
uint64_t gTermSeenNs = 0;

// ---- The real clock ----------------------------------------------------------------------------------

// Nanoseconds since the machine started. The game's clock is this in milliseconds, as its original counted
// them: it differs from run to run (it seeds the random numbers) and wraps after 49 days.
uint64_t ClockNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint64_t>(t.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(t.tv_nsec);
}

// The instant the clock first reads more than ms (a 32-bit reading, near now).
uint64_t InstantPast(uint32_t ms) {
  const uint64_t nowMs = ClockNs() / kNsPerMs;
  const auto ahead = static_cast<int32_t>(ms + 1 - static_cast<uint32_t>(nowMs));
  return (nowMs + static_cast<uint64_t>(static_cast<int64_t>(ahead))) * kNsPerMs;
}

void SleepUntil(uint64_t ns) {
  const timespec until{static_cast<time_t>(ns / 1'000'000'000u), static_cast<long>(ns % 1'000'000'000u)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR && !gTermSignalled) {
  }
}

// ---- Ending ------------------------------------------------------------------------------------------

void Shutdown() {
  SdlAudioDetach();
  if (gAudio != 0) SDL_CloseAudioDevice(gAudio);
  gAudio = 0;
  if (gScreen.window) SDL_DestroyWindow(gScreen.window);
  gScreen.window = nullptr;
  gScreen.pixels = nullptr;
  SDL_Quit();
}

[[noreturn]] void EndNow() {
  Debug("ended by signal %d", static_cast<int>(gTermSignalled));
  Shutdown();
  std::_Exit(0);
}

void OnTerminate(int signal) {
  if (gNativeBoxUp) _exit(0);
  gTermSignalled = signal;
}

// The TERM signal asks the window to close, as the desktop's close button does; a game that does not get
// back to its messages within the grace is ended where it stands.
void CheckTermination() {
  if (!gTermSignalled) return;
  const uint64_t now = ClockNs();
  if (gTermSeenNs == 0) {
    Debug("signal %d: the window is asked to close", static_cast<int>(gTermSignalled));
    gTermSeenNs = now;
    if (!QueueClose()) EndNow();
    return;
  }
  if (now - gTermSeenNs >= kTermGraceNs) EndNow();
}

// Before SDL first starts: our own signal handlers instead of SDL's, and SDL torn down at exit, before static
// objects go, so that the audio thread is stopped before anything it might touch is destroyed.
void PrepareSdl() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  struct sigaction action {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  // A game started in the background of a script ignores the terminal's interrupt, and keeps ignoring it.
  struct sigaction interrupt {};
  if (sigaction(SIGINT, nullptr, &interrupt) == 0 && interrupt.sa_handler != SIG_IGN)
    sigaction(SIGINT, &action, nullptr);
  std::atexit(Shutdown);
}

bool IsInvisibleDriver(const char* name) {
  return name && (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0);
}

bool EnsureVideo() {
  if (gScreen.video == VideoState::Untried) {
    PrepareSdl();
    // Losing focus must not minimise us: the game handles deactivation itself.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
#ifdef SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE
    // A window close then arrives once, as the window's own event.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
#endif
    // The window's own pixels, not a renderer's copy of them: only what changed is sent to the display.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    gScreen.video = VideoState::Failed;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      Debug("SDL video cannot start: %s", SDL_GetError());
    } else if (!SDL_GetHint(SDL_HINT_VIDEODRIVER) && IsInvisibleDriver(SDL_GetCurrentVideoDriver())) {
      // With no display SDL settles for a driver that shows nothing; a game nobody can see would run on
      // unnoticed, so that counts as no video unless asked for by name.
      Debug("SDL video: no display (only the %s driver)", SDL_GetCurrentVideoDriver());
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
    } else {
      gScreen.video = VideoState::Up;
      X11EndWhenTheDisplayGoes();
      SDL_ShowCursor(gCursorVisible ? SDL_ENABLE : SDL_DISABLE);
    }
  }
  return gScreen.video == VideoState::Up;
}

// ---- Showing the primary surface ---------------------------------------------------------------------

sdlbits::WindowFormat FormatOf(const SDL_PixelFormat* f) {
  sdlbits::WindowFormat w;
  w.rShift = f->Rshift;
  w.gShift = f->Gshift;
  w.bShift = f->Bshift;
  w.rLoss = f->Rloss;
  w.gLoss = f->Gloss;
  w.bLoss = f->Bloss;
  w.alpha = f->Amask;
  return w;
}

// The window's pixels, fetched again (with the scale worked out anew) after SDL dropped them.
SDL_Surface* WindowPixels() {
  if (gScreen.pixels || !gScreen.window) return gScreen.pixels;
  SDL_Surface* s = SDL_GetWindowSurface(gScreen.window);
  if (!s) {
    Debug("SDL window pixels: %s", SDL_GetError());
    return nullptr;
  }
  if (s->format->BytesPerPixel != 2 && s->format->BytesPerPixel != 4) {
    Debug("SDL window pixels: %d bytes a pixel is not supported", s->format->BytesPerPixel);
    return nullptr;
  }
  const sdlbits::Letterbox box = sdlbits::FitPicture(s->w, s->h, kGameWidth, kGameHeight);
  gScreen.across = sdlbits::MakeScaleAxis(box.scale, box.x, kGameWidth);
  gScreen.down = sdlbits::MakeScaleAxis(box.scale, box.y, kGameHeight);
  gScreen.colours = sdlbits::MakeColourTable(FormatOf(s->format));
  gScreen.pixels = s;
  gScreen.redraw = true;
  return s;
}

bool FramePending() {
  return gScreen.primary != nullptr && gScreen.window != nullptr &&
         (gScreen.redraw || gScreen.primary->version != gScreen.shownVersion);
}

template <typename P>
SDL_Rect Scale(const RECT& r, SDL_Surface* s) {
  const RECT w = sdlbits::ScaleIntoWindow<P>(gScreen.primary->pixels.data(), kGameWidth, r, gScreen.across,
                                             gScreen.down, gScreen.colours, static_cast<uint8_t*>(s->pixels), s->pitch);
  return SDL_Rect{w.left, w.top, w.right, w.bottom};
}

// Shows what changed on the primary surface since last shown, at most once a refresh unless force says now.
void ShowFrame(bool force = false) {
  if (!FramePending()) return;
  const uint64_t now = ClockNs();
  if (!force && now < gScreen.nextShowNs) return;
  gScreen.nextShowNs = now + gScreen.frameNs;  // a frame that cannot be shown now is tried once a refresh
  SDL_Surface* s = WindowPixels();
  const Surface* p = gScreen.primary.get();
  if (!s || p->width != kGameWidth || p->height != kGameHeight) return;
  gScreen.shownVersion = p->version;
  std::vector<RECT> changed;
  if (gScreen.redraw) {
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));  // the bars
    gScreen.shown = p->pixels;
    changed.push_back(RECT{0, 0, kGameWidth, kGameHeight});
  } else {
    changed = sdlbits::TakeChangedBands(p->pixels.data(), gScreen.shown.data(), kGameWidth, kGameHeight, kBandRows);
  }
  if (changed.empty()) return;
  if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) {
    gScreen.redraw = true;  // what was taken as shown was not: all of it next time
    return;
  }
  std::vector<SDL_Rect> rects;
  for (const RECT& r : changed) {
    rects.push_back(s->format->BytesPerPixel == 4 ? Scale<uint32_t>(r, s) : Scale<uint16_t>(r, s));
  }
  if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
  if (gScreen.redraw) rects.assign(1, SDL_Rect{0, 0, s->w, s->h});
  SDL_UpdateWindowSurfaceRects(gScreen.window, rects.data(), static_cast<int>(rects.size()));
  gScreen.redraw = false;
}

// Tells the game of a focus change once it has settled (see kFocusLossGraceMs); a regained focus at once.
void SettleActivation() {
  if (gFocus.has == gFocus.toldActive) {
    gFocus.lossPending = false;
    return;
  }
  if (gFocus.has) {
    gFocus.toldActive = true;
    QueueActivation(true);
    return;
  }
  const uint32_t now = SDL_GetTicks();
  if (!gFocus.lossPending) {
    gFocus.lossPending = true;
    gFocus.lossSeenAt = now;
  } else if (now - gFocus.lossSeenAt >= kFocusLossGraceMs) {
    gFocus.lossPending = false;
    gFocus.toldActive = false;
    QueueActivation(false);
  }
}

int32_t MsUntil(uint32_t since, uint32_t gap) {
  const uint32_t elapsed = SDL_GetTicks() - since;
  return elapsed >= gap ? 1 : static_cast<int32_t>(gap - elapsed);
}

// How long a wait may last before something of ours is due: a pending frame, or a focus loss to report.
int32_t MsUntilDue(uint32_t most) {
  int32_t ms = static_cast<int32_t>(std::min<uint32_t>(most, kIdleWaitMs));
  if (FramePending()) {
    const uint64_t now = ClockNs();
    const uint64_t wait = gScreen.nextShowNs > now ? gScreen.nextShowNs - now : 0;
    ms = std::min(ms, static_cast<int32_t>((wait + kNsPerMs - 1) / kNsPerMs));
  }
  if (gFocus.lossPending) ms = std::min(ms, MsUntil(gFocus.lossSeenAt, kFocusLossGraceMs));
  return std::max(ms, 0);
}

sdlbits::Letterbox CurrentLetterbox() {
  int w = 0, h = 0;
  if (gScreen.window) SDL_GetWindowSize(gScreen.window, &w, &h);
  return sdlbits::FitPicture(w, h, kGameWidth, kGameHeight);
}

POINT GamePoint(int32_t x, int32_t y) {
  return sdlbits::WindowToPicture(CurrentLetterbox(), x, y, kGameWidth, kGameHeight);
}

// ---- Input --------------------------------------------------------------------------------------------

uint32_t VirtualKeyFor(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<uint32_t>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<uint32_t>(key - SDLK_0);
  switch (key) {
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_END:
      return VK_END;
    case SDLK_DELETE:
      return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    default:
      return 0;
  }
}

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_MOUSEMOTION: {
      const POINT p = GamePoint(e.motion.x, e.motion.y);
      QueueMouseMove(p.x, p.y);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) break;
      const POINT p = GamePoint(e.button.x, e.button.y);
      QueueMouseButton(e.button.button == SDL_BUTTON_RIGHT, e.type == SDL_MOUSEBUTTONDOWN, p.x, p.y);
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      // Held keys repeat as further key-downs, as they do for the game's original platform.
      const uint32_t vk = VirtualKeyFor(e.key.keysym.sym);
      if (vk == 0) break;
      QueueKey(vk, e.type == SDL_KEYDOWN);
      // These keys type a control character too (SDL has no text for them), after their key-down as the
      // game's original platform delivers them.
      const bool typesControl = vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE;
      if (e.type == SDL_KEYDOWN && typesControl && (e.key.keysym.mod & KMOD_ALT) == 0) {
        QueueChar(static_cast<uint8_t>(vk));
      }
      break;
    }
    case SDL_TEXTINPUT:
      for (const char c : sdlbits::Utf8ToCp1252(e.text.text)) QueueChar(static_cast<uint8_t>(c));
      break;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
          gFocus.has = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
          Debug("%u focus %s", e.window.timestamp, gFocus.has ? "gained" : "lost");
          break;
        case SDL_WINDOWEVENT_CLOSE:
          QueueClose();
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          gScreen.pixels = nullptr;  // SDL makes the window's pixels anew
          gScreen.redraw = true;
          break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
          gScreen.redraw = true;
          break;
        default:
          break;
      }
      break;
    case SDL_QUIT:
      QueueClose();
      break;
    default:
      break;
  }
}

}  // namespace

// ---- Clock --------------------------------------------------------------------------------------------

uint32_t timeGetTime() { return static_cast<uint32_t>(ClockNs() / kNsPerMs); }

// Sleeps on the absolute instant the deadline passes, so the pause ends on its exact millisecond without
// polling; a frame waiting to be shown is shown first, or when its refresh comes during a long pause.
uint32_t WaitClockTick(uint32_t /*now*/, uint32_t deadline) {
  CheckTermination();
  ShowFrame();
  const uint64_t end = InstantPast(deadline);
  const uint64_t now = ClockNs();
  // A long pause listens now and then, so a lost display or a TERM is noticed even while nothing is drawn.
  if (now - gScreen.listenedNs >= kListenGapNs && SDL_WasInit(SDL_INIT_EVENTS) != 0) {
    SDL_PumpEvents();
    gScreen.listenedNs = now;
  }
  uint64_t wake = std::min(end, now + kListenGapNs);
  if (FramePending()) wake = std::min(wake, std::max(now, gScreen.nextShowNs));
  SleepUntil(wake);
  return timeGetTime();
}

// ---- Display ------------------------------------------------------------------------------------------

bool DisplayDo(DisplayStep step, HWND /*window*/) {
  switch (step) {
    case DisplayStep::CreateDevice:
      return EnsureVideo();
    case DisplayStep::QueryInterface:
      return gScreen.video == VideoState::Up;
    case DisplayStep::Cooperative: {
      if (gScreen.video != VideoState::Up) return false;
      if (gScreen.window) return true;
      // Made borderless at the desktop's size, then asked for full screen where a window manager can carry
      // that out. Without one (a bare X server) the window already covers the screen, and SDL would wait in
      // vain for the request to be honoured.
      SDL_DisplayMode desktop{};
      int w = kGameWidth, h = kGameHeight;
      if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
        w = desktop.w;
        h = desktop.h;
      }
      gScreen.window = SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED_DISPLAY(0),
                                        SDL_WINDOWPOS_CENTERED_DISPLAY(0), w, h, SDL_WINDOW_BORDERLESS);
      if (!gScreen.window) {
        Debug("SDL window: %s", SDL_GetError());
        return false;
      }
      if (X11WindowManagerRuns(gScreen.window)) SDL_SetWindowFullscreen(gScreen.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
      SDL_StartTextInput();
      return true;
    }
    case DisplayStep::DisplayMode: {
      if (!gScreen.window || !WindowPixels()) return false;
      SDL_DisplayMode mode{};
      const int display = SDL_GetWindowDisplayIndex(gScreen.window);
      if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 && mode.refresh_rate > 0) {
        gScreen.frameNs = 1'000'000'000u / static_cast<uint64_t>(mode.refresh_rate);
      }
      Debug("SDL window pixels: %s, %d Hz", SDL_GetPixelFormatName(gScreen.pixels->format->format),
            DisplayRefreshRate());
      return true;
    }
    case DisplayStep::PrimarySurface:
      if (!gScreen.pixels) return false;
      if (!gScreen.primary) gScreen.primary = CreateSurface(kGameWidth, kGameHeight);
      if (!gScreen.primary) return false;
      gScreen.redraw = true;
      ShowFrame(true);
      return true;
  }
  return false;
}

Surface* DisplayPrimary() { return gScreen.primary.get(); }

int32_t DisplayRefreshRate() {
  SDL_DisplayMode mode{};
  if (!gScreen.window ||
      SDL_GetCurrentDisplayMode(std::max(0, SDL_GetWindowDisplayIndex(gScreen.window)), &mode) != 0) {
    return 0;
  }
  return std::max(0, mode.refresh_rate);
}

PlatformReport GetPlatformReport() {
  PlatformReport report;
  report.versionKnown = true;
  report.platformId = 2;
  if (!EnsureVideo()) {
    // An old system without DirectX: the probe says so, and the display step later fails on its own.
    report.majorVersion = 4;
    return report;
  }
  report.majorVersion = 5;
  report.buildNumber = 2195;
  report.ddrawLoads = report.ddrawHasCreate = report.ddrawCreates = report.hasDirectDraw2 = true;
  report.dinputLoads = report.dinputHasCreate = true;
  report.normalCooperative = report.primaryCreates = report.hasSurface3 = true;
  return report;
}

void OutputDebugStringA(const char* text) {
  if (DebugOn() && text) std::fputs(text, stderr);
}

// ---- Sound device -------------------------------------------------------------------------------------

namespace {

// The sound device asks for its next stretch of samples here, on SDL's audio thread, with the device locked.
void FillAudio(void* /*userdata*/, Uint8* stream, int length) { SdlAudioFill(stream, length); }

}  // namespace

bool AudioOpen(int32_t samplesPerSecond, int32_t channels, int32_t bitsPerSample) {
  if (samplesPerSecond <= 0 || channels < 1 || channels > 2 || (bitsPerSample != 8 && bitsPerSample != 16)) {
    return false;
  }
  if (gAudio != 0) {
    SdlAudioDetach();
    SDL_CloseAudioDevice(gAudio);
    gAudio = 0;
  }
  PrepareSdl();
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Debug("SDL audio cannot start: %s", SDL_GetError());
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = samplesPerSecond;
  // The effects mixer writes 16-bit stereo (what the game asks for); SDL converts it to whatever the card
  // takes.
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  // About 20 to 25 ms a buffer: short enough that an effect starts with its cause.
  want.samples = samplesPerSecond > 22050 ? 1024 : 512;
  want.callback = FillAudio;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts, so the mixer always writes the format asked for.
  gAudio = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (gAudio == 0) {
    Debug("SDL audio device: %s", SDL_GetError());
    return false;
  }
  SdlAudioAttach(gAudio, have.freq);
  SDL_PauseAudioDevice(gAudio, 0);
  return true;
}

bool AudioIsOpen() { return gAudio != 0; }

// ---- Program ------------------------------------------------------------------------------------------

bool ClaimSingleInstance(const char* name) {
  if (gLockFd >= 0) return true;
  std::string file = name ? name : "quillmere";
  for (char& c : file) {
    if (c == '/') c = '_';
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string path = runtime && *runtime ? std::string(runtime) + "/" + file + ".lock"
                                         : "/tmp/" + file + "-" + std::to_string(getuid()) + ".lock";
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // A lock file that cannot be made must never stop the game from starting.
  if (fd < 0) {
    Debug("instance lock %s: %s", path.c_str(), std::strerror(errno));
    return true;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool heldElsewhere = errno == EWOULDBLOCK;
    close(fd);
    return !heldElsewhere;
  }
  gLockFd = fd;  // kept open, and so locked, for the life of the process
  return true;
}

void TraceState(const char* what, int64_t value) {
  if (DebugOn()) std::fprintf(stderr, "%s=%lld\n", what, static_cast<long long>(value));
}

// ---- Beneath the message queue ------------------------------------------------------------------------

void BackendPumpEvents() {
  if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) Translate(e);
    SettleActivation();
    gScreen.listenedNs = ClockNs();
  }
  CheckTermination();
  ShowFrame();
}

void BackendWaitEvents(uint32_t ms) {
  ShowFrame();
  CheckTermination();
  const int32_t timeout = MsUntilDue(ms);
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
    SDL_Delay(static_cast<uint32_t>(timeout));
    return;
  }
  // A null event leaves whatever arrives in SDL's queue for the next pump.
  SDL_WaitEventTimeout(nullptr, timeout);
  ShowFrame();
}

// The loops that peek wait for input or for their next tick themselves; an empty peek only shows the frame.
void BackendNothingPending() { ShowFrame(); }

void BackendShowCursor(bool visible) {
  gCursorVisible = visible;
  if (gScreen.video == VideoState::Up) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void BackendWarpCursor(int32_t x, int32_t y) {
  if (!gScreen.window) return;
  const POINT p =
      sdlbits::PictureToWindow(CurrentLetterbox(), std::clamp(x, 0, kGameWidth - 1), std::clamp(y, 0, kGameHeight - 1));
  SDL_WarpMouseInWindow(gScreen.window, p.x, p.y);
}

bool BackendMousePresent() { return true; }

void BackendMinimizeWindow() {
  if (gScreen.window) SDL_MinimizeWindow(gScreen.window);
}

namespace {

// Without a display the question goes to the terminal, or gets its cautious answer when nobody is there.
int32_t AskOnTerminal(const std::string& text, const std::string& caption, uint32_t type) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  if ((type & 0x0F) != MB_YESNO) return IDOK;
  if (!isatty(STDIN_FILENO)) return IDNO;
  std::fputs("[y/n] ", stderr);
  std::fflush(stderr);
  char line[64];
  if (!std::fgets(line, sizeof line, stdin)) return IDNO;
  return line[0] == 'y' || line[0] == 'Y' ? IDYES : IDNO;
}

}  // namespace

int32_t BackendMessageBox(const char* text, const char* caption, uint32_t type) {
  const bool yesNo = (type & 0x0F) == MB_YESNO;
  const uint32_t icon = type & 0xF0;
  const std::string body = sdlbits::GameTextToUtf8(text ? text : "");
  const std::string title = sdlbits::GameTextToUtf8(caption ? caption : "");

  const SDL_MessageBoxButtonData okButton{
      SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
  const SDL_MessageBoxButtonData yesNoButtons[2] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
  };
  uint32_t flags = SDL_MESSAGEBOX_INFORMATION;
  if (icon == MB_ICONHAND) {
    flags = SDL_MESSAGEBOX_ERROR;
  } else if (icon == MB_ICONQUESTION || icon == MB_ICONEXCLAMATION) {
    flags = SDL_MESSAGEBOX_WARNING;
  }
  SDL_MessageBoxData data{};
  data.flags = flags | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  data.window = gScreen.window;
  data.title = title.c_str();
  data.message = body.c_str();
  data.numbuttons = yesNo ? 2 : 1;
  data.buttons = yesNo ? yesNoButtons : &okButton;

  ShowFrame(true);  // what the game drew before asking stays behind the box
  int pressed = -1;
  gNativeBoxUp = 1;
  const int shown = SDL_ShowMessageBox(&data, &pressed);
  gNativeBoxUp = 0;
  if (shown != 0) {
    Debug("SDL message box: %s", SDL_GetError());
    return AskOnTerminal(body, title, type);
  }
  gScreen.redraw = true;
  // Closing the box another way counts as its Escape answer.
  if (pressed == IDOK || pressed == IDYES || pressed == IDNO) return pressed;
  return yesNo ? IDNO : IDOK;
}

// A player answers every box in the window; there is nothing to record.
bool BackendPresetAnswer(uint32_t /*type*/, int32_t* /*answer*/) { return false; }
void BackendRecordMessageBox(uint32_t, const char*, const char*, uint32_t, int32_t) {}
