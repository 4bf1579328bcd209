// The course checks' searches. A stroke here is the game's own strike, roll and judging on the headless
// backend with no screen and no pictures, so every drawing call finds nothing to draw on and a stroke costs
// only its physics; what the ball does is exactly what it does in play.
#include "tools/sim/check_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include "green/features.h"
#include "green/hole.h"
#include "green/mapcodes.h"
#include "media/picture.h"
#include "media/sound.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "shell/display.h"

namespace {

constexpr int32_t kFieldRows = kFieldBottom + 1;
constexpr int32_t kAimLimitSquared = 200 * 200;
constexpr int32_t kLastAimRow = 439;
constexpr int32_t kStraightCost = 5;  // path lengths in fifths of a pixel: 5 straight, 7 diagonal
constexpr int32_t kDiagonalCost = 7;

// The coarse aims: 48 directions by these lengths of the aim line.
constexpr int32_t kCoarseDirections = 48;
constexpr double kCoarseLengths[] = {4, 7, 11, 16, 22, 30, 40, 52, 68, 88, 112, 140, 170, 200};
constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kCloseSquared = 40 * 40;  // strokes passing this close to the cup are refined
constexpr size_t kCloseRefined = 4;
constexpr int32_t kLearnedReach = 80;  // aims learned from places this near are tried first
constexpr size_t kLearnedTried = 6;
constexpr int32_t kPenaltyWeight = 300 * kStraightCost;

// The headless clock and its record of play phases only grow; a long search starts them afresh now and then.
// Only safe while nothing is on the screen, which belongs to the backend.
constexpr size_t kTraceLimit = 200000;
constexpr uint32_t kClockLimit = 1u << 30;

void KeepBackendSmall() {
  if (gDisplay.primary) return;
  if (HeadlessTraces().size() > kTraceLimit || timeGetTime() > kClockLimit) HeadlessReset(HeadlessConfig{});
}

int32_t Squared(int32_t dx, int32_t dy) { return dx * dx + dy * dy; }

POINT PolarAim(const BallState& b, double angle, double length) {
  return POINT{b.x + static_cast<int32_t>(std::lround(length * std::cos(angle))),
               b.y + static_cast<int32_t>(std::lround(length * std::sin(angle)))};
}

// Whether a ball stepping by (dx, dy) can come onto (x, y). Rough and curved walls, water and bounce-back
// cells always put it back. A straight wall holds only a ball whose velocity runs into its normal, so it lets
// through a step that some velocity could make while not running into it: an axis the step does not move
// along can carry any velocity, one it moves along only velocities of the step's sign. Hole 16's straight
// walls hold only a gliding ball.
bool CanEnter(int32_t x, int32_t y, int32_t dx, int32_t dy) {
  const uint8_t code = MapCodeAt(x, y);
  if (code == kCodeRoughWall || code == kCodeWater || code == kCodeBounceBack) return false;
  if ((code & 0xF0) != kCodeWall || code >= kCodeTunnel) return true;
  if ((code & 0x0F) >= 8) return false;
  if (gRound.currentHole == 16) return true;
  const TablePoint n = gHole.wallTable[code & 0x0F];
  if ((dx == 0 && n.x != 0) || (dy == 0 && n.y != 0)) return true;
  const int32_t along[] = {dx * n.x, dy * n.y};
  return along[0] < 0 || along[1] < 0 || (along[0] == 0 && along[1] == 0);
}

int32_t FieldIndex(int32_t x, int32_t y) { return y * kMapWidth + x; }

// Where a tunnel mouth or the chute puts the ball, or -1.
int32_t TunnelDestination(int32_t x, int32_t y, uint8_t code) {
  TunnelRoute route{};
  if (code >= kCodeTunnel && (code & 7) == ((code >> 3) & 7)) {
    route = FollowTunnel(x, y, code & 7);
  } else if (code == kCodeChute) {
    const ChuteStart start = ChuteEntry(static_cast<int16_t>(y));
    route = FollowTunnel(kChuteX, start.y, start.direction);
  } else {
    return -1;
  }
  if (route.stop != TunnelStop::Result || route.x < 0 || route.x > kFieldRight || route.y < 0 ||
      route.y > kFieldBottom) {
    return -1;
  }
  return FieldIndex(route.x, route.y);
}

struct Trial {
  POINT aim;
  StrokeResult result;
};

// How far a trial moved the stroke counter: one for a ball left in play, and one for each penalty.
int32_t Used(const TurnState& from, const Trial& t) { return t.result.after.stroke - from.stroke; }

// Straight at the cup, with strengths from just reaching it to well past.
std::vector<POINT> DirectAims(const HoleSearch& s, const BallState& b) {
  std::vector<POINT> aims;
  const double dx = s.cupX - b.x;
  const double dy = s.cupY - b.y;
  const double reach = std::sqrt(dx * dx + dy * dy) / 6.0;  // on flat felt a ball travels six times the aim
  const double angle = std::atan2(dy, dx);
  for (double factor : {1.0, 1.1, 1.25, 1.45, 1.7, 2.1, 2.6, 3.3}) {
    for (double turn : {0.0, -0.02, 0.02}) aims.push_back(PolarAim(b, angle + turn, std::min(200.0, reach * factor)));
  }
  return aims;
}

// The strokes of lines found from places nearby: the same aim moved with the ball, and the same aim point.
std::vector<POINT> LearnedAims(const HoleSearch& s, const BallState& b) {
  std::vector<std::pair<int32_t, size_t>> near;
  for (size_t i = 0; i < s.learnedAims.size(); ++i) {
    const POINT p = s.learnedAims[i].first;
    const int32_t d = Squared(p.x - b.x, p.y - b.y);
    if (d <= kLearnedReach * kLearnedReach) near.push_back({d, i});
  }
  std::sort(near.begin(), near.end());
  std::vector<POINT> aims;
  for (size_t n = 0; n < near.size() && n < kLearnedTried; ++n) {
    const auto& [p, aim] = s.learnedAims[near[n].second];
    aims.push_back(POINT{aim.x + b.x - p.x, aim.y + b.y - p.y});
    aims.push_back(aim);
  }
  return aims;
}

std::vector<POINT> CoarseAims(const BallState& b) {
  std::vector<POINT> aims;
  for (int32_t a = 0; a < kCoarseDirections; ++a) {
    for (double length : kCoarseLengths) aims.push_back(PolarAim(b, 2 * kPi * a / kCoarseDirections, length));
  }
  return aims;
}

// Around a promising stroke: the direction turned by up to half a coarse step, the strength from three quarters
// to a third more.
std::vector<POINT> FineAims(const BallState& b, POINT aim) {
  std::vector<POINT> aims;
  const double angle = std::atan2(aim.y - b.y, aim.x - b.x);
  const double length = std::sqrt(static_cast<double>(Squared(aim.x - b.x, aim.y - b.y)));
  const double step = kPi / kCoarseDirections / 4;
  for (int32_t t = -4; t <= 4; ++t) {
    for (double factor : {0.75, 0.85, 0.93, 1.0, 1.07, 1.15, 1.33}) {
      aims.push_back(PolarAim(b, angle + t * step, std::min(200.0, length * factor)));
    }
  }
  return aims;
}

int32_t LineCost(const Line& line) { return line.back().stroke - line.front().stroke + 1; }

// A line remembered from a state with another stroke counter, numbered from `first` on; only whether the
// holing stroke is an ace depends on the number.
Line Renumbered(Line line, int8_t first) {
  const int32_t shift = first - line.front().stroke;
  for (LineStroke& k : line) k.stroke = static_cast<int8_t>(k.stroke + shift);
  LineStroke& last = line.back();
  last.phase = last.stroke == 1 ? kPhaseHoleInOne : kPhaseHoled;
  return line;
}

void Remember(HoleSearch* s, const TurnState& from, const Line& line) {
  Knowledge& k = s->known[KeyOf(from)];
  if (k.line.empty() || LineCost(k.line) > LineCost(line)) k.line = line;
}

// The line known from this state within budget, numbered for it.
bool Known(const HoleSearch& s, const TurnState& from, int32_t budget, Line* line) {
  const auto it = s.known.find(KeyOf(from));
  if (it == s.known.end() || it->second.line.empty() || LineCost(it->second.line) > budget) return false;
  *line = Renumbered(it->second.line, from.stroke);
  return true;
}

LineStroke StrokeOf(const TurnState& from, const Trial& t) {
  return LineStroke{POINT{from.ball.x, from.ball.y}, t.aim, t.result.after.ball, t.result.phase, from.stroke};
}

// Plays the aims a player could make; true with a one-stroke line when one of them holes out within budget.
bool TryAims(HoleSearch* s, const TurnState& from, const std::vector<POINT>& aims, int32_t budget, Line* line,
             std::vector<Trial>* trials) {
  std::vector<POINT> done;
  for (const POINT aim : aims) {
    if (!IsPlayerAim(from.ball, aim)) continue;
    if (std::any_of(done.begin(), done.end(), [&](POINT p) { return p.x == aim.x && p.y == aim.y; })) continue;
    done.push_back(aim);
    const Trial t{aim, PlayTurnStroke(from, aim)};
    ++s->strokes;
    if (t.result.Holed() && Used(from, t) + 1 <= budget) {
      *line = Line{StrokeOf(from, t)};
      s->learnedAims.push_back({POINT{from.ball.x, from.ball.y}, aim});
      Remember(s, from, *line);
      return true;
    }
    if (trials) trials->push_back(t);
  }
  return false;
}

// The resting places of the trials, best first by their path length to the cup, one per state and none
// within a few pixels of a better one.
std::vector<const Trial*> Promising(const HoleSearch& s, const TurnState& from, const std::vector<Trial>& trials,
                                    int32_t budget, size_t count) {
  std::vector<const Trial*> order;
  for (const Trial& t : trials) {
    if (!t.result.Holed() && t.result.after.stroke - from.stroke < budget) order.push_back(&t);
  }
  // A penalty stroke weighs as much as a long way round.
  auto h = [&](const Trial* t) {
    const int32_t d = CupDistance(s, t->result.after.ball.x, t->result.after.ball.y);
    return d >= kFar ? kFar : d + kPenaltyWeight * (t->result.after.stroke - from.stroke - 1);
  };
  std::stable_sort(order.begin(), order.end(), [&](const Trial* a, const Trial* b) { return h(a) < h(b); });
  std::vector<const Trial*> chosen;
  for (const Trial* t : order) {
    if (h(t) >= kFar || chosen.size() >= count) break;
    const BallState& b = t->result.after.ball;
    const bool crowded = std::any_of(chosen.begin(), chosen.end(), [&](const Trial* c) {
      return Squared(c->result.after.ball.x - b.x, c->result.after.ball.y - b.y) <= 9;
    });
    if (!crowded) chosen.push_back(t);
  }
  return chosen;
}

bool Failed(HoleSearch* s, const StateKey& key, int32_t budget) {
  Knowledge& k = s->known[key];
  k.failedBudget = std::max(k.failedBudget, budget);
  return false;
}

bool Through(HoleSearch* s, const TurnState& from, const Trial& t, const Line& rest, Line* line) {
  s->learnedAims.push_back({POINT{from.ball.x, from.ball.y}, t.aim});
  *line = Line{StrokeOf(from, t)};
  line->insert(line->end(), rest.begin(), rest.end());
  Remember(s, from, *line);
  return true;
}

// The cheap tries first: straight at the cup, then what worked from places nearby, and with `deeper` the same
// from where those left the ball.
bool QuickLine(HoleSearch* s, const TurnState& from, int32_t budget, bool deeper, Line* line) {
  if (Known(*s, from, budget, line)) return true;
  const int32_t level = deeper ? 2 : 1;
  {
    Knowledge& k = s->known[KeyOf(from)];
    if (k.quickTried >= level) return false;
    k.quickTried = level;
  }
  std::vector<Trial> trials;
  if (TryAims(s, from, DirectAims(*s, from.ball), budget, line, nullptr)) return true;
  if (TryAims(s, from, LearnedAims(*s, from.ball), budget, line, &trials)) return true;
  if (!deeper || budget < 2) return false;
  Line rest;
  for (const Trial& t : trials) {
    if (QuickLine(s, t.result.after, budget - Used(from, t), false, &rest)) return Through(s, from, t, rest, line);
  }
  return false;
}

}  // namespace

