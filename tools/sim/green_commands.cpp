// quillmere-sim render and stroke: the green of one hole as a player sees it at the start pad (or its map
// codes in false colour), and one stroke on it with the physics as at program start.
#include "tools/sim/green_commands.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "green/features.h"
#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/physics.h"
#include "green/status.h"
#include "media/picture.h"
#include "media/text.h"
#include "platform/draw/gdi.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/draw/png.h"
#include "platform/system.h"
#include "round/demo.h"
#include "round/round_data.h"
#include "shell/display.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;
constexpr const char* kTitlePicture = "Data\\Title.bmp";
constexpr const char* kBallPicture = "Balls\\Ball1.bmp";
constexpr const char* kFlagPicture = "Balls\\Flag.bmp";

struct Family {
  const char* name;
  COLORREF color;
};

// One colour per family of codes, so a course author can see at a glance what every pixel does.
constexpr Family kFamilies[] = {
    {"open", RGB(0, 0, 0)},          {"start pad", RGB(255, 255, 0)},  {"cup", RGB(255, 255, 255)},
    {"green", RGB(40, 140, 40)},     {"rough wall", RGB(140, 70, 20)}, {"water", RGB(0, 90, 255)},
    {"heavy", RGB(120, 100, 40)},    {"switch", RGB(255, 0, 255)},     {"chute", RGB(255, 128, 0)},
    {"launch/return", RGB(0, 255, 255)}, {"keep speed", RGB(128, 128, 255)}, {"glide", RGB(200, 255, 200)},
    {"bounce back", RGB(255, 0, 0)}, {"slope strength", RGB(160, 160, 160)}, {"slope", RGB(100, 200, 100)},
    {"funnel", RGB(230, 230, 160)},  {"straight wall", RGB(200, 60, 60)},  {"curved wall", RGB(220, 120, 60)},
    {"centre slope", RGB(170, 120, 220)}, {"tunnel", RGB(90, 60, 120)},  {"other", RGB(60, 60, 60)}};

int FamilyOf(uint8_t code) {
  if (code >= kCodeTunnel) return 19;
  switch (code & 0xF0) {
    case kCodeWall: return (code & 0x0F) < 8 ? 16 : 17;
    case kCodeFunnel: return 15;
    case kCodeCentreSlope: return 18;
    case kCodeSlope: return 14;
    default: break;
  }
  switch (code) {
    case kCodeOpen: return 0;
    case kCodeStartPad: return 1;
    case kCodeCup: return 2;
    case kCodeGreen: return 3;
    case kCodeRoughWall: return 4;
    case kCodeWater: return 5;
    case kCodeHeavy: return 6;
    case kCodeCentreOff:
    case kCodeCentreOn: return 7;
    case kCodeChute: return 8;
    case kCodeLaunch:
    case kCodeReturn: return 9;
    case kCodeKeepSpeed: return 10;
    case kCodeGlideStart:
    case kCodeGlideEnd: return 11;
    case kCodeBounceBack: return 12;
    default: return code >= kCodeSlopeStrength ? 13 : 20;
  }
}

// Slopes and centre slopes are shaded by their direction so the fall of the ground shows.
COLORREF CodeColor(uint8_t code) {
  const COLORREF base = kFamilies[FamilyOf(code)].color;
  if ((code & 0xF0) != kCodeSlope && (code & 0xF0) != kCodeCentreSlope) return base;
  const uint32_t shade = 40 + 12 * (code & 0x0F);
  return RGB(GetRValue(base) * shade / 220, GetGValue(base) * shade / 220, GetBValue(base) * shade / 220);
}

void DrawLegend(Surface* surface) {
  DC dc;
  if (!SurfaceGetDC(surface, &dc)) return;
  SetBkMode(&dc, TRANSPARENT);
  SetTextColor(&dc, RGB(0, 0, 0));
  const int32_t columns = 7;
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kFamilies)); ++i) {
    const int32_t x = 4 + (i % columns) * 90;
    const int32_t y = 442 + (i / columns) * 12;
    const RECT swatch{x, y + 2, x + 9, y + 11};
    FillRect(&dc, &swatch, Brush{true, kFamilies[i].color});
    RECT text{x + 12, y, x + 90, y + 12};
    DrawTextA(&dc, kFamilies[i].name, -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  }
  SurfaceReleaseDC(surface, &dc);
}

void PaintCodes(Surface* surface) {
  for (int32_t y = 0; y < 440; ++y) {
    for (int32_t x = 0; x < 640; ++x) SurfaceRow(surface, y)[x] = ColorTo565(CodeColor(MapCodeAt(x, y)));
  }
  DC dc;
  if (SurfaceGetDC(surface, &dc)) {
    const RECT strip{0, 440, 640, 480};
    FillRect(&dc, &strip, LTGRAY_BRUSH);
    SurfaceReleaseDC(surface, &dc);
  }
  DrawLegend(surface);
}

// A file the green needs, as the game names it; when missing, the message names it as found on disk.
bool HaveFile(const char* file, std::string* error) {
  const std::string path = ResolveGamePath(file);
  if (std::filesystem::is_regular_file(path)) return true;
  *error = path + " is missing";
  return false;
}

