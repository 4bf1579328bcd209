// quillmere-sim check: plays each hole headless and says whether a course author may ship it. The strokes are
// the game's own, from the real strike to the real judging; the searches only choose where to aim.
#include "tools/sim/check_command.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "green/features.h"
#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "green/status.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "round/demo.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tools/sim/check_search.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;
constexpr int32_t kParWidth = 12;     // resting places searched further at each level of the par search
constexpr int32_t kDeadWidth = 3;     // and of the search from each random resting place
constexpr int32_t kOverLimit = 3;     // the round's stroke limit: par + 3
constexpr size_t kListedAtMost = 20;  // dead spots and stopped rolls listed by position

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  std::string out(static_cast<size_t>(std::max(0, std::vsnprintf(nullptr, 0, format, args))), '\0');
  std::vsnprintf(out.data(), out.size() + 1, format, again);
  va_end(again);
  va_end(args);
  return out;
}

std::string JsonPoint(int32_t x, int32_t y) { return Format("[%d,%d]", x, y); }

void Fail(CheckResult* r, const std::string& why) {
  r->passed = false;
  r->details.push_back(why);
}

// ---- The demonstration --------------------------------------------------------------------------------------

std::string PhaseText(int32_t phase) {
  if (phase == kPhaseHoleInOne) return "holed in one";
  if (phase == kPhaseHoled) return "holed";
  return "in play";
}

// Each hole is checked as a fresh program would play it: what the demonstration and the strokes touch goes
// back to its start-up state, so a hole's report does not depend on the holes checked before it.
void ResetGameForHole() {
  ResetRoundForTest();
  ResetDemoForTest();
  ResetHoleForTest();
  ResetMotionForTest();
  ResetSpritesForTest();
  ResetStatusForTest();
  ResetShellForTest();
  ResetDisplayForTest();
}

CheckResult CheckDemo(const CheckSettings& s, int32_t hole) {
  CheckResult r("demo");
  ResetGameForHole();
  DemoRun run;
  if (!PlayDemoRun(s.game, hole, "", 0, &run)) {
    Fail(&r, "the game cannot start in the game folder (its Data\\Title.bmp is needed)");
    return r;
  }
  int32_t records = 0;
  int32_t used = 0;
  std::string list;
  for (int32_t i = 0; i < kDemoRecordCount; ++i) {
    const DemoRecord& d = kDemoScript[i];
    if (d.hole != hole) continue;
    const DemoOutcome& o = run.outcomes[i];
    ++records;
    used += o.used ? 1 : 0;
    const bool dropped = o.phase == kPhaseHoled || o.phase == kPhaseHoleInOne;
    std::string what = d.stroke == 0 ? Format("player %d pad (%d,%d): ", d.player, d.x, d.y)
                                     : Format("player %d stroke %d aim (%d,%d): ", d.player, d.stroke, d.x, d.y);
    if (!o.used) {
      what += "not reached";
    } else if (d.stroke == 0) {
      what += Format("placed at (%d,%d)", o.ball.x, o.ball.y);
    } else {
      what += Format("rests at (%d,%d), %s", o.ball.x, o.ball.y, PhaseText(o.phase).c_str());
    }
    if (o.used && d.stroke > 0 && IsLastOfTurn(i) && !dropped) what += "  <- the player's last stroke must drop";
    if (o.used && d.stroke > 0 && !IsLastOfTurn(i) && dropped) what += "  <- drops before the player's last stroke";
    r.details.push_back(what);
    list += Format("%s{\"player\":%d,\"stroke\":%d,\"target\":%s,\"used\":%s,\"rest\":%s,\"phase\":%d}",
                   list.empty() ? "" : ",", d.player, d.stroke, JsonPoint(d.x, d.y).c_str(), o.used ? "true" : "false",
                   o.used ? JsonPoint(o.ball.x, o.ball.y).c_str() : "null", o.used ? o.phase : 0);
  }
  r.passed = run.completed;
  r.summary = Format("%d of %d script records used; %s", used, records,
                     run.completed ? "every player's last stroke drops" : "the demonstration does not play out");
  r.fields = {{"records", Format("%d", records)}, {"used", Format("%d", used)}, {"outcomes", "[" + list + "]"}};
  return r;
}