size_t StateKeyHash::operator()(const StateKey& k) const {
  uint64_t h = 1469598103934665603ull;
  for (int32_t v : k) h = (h ^ static_cast<uint32_t>(v)) * 1099511628211ull;
  return static_cast<size_t>(h);
}

StateKey KeyOf(const TurnState& s) {
  const MotionState& m = s.motion;
  return StateKey{s.ball.x,
                  s.ball.y,
                  m.resting.x,
                  m.resting.y,
                  m.launch.speedX * 4 + (m.launch.dirX == -1 ? 1 : 0) + (m.launch.dirY == -1 ? 2 : 0),
                  m.launch.speedY,
                  m.slopeStrength,
                  m.tunnelGuard,
                  m.funnelCounter};
}

void PrepareHeadlessPhysics() {
  ReleaseInterface(gHole.holePicture);
  ReleaseInterface(gHole.figurePicture);
  ReleaseInterface(gRound.ballPicture);
  ReleaseInterface(gRound.flagPicture);
  for (EffectPtr& effect : gRound.effects) ReleaseEffect(effect);
  ResetDisplayForTest();
}

TurnState StartOfTurn(int32_t x, int32_t y) {
  TurnState s;
  s.ball = BallState{static_cast<int16_t>(x), static_cast<int16_t>(y), 0, 0, 1, 1};
  gMotion = MotionState{};
  ResetSlopeStrength();
  s.motion = gMotion;
  s.motion.resting = s.ball;
  s.stroke = 1;
  return s;
}