// The display, the round's pictures and the hole, as they stand when a player's turn begins. On failure
// *error says which file stopped it.
bool LoadGreen(const SimOptions& o, int32_t hole, std::string* error) {
  HeadlessReset(HeadlessConfig{});
  if (hole < 1 || hole > 18) {
    *error = "there are holes 1 to 18";
    return false;
  }
  if (!SetCurrentDirectoryA(o.at("game"))) {
    *error = "the folder cannot be opened";
    return false;
  }
  char picture[32], map[32];
  std::snprintf(picture, sizeof picture, "Holes\\Hole%02d.HIO", hole);
  std::snprintf(map, sizeof map, "Holes\\Hole%02d.H2O", hole);
  for (const char* file :
       {kTitlePicture, static_cast<const char*>(picture), static_cast<const char*>(map), kBallPicture, kFlagPicture}) {
    if (!HaveFile(file, error)) return false;
  }
  *error = "a picture cannot be read";
  if (!InitDisplay(0)) return false;
  gRound.currentHole = static_cast<int8_t>(hole);
  LoadHole();
  gRound.ballPicture = LoadKeyedSurface(kBallPicture);
  gRound.flagPicture = LoadKeyedSurface(kFlagPicture);
  if (!gHole.holePicture || gRound.currentHole != hole || !gRound.ballPicture || !gRound.flagPicture) return false;
  gRound.playerCount = 1;
  gRound.currentPlayer = 1;
  gRound.strokeCounter = 0;
  SetPlayPhase(kPhasePlacing);
  error->clear();
  return true;
}

bool LoadGreenOrSay(const SimOptions& o, int32_t hole) {
  std::string error;
  if (LoadGreen(o, hole, &error)) return true;
  std::fprintf(stderr, "quillmere-sim: hole %d cannot be loaded from %s: %s\n", hole, o.at("game").c_str(),
               error.c_str());
  return false;
}

bool ReadPoint(const SimOptions& o, const char* name, int32_t* x, int32_t* y) {
  const auto it = o.find(name);
  return it != o.end() && std::sscanf(it->second.c_str(), "%d,%d", x, y) == 2;
}

void PrintStep(const StepRecord& r) {
  const BallState& b = r.ball;
  std::printf("{\"x\":%d,\"y\":%d,\"sx\":%d,\"sy\":%d,\"dx\":%d,\"dy\":%d,\"code\":%u}\n", b.x, b.y, b.speedX,
              b.speedY, b.dirX, b.dirY, r.code);
}

void PrintResult(uint32_t startMs) {
  const BallState& b = gRound.ball;
  std::string effects;
  for (const HeadlessSound& sound : HeadlessSounds()) {
    if (sound.action == HeadlessSoundAction::Stop) continue;
    effects += (effects.empty() ? "" : ",") + JsonText(sound.name);
  }
  std::printf(
      "{\"x\":%d,\"y\":%d,\"speed_x\":%d,\"speed_y\":%d,\"dir_x\":%d,\"dir_y\":%d,\"phase\":%d,\"stroke\":%d,"
      "\"replay_allowed\":%d,\"steps\":%u,\"virtual_ms\":%u,\"effects\":[%s]}\n",
      b.x, b.y, b.speedX, b.speedY, b.dirX, b.dirY, gRound.playPhase, gRound.strokeCounter,
      gRound.replayAllowed ? 1 : 0, gMotion.pixelSteps, timeGetTime() - startMs, effects.c_str());
}

}  // namespace