// ---- The map ------------------------------------------------------------------------------------------------

// What the searches need from a sound map.
struct MapFacts {
  bool playable = false;
  POINT start{0, 0};
};

bool HasMeaning(uint8_t code) {
  if (code >= kCodeSlope) return true;
  switch (code) {
    case kCodeOpen:
    case kCodeStartPad:
    case kCodeCup:
    case kCodeGreen:
    case kCodeRoughWall:
    case kCodeWater:
    case kCodeHeavy:
    case kCodeCentreOff:
    case kCodeCentreOn:
      return true;
    default:
      return (code >= kCodeChute && code <= kCodeBounceBack) || code >= kCodeSlopeStrength;
  }
}

int32_t ReadI32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24));
}

// The file as the reader sees it: magic, output length, payload within the reader's limit, streams that decode.
void CheckMapFile(int32_t hole, CheckResult* r) {
  char path[32];
  std::snprintf(path, sizeof path, "Holes\\Hole%02d.H2O", hole);
  std::vector<uint8_t> bytes;
  if (!ReadGameFile(path, &bytes)) return Fail(r, Format("%s cannot be read", path));
  if (bytes.size() < 20 || std::memcmp(bytes.data(), "LZCC", 4) != 0)
    return Fail(r, Format("%s is no LZCC file", path));
  const int32_t output = ReadI32(bytes, 4);
  const int64_t payload = static_cast<int64_t>(bytes.size()) - 20;
  r->summary = Format("%s: payload %lld bytes, output %d", path, static_cast<long long>(payload), output);
  r->fields.push_back({"payload_bytes", Format("%lld", static_cast<long long>(payload))});
  r->fields.push_back({"output_length", Format("%d", output)});
  if (payload > kLzccPayloadLimit)
    Fail(r, Format("payload %lld bytes, over the reader's 20000", static_cast<long long>(payload)));
  if (output < kMapBytes || output > kStagingBytes) Fail(r, Format("output length %d outside 307200..309200", output));
  std::vector<uint8_t> map;
  if (!DecodeLzcc(bytes.data(), bytes.size(), &map))
    Fail(r, Format("%s does not decode within the reader's limits", path));
}

void CheckFieldCodes(CheckResult* r) {
  int64_t count[256] = {};
  POINT first[256] = {};
  for (int32_t y = 0; y <= kFieldBottom; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) {
      const uint8_t raw = MapRawValue(x, y);
      if (count[raw]++ == 0) first[raw] = POINT{x, y};
    }
  }
  for (int32_t raw = 0; raw < 256; ++raw) {
    if (count[raw] == 0) continue;
    const uint8_t code = gHole.codeTable[raw];
    if (!HasMeaning(code)) {
      Fail(r, Format("raw value %d means code %d, which does nothing: %lld pixels, the first at (%d,%d)", raw, code,
                     static_cast<long long>(count[raw]), first[raw].x, first[raw].y));
    } else if ((code & 0xF0) == kCodeFunnel) {
      const TablePoint p = gHole.cupTable[code & 0x0F];
      if ((p.x == 0 && p.y == 0) || p.x < 0 || p.x > kFieldRight || p.y < 0 || p.y > kFieldBottom) {
        Fail(r, Format("funnel code 0x%02X at (%d,%d) pulls toward (%d,%d), off the field", code, first[raw].x,
                       first[raw].y, p.x, p.y));
      }
    }
  }
}

// The pad pixel nearest the middle of all pad pixels, or (-1, -1) when the hole has no pad.
POINT PadMiddle() {
  int64_t sx = 0, sy = 0, n = 0;
  for (int32_t y = 0; y <= kFieldBottom; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) {
      if (MapCodeAt(x, y) != kCodeStartPad) continue;
      sx += x;
      sy += y;
      ++n;
    }
  }
  POINT best{-1, -1};
  if (n == 0) return best;
  int64_t bestD = -1;
  for (int32_t y = 0; y <= kFieldBottom; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) {
      const int64_t dx = x * n - sx, dy = y * n - sy;
      if (MapCodeAt(x, y) == kCodeStartPad && (bestD < 0 || dx * dx + dy * dy < bestD)) {
        bestD = dx * dx + dy * dy;
        best = POINT{x, y};
      }
    }
  }
  return best;
}