bool IsPlayerAim(const BallState& ball, POINT aim) {
  return aim.x >= 0 && aim.x <= kFieldRight && aim.y >= 0 && aim.y <= kLastAimRow &&
         Squared(aim.x - ball.x, aim.y - ball.y) <= kAimLimitSquared;
}

StrokeResult PlayTurnStroke(const TurnState& from, POINT aim) {
  KeepBackendSmall();
  gRound.ball = from.ball;
  gMotion = from.motion;
  gRound.strokeCounter = from.stroke;
  gRound.aimPoint = aim;
  int32_t hx = 0;
  int32_t hy = 0;
  CupPoint(&hx, &hy);
  StrokeResult r;
  r.nearest = Squared(from.ball.x - hx, from.ball.y - hy);
  bool restedOnGround = false;
  gMotion.stepHook = [&](const StepRecord& step) {
    restedOnGround = gRound.playPhase != kPhaseRolling;
    r.nearest = std::min(r.nearest, Squared(step.ball.x - hx, step.ball.y - hy));
  };
  SetPlayPhase(kPhaseStrike);
  StrikeBall();
  const uint32_t start = timeGetTime();
  if (gRound.ball.speedX + gRound.ball.speedY < 3) {
    SetPlayPhase(kPhaseAtRest);
  } else {
    SetPlayPhase(kPhaseRolling);
    RollBall();
    r.steps = gMotion.pixelSteps;
  }
  r.ms = timeGetTime() - start;
  if (r.steps > 0 && !restedOnGround)
    r.end = r.ms > static_cast<uint32_t>(kRestTimeLimitMs) ? RollEnd::TimeGuard : RollEnd::NoPauseStop;
  if (gRound.playPhase == kPhaseAtRest) JudgeRest();
  r.phase = gRound.playPhase;
  gMotion.stepHook = nullptr;
  if (!r.Holed()) gRound.strokeCounter = static_cast<int8_t>(gRound.strokeCounter + 1);
  r.after = TurnState{gRound.ball, gMotion, gRound.strokeCounter};
  return r;
}