std::string JsonText(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

int RunRender(const SimOptions& o) {
  if (!o.count("game") || !o.count("hole") || !o.count("out")) {
    std::fputs("usage: quillmere-sim render --game DIR --hole N --out FILE.png [--codes]\n", stderr);
    return kExitUsage;
  }
  const std::string out = std::filesystem::absolute(o.at("out")).string();
  if (!LoadGreenOrSay(o, std::atoi(o.at("hole").c_str()))) return kExitFailed;
  Surface* back = gDisplay.backBuffer.get();
  if (o.count("codes")) {
    PaintCodes(back);
  } else {
    RedrawGreen();
  }
  if (!WriteSurfacePng(*back, out)) {
    std::fprintf(stderr, "quillmere-sim: cannot write %s\n", out.c_str());
    return kExitFailed;
  }
  return 0;
}

int RunStroke(const SimOptions& o) {
  int32_t bx = 0, by = 0, ax = 0, ay = 0;
  const int32_t hole = o.count("hole") ? std::atoi(o.at("hole").c_str()) : 0;
  if (!o.count("game") || !ReadPoint(o, "ball", &bx, &by) || !ReadPoint(o, "aim", &ax, &ay)) {
    std::fputs("usage: quillmere-sim stroke --game DIR --hole N --ball X,Y --aim X,Y [--stroke K] [--trace]\n", stderr);
    return kExitUsage;
  }
  if (!LoadGreenOrSay(o, hole)) return kExitFailed;
  InitSound(0);
  for (int32_t i = 0; i < kRoundEffectCount; ++i) gRound.effects[i] = CreateEffectBuffer(kRoundEffectFiles[i]);
  ResetMotionForTest();  // every variable of the motion as the program starts
  gRound.strokeCounter = static_cast<int8_t>(o.count("stroke") ? std::atoi(o.at("stroke").c_str()) : 1);
  gRound.ball = BallState{static_cast<int16_t>(bx), static_cast<int16_t>(by), 0, 0, 1, 1};
  gRound.aimPoint = POINT{ax, ay};
  ResetSlopeStrength();
  if (o.count("trace")) gMotion.stepHook = PrintStep;
  HeadlessAudioReset();
  const uint32_t start = timeGetTime();
  // What the strike, rolling and at-rest phases do, without the round's own counting.
  SetPlayPhase(kPhaseStrike);
  StrikeBall();
  if (gRound.ball.speedX + gRound.ball.speedY < 3) {
    SetPlayPhase(kPhaseAtRest);
  } else {
    SetPlayPhase(kPhaseRolling);
    RollBall();
  }
  if (gRound.playPhase == kPhaseAtRest) JudgeRest();
  PrintResult(start);
  return 0;
}

void ScheduleFrames(const std::string& dir, uint32_t every, uint32_t until) {
  std::filesystem::create_directories(dir);
  for (uint32_t t = 0, n = 0; t <= until && every > 0; t += every, ++n) {
    HeadlessInput in;
    in.time = t;
    in.kind = HeadlessInput::Kind::Screenshot;
    char name[32];
    std::snprintf(name, sizeof name, "/frame%05u.png", n);
    in.path = dir + name;
    HeadlessSchedule(in);
  }
}

namespace {

void PrintDemoRecord(const DemoRecord& r, const DemoOutcome& o) {
  std::printf("{\"hole\":%d,\"player\":%d,\"stroke\":%d,\"target\":[%d,%d],\"matched\":%s,", r.hole, r.player,
              r.stroke, r.x, r.y, o.used ? "true" : "false");
  if (o.used) {
    std::printf("\"rest\":[%d,%d],\"phase\":%d}\n", o.ball.x, o.ball.y, o.phase);
  } else {
    std::printf("\"rest\":null,\"phase\":null}\n");
  }
}

}  // namespace

bool PlayDemoRun(const std::string& game, int32_t hole, const std::string& frames, uint32_t every, DemoRun* run) {
  HeadlessReset(HeadlessConfig{});
  if (!SetCurrentDirectoryA(game) || !InitDisplay(0)) return false;
  InitSound(0);
  // The demonstration's length is not known beforehand; frames past its end are simply never taken.
  if (!frames.empty()) ScheduleFrames(frames, every, 30u * 60u * 1000u);
  run->outcomes.assign(kDemoRecordCount, DemoOutcome{});
  gDemo.recordHook = [run](int32_t index) { run->outcomes[index] = DemoOutcome{true, gRound.ball, gRound.playPhase}; };
  const uint32_t start = timeGetTime();
  RunDemoHole(hole);
  gDemo.recordHook = nullptr;
  run->virtualMs = timeGetTime() - start;
  // Complete: every record of the hole used, and each player's last stroke dropped.
  run->completed = true;
  for (int32_t i = 0; i < kDemoRecordCount; ++i) {
    if (kDemoScript[i].hole != hole) continue;
    const DemoOutcome& o = run->outcomes[i];
    const bool dropped = o.phase == kPhaseHoled || o.phase == kPhaseHoleInOne;
    run->completed = run->completed && o.used && (!IsLastOfTurn(i) || dropped);
  }
  return true;
}

bool IsLastOfTurn(int32_t index) {
  const DemoRecord& r = kDemoScript[index];
  return kDemoScript[index + 1].hole != r.hole || kDemoScript[index + 1].player != r.player;
}

int RunDemo(const SimOptions& o) {
  const int32_t hole = o.count("hole") ? std::atoi(o.at("hole").c_str()) : 0;
  if (!o.count("game") || hole < 1 || hole > 18) {
    std::fputs("usage: quillmere-sim demo --game DIR --hole N [--frames OUT] [--every MS]\n", stderr);
    return kExitUsage;
  }
  const std::string frames = o.count("frames") ? std::filesystem::absolute(o.at("frames")).string() : "";
  const uint32_t every = o.count("every") ? static_cast<uint32_t>(std::atoi(o.at("every").c_str())) : 100;
  DemoRun run;
  if (!PlayDemoRun(o.at("game"), hole, frames, every, &run)) {
    std::fprintf(stderr, "quillmere-sim: cannot open the game folder %s\n", o.at("game").c_str());
    return kExitFailed;
  }
  for (int32_t i = 0; i < kDemoRecordCount; ++i) {
    if (kDemoScript[i].hole == hole) PrintDemoRecord(kDemoScript[i], run.outcomes[i]);
  }
  std::printf("{\"completed\":%s,\"virtual_ms\":%u}\n", run.completed ? "true" : "false", run.virtualMs);
  return run.completed ? 0 : kExitFailed;
}
