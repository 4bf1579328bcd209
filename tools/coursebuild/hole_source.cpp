// The hole source compiler: statements are read line by line; ground shapes paint code and look together in
// the order written, then the border walls are grown, then curved walls, tunnel cells and scenery follow.
#include "tools/coursebuild/hole_source.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "tools/coursebuild/raster.h"

namespace {

constexpr const char* kDirectionNames[8] = {"e", "se", "s", "sw", "w", "nw", "n", "ne"};

struct GroundKind {
  const char* name;
  uint8_t code;
  uint8_t look;
  enum Arg : uint8_t { kNone, kDirection8, kDirection16, kEntry, kStrengthLevel } arg;
};

// The ground an author paints, and how its argument (if any) makes the code.
constexpr GroundKind kGroundKinds[] = {
    {"felt", 3, kFelt, GroundKind::kNone},
    {"pad", 1, kPadMat, GroundKind::kNone},
    {"water", 9, kWaterLook, GroundKind::kNone},
    {"sand", 10, kSand, GroundKind::kNone},
    {"void", 0, kVoid, GroundKind::kNone},
    {"wall", 0xA0, kWall, GroundKind::kNone},
    {"rough", 4, kRock, GroundKind::kNone},
    {"switch-on", 14, kSwitchOn, GroundKind::kNone},
    {"switch-off", 13, kSwitchOff, GroundKind::kNone},
    {"strength-reset", 127, kStrength, GroundKind::kNone},
    {"chute", 20, kChuteLook, GroundKind::kNone},
    {"launch", 21, kLaunchLook, GroundKind::kNone},
    {"return", 22, kReturnLook, GroundKind::kNone},
    {"keep-speed", 23, kIce, GroundKind::kNone},
    {"glide-start", 24, kBridge, GroundKind::kNone},
    {"glide-end", 25, kBridge, GroundKind::kNone},
    {"bounce", 26, kBumper, GroundKind::kNone},
    {"slope", 0x80, kSlopeLook, GroundKind::kDirection16},
    {"funnel", 0x90, kFunnelLip, GroundKind::kEntry},
    {"bowl", 0xB0, kBowlLook, GroundKind::kEntry},
    {"hump", 0xB0, kHumpLook, GroundKind::kEntry},
    {"mouth", 0xC0, kMouth, GroundKind::kDirection8},
    {"strength", 120, kStrength, GroundKind::kStrengthLevel},
};

constexpr const char* kLookNames[kLookCount] = {
    "void",   "felt",  "wall",   "rock",   "pad",      "cup",      "funnel",   "water", "sand",   "slope",
    "bowl",   "switch-on", "switch-off", "strength", "mouth", "bridge", "launch", "return", "bumper", "ice",
    "chute",  "teleport",  "outlet",     "flowers",  "bed",   "pipe",   "pipe-wall", "gate", "arrow", "hump"};

// A statement's words, and where it stands, for messages.
class Line {
 public:
  Line(std::vector<std::string> words, std::string where) : words_(std::move(words)), where_(std::move(where)) {}

  size_t size() const { return words_.size(); }
  const std::string& operator[](size_t i) const { return words_[i]; }
  const std::string& where() const { return where_; }

