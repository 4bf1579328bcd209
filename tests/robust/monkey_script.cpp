// Random input scripts for quillmere-sim play.
#include "tests/robust/monkey_script.h"

#include <sstream>
#include <vector>

namespace {

struct Writer {
  std::mt19937& random;
  std::ostringstream text;
  int32_t Uniform(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); }
  bool OneIn(int32_t n) { return Uniform(1, n) == 1; }
  // Mostly on the screen, now and then well off it.
  int32_t X() { return OneIn(8) ? Uniform(-300, 940) : Uniform(0, 639); }
  int32_t Y() { return OneIn(8) ? Uniform(-300, 780) : Uniform(0, 479); }
  void Line(const std::string& command) { text << '+' << (OneIn(3) ? 0 : Uniform(1, 1500)) << ' ' << command << '\n'; }
};

// Player and typed text: printable bytes with Windows-1252 letters above 0x7F and UTF-8 sequences among them.
std::string Text(Writer& w, int32_t most, bool forName) {
  static const char* const kPieces[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x8F\x8C", "\xB1", "\xFF", "\x81"};
  std::string s;
  for (int32_t n = w.Uniform(0, most); n > 0; --n) {
    if (w.OneIn(4)) {
      s += kPieces[w.Uniform(0, 5)];
      continue;
    }
    const char c = static_cast<char>(w.Uniform(0x20, 0x7E));
    if (forName && (c == '|' || c == ' ')) continue;  // the round command's separator; names are one word
    s += c;
  }
  return s;
}

std::string Seats(Writer& w) {
  const int32_t seats = w.Uniform(1, 8), playing = w.Uniform(0, seats - 1);
  std::string names;
  for (int32_t i = 0; i < seats; ++i) {
    std::string name = i != playing && w.OneIn(4) ? "-" : Text(w, 17, true);
    if (name.empty() || name == "-") name = i == playing ? "P" + std::to_string(i + 1) : "-";
    names += (i ? "|" : "") + name;
  }
  return names;
}

void Input(Writer& w) {
  static const char* const kKeys[] = {"Escape", "Return", "Tab",  "Space", "Backspace", "Delete", "Left",
                                      "Right",  "Up",     "Down", "Home",  "End",       "Shift",  "L",
                                      "Y",      "N",      "X",    "Q",     "1",         "9"};
  static const int32_t kControls[] = {1,    2,    6,    7,    1000, 1001, 1002, 1003, 1004, 1008,
                                      1015, 1016, 1017, 1018, 1019, 1020, 1021, 1025, 1033};
  static const char* const kAnswers[] = {"ok", "yes", "no", "wait"};
  const int32_t pick = w.Uniform(0, 99);
  if (pick < 22) {
    w.Line("move " + std::to_string(w.X()) + ' ' + std::to_string(w.Y()));
  } else if (pick < 42) {
    w.Line(std::string(w.OneIn(4) ? "rclick " : "click ") + std::to_string(w.X()) + ' ' + std::to_string(w.Y()));
  } else if (pick < 50) {  // a drag, possibly released off the screen or with the other button
    const std::string button = w.OneIn(4) ? "right " : "left ";
    w.Line("down " + button + std::to_string(w.X()) + ' ' + std::to_string(w.Y()));
    for (int32_t n = w.Uniform(0, 4); n > 0; --n) w.Line("move " + std::to_string(w.X()) + ' ' + std::to_string(w.Y()));
    if (!w.OneIn(5)) w.Line("up " + button + std::to_string(w.X()) + ' ' + std::to_string(w.Y()));
  } else if (pick < 64) {
    const std::string verb = w.OneIn(6) ? (w.OneIn(2) ? "keydown " : "keyup ") : "key ";
    w.Line(verb + kKeys[w.Uniform(0, 19)]);
  } else if (pick < 70) {
    const std::string text = Text(w, 24, false);
    if (!text.empty() && text.find_first_not_of(' ') != std::string::npos) w.Line("type " + text);
  } else if (pick < 78) {
    w.Line("control " + std::to_string(kControls[w.Uniform(0, 18)]));
  } else if (pick < 83) {
    w.Line(w.OneIn(2) ? "deactivate" : "activate");
  } else if (pick < 88) {
    w.Line(std::string("answer ") + kAnswers[w.Uniform(0, 3)]);
  } else if (pick < 93) {
    w.Line("round " + Seats(w));
  } else if (pick < 96) {
    w.Line("key L");
    w.Line("control " + std::to_string(1016 + w.Uniform(0, 17)));
  } else if (pick < 99 || !w.OneIn(3)) {
    w.Line("runon " + std::to_string(w.Uniform(0, 8000)));
  } else {
    w.Line("close");
  }
}

// Strokes on the green: sweep the pointer across the field so it crosses the start pad, click, aim, click.
void Strokes(Writer& w, int32_t count) {
  for (int32_t n = 0; n < count; ++n) {
    for (int32_t y = w.Uniform(20, 60); y < 440; y += w.Uniform(30, 70)) {
      w.Line("move " + std::to_string(w.Uniform(10, 630)) + ' ' + std::to_string(y));
    }
    w.Line("click " + std::to_string(w.Uniform(10, 630)) + ' ' + std::to_string(w.Uniform(10, 440)));
    w.Line("move " + std::to_string(w.Uniform(10, 630)) + ' ' + std::to_string(w.Uniform(10, 440)));
    w.Line("click " + std::to_string(w.Uniform(10, 630)) + ' ' + std::to_string(w.Uniform(10, 440)));
  }
}

}  // namespace

