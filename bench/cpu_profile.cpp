// The CPU profile of the real game: starts it on a private Xvfb screen, drives it like a player (title menu,
// placing the ball, aiming with the pointer still and moving, rolls, the score card) and prints the share of
// one core the game process used in each activity, how long it took to show the title picture and the menu,
// and how late the frame timer's 2 ms pauses end (pause_probe, beside this program).
//
//   cpu_profile [--game DIR] [--seconds S] [--music]
//
// Music is off unless --music: the synthesizer's cost is the music's, not the game's idling. Needs Xvfb and
// xdotool on the PATH; the game's own state traces (QUILL_DEBUG) tell it when each activity begins and ends.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/profile_hole.h"
#include "platform/files/settings_file.h"
#include "platform/sdl/sdl_helpers.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int32_t kScreenW = 1024;
constexpr int32_t kScreenH = 768;
constexpr const char* kExe = "Quillmere Brindlemoor";
// A point of the title menu's light grey face (192, 192, 192 on a 16-bit screen), beside its QUIT button.
constexpr ProfilePoint kMenuProbe{110, 300};
constexpr uint32_t kMenuFace = 0xC6C3C6;

struct Options {
  std::string game = QUILL_GAME_DIR;
  double seconds = 5;
  bool music = false;
};

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "cpu_profile: %s\n", why.c_str());
  std::exit(1);
}

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }
void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// ---- Processes ---------------------------------------------------------------------------------------------

