// The SDL backend: the real clock, a borderless full-screen window showing the 640x480 primary surface
// letterboxed, real input turned into the shared message queue's messages, the sound device, message
// boxes and the single-instance lock.
#include <SDL.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/backend.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_helpers.h"
#include "platform/system.h"

namespace {

constexpr int32_t kGameWidth = 640;
constexpr int32_t kGameHeight = 480;
constexpr const char* kWindowTitle = "Quillmere Brindlemoor";
// Presenting scales the whole picture, which a software renderer feels; a game that redraws in small steps
// would otherwise spend its time presenting.
constexpr uint32_t kPresentGapMs = 5;
// How long a wait for input lasts when nothing needs showing; the caller simply asks again.
constexpr int32_t kIdleWaitMs = 100;
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

struct Screen {
  VideoState video = VideoState::Untried;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  SurfacePtr primary;
  bool presentedOnce = false;
  bool redraw = false;  // the window needs drawing whatever the version (just made, exposed, reset)
  uint32_t shownVersion = 0;
  uint32_t lastPresent = 0;
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

void Shutdown() {
  SdlAudioDetach();
  if (gAudio != 0) SDL_CloseAudioDevice(gAudio);
  gAudio = 0;
  if (gScreen.texture) SDL_DestroyTexture(gScreen.texture);
  if (gScreen.renderer) SDL_DestroyRenderer(gScreen.renderer);
  if (gScreen.window) SDL_DestroyWindow(gScreen.window);
  gScreen.texture = nullptr;
  gScreen.renderer = nullptr;
  gScreen.window = nullptr;
  SDL_Quit();
}

// SDL is torn down at exit, before static objects go, so that the audio thread is stopped before anything
// it might touch is destroyed, and the display connection is closed cleanly.
void ShutdownAtExit() {
  static bool registered = false;
  if (!registered) std::atexit(Shutdown);
  registered = true;
}

bool IsInvisibleDriver(const char* name) {
  return name && (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0);
}

bool EnsureVideo() {
  if (gScreen.video == VideoState::Untried) {
    // Losing focus must not minimise us: the game handles deactivation itself.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
#ifdef SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE
    // A window close then arrives once, as the window's own event; SDL_QUIT stays for the TERM signal.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
#endif
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    ShutdownAtExit();
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
      SDL_ShowCursor(gCursorVisible ? SDL_ENABLE : SDL_DISABLE);
    }
  }
  return gScreen.video == VideoState::Up;
}

// ---- Showing the primary surface ---------------------------------------------------------------------

bool FramePending() {
  return gScreen.texture != nullptr && gScreen.primary != nullptr &&
         (gScreen.redraw || !gScreen.presentedOnce || gScreen.primary->version != gScreen.shownVersion);
}

// Shows the primary surface when it changed since last shown, unless the last present was too recent (the
// waits come back for it) or force says to show it now anyway.
void ShowFrame(bool force = false) {
  if (!FramePending()) return;
  const Surface* s = gScreen.primary.get();
  if (s->width != kGameWidth || s->height != kGameHeight ||
      s->pixels.size() < static_cast<size_t>(kGameWidth) * kGameHeight) {
    return;
  }
  const uint32_t now = SDL_GetTicks();
  if (!force && gScreen.presentedOnce && now - gScreen.lastPresent < kPresentGapMs) return;
  void* texels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(gScreen.texture, nullptr, &texels, &pitch) != 0) return;
  auto* row = static_cast<uint8_t*>(texels);
  for (int32_t y = 0; y < kGameHeight; ++y, row += pitch) {
    sdlbits::ExpandRgb565(SurfaceRow(s, y), reinterpret_cast<uint32_t*>(row), kGameWidth);
  }
  SDL_UnlockTexture(gScreen.texture);
  SDL_SetRenderDrawColor(gScreen.renderer, 0, 0, 0, 255);
  SDL_RenderClear(gScreen.renderer);
  SDL_RenderCopy(gScreen.renderer, gScreen.texture, nullptr, nullptr);
  SDL_RenderPresent(gScreen.renderer);
  gScreen.shownVersion = s->version;
  gScreen.presentedOnce = true;
  gScreen.redraw = false;
  gScreen.lastPresent = now;
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
int32_t MsUntilDue() {
  int32_t ms = kIdleWaitMs;
  if (FramePending()) ms = std::min(ms, MsUntil(gScreen.lastPresent, kPresentGapMs));
  if (gFocus.lossPending) ms = std::min(ms, MsUntil(gFocus.lossSeenAt, kFocusLossGraceMs));
  return ms;
}

sdlbits::Letterbox CurrentLetterbox() {
  int w = 0, h = 0;
  if (gScreen.renderer) {
    SDL_GetRendererOutputSize(gScreen.renderer, &w, &h);
  } else if (gScreen.window) {
    SDL_GetWindowSize(gScreen.window, &w, &h);
  }
  return sdlbits::FitPicture(w, h, kGameWidth, kGameHeight);
}

// With a logical size set, SDL itself has already scaled mouse positions to the 640x480 picture; before
// the renderer exists they are still window pixels.
POINT GamePoint(int32_t x, int32_t y) {
  if (gScreen.renderer) {
    return POINT{std::clamp(x, 0, kGameWidth - 1), std::clamp(y, 0, kGameHeight - 1)};
  }
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
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          gScreen.redraw = true;
          break;
        default:
          break;
      }
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      gScreen.redraw = true;
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

uint32_t timeGetTime() { return static_cast<uint32_t>(SDL_GetTicks64()); }

uint32_t WaitClockTick(uint32_t now, uint32_t deadline) {
  ShowFrame();
  uint32_t t = timeGetTime();
  if (t != now) return t;
  // Rest until a millisecond before the deadline, then watch for the tick itself.
  const auto ahead = static_cast<int32_t>(deadline - now);
  if (ahead > 2) {
    SDL_Delay(static_cast<uint32_t>(ahead - 1));
    t = timeGetTime();
    if (t != now) return t;
  }
  const timespec nap{0, 100'000};  // 0.1 ms
  while ((t = timeGetTime()) == now) nanosleep(&nap, nullptr);
  return t;
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
      // Made at the desktop's size as well as full-screen: without a window manager (a bare X server) the
      // full-screen request is never carried out, yet SDL would draw as if it were.
      SDL_DisplayMode desktop{};
      int w = kGameWidth, h = kGameHeight;
      if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
        w = desktop.w;
        h = desktop.h;
      }
      gScreen.window =
          SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED_DISPLAY(0), SDL_WINDOWPOS_CENTERED_DISPLAY(0), w, h,
                           SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
      if (!gScreen.window) {
        Debug("SDL window: %s", SDL_GetError());
        return false;
      }
      SDL_StartTextInput();
      return true;
    }
    case DisplayStep::DisplayMode: {
      if (!gScreen.window) return false;
      if (gScreen.texture) return true;
      if (!gScreen.renderer) {
        gScreen.renderer = SDL_CreateRenderer(gScreen.window, -1, SDL_RENDERER_ACCELERATED);
        if (!gScreen.renderer) gScreen.renderer = SDL_CreateRenderer(gScreen.window, -1, SDL_RENDERER_SOFTWARE);
        if (!gScreen.renderer) {
          Debug("SDL renderer: %s", SDL_GetError());
          return false;
        }
        SDL_RenderSetLogicalSize(gScreen.renderer, kGameWidth, kGameHeight);
      }
      // The picture is 16-bit, but the texture is 32-bit and we widen the pixels ourselves: SDL's software
      // renderer stretches a 16-bit texture onto a 32-bit window more than three times slower, and the GL
      // ones convert on upload anyway.
      gScreen.texture = SDL_CreateTexture(gScreen.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                          kGameWidth, kGameHeight);
      if (!gScreen.texture) {
        Debug("SDL texture: %s", SDL_GetError());
        return false;
      }
      if (DebugOn()) {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(gScreen.renderer, &info);
        Debug("SDL renderer: %s", info.name);
      }
      return true;
    }
    case DisplayStep::PrimarySurface:
      if (!gScreen.texture) return false;
      if (!gScreen.primary) gScreen.primary = CreateSurface(kGameWidth, kGameHeight);
      if (!gScreen.primary) return false;
      gScreen.redraw = true;
      ShowFrame(true);
      return true;
  }
  return false;
}

Surface* DisplayPrimary() { return gScreen.primary.get(); }

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
  ShutdownAtExit();
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
  }
  ShowFrame();
}

void BackendWaitEvents() {
  ShowFrame();
  const int32_t timeout = MsUntilDue();
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
    SDL_Delay(static_cast<uint32_t>(timeout));
    return;
  }
  // A null event leaves whatever arrives in SDL's queue for the next pump.
  SDL_WaitEventTimeout(nullptr, timeout);
  ShowFrame();
}

// The game idles by peeking in a loop: rest until the next millisecond (or the next input) instead of
// spinning, so an idle peek costs about what it costs on the headless clock.
void BackendNothingPending() {
  ShowFrame();
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
    const uint32_t now = timeGetTime();
    WaitClockTick(now, now + 1);
    return;
  }
  SDL_WaitEventTimeout(nullptr, 1);
}

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
  if (SDL_ShowMessageBox(&data, &pressed) != 0) {
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