CheckResult CheckMap(const CheckSettings& s, int32_t hole, MapFacts* facts) {
  CheckResult r("map");
  ResetGameForHole();  // no map left over from the demonstration, no screen: the map needs none
  HeadlessReset(HeadlessConfig{});
  if (!SetCurrentDirectoryA(s.game)) {
    Fail(&r, "the game folder cannot be opened");
    return r;
  }
  CheckMapFile(hole, &r);
  if (!r.passed) return r;
  gRound.currentHole = static_cast<int8_t>(hole);
  LoadHole();
  if (!gHole.holePicture || gRound.currentHole != hole) {
    Fail(&r, Format("Holes\\Hole%02d.HIO cannot be loaded: the game skips the hole", hole));
    return r;
  }
  CheckFieldCodes(&r);
  if (gHole.holeSlopeStrength < 0 || gHole.holeSlopeStrength > 9) {
    Fail(&r, Format("hole slope strength %d is outside 0..9: the game takes 1", gHole.holeSlopeStrength));
  }
  int32_t cx = 0, cy = 0;
  CupPoint(&cx, &cy);
  const uint8_t cupCode = MapCodeAt(cx, cy);
  r.details.push_back(Format("cup (%d,%d) on code 0x%02X", cx, cy, cupCode));
  if (!IsHoled(cupCode) || cx < 0 || cx > kFieldRight || cy < 0 || cy > kFieldBottom) {
    Fail(&r, Format("the flag's cup (%d,%d) is not on a cup or funnel pixel", cx, cy));
  }
  const POINT pad = PadMiddle();
  if (pad.x < 0) Fail(&r, "the hole has no start pad");
  facts->start = pad;
  bool firstPad = true;
  for (int32_t i = 0; i < kDemoRecordCount; ++i) {
    const DemoRecord& d = kDemoScript[i];
    if (d.hole != hole || d.stroke != 0) continue;
    const bool onPad = MapCodeAt(d.x, d.y) == kCodeStartPad;
    if (!onPad) Fail(&r, Format("the script's pad point (%d,%d) of player %d is not on the pad", d.x, d.y, d.player));
    // The par search starts where the demonstration's first player puts the ball down.
    if (firstPad && onPad) facts->start = POINT{d.x, d.y};
    firstPad = false;
  }
  facts->playable = pad.x >= 0 && IsHoled(cupCode);
  r.fields.push_back({"cup", JsonPoint(cx, cy)});
  r.fields.push_back({"start", JsonPoint(facts->start.x, facts->start.y)});
  return r;
}

// ---- Par, dead spots and rolls ------------------------------------------------------------------------------

std::string LineJson(const Line& line) {
  std::string out;
  for (const LineStroke& k : line) {
    out += Format("%s{\"stroke\":%d,\"from\":%s,\"aim\":%s,\"rest\":%s,\"phase\":%d}", out.empty() ? "" : ",", k.stroke,
                  JsonPoint(k.from.x, k.from.y).c_str(), JsonPoint(k.aim.x, k.aim.y).c_str(),
                  JsonPoint(k.rest.x, k.rest.y).c_str(), k.phase);
  }
  return "[" + out + "]";
}