void StartHoleSearch(HoleSearch* s) {
  *s = HoleSearch{};
  CupPoint(&s->cupX, &s->cupY);
  const int32_t cells = kMapWidth * kFieldRows;
  s->distance.assign(cells, kFar);
  // Searched from the cup outwards, so a tunnel is a way from where it comes out back to its mouths.
  std::unordered_multimap<int32_t, int32_t> mouthsByExit;
  for (int32_t y = 0; y < kFieldRows; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) {
      const int32_t exit = TunnelDestination(x, y, MapCodeAt(x, y));
      if (exit >= 0) mouthsByExit.emplace(exit, FieldIndex(x, y));
    }
  }
  if (s->cupX < 0 || s->cupX > kFieldRight || s->cupY < 0 || s->cupY > kFieldBottom) return;
  using Entry = std::pair<int32_t, int32_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
  const int32_t cup = FieldIndex(s->cupX, s->cupY);
  s->distance[cup] = 0;
  queue.push({0, cup});
  while (!queue.empty()) {
    const int32_t d = queue.top().first;
    const int32_t i = queue.top().second;
    queue.pop();
    if (d != s->distance[i]) continue;
    auto reach = [&](int32_t j, int32_t cost) {
      if (d + cost < s->distance[j]) {
        s->distance[j] = d + cost;
        queue.push({d + cost, j});
      }
    };
    // Every place from which one pixel step comes onto this one.
    const int32_t x = i % kMapWidth;
    const int32_t y = i / kMapWidth;
    for (int32_t dir = 0; dir < 8; ++dir) {
      const int32_t px = x - kStepX[dir];
      const int32_t py = y - kStepY[dir];
      if (px < 0 || px > kFieldRight || py < 0 || py > kFieldBottom || !CanEnter(x, y, kStepX[dir], kStepY[dir]))
        continue;
      reach(FieldIndex(px, py), (dir & 1) ? kDiagonalCost : kStraightCost);
    }
    const auto [first, last] = mouthsByExit.equal_range(i);
    for (auto it = first; it != last; ++it) reach(it->second, 0);
  }
}

