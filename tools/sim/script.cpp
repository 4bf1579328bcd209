// Reading play scripts: "<time> <command> <arguments>", time absolute or "+n" after the previous line.
#include "tools/sim/script.h"

#include <cctype>
#include <cstring>
#include <map>
#include <sstream>

#include "platform/backend.h"
#include "platform/window/dialog.h"
#include "platform/win.h"
#include "round/round_data.h"
#include "shell/shell.h"

namespace {

bool ParseKey(std::string name, uint32_t* key) {
  static const std::map<std::string, uint32_t> kNamed = {
      {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE}, {"return", VK_RETURN}, {"enter", VK_RETURN},
      {"tab", VK_TAB},       {"space", VK_SPACE}, {"backspace", VK_BACK}, {"delete", VK_DELETE},
      {"left", VK_LEFT},     {"right", VK_RIGHT}, {"up", VK_UP},          {"down", VK_DOWN},
      {"home", VK_HOME},     {"end", VK_END},     {"shift", VK_SHIFT}};
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    *key = static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(name[0])));
    return true;
  }
  const auto it = kNamed.find(name);
  if (it == kNamed.end()) return false;
  *key = it->second;
  return true;
}

// Seats the players as the title menu would and starts the round: "-" leaves a slot sitting out.
void StartScriptedRound(const std::vector<std::string>& names) {
  for (size_t i = 0; i < kPlayerSlots; ++i) {
    PlayerRecord& player = gRound.players[i];
    std::memset(player.name, 0, sizeof player.name);
    const bool seated = i < names.size() && names[i] != "-";
    if (seated) std::strncpy(player.name, names[i].c_str(), sizeof player.name - 2);
    player.playing = seated ? 0 : kSittingOut;
  }
  gRound.playerCount = static_cast<int8_t>(names.size());
  SetApplicationState(kStatePlay);
  // The title menu closes as its start button would close it.
  if (const HWND menu = ActiveDialog()) EndDialog(menu, 1);
}

bool ParseRound(std::istringstream& words, std::vector<std::string>* names) {
  std::string rest;
  std::getline(words >> std::ws, rest);
  std::istringstream fields(rest);
  for (std::string name; std::getline(fields, name, '|');) names->push_back(name);
  return !names->empty() && names->size() <= kPlayerSlots;
}

HeadlessInput Input(uint32_t time, HeadlessInput::Kind kind) {
  HeadlessInput in;
  in.time = time;
  in.kind = kind;
  return in;
}

void AddButton(PlayScript* s, uint32_t time, bool right, bool down, int32_t x, int32_t y) {
  HeadlessInput in = Input(time, HeadlessInput::Kind::Button);
  in.right = right;
  in.down = down;
  in.x = x;
  in.y = y;
  s->inputs.push_back(in);
}

void AddKey(PlayScript* s, uint32_t time, uint32_t key, bool down) {
  HeadlessInput in = Input(time, HeadlessInput::Kind::Key);
  in.key = key;
  in.down = down;
  s->inputs.push_back(in);
}

// A click in the middle of a control of whatever dialog is up when the time comes: real mouse input, so a
// disabled control or a missing dialog simply takes no notice.
void AddControlClick(PlayScript* s, uint32_t time, int32_t id) {
  HeadlessInput in = Input(time, HeadlessInput::Kind::Call);
  in.call = [id] {
    POINT p;
    if (!DialogControlCentre(id, &p)) return;
    QueueMouseButton(false, true, p.x, p.y);
    QueueMouseButton(false, false, p.x, p.y);
  };
  s->inputs.push_back(in);
}

// One command at a time; false when its words do not fit.
bool ParseCommand(const std::string& command, std::istringstream& words, uint32_t time, PlayScript* s) {
  using Kind = HeadlessInput::Kind;
  int32_t x = 0, y = 0;
  std::string word;
  if (command == "move" && words >> x >> y) {
    HeadlessInput in = Input(time, Kind::Move);
    in.x = x;
    in.y = y;
    s->inputs.push_back(in);
  } else if ((command == "down" || command == "up") && words >> word >> x >> y && (word == "left" || word == "right")) {
    AddButton(s, time, word == "right", command == "down", x, y);
  } else if ((command == "click" || command == "rclick") && words >> x >> y) {
    AddButton(s, time, command == "rclick", true, x, y);
    AddButton(s, time, command == "rclick", false, x, y);
  } else if ((command == "key" || command == "keydown" || command == "keyup") && words >> word) {
    uint32_t key = 0;
    if (!ParseKey(word, &key)) return false;
    if (command != "keyup") AddKey(s, time, key, true);
    if (command != "keydown") AddKey(s, time, key, false);
  } else if (command == "type") {
    std::getline(words >> std::ws, word);
    for (unsigned char c : word) {
      HeadlessInput in = Input(time, Kind::Char);
      in.key = c;
      s->inputs.push_back(in);
    }
  } else if (command == "activate" || command == "deactivate") {
    HeadlessInput in = Input(time, Kind::Activate);
    in.down = command == "activate";
    s->inputs.push_back(in);
  } else if (command == "close") {
    s->inputs.push_back(Input(time, Kind::Close));
  } else if (command == "shot" && words >> word) {
    HeadlessInput in = Input(time, Kind::Screenshot);
    in.path = word;
    s->inputs.push_back(in);
  } else if (command == "control" && words >> x) {
    AddControlClick(s, time, x);
  } else if (command == "answer" && words >> word) {
    if (word != "ok" && word != "yes" && word != "no" && word != "wait") return false;
    s->answers.push_back(word == "yes" ? IDYES : word == "no" ? IDNO : word == "ok" ? IDOK : 0);
  } else if (command == "round") {
    std::vector<std::string> names;
    if (!ParseRound(words, &names)) return false;
    HeadlessInput in = Input(time, Kind::Call);
    in.call = [names] { StartScriptedRound(names); };
    s->inputs.push_back(in);
  } else if (command == "runon" && words >> x && x >= 0) {
    s->runOn = static_cast<uint32_t>(x);
  } else {
    return false;
  }
  return !(words >> word);  // nothing left over
}

}  // namespace

bool ParsePlayScript(std::istream& in, PlayScript* script, std::string* error) {
  std::string line;
  uint32_t previous = 0;
  for (int32_t number = 1; std::getline(in, line); ++number) {
    std::istringstream words(line);
    std::string when, command;
    if (!(words >> when) || when[0] == '#') continue;
    const bool relative = when[0] == '+';
    char* end = nullptr;
    const unsigned long value = std::strtoul(when.c_str() + (relative ? 1 : 0), &end, 10);
    const bool timeOk = end && *end == '\0' && end != when.c_str() + (relative ? 1 : 0) && value <= 0x7FFFFFFFul;
    const uint32_t time = relative ? previous + static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    if (!timeOk || time < previous || !(words >> command) || !ParseCommand(command, words, time, script)) {
      *error = "line " + std::to_string(number) + ": cannot read \"" + line + "\"";
      return false;
    }
    previous = time;
  }
  return true;
}