CheckResult CheckPar(HoleSearch* search, const TurnState& start, int32_t par) {
  CheckResult r("par");
  const uint64_t before = search->strokes;
  Line line;
  r.passed = FindLine(search, start, par, kParWidth, &line);
  r.played = search->strokes - before;
  r.fields.push_back({"par", Format("%d", par)});
  if (!r.passed) {
    r.summary = Format("no line from (%d,%d) holes out within par %d", start.ball.x, start.ball.y, par);
    if (CupDistance(*search, start.ball.x, start.ball.y) >= kFar) r.summary += ": the map walls the cup off from there";
    return r;
  }
  const int8_t strokes = line.back().stroke;
  r.summary = Format("holes out in %d (par %d) from (%d,%d)", strokes, par, start.ball.x, start.ball.y);
  for (size_t i = 0; i < line.size(); ++i) {
    const LineStroke& k = line[i];
    std::string what = Format("stroke %d from (%d,%d) aim (%d,%d): ", k.stroke, k.from.x, k.from.y, k.aim.x, k.aim.y);
    what += k.phase == kPhaseAtRest ? Format("rests at (%d,%d)", k.rest.x, k.rest.y) : PhaseText(k.phase);
    const int8_t next = i + 1 < line.size() ? line[i + 1].stroke : k.stroke;
    if (next > k.stroke + 1) what += Format(", %d penalty stroke(s)", next - k.stroke - 1);
    r.details.push_back(what);
  }
  r.fields.push_back({"strokes", Format("%d", strokes)});
  r.fields.push_back({"line", LineJson(line)});
  return r;
}

// A small generator of our own, so the random strokes are the same on every run and machine.
struct SplitMix {
  uint64_t state;
  uint32_t Next(uint32_t below) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) % below);
  }
};

// A stroke any player might make: any direction, any strength the aim line allows. Half of all directions
// stay on the field from anywhere on it; a ball off it gets the stroke that does not move it.
POINT RandomAim(SplitMix* random, const BallState& ball) {
  for (int32_t tries = 0; tries < 1000; ++tries) {
    const double angle = 2 * 3.14159265358979323846 * random->Next(3600) / 3600.0;
    const double length = 1 + random->Next(200);
    const POINT aim{ball.x + static_cast<int32_t>(std::lround(length * std::cos(angle))),
                    ball.y + static_cast<int32_t>(std::lround(length * std::sin(angle)))};
    if (IsPlayerAim(ball, aim)) return aim;
  }
  return POINT{ball.x, ball.y};
}

struct StoppedRoll {
  POINT from, aim;
  StrokeResult result;
};

struct RandomPlace {
  TurnState state;
  int32_t struck;  // strokes played to get there, penalties not counted
};

struct RandomPlay {
  std::vector<RandomPlace> places;  // distinct resting places
  std::vector<StoppedRoll> stopped;
  int32_t rolls = 0;
  int32_t holed = 0;
};

// Random strokes from the pad, then one from each place they came to rest.
RandomPlay PlayRandomStrokes(const CheckSettings& s, const TurnState& start, int32_t hole) {
  RandomPlay play;
  SplitMix random{s.seed * 0x100000001B3ull + static_cast<uint64_t>(hole)};
  std::set<StateKey> seen;
  auto strike = [&](const TurnState& from, int32_t struck) {
    const POINT aim = RandomAim(&random, from.ball);
    const StrokeResult r = PlayTurnStroke(from, aim);
    ++play.rolls;
    if (r.end != RollEnd::Rest) play.stopped.push_back({POINT{from.ball.x, from.ball.y}, aim, r});
    if (r.Holed()) {
      ++play.holed;
    } else if (seen.insert(KeyOf(r.after)).second) {
      play.places.push_back({r.after, struck + 1});
    }
  };
  for (int32_t i = 0; i < s.randomStrokes; ++i) strike(start, 0);
  const size_t firstGeneration = play.places.size();
  for (size_t i = 0; i < firstGeneration; ++i) strike(play.places[i].state, play.places[i].struck);
  return play;
}