int32_t CupDistance(const HoleSearch& s, int32_t x, int32_t y) {
  if (x < 0 || x > kFieldRight || y < 0 || y > kFieldBottom || s.distance.empty()) return kFar;
  return s.distance[FieldIndex(x, y)];
}

bool FindLine(HoleSearch* s, const TurnState& from, int32_t budget, int32_t width, Line* line) {
  // No stroke gets a ball to the cup from a place the map walls off from it.
  if (budget < 1 || CupDistance(*s, from.ball.x, from.ball.y) >= kFar) return false;
  const StateKey key = KeyOf(from);
  if (Known(*s, from, budget, line)) return true;
  if (s->known[key].failedBudget >= budget) return false;
  if (QuickLine(s, from, budget, true, line)) return true;
  std::vector<Trial> trials;
  if (TryAims(s, from, CoarseAims(from.ball), budget, line, &trials)) return true;
  const size_t wide = static_cast<size_t>(width);
  Line rest;
  // A second stroke that holes out from where a first one left the ball is the commonest line: try it cheaply
  // on the best places before refining anything.
  auto quickThrough = [&]() {
    for (const Trial* t : Promising(*s, from, trials, budget, std::max<size_t>(wide, 8))) {
      if (QuickLine(s, t->result.after, budget - Used(from, *t), false, &rest)) return Through(s, from, *t, rest, line);
    }
    return false;
  };
  if (budget >= 2 && quickThrough()) return true;
  // Refine the strokes that passed closest to the cup, and those that left the ball best placed: landing in
  // the mouth of a narrow way is as fine a matter as holing out.
  std::vector<POINT> finer;
  std::vector<const Trial*> close;
  for (const Trial& t : trials) {
    if (t.result.nearest <= kCloseSquared) close.push_back(&t);
  }
  std::stable_sort(close.begin(), close.end(),
                   [](const Trial* a, const Trial* b) { return a->result.nearest < b->result.nearest; });
  close.resize(std::min<size_t>(close.size(), kCloseRefined));
  if (budget >= 2) {
    for (const Trial* t : Promising(*s, from, trials, budget, wide)) close.push_back(t);
  }
  for (const Trial* t : close) {
    const std::vector<POINT> aims = FineAims(from.ball, t->aim);
    finer.insert(finer.end(), aims.begin(), aims.end());
  }
  if (TryAims(s, from, finer, budget, line, &trials)) return true;
  if (budget < 2) return Failed(s, key, budget);
  if (quickThrough()) return true;
  const std::vector<const Trial*> children = Promising(*s, from, trials, budget, wide);
  for (const Trial* t : children) {
    if (FindLine(s, t->result.after, budget - Used(from, *t), std::max(1, width / 2), &rest)) {
      return Through(s, from, *t, rest, line);
    }
  }
  return Failed(s, key, budget);
}