std::string MonkeyScript(std::mt19937& random, int32_t hole) {
  Writer w{random, {}};
  w.text << "+1500 runon " << w.Uniform(500, 6000) << '\n';
  if (hole > 0) {
    w.Line("round " + Seats(w));
    w.Line("key L");
    w.Line("control " + std::to_string(1015 + hole));
    Strokes(w, w.Uniform(2, 6));
  } else if (w.OneIn(2)) {
    w.Line("round " + Seats(w));
    Strokes(w, w.Uniform(0, 4));
  }
  for (int32_t n = w.Uniform(10, 80); n > 0; --n) {
    Input(w);
    if (w.OneIn(12)) Strokes(w, 1);
  }
  return w.text.str();
}

std::string DamagedSettingsText(std::mt19937& random) {
  Writer w{random, {}};
  const std::string header = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lindqvarn\\Kormo1]\n";
  static const char* const kNames[] = {"Player 1", "Player 8",  "Best 01",  "Best 10", "Music",
                                       "MusicVol", "PlayerCnt", "Player 3", "Best 05", "Sound"};
  std::string text = w.OneIn(4) ? (w.OneIn(2) ? "" : "[HKEY_CURRENT_USER\\Wrong]\n") : header;
  for (int32_t n = w.Uniform(0, 25); n > 0; --n) {
    const std::string name = w.OneIn(8) ? Text(w, 12, false) : kNames[w.Uniform(0, 9)];
    std::string value = w.OneIn(3) ? Text(w, w.OneIn(5) ? 300 : 40, false) : std::to_string(w.Uniform(-5, 300));
    if (w.OneIn(6)) value = std::string(static_cast<size_t>(w.Uniform(0, 40)), '9');
    text += w.OneIn(8) ? "\"" + name + "=" + value + "\n" : "\"" + name + "\"=\"" + value + "\"\n";
    if (w.OneIn(10)) text += "\"" + name + "\"=\"unterminated\\";
  }
  if (w.OneIn(5) && !text.empty()) text.resize(static_cast<size_t>(w.Uniform(0, static_cast<int32_t>(text.size()))));
  for (int32_t flips = w.OneIn(4) ? w.Uniform(1, 8) : 0; flips > 0 && !text.empty(); --flips) {
    text[static_cast<size_t>(w.Uniform(0, static_cast<int32_t>(text.size()) - 1))] ^=
        static_cast<char>(1 << w.Uniform(0, 7));
  }
  return text;
}