 private:
  std::vector<std::string> words_;
  std::string where_;
};

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(const Line& line, const std::string& what) { throw Failure{line.where() + what}; }

int32_t Number(const Line& line, size_t i, int32_t lo, int32_t hi, const char* what) {
  if (i >= line.size()) Fail(line, std::string("missing ") + what);
  const std::string& w = line[i];
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
  if (ec != std::errc() || end != w.data() + w.size()) Fail(line, "'" + w + "' is not a whole number (" + what + ")");
  if (v < lo || v > hi)
    Fail(line, std::string(what) + " " + w + " is outside " + std::to_string(lo) + " to " + std::to_string(hi));
  return v;
}

MapPt Point(const Line& line, size_t i) {
  if (i >= line.size()) Fail(line, "missing a point X,Y");
  const std::string& w = line[i];
  const size_t comma = w.find(',');
  if (comma == std::string::npos) Fail(line, "'" + w + "' is not a point X,Y");
  const Line parts({w.substr(0, comma), w.substr(comma + 1)}, line.where());
  return {Number(parts, 0, -1000, 2000, "x"), Number(parts, 1, -1000, 2000, "y")};
}

int32_t Direction8(const Line& line, size_t i) {
  if (i >= line.size()) Fail(line, "missing a direction (e, se, s, sw, w, nw, n, ne)");
  for (int32_t d = 0; d < 8; ++d)
    if (line[i] == kDirectionNames[d]) return d;
  Fail(line, "'" + line[i] + "' is not a direction (e, se, s, sw, w, nw, n, ne)");
}

// A compass name gives its even 16-step direction; a number 0..15 gives any, odd ones included.
int32_t Direction16(const Line& line, size_t i) {
  if (i < line.size() && !line[i].empty() && line[i][0] >= '0' && line[i][0] <= '9')
    return Number(line, i, 0, 15, "direction");
  return 2 * Direction8(line, i);
}

// A shape: whether a pixel centre lies inside, and the box that holds it.
struct Shape {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::function<bool(int32_t, int32_t)> inside;
  std::vector<MapPt> outline;  // for scenery areas: the polygon, or a ring of points round a curve
};

std::vector<MapPt> Points(const Line& line, size_t from, size_t least) {
  std::vector<MapPt> points;
  for (size_t i = from; i < line.size() && line[i] != "as"; ++i) points.push_back(Point(line, i));
  if (points.size() < least) Fail(line, "needs at least " + std::to_string(least) + " points");
  return points;
}

bool InPolygon(const std::vector<MapPt>& p, int32_t x, int32_t y) {
  const int64_t px = 2 * x + 1, py = 2 * y + 1;
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
    const int64_t xi = 2 * int64_t{p[i].x}, yi = 2 * int64_t{p[i].y}, xj = 2 * int64_t{p[j].x}, yj = 2 * int64_t{p[j].y};
    if ((yi > py) == (yj > py)) continue;
    const int64_t lhs = (px - xi) * (yj - yi), rhs = (xj - xi) * (py - yi);
    if (yj > yi ? lhs < rhs : lhs > rhs) in = !in;
  }
  return in;
}

// Within width / 2 of the polyline, measured from the pixel centre, in doubled units.
bool NearPath(const std::vector<MapPt>& p, int32_t width, int32_t x, int32_t y) {
  const int64_t px = 2 * x + 1, py = 2 * y + 1, w2 = int64_t{width} * width;
  for (size_t i = 0; i + 1 < p.size(); ++i) {
    const int64_t ax = 2 * p[i].x, ay = 2 * p[i].y, bx = 2 * p[i + 1].x, by = 2 * p[i + 1].y;
    const int64_t vx = bx - ax, vy = by - ay, wx = px - ax, wy = py - ay;
    const int64_t len2 = vx * vx + vy * vy, t = vx * wx + vy * wy;
    if (t <= 0 || len2 == 0) {
      if (wx * wx + wy * wy <= w2) return true;
    } else if (t >= len2) {
      if ((px - bx) * (px - bx) + (py - by) * (py - by) <= w2) return true;
    } else {
      const int64_t cross = vx * wy - vy * wx;
      if (cross * cross <= w2 * len2) return true;
    }
  }
  return false;
}

// Angles in degrees clockwise from east (y grows downwards); the sector runs from a0 to a1.
bool InSector(int64_t dx, int64_t dy, int32_t a0, int32_t a1) {
  const int32_t t0 = a0 * 4096 / 360, t1 = a1 * 4096 / 360;
  const int64_t u0x = raster::Cos1024(t0), u0y = raster::Sin1024(t0), u1x = raster::Cos1024(t1),
                u1y = raster::Sin1024(t1);
  const int32_t span = ((a1 - a0) % 360 + 360) % 360;
  const bool afterStart = u0x * dy - u0y * dx >= 0, beforeEnd = dx * u1y - dy * u1x >= 0;
  if (span == 0) return true;
  return span <= 180 ? afterStart && beforeEnd : afterStart || beforeEnd;
}

std::vector<MapPt> RingOutline(int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
  std::vector<MapPt> ring;
  for (int32_t k = 0; k < 32; ++k)
    ring.push_back({cx + rx * raster::Cos1024(k * 128) / 1024, cy + ry * raster::Sin1024(k * 128) / 1024});
  return ring;
}

