// quillmere-sim design: helps a course author place a hole's cup around the demonstration's fixed strokes.
// It plays the hole's script with no cup at all, tracing every stroke; a cup whose funnel lies on each
// player's last scripted stroke and off every earlier one leaves the earlier strokes exactly as traced, so
// the search over cup positions is exact. The best places found are then proved by the real demonstration.
#include "tools/sim/design_command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "green/features.h"
#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/physics.h"
#include "platform/draw/bmp.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "round/demo.h"
#include "round/round_data.h"
#include "round/round_flow.h"
#include "shell/display.h"
#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/hole_source.h"
#include "tools/coursebuild/lzcc_encode.h"
#include "tools/coursebuild/hole_picture.h"

namespace {

struct TracePoint {
  int16_t x, y;
  int32_t speed;
};

struct TracedStroke {
  int32_t player = 0, stroke = 0;
  bool last = false;  // the player's last scripted stroke: it must drop
  std::vector<TracePoint> trace;
  int16_t restX = 0, restY = 0;
  int32_t phase = 0;
};

std::vector<TracedStroke>* gTracing = nullptr;

void RecordStep(const StepRecord& r) {
  gTracing->back().trace.push_back({r.ball.x, r.ball.y, r.ball.speedX + r.ball.speedY});
}

bool WriteHole(const std::string& gameDir, int32_t hole, const CompiledHole& compiled, bool picture) {
  char name[32];
  std::string error;
  std::snprintf(name, sizeof name, "Holes/Hole%02d.H2O", hole);
  if (WriteIfChanged(std::filesystem::path(gameDir) / name, EncodeLzcc(HoleMapBytes(compiled.map)), &error) ==
      WriteOutcome::Failed)
    return false;
  if (!picture) return true;
  std::snprintf(name, sizeof name, "Holes/Hole%02d.HIO", hole);
  return WriteIfChanged(std::filesystem::path(gameDir) / name, EncodeBmp24(DrawHolePicture(compiled.map)), &error) !=
         WriteOutcome::Failed;
}

// Plays the hole's script as the demonstration does, without its checks: every stroke is traced.
std::vector<TracedStroke> TraceScript(const std::string& gameDir, int32_t hole) {
  std::vector<TracedStroke> strokes;
  HeadlessReset(HeadlessConfig{});
  if (!SetCurrentDirectoryA(gameDir.c_str()) || !InitDisplay(0)) return strokes;
  gRound.currentHole = static_cast<int8_t>(hole);
  LoadHole();
  ResetMotionForTest();
  gTracing = &strokes;
  gMotion.stepHook = RecordStep;
  for (int32_t i = 0; kDemoScript[i].hole != 0; ++i) {
    const DemoRecord& r = kDemoScript[i];
    if (r.hole != hole) continue;
    if (r.stroke == 0) {
      ResetSlopeStrength();
      gRound.ball = BallState{static_cast<int16_t>(r.x), static_cast<int16_t>(r.y), 0, 0, 1, 1};
      gRound.strokeCounter = 1;
      continue;
    }
    const bool last = IsLastOfTurn(i);
    strokes.push_back(TracedStroke{r.player, r.stroke, last, {}, 0, 0, 0});
    gRound.aimPoint = POINT{r.x, r.y};
    SetPlayPhase(kPhaseStrike);
    StrikeBall();
    SetPlayPhase(kPhaseRolling);
    RollBall();
    JudgeRest();
    gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter + 1);
    strokes.back().restX = gRound.ball.x, strokes.back().restY = gRound.ball.y;
    strokes.back().phase = gRound.playPhase;
    const bool next = kDemoScript[i + 1].hole == hole && kDemoScript[i + 1].player == r.player;
    if (next && kDemoScript[i + 1].stroke != gRound.strokeCounter)
      std::printf("  player %d: the next record is stroke %d but the counter says %d\n", r.player,
                  kDemoScript[i + 1].stroke, gRound.strokeCounter);
  }
  gMotion.stepHook = nullptr;
  return strokes;
}

struct Candidate {
  int32_t x, y;
  int32_t worstSpeed;  // the fastest of the last strokes where it comes nearest the cup
};

int64_t Distance2(const TracePoint& p, int32_t x, int32_t y) {
  return int64_t{p.x - x} * (p.x - x) + int64_t{p.y - y} * (p.y - y);
}