CheckResult CheckDeadSpots(HoleSearch* search, const RandomPlay& play, int32_t par) {
  CheckResult r("dead spots");
  const uint64_t before = search->strokes;
  std::string dead;
  int32_t deadCount = 0;
  for (const RandomPlace& place : play.places) {
    // A place is judged by the strokes played to reach it: the penalties of random strokes into water are
    // bad luck, not a dead spot. Penalties on the way out do count.
    const int32_t budget = par + kOverLimit - place.struck;
    const BallState& b = place.state.ball;
    Line line;
    if (FindLine(search, place.state, budget, kDeadWidth, &line)) continue;
    ++deadCount;
    if (static_cast<size_t>(deadCount) <= kListedAtMost) {
      const bool walledOff = CupDistance(*search, b.x, b.y) >= kFar;
      r.details.push_back(
          Format("dead: (%d,%d) after %d random stroke(s): %s", b.x, b.y, place.struck,
                 walledOff ? "walled off from the cup" : Format("no line within %d more", budget).c_str()));
    }
    dead += (dead.empty() ? "" : ",") + JsonPoint(b.x, b.y);
  }
  r.passed = deadCount == 0;
  r.played = search->strokes - before;
  r.summary = Format("%zu resting places checked, %d dead (%d random strokes, %d holed)", play.places.size(), deadCount,
                     play.rolls, play.holed);
  r.fields = {{"places", Format("%zu", play.places.size())},
              {"dead", Format("%d", deadCount)},
              {"dead_places", "[" + dead + "]"}};
  return r;
}

CheckResult CheckRolls(const RandomPlay& play) {
  CheckResult r("rolls");
  std::string list;
  for (const StoppedRoll& s : play.stopped) {
    const char* how = s.result.end == RollEnd::TimeGuard ? "the 30-second time guard" : "the no-pause stop";
    if (r.details.size() < kListedAtMost) {
      r.details.push_back(Format("from (%d,%d) aim (%d,%d): stopped at (%d,%d) by %s after %u steps, %u ms", s.from.x,
                                 s.from.y, s.aim.x, s.aim.y, s.result.after.ball.x, s.result.after.ball.y, how,
                                 s.result.steps, s.result.ms));
    }
    list += Format("%s{\"from\":%s,\"aim\":%s,\"stop\":%s}", list.empty() ? "" : ",",
                   JsonPoint(s.from.x, s.from.y).c_str(), JsonPoint(s.aim.x, s.aim.y).c_str(),
                   s.result.end == RollEnd::TimeGuard ? "\"time guard\"" : "\"no-pause stop\"");
  }
  r.passed = play.stopped.empty();
  r.summary = Format("%d random rolls, %zu stopped by a guard", play.rolls, play.stopped.size());
  r.fields = {{"rolls", Format("%d", play.rolls)}, {"stopped", "[" + list + "]"}};
  return r;
}

CheckResult NotRun(const char* name) {
  CheckResult r(name);
  r.passed = false;
  r.summary = "not run: the hole cannot be played";
  return r;
}

// A check that failed before it could say anything else is summed up by its first complaint.
CheckResult Summed(CheckResult r) {
  if (r.summary.empty() && !r.details.empty()) {
    r.summary = r.details.front();
    r.details.erase(r.details.begin());
  }
  return r;
}

// ---- Reports ------------------------------------------------------------------------------------------------

void PrintText(const HoleReport& report) {
  std::printf("Hole %d (par %d): %s\n", report.hole, HolePar(report.hole), report.Passed() ? "passed" : "FAILED");
  for (const CheckResult& c : report.checks) {
    std::printf("  %-11s %-4s %s", c.name.c_str(), c.passed ? "ok" : "FAIL", c.summary.c_str());
    if (c.played > 0) std::printf(" [%llu strokes played]", static_cast<unsigned long long>(c.played));
    std::printf("\n");
    for (const std::string& d : c.details) std::printf("      %s\n", d.c_str());
  }
}

void PrintJson(const HoleReport& report) {
  std::string checks;
  for (const CheckResult& c : report.checks) {
    std::string details;
    for (const std::string& d : c.details) details += (details.empty() ? "" : ",") + JsonText(d);
    checks += Format("%s{\"name\":%s,\"passed\":%s,\"summary\":%s,\"played\":%llu", checks.empty() ? "" : ",",
                     JsonText(c.name).c_str(), c.passed ? "true" : "false", JsonText(c.summary).c_str(),
                     static_cast<unsigned long long>(c.played));
    for (const auto& [name, value] : c.fields) checks += "," + JsonText(name) + ":" + value;
    checks += ",\"details\":[" + details + "]}";
  }
  std::printf("{\"hole\":%d,\"par\":%d,\"passed\":%s,\"checks\":[%s]}\n", report.hole, HolePar(report.hole),
              report.Passed() ? "true" : "false", checks.c_str());
}

}  // namespace