// Reads the shape that starts at word i.
Shape ReadShape(const Line& line, size_t i) {
  if (i >= line.size()) Fail(line, "missing a shape (rect, circle, ellipse, polygon, path, arc)");
  const std::string& kind = line[i];
  Shape s;
  if (kind == "rect") {
    const MapPt a = Point(line, i + 1), b = Point(line, i + 2);
    if (b.x <= a.x || b.y <= a.y) Fail(line, "a rect runs from its top-left corner to its bottom-right one");
    s = {a.x, a.y, b.x, b.y, [](int32_t, int32_t) { return true; }, {a, {b.x, a.y}, b, {a.x, b.y}}};
  } else if (kind == "circle" || kind == "ellipse") {
    const MapPt c = Point(line, i + 1);
    MapPt r{};
    if (kind == "circle") {
      r.x = r.y = Number(line, i + 2, 1, 1000, "radius");
    } else {
      r = Point(line, i + 2);
      if (r.x < 1 || r.y < 1) Fail(line, "an ellipse's radii must be at least 1");
    }
    s = {c.x - r.x, c.y - r.y, c.x + r.x + 1, c.y + r.y + 1,
         [=](int32_t x, int32_t y) { return raster::InEllipse(x, y, c.x, c.y, r.x, r.y); },
         RingOutline(c.x, c.y, r.x, r.y)};
  } else if (kind == "polygon") {
    std::vector<MapPt> p = Points(line, i + 1, 3);
    s.x0 = s.y0 = 2000, s.x1 = s.y1 = -1000;
    for (const MapPt q : p)
      s.x0 = std::min(s.x0, q.x), s.y0 = std::min(s.y0, q.y), s.x1 = std::max(s.x1, q.x + 1), s.y1 = std::max(s.y1, q.y + 1);
    s.inside = [p](int32_t x, int32_t y) { return InPolygon(p, x, y); };
    s.outline = std::move(p);
  } else if (kind == "path") {
    const int32_t width = Number(line, i + 1, 1, 400, "path width");
    std::vector<MapPt> p = Points(line, i + 2, 2);
    s.x0 = s.y0 = 2000, s.x1 = s.y1 = -1000;
    for (const MapPt q : p)
      s.x0 = std::min(s.x0, q.x - width), s.y0 = std::min(s.y0, q.y - width), s.x1 = std::max(s.x1, q.x + width + 1),
      s.y1 = std::max(s.y1, q.y + width + 1);
    s.inside = [p, width](int32_t x, int32_t y) { return NearPath(p, width, x, y); };
    s.outline = std::move(p);
  } else if (kind == "arc") {
    const MapPt c = Point(line, i + 1);
    const int32_t r0 = Number(line, i + 2, 0, 1000, "inner radius"), r1 = Number(line, i + 3, 1, 1000, "outer radius");
    const int32_t a0 = Number(line, i + 4, -360, 720, "start angle"), a1 = Number(line, i + 5, -360, 720, "end angle");
    if (r1 <= r0) Fail(line, "an arc's outer radius must be larger than its inner one");
    s = {c.x - r1, c.y - r1, c.x + r1 + 1, c.y + r1 + 1,
         [=](int32_t x, int32_t y) {
           const int64_t dx = x - c.x, dy = y - c.y, d2 = dx * dx + dy * dy;
           return d2 >= int64_t{r0} * r0 && d2 <= int64_t{r1} * r1 && InSector(dx, dy, a0, a1);
         },
         RingOutline(c.x, c.y, r1, r1)};
  } else {
    Fail(line, "'" + kind + "' is not a shape (rect, circle, ellipse, polygon, path, arc)");
  }
  return s;
}

// Words of a shape statement after the shape: "as LOOK" or nothing.
uint8_t LookOverride(const Line& line, uint8_t look) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != "as") continue;
    if (i + 2 != line.size()) Fail(line, "'as' takes one look name, at the end of the line");
    for (int32_t l = 0; l < kLookCount; ++l)
      if (line[i + 1] == kLookNames[l]) return static_cast<uint8_t>(l);
    Fail(line, "'" + line[i + 1] + "' is not a look");
  }
  return look;
}

const GroundKind* FindGround(const std::string& word) {
  for (const GroundKind& g : kGroundKinds)
    if (word == g.name) return &g;
  return nullptr;
}

class Compiler {
 public:
  explicit Compiler(CompiledHole* hole) : hole_(hole), m_(hole->map) {}