// Cup places whose funnel every last stroke crosses and no earlier stroke touches.
std::vector<Candidate> FindCandidates(const std::vector<TracedStroke>& strokes, const HoleMap& m, int32_t radius) {
  std::vector<Candidate> found;
  const int64_t keepOut = int64_t{radius + 3} * (radius + 3), reach = int64_t{radius - 3} * (radius - 3);
  for (int32_t y = radius; y < kFieldRows - radius; y += 2)
    for (int32_t x = radius; x < kMapW - radius; x += 2) {
      if (m.CodeAt(x, y) != 3) continue;
      bool ok = true;
      int32_t worst = 0;
      for (const TracedStroke& s : strokes) {
        if (!ok) break;
        int64_t nearest = INT64_MAX;
        int32_t speedThere = 0;
        for (const TracePoint& p : s.trace) {
          const int64_t d = Distance2(p, x, y);
          if (d < nearest) nearest = d, speedThere = p.speed;
        }
        if (s.last) {
          ok = nearest <= reach;
          worst = std::max(worst, speedThere);
        } else {
          ok = nearest > keepOut;
        }
      }
      if (ok) found.push_back({x, y, worst});
    }
  return found;
}

std::string WithoutCup(const std::string& text) {
  std::istringstream in(text);
  std::string out, line;
  while (std::getline(in, line)) {
    const size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line.compare(first, 4, "cup ") == 0) line = "# " + line;
    out += line + "\n";
  }
  return out;
}

bool DemoPlaysOut(const std::string& game, int32_t hole) {
  DemoRun run;
  return PlayDemoRun(game, hole, "", 0, &run) && run.completed;
}

void PrintStrokes(const std::vector<TracedStroke>& strokes) {
  for (const TracedStroke& s : strokes)
    std::printf("  player %d stroke %d%s: %zu steps, rests at (%d, %d)%s\n", s.player, s.stroke, s.last ? " (last)" : "",
                s.trace.size(), s.restX, s.restY, s.phase == kPhaseHoled || s.phase == kPhaseHoleInOne ? ", dropped" : "");
}

// The hole as written, its scripted strokes traced into a file: one line per stroke, "player stroke x,y x,y ...".
int WriteTraces(const std::string& game, int32_t hole, const std::string& source, const std::string& out) {
  std::string error;
  const std::optional<CompiledHole> compiled = CompileHoleFile(source, &error);
  if (!compiled || !WriteHole(game, hole, *compiled, true)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::vector<TracedStroke> strokes = TraceScript(game, hole);
  PrintStrokes(strokes);
  std::FILE* f = std::fopen(out.c_str(), "w");
  if (!f) return 1;
  for (const TracedStroke& s : strokes) {
    std::fprintf(f, "%d %d", s.player, s.stroke);
    for (const TracePoint& p : s.trace) std::fprintf(f, " %d,%d", p.x, p.y);
    std::fprintf(f, "\n");
  }
  std::fclose(f);
  return 0;
}

// '@' becomes the point, and '@(DX,DY)' the point moved by (DX, DY), so a whole feature can move with it.
std::string Substituted(const std::string& text, int32_t x, int32_t y) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '@') {
      out += text[i];
      continue;
    }
    int32_t dx = 0, dy = 0, used = 0;
    if (i + 1 < text.size() && text[i + 1] == '(' && std::sscanf(text.c_str() + i, "@(%d,%d)%n", &dx, &dy, &used) == 2 &&
        used > 0)
      i += static_cast<size_t>(used) - 1;
    out += std::to_string(x + dx) + "," + std::to_string(y + dy);
  }
  return out;
}