pid_t Spawn(const std::vector<std::string>& argv, const std::string& dir, int stderrFd, int keepFd = -1) {
  const pid_t pid = fork();
  if (pid < 0) Fail("fork failed");
  if (pid > 0) return pid;
  if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(127);
  const int null = open("/dev/null", O_RDWR);
  dup2(null, STDIN_FILENO);
  dup2(null, STDOUT_FILENO);
  dup2(stderrFd >= 0 ? stderrFd : null, STDERR_FILENO);
  for (int fd = 3; fd < 256; ++fd) {
    if (fd != keepFd) close(fd);
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

int Run(const std::vector<std::string>& argv) {
  const pid_t pid = Spawn(argv, "", -1);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunForOutput(const std::vector<std::string>& argv) {
  int fds[2];
  if (pipe(fds) != 0) Fail("pipe failed");
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    close(fds[0]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  std::string out;
  char buffer[256];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return out;
}

// CPU seconds the process has used so far, every thread included.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// ---- The game's state traces ---------------------------------------------------------------------------------

// Collects "state=N" and "phase=N" lines from the game's stderr as they come.
class Traces {
 public:
  void Start(int fd) {
    reader_ = std::thread([this, fd] {
      std::string line;
      char c;
      while (read(fd, &c, 1) == 1) {
        if (c != '\n') {
          line.push_back(c);
          continue;
        }
        std::lock_guard<std::mutex> hold(lock_);
        log_.push_back(line);
        const size_t eq = line.find('=');
        if (eq != std::string::npos && (line.compare(0, eq, "state") == 0 || line.compare(0, eq, "phase") == 0)) {
          (line[0] == 's' ? state_ : phase_) = std::atoi(line.c_str() + eq + 1);
          ++changes_;
        }
        line.clear();
      }
      close(fd);
    });
  }
  void Join() {
    if (reader_.joinable()) reader_.join();
  }
  int32_t Phase() const { return phase_; }
  int32_t State() const { return state_; }
  uint64_t Changes() const { return changes_; }
  // Waits up to seconds for test() to hold.
  bool WaitFor(double seconds, const std::function<bool()>& test) const {
    const Clock::time_point start = Clock::now();
    while (!test()) {
      if (SecondsSince(start) > seconds) return false;
      Sleep(0.001);
    }
    return true;
  }
  std::string Tail() {
    std::lock_guard<std::mutex> hold(lock_);
    std::string out;
    for (size_t i = log_.size() > 15 ? log_.size() - 15 : 0; i < log_.size(); ++i) out += "  " + log_[i] + "\n";
    return out;
  }

 private:
  std::thread reader_;
  std::mutex lock_;
  std::vector<std::string> log_;
  std::atomic<int32_t> state_{-1};
  std::atomic<int32_t> phase_{-1};
  std::atomic<uint64_t> changes_{0};
};

// ---- The screen ------------------------------------------------------------------------------------------------

struct Screen {
  Display* display = nullptr;
  Window root = 0;
  sdlbits::Letterbox box = sdlbits::FitPicture(kScreenW, kScreenH, 640, 480);

  POINT ToScreen(int32_t x, int32_t y) const { return sdlbits::PictureToWindow(box, x, y); }
  uint32_t Pixel(int32_t gx, int32_t gy) const {
    const POINT p = ToScreen(gx, gy);
    XImage* image = XGetImage(display, root, p.x, p.y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const auto v = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return v;
  }
  void Move(int32_t gx, int32_t gy) const {
    const POINT p = ToScreen(gx, gy);
    XWarpPointer(display, None, root, 0, 0, 0, 0, p.x, p.y);
    XFlush(display);
  }
};

bool Near(uint32_t a, int64_t b, int32_t tolerance) {
  if (b < 0) return false;
  for (int shift = 0; shift < 24; shift += 8) {
    const int32_t d = static_cast<int32_t>((a >> shift) & 255) - static_cast<int32_t>((b >> shift) & 255);
    if (std::abs(d) > tolerance) return false;
  }
  return true;
}

// Title pixels above the menu bright enough to tell from a black screen.
std::vector<ProfilePoint> TitleProbes(const std::string& game) {
  std::vector<ProfilePoint> probes;
  for (int32_t y = 10; y < 120 && probes.size() < 12; y += 10) {
    for (int32_t x = 20; x < 640 && probes.size() < 12; x += 40) {
      const int64_t c = TitleColorAt(game, x, y);
      if (c >= 0 && ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255) > 120) probes.push_back({x, y});
    }
  }
  if (probes.size() < 3) Fail("the title picture is too dark above the menu to tell it from a black screen");
  return probes;
}

// ---- The run ----------------------------------------------------------------------------------------------------

struct Row {
  std::string activity;
  std::string figure;
};

class Profile {
 public:
  explicit Profile(Options options) : options_(std::move(options)) {}

  void Run() {
    game_ = fs::canonical(options_.game).string();
    if (!ReadHoleOne(game_, &hole_, &error_)) Fail(error_);
    probes_ = TitleProbes(game_);
    if (Near(kMenuFace, TitleColorAt(game_, kMenuProbe.x, kMenuProbe.y), 6)) {
      Fail("the title picture has the menu's grey where the profile looks for the menu");
    }
    StartXvfb();
    WriteSettings();
    StartGame();
    Measure("title menu, nothing touched", [] {});
    StartRound();
    screen_.Move(hole_.pad.x + 60, hole_.pad.y);
    Measure("placing the ball, pointer still", [] {});
    PlaceBall();
    const ProfilePoint aim = AimPoint();
    screen_.Move(aim.x, aim.y);
    Measure("aiming, pointer still", [] {});
    MeasureMoving();
    Rolls();
    ScoreCard();
    Stop();
    Pauses();
    Print();
  }

 private:
  void StartXvfb() {
    int fds[2];
    if (pipe(fds) != 0) Fail("pipe failed");
    xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                   std::to_string(kScreenW) + "x" + std::to_string(kScreenH) + "x24", "-nolisten", "tcp", "-noreset"},
                  "", -1, fds[1]);
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    close(fds[0]);
    if (number.empty()) Fail("Xvfb did not start");
    setenv("DISPLAY", (":" + number).c_str(), 1);
    screen_.display = XOpenDisplay(nullptr);
    if (!screen_.display) Fail("cannot open the Xvfb display");
    screen_.root = DefaultRootWindow(screen_.display);
  }

  void WriteSettings() {
    char pattern[] = "/tmp/quill-profile-XXXXXX";
    if (!mkdtemp(pattern)) Fail("cannot make a work folder");
    work_ = pattern;
    fs::create_directories(work_ / "config/Lindqvarn");
    fs::create_directories(work_ / "home");
    fs::create_directories(work_ / "runtime");
    fs::permissions(work_ / "runtime", fs::perms::owner_all);
    std::ofstream(work_ / "config/Lindqvarn/Kormo1.reg") << FormatSettingsText(
        {{"Music", options_.music ? "Random" : "None"}, {"MusicVol", "1000"}, {"Player 1", "Profile"}});
    setenv("XDG_CONFIG_HOME", (work_ / "config").c_str(), 1);
    setenv("HOME", (work_ / "home").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (work_ / "runtime").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("QUILL_DEBUG", "1", 1);
    unsetenv("WAYLAND_DISPLAY");
  }

  void StartGame() {
    int fds[2];
    if (pipe(fds) != 0) Fail("pipe failed");
    const Clock::time_point start = Clock::now();
    game_pid_ = Spawn({"./" + std::string(kExe)}, game_, fds[1]);
    close(fds[1]);
    traces_.Start(fds[0]);
    double title = -1;
    double menu = -1;
    while (SecondsSince(start) < 15 && (title < 0 || menu < 0)) {
      if (title < 0 && TitleShown()) title = SecondsSince(start);
      if (title >= 0 && menu < 0 && Near(screen_.Pixel(kMenuProbe.x, kMenuProbe.y), kMenuFace, 6)) {
        menu = SecondsSince(start);
      }
      if (waitpid(game_pid_, nullptr, WNOHANG) == game_pid_) Fail("the game ended during start-up\n" + traces_.Tail());
      Sleep(0.001);
    }
    if (menu < 0) Fail("no title picture and menu within 15 s");
    startRows_.push_back({"start to title picture", Format("%.2f s", title)});
    startRows_.push_back({"start to title menu", Format("%.2f s", menu)});
  }

  bool TitleShown() const {
    for (const ProfilePoint& p : probes_) {
      if (!Near(screen_.Pixel(p.x, p.y), TitleColorAt(game_, p.x, p.y), 8)) return false;
    }
    return true;
  }

  void Key(const char* name) { ::Run({"xdotool", "key", name}); }
  void Click() { ::Run({"xdotool", "click", "1"}); }

  void WaitPhase(const std::function<bool(int32_t)>& test, const char* what) {
    if (!traces_.WaitFor(20, [&] { return test(traces_.Phase()); })) {
      Fail(std::string("the game never reached ") + what + "\n" + traces_.Tail());
    }
  }

  void StartRound() {
    Sleep(0.5);  // the menu takes keys after its first tick
    Key("Return");
    WaitPhase([](int32_t p) { return p == 30; }, "placing (play phase 30)");
  }

  void PlaceBall() {
    screen_.Move(hole_.pad.x, hole_.pad.y);
    Sleep(0.3);
    Click();
    WaitPhase([](int32_t p) { return p == 40; }, "aiming (play phase 40)");
  }

  // 200 pixels from the pad toward the cup, kept on the field.
  ProfilePoint AimPoint() const {
    const double dx = hole_.cup.x - hole_.pad.x, dy = hole_.cup.y - hole_.pad.y;
    const double length = std::max(1.0, std::hypot(dx, dy));
    return {std::clamp(static_cast<int32_t>(hole_.pad.x + 200 * dx / length), 0, 639),
            std::clamp(static_cast<int32_t>(hole_.pad.y + 200 * dy / length), 0, 439)};
  }

  // Settles for a second, then takes the CPU share over the profile's seconds while during() runs.
  void Measure(const std::string& activity, const std::function<void()>& during) {
    Sleep(1);
    const Clock::time_point start = Clock::now();
    const double cpu = CpuSeconds(game_pid_);
    do {
      during();
      Sleep(0.002);
    } while (SecondsSince(start) < options_.seconds);
    rows_.push_back({activity, Share(CpuSeconds(game_pid_) - cpu, SecondsSince(start))});
  }

  // The pointer circles the ball 100 times a second, as a hand aiming would.
  void MeasureMoving() {
    const ProfilePoint c = hole_.pad;
    const Clock::time_point start = Clock::now();
    Clock::time_point next = start;
    Measure("aiming, pointer moving", [&] {
      if (Clock::now() < next) return;
      next += std::chrono::milliseconds(10);
      const double a = SecondsSince(start) * 2;
      screen_.Move(std::clamp(static_cast<int32_t>(c.x + 150 * std::cos(a)), 0, 639),
                   std::clamp(static_cast<int32_t>(c.y + 150 * std::sin(a)), 0, 439));
    });
  }

  // Strokes toward the cup until three seconds of rolling are measured, the ball drops, or six strokes.
  void Rolls() {
    const ProfilePoint aim = AimPoint();
    double rolling = 0, cpu = 0;
    int32_t strokes = 0;
    while (rolling < 3 && strokes < 6 && traces_.Phase() == 40) {
      screen_.Move(strokes == 0 ? aim.x : hole_.cup.x, strokes == 0 ? aim.y : hole_.cup.y);
      Sleep(0.3);
      Click();
      WaitPhase([](int32_t p) { return p == 51; }, "a rolling ball (play phase 51)");
      const Clock::time_point start = Clock::now();
      const double before = CpuSeconds(game_pid_);
      WaitPhase([](int32_t p) { return p != 51; }, "the ball at rest");
      cpu += CpuSeconds(game_pid_) - before;
      rolling += SecondsSince(start);
      ++strokes;
      traces_.WaitFor(20, [&] { return traces_.Phase() == 40 || traces_.Phase() == 70; });
      Sleep(0.5);
    }
    rows_.push_back(
        {Format("rolling (%d stroke%s, %.1f s)", strokes, strokes == 1 ? "" : "s", rolling), Share(cpu, rolling)});
  }

  void ScoreCard() {
    screen_.Move(240, 460);
    Sleep(0.3);
    Click();
    WaitPhase([](int32_t p) { return p == 84; }, "the score card (play phase 84)");
    screen_.Move(400, 200);
    Measure("score card", [] {});
  }

  void Stop() {
    if (game_pid_ > 0) {
      kill(game_pid_, SIGTERM);
      for (int i = 0; i < 50 && waitpid(game_pid_, nullptr, WNOHANG) == 0; ++i) Sleep(0.1);
      kill(game_pid_, SIGKILL);
      waitpid(game_pid_, nullptr, 0);
      game_pid_ = -1;
      traces_.Join();
    }
  }

  void Pauses() {
    const fs::path probe = fs::read_symlink("/proc/self/exe").parent_path() / "pause_probe";
    const std::string out = RunForOutput({"timeout", "60", probe.string(), game_, "1500"});
    int pauses = 0, late = 0;
    double mean = 0, p95 = 0, worst = 0;
    if (std::sscanf(out.c_str(), "pauses=%d late_entries=%d mean_ms=%lf p95_ms=%lf max_ms=%lf", &pauses, &late, &mean,
                    &p95, &worst) != 5) {
      Fail("pause_probe printed nothing usable: " + out);
    }
    startRows_.push_back({Format("pause lateness (%d x 2 ms)", pauses),
                          Format("mean %.3f ms, p95 %.3f ms, max %.2f ms, %d entered late", mean, p95, worst, late)});
  }

  void Print() const {
    std::printf("Quillmere CPU profile: Xvfb %dx%d, music %s, %.0f s per activity\n", kScreenW, kScreenH,
                options_.music ? "on" : "off", options_.seconds);
    std::printf("%-34s %s\n", "activity", "CPU (share of one core)");
    for (const Row& r : rows_) std::printf("%-34s %s\n", r.activity.c_str(), r.figure.c_str());
    for (const Row& r : startRows_) std::printf("%-34s %s\n", r.activity.c_str(), r.figure.c_str());
  }

  static std::string Share(double cpu, double seconds) { return Format("%.1f %%", 100 * cpu / seconds); }

  template <typename... Args>
  static std::string Format(const char* format, Args... args) {
    char text[160];
    std::snprintf(text, sizeof text, format, args...);
    return text;
  }

 public:
  void Cleanup() {
    Stop();
    if (screen_.display) XCloseDisplay(screen_.display);
    screen_.display = nullptr;
    if (xvfb_ > 0) {
      kill(xvfb_, SIGTERM);
      waitpid(xvfb_, nullptr, 0);
      xvfb_ = -1;
    }
    if (!work_.empty()) fs::remove_all(work_);
  }

 private:
  Options options_;
  std::string game_;
  std::string error_;
  ProfileHole hole_;
  std::vector<ProfilePoint> probes_;
  fs::path work_;
  pid_t xvfb_ = -1;
  pid_t game_pid_ = -1;
  Screen screen_;
  Traces traces_;
  std::vector<Row> rows_;
  std::vector<Row> startRows_;
};

Profile* gProfile = nullptr;

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--game" && i + 1 < argc) {
      options.game = argv[++i];
    } else if (a == "--seconds" && i + 1 < argc) {
      options.seconds = std::max(1.0, std::atof(argv[++i]));
    } else if (a == "--music") {
      options.music = true;
    } else {
      std::fprintf(stderr, "usage: cpu_profile [--game DIR] [--seconds S] [--music]\n");
      return 2;
    }
  }
  Profile profile(options);
  gProfile = &profile;
  // A failure exits from deep inside the run: the game, Xvfb and the work folder still go.
  std::atexit([] {
    if (gProfile) gProfile->Cleanup();
  });
  profile.Run();
  profile.Cleanup();
  gProfile = nullptr;
  return 0;
}