bool HoleReport::Passed() const {
  for (const CheckResult& c : checks) {
    if (!c.passed) return false;
  }
  return true;
}

HoleReport CheckHole(const CheckSettings& s, int32_t hole) {
  HoleReport report;
  report.hole = hole;
  report.checks.push_back(Summed(CheckDemo(s, hole)));
  MapFacts facts;
  report.checks.push_back(Summed(CheckMap(s, hole, &facts)));
  for (const HoleCheck& extra : s.extraChecks) {
    CheckResult r = extra.run(hole);
    if (r.name.empty()) r.name = extra.name;
    report.checks.push_back(Summed(r));
  }
  if (!facts.playable) {
    for (const char* name : {"par", "dead spots", "rolls"}) report.checks.push_back(NotRun(name));
    return report;
  }
  const int8_t par = HolePar(hole);
  PrepareHeadlessPhysics();
  HoleSearch search;
  StartHoleSearch(&search);
  const TurnState start = StartOfTurn(facts.start.x, facts.start.y);
  report.checks.push_back(CheckPar(&search, start, par));
  const RandomPlay play = PlayRandomStrokes(s, start, hole);
  report.checks.push_back(CheckDeadSpots(&search, play, par));
  report.checks.push_back(CheckRolls(play));
  return report;
}

namespace {

// A whole number from 0 to limit, or -1.
int64_t WholeNumber(const std::string& text, int64_t limit) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (text.empty() || text[0] == '-' || *end != 0 || v > static_cast<unsigned long long>(limit)) return -1;
  return static_cast<int64_t>(v);
}

}  // namespace

int RunCheck(const SimOptions& o, std::vector<HoleCheck> extraChecks) {
  const int64_t only = o.count("hole") ? WholeNumber(o.at("hole"), kHoleCount) : 0;
  const int64_t seed = o.count("seed") ? WholeNumber(o.at("seed"), UINT32_MAX) : 1;
  if (!o.count("game") || only < 0 || (o.count("hole") && only == 0) || seed < 0) {
    std::fputs(
        "usage: quillmere-sim check --game DIR [--course DIR] [--hole N] [--seed S] [--json]\n"
        "       N is a hole from 1 to 18, S a whole number (default 1)\n",
        stderr);
    return kExitUsage;
  }
  CheckSettings settings;
  // Each hole enters the folder afresh, so a relative path must not be taken from inside it.
  settings.game = std::filesystem::absolute(o.at("game")).string();
  settings.seed = static_cast<uint32_t>(seed);
  settings.extraChecks = std::move(extraChecks);
  if (!std::filesystem::is_directory(settings.game)) {
    std::fprintf(stderr, "quillmere-sim: cannot open the game folder %s\n", o.at("game").c_str());
    return kExitFailed;
  }
  bool passed = true;
  std::string failed;
  const int32_t first = only ? static_cast<int32_t>(only) : 1;
  const int32_t last = only ? static_cast<int32_t>(only) : kHoleCount;
  for (int32_t hole = first; hole <= last; ++hole) {
    const HoleReport report = CheckHole(settings, hole);
    if (o.count("json")) {
      PrintJson(report);
    } else {
      PrintText(report);
    }
    if (!report.Passed()) failed += Format("%s%d", failed.empty() ? "" : ",", hole);
    passed = passed && report.Passed();
  }
  if (o.count("json")) {
    std::printf("{\"passed\":%s,\"failed_holes\":[%s]}\n", passed ? "true" : "false", failed.c_str());
  } else {
    std::printf("%s\n", passed ? "All checks passed." : ("Failed holes: " + failed).c_str());
  }
  return passed ? 0 : kExitFailed;
}