// Every '@' (or '@(DX,DY)') in the source stands for one point tried over a grid, nearest the wanted place first; the
// points whose hole the demonstration plays out on are printed.
int Sweep(const SimOptions& o, const std::string& game, int32_t hole, const std::string& text, int32_t show) {
  int32_t x0 = 0, y0 = 0, x1 = 639, y1 = 440, nearX = 320, nearY = 220;
  std::sscanf(o.at("sweep").c_str(), "%d,%d,%d,%d", &x0, &y0, &x1, &y1);
  if (o.count("near")) std::sscanf(o.at("near").c_str(), "%d,%d", &nearX, &nearY);
  const int32_t step = o.count("step") ? std::max(1, std::atoi(o.at("step").c_str())) : 4;
  std::vector<MapPt> points;
  for (int32_t y = y0; y <= y1; y += step)
    for (int32_t x = x0; x <= x1; x += step) points.push_back({x, y});
  auto far = [&](const MapPt& p) { return int64_t{p.x - nearX} * (p.x - nearX) + int64_t{p.y - nearY} * (p.y - nearY); };
  std::stable_sort(points.begin(), points.end(), [&](const MapPt& a, const MapPt& b) { return far(a) < far(b); });
  int32_t proved = 0;
  for (const MapPt& p : points) {
    std::string error;
    const std::optional<CompiledHole> compiled = CompileHoleSource(Substituted(text, p.x, p.y), o.at("source"), &error);
    if (!compiled) continue;  // a point the shapes refuse, such as a cup off the ground
    if (!WriteHole(game, hole, *compiled, false) || !DemoPlaysOut(game, hole)) continue;
    std::printf("  @ = %d,%d\n", p.x, p.y);
    if (++proved >= show) break;
  }
  return proved > 0 ? 0 : 1;
}

}  // namespace

int RunDesign(const SimOptions& o) {
  const int32_t hole = o.count("hole") ? std::atoi(o.at("hole").c_str()) : 0;
  if (!o.count("game") || !o.count("source") || hole < 1 || hole > 18) {
    std::fputs("usage: quillmere-sim design --game SCRATCHDIR --source FILE.hole --hole N [--funnel R] [--near X,Y] [--show K] [--traces OUT]\n"
      "       [--sweep X0,Y0,X1,Y1 [--step S]]\n",
                stderr);
    return 2;
  }
  const std::string game = std::filesystem::absolute(o.at("game")).string();
  const int32_t radius = o.count("funnel") ? std::atoi(o.at("funnel").c_str()) : 14;
  const int32_t show = o.count("show") ? std::atoi(o.at("show").c_str()) : 5;
  if (o.count("traces")) return WriteTraces(game, hole, o.at("source"), o.at("traces"));
  std::ifstream file(o.at("source"), std::ios::binary);
  if (o.count("sweep"))
    return Sweep(o, game, hole, std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()),
                 show);
  const std::string text = WithoutCup(std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
  std::string error;
  const std::optional<CompiledHole> open = CompileHoleSource(text, o.at("source"), &error, false);
  if (!open || !WriteHole(game, hole, *open, true)) {
    std::fprintf(stderr, "%s\n", error.empty() ? "quillmere-sim: cannot write the scratch hole" : error.c_str());
    return 1;
  }
  std::printf("without a cup:\n");
  const std::vector<TracedStroke> strokes = TraceScript(game, hole);
  PrintStrokes(strokes);
  std::vector<Candidate> candidates = FindCandidates(strokes, open->map, radius);
  // The places nearest where the author wants the cup come first, else the gentlest catches.
  int32_t nearX = -1, nearY = -1;
  if (o.count("near")) std::sscanf(o.at("near").c_str(), "%d,%d", &nearX, &nearY);
  auto cost = [&](const Candidate& c) {
    return nearX < 0 ? int64_t{c.worstSpeed} : int64_t{c.x - nearX} * (c.x - nearX) + int64_t{c.y - nearY} * (c.y - nearY);
  };
  std::stable_sort(candidates.begin(), candidates.end(),
                   [&](const Candidate& a, const Candidate& b) { return cost(a) < cost(b); });
  std::printf("%zu places where the funnel meets only the last strokes\n", candidates.size());
  int32_t proved = 0;
  for (size_t i = 0; i < candidates.size() && i < 400 && proved < show; ++i) {
    const Candidate& c = candidates[i];
    const std::string withCup = text + "cup " + std::to_string(c.x) + "," + std::to_string(c.y) + " funnel " +
                                std::to_string(radius) + "\n";
    const std::optional<CompiledHole> cupped = CompileHoleSource(withCup, o.at("source"), &error);
    if (!cupped || !WriteHole(game, hole, *cupped, false) || !DemoPlaysOut(game, hole)) continue;
    std::printf("  cup %d,%d funnel %d  (last strokes pass at speed %d)\n", c.x, c.y, radius, c.worstSpeed);
    ++proved;
  }
  return proved > 0 ? 0 : 1;
}