  void Statement(const Line& line) {
    const std::string& word = line[0];
    if (const GroundKind* g = FindGround(word)) return Ground(line, *g);
    if (word == "par") return Once(line, &havePar_), void(hole_->par = Number(line, 1, 1, 9, "par"));
    if (word == "name") return Name(line);
    if (word == "border") return Border(line);
    if (word == "rough-border") return Words(line, 1), void(m_.roughWalls = true);
    if (word == "wall-thickness") return Once(line, &haveThickness_), void(thickness_ = Number(line, 1, 1, 30, "thickness"));
    if (word == "slope-strength") return Words(line, 2), void(m_.slopeStrength = static_cast<int16_t>(Number(line, 1, 0, 9, "slope strength")));
    if (word == "centre") return Words(line, 3), void(m_.centre[Number(line, 1, 0, 15, "centre entry")] = Point(line, 2));
    if (word == "cup") return Cup(line);
    if (word == "curve" || word == "tunnel") return later_.push_back(line);
    if (word == "scenery") return Scenery(line);
    Fail(line, "'" + word + "' is not a statement this compiler knows");
  }

  void Finish(const std::string& file, bool needCup) {
    const Line end({}, file + ": ");
    if (!havePar_) Fail(end, "the hole has no par");
    if (needCup && !haveCup_) Fail(end, "the hole has no cup");
    bool pad = false;
    for (const uint8_t c : m_.code) pad = pad || c == 1;
    if (!pad) Fail(end, "the hole has no start pad");
    m_.Walls(thickness_);
    for (const auto& relook : relooks_) {
      const Shape& s = relook.first;
      m_.ForEach(s.x0, s.y0, s.x1, s.y1, s.inside, [&](int32_t x, int32_t y) {
        if ((m_.CodeAt(x, y) & 0xF0) == 0xA0) m_.look[static_cast<size_t>(y) * kMapW + x] = relook.second;
      });
    }
    for (const Line& line : later_) line[0] == "curve" ? Curve(line) : Tunnel(line);
  }

 private:
  static void Words(const Line& line, size_t n) {
    if (line.size() != n) Fail(line, "'" + line[0] + "' takes " + std::to_string(n - 1) + " value(s)");
  }
  static void Once(const Line& line, bool* seen) {
    if (*seen) Fail(line, "'" + line[0] + "' is given twice");
    *seen = true;
  }

  void Name(const Line& line) {
    hole_->name.clear();
    for (size_t i = 1; i < line.size(); ++i) hole_->name += (i > 1 ? " " : "") + line[i];
  }

  void Border(const Line& line) {
    Words(line, 2);
    if (line[1] == "wood") m_.border = ::Border::Wood;
    else if (line[1] == "stone") m_.border = ::Border::Stone;
    else if (line[1] == "brick") m_.border = ::Border::Brick;
    else Fail(line, "a border is wood, stone or brick, not '" + line[1] + "'");
  }

  void Ground(const Line& line, const GroundKind& g) {
    uint8_t code = g.code;
    size_t at = 1;
    // A wall may carry its normal, wall table entry 0..7; otherwise it faces the ground beside it.
    const bool fixedNormal = code == 0xA0 && line.size() > 1 && !line[1].empty() && line[1][0] >= '0' && line[1][0] <= '9';
    if (fixedNormal) code = static_cast<uint8_t>(0xA0 + Number(line, at++, 0, 7, "wall normal"));
    switch (g.arg) {
      case GroundKind::kNone: break;
      case GroundKind::kDirection8: {
        const int32_t d = Direction8(line, at++);
        code = static_cast<uint8_t>(code | d << 3 | d);
        break;
      }
      case GroundKind::kDirection16: code = static_cast<uint8_t>(code + Direction16(line, at++)); break;
      case GroundKind::kEntry: code = static_cast<uint8_t>(code + Number(line, at++, 0, 15, "table entry")); break;
      case GroundKind::kStrengthLevel: code = static_cast<uint8_t>(code + Number(line, at++, 0, 6, "strength")); break;
    }
    const Shape s = ReadShape(line, at);
    const uint8_t look = LookOverride(line, g.look);
    // A wall takes its normal from the ground beside it once the border has grown; drawn otherwise, it is
    // painted as a wall until then.
    const bool relook = g.code == 0xA0 && look != kWall;
    m_.Paint(s.x0, s.y0, s.x1, s.y1, s.inside, code, relook ? static_cast<uint8_t>(kWall) : look);
    if (relook) relooks_.push_back({s, look});
    if (g.code == 0xA0)
      m_.ForEach(s.x0, s.y0, s.x1, s.y1, s.inside,
                 [&](int32_t x, int32_t y) { m_.fixedNormal[static_cast<size_t>(y) * kMapW + x] = fixedNormal; });
  }

  void Cup(const Line& line) {
    const MapPt c = Point(line, 1);
    int32_t radius = 14, entry = 0;
    for (size_t i = 2; i < line.size(); i += 2) {
      if (line[i] == "funnel") radius = Number(line, i + 1, 4, 200, "funnel radius");
      else if (line[i] == "entry") entry = Number(line, i + 1, 0, 15, "cup entry");
      else Fail(line, "a cup takes 'funnel R' and 'entry N', not '" + line[i] + "'");
    }
    if (!m_.OnField(c.x, c.y) || !IsGroundCode(m_.CodeAt(c.x, c.y))) Fail(line, "the cup must lie on ground");
    m_.Cup(c.x, c.y, entry, radius);
    haveCup_ = haveCup_ || entry == 0 || entry == 15;
  }

  // curve N CX,CY SHAPE: the walls inside the shape curve round the centre, wall table entry 8 + N.
  void Curve(const Line& line) {
    const int32_t n = Number(line, 1, 0, 7, "curve entry");
    const MapPt c = Point(line, 2);
    const Shape s = ReadShape(line, 3);
    m_.CurvedWalls(c.x, c.y, n, [&](int32_t x, int32_t y) {
      return x >= s.x0 && x < s.x1 && y >= s.y0 && y < s.y1 && s.inside(x, y);
    });
  }

  // tunnel F E X,Y [X,Y]: a hidden cell of directions f and e, or a straight row of them between two points.
  void Tunnel(const Line& line) {
    const int32_t f = Direction8(line, 1), e = Direction8(line, 2);
    const MapPt a = Point(line, 3), b = line.size() > 4 ? Point(line, 4) : a;
    if (line.size() > 5) Fail(line, "a tunnel cell takes one point, or two for a row of cells");
    if (a.x != b.x && a.y != b.y && std::abs(a.x - b.x) != std::abs(a.y - b.y))
      Fail(line, "a row of tunnel cells runs straight or at 45 degrees");
    const int32_t n = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
    for (int32_t k = 0; k <= n; ++k) {
      const int32_t x = a.x + (n ? (b.x - a.x) * k / n : 0), y = a.y + (n ? (b.y - a.y) * k / n : 0);
      if (x < 0 || x >= kMapW || y < 0 || y >= kFieldRows) Fail(line, "a tunnel cell lies off the field");
      m_.Hidden(x, y, static_cast<uint8_t>(0xC0 | f << 3 | e));
    }
  }

  void Scenery(const Line& line) {
    if (line.size() < 2) Fail(line, "missing the kind of scenery");
    SceneryItem item;
    if (!SceneryKindNamed(line[1], &item.kind)) Fail(line, "'" + line[1] + "' is not a kind of scenery");
    if (IsSceneryArea(item.kind)) {
      item.points = ReadShape(line, 2).outline;
    } else if (IsSceneryPath(item.kind)) {
      item.size = Number(line, 2, 1, 200, "width");
      item.points = Points(line, 3, 2);
    } else {
      Words(line, 4);
      item.points = {Point(line, 2)};
      item.size = Number(line, 3, 0, 400, "size");
    }
    m_.scenery.push_back(std::move(item));
  }

  CompiledHole* hole_;
  HoleMap& m_;
  bool havePar_ = false, haveCup_ = false, haveThickness_ = false;
  int32_t thickness_ = 6;
  std::vector<Line> later_;
  std::vector<std::pair<Shape, uint8_t>> relooks_;
};

std::vector<std::string> SplitWords(std::string_view s) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r')) ++i;
    if (i >= s.size() || s[i] == '#') break;
    const size_t start = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '\r') ++i;
    words.emplace_back(s.substr(start, i - start));
  }
  return words;
}

}  // namespace

std::optional<CompiledHole> CompileHoleSource(std::string_view text, const std::string& fileName, std::string* error,
                                              bool needCup) {
  CompiledHole hole;
  Compiler compiler(&hole);
  try {
    for (int32_t number = 1; !text.empty(); ++number) {
      const size_t end = text.find('\n');
      std::vector<std::string> words = SplitWords(text.substr(0, end));
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (!words.empty()) compiler.Statement(Line(std::move(words), fileName + ":" + std::to_string(number) + ": "));
    }
    compiler.Finish(fileName, needCup);
  } catch (const Failure& f) {
    *error = f.message;
    return std::nullopt;
  }
  return hole;
}

std::optional<CompiledHole> CompileHoleFile(const std::filesystem::path& path, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = path.string() + ": cannot be read";
    return std::nullopt;
  }
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return CompileHoleSource(text, path.string(), error);
}
