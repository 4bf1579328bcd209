// The tune compiler: the source is read line by line into voices, patterns and parts (every bar checked
// against the metre as it is read), then the form is played through into notes, checked for passages
// repeated too often, and written as one MIDI track a voice behind a conductor track.
#include "tools/coursebuild/music_source.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>

#include "tools/coursebuild/midi_files.h"

namespace {

constexpr uint32_t kDivision = 480;  // ticks a quarter note
constexpr uint32_t kWhole = 4 * kDivision;
constexpr uint32_t kMaxTicks = 1 << 20;  // over a quarter of an hour at any lively tempo: a typing slip

struct Failure {
  std::string message;
};

// A named General MIDI program (numbered 1 to 128, as the instrument list counts them).
struct Instrument {
  const char* name;
  int32_t program;
};
constexpr Instrument kInstruments[] = {
    {"piano", 1},         {"harpsichord", 7}, {"celesta", 9},        {"glockenspiel", 10},  {"music-box", 11},
    {"vibraphone", 12},   {"marimba", 13},    {"xylophone", 14},     {"accordion", 22},     {"harmonica", 23},
    {"nylon-guitar", 25}, {"guitar", 26},     {"acoustic-bass", 33}, {"bass", 34},          {"violin", 41},
    {"viola", 42},        {"cello", 43},      {"contrabass", 44},    {"tremolo", 45},       {"pizzicato", 46},
    {"harp", 47},         {"timpani", 48},    {"strings", 49},       {"slow-strings", 50},  {"choir", 53},
    {"trumpet", 57},      {"trombone", 58},   {"tuba", 59},          {"muted-trumpet", 60}, {"horn", 61},
    {"brass", 62},        {"oboe", 69},       {"english-horn", 70},  {"bassoon", 71},       {"clarinet", 72},
    {"piccolo", 73},      {"flute", 74},      {"recorder", 75},      {"pan-flute", 76},     {"whistle", 79},
    {"ocarina", 80},      {"fiddle", 111},    {"bagpipe", 110},
};

struct Dynamic {
  const char* mark;
  int32_t percent;
};
constexpr Dynamic kDynamics[] = {{"pp", 50}, {"p", 65}, {"mp", 82}, {"mf", 100}, {"f", 118}, {"ff", 135}};

// Semitones of a chord's tones by degree: 1, 2 (9), 3, 4 (11), 5, 6 (13), 7. A triad's 7 is its octave.
struct Quality {
  const char* suffix;
  std::array<int8_t, 7> steps;
};
constexpr Quality kQualities[] = {
    {"", {0, 2, 4, 5, 7, 9, 12}},      {"m", {0, 2, 3, 5, 7, 8, 12}},    {"7", {0, 2, 4, 5, 7, 9, 10}},
    {"maj7", {0, 2, 4, 5, 7, 9, 11}},  {"m7", {0, 2, 3, 5, 7, 8, 10}},   {"6", {0, 2, 4, 5, 7, 9, 9}},
    {"m6", {0, 2, 3, 5, 7, 9, 9}},     {"sus4", {0, 2, 5, 5, 7, 9, 12}}, {"sus2", {0, 2, 2, 5, 7, 9, 12}},
    {"7sus4", {0, 2, 5, 5, 7, 9, 10}}, {"dim", {0, 2, 3, 5, 6, 8, 9}},   {"aug", {0, 2, 4, 5, 8, 9, 12}},
};

struct NoteEvent {                  // a note, a chord or a rest of a written line
  uint32_t offset = 0, length = 0;  // ticks from the part's start
  std::vector<int32_t> keys;        // none: a rest
  int32_t dynamic = 100;            // percent of the voice's velocity
  bool tie = false;
  int32_t line = 0;
};

struct Chord {
  uint32_t offset = 0, length = 0;
  bool none = false;           // "z": the patterns rest
  int32_t root = 0, bass = 0;  // pitch classes
  std::array<int8_t, 7> steps{};
  int32_t line = 0;
};

enum class Play { Notes, Pattern, Off };
struct VoicePart {
  Play play = Play::Notes;
  std::vector<NoteEvent> notes;
  uint32_t length = 0;
  int32_t pattern = -1;
  int32_t dynamic = 100;
  int32_t line = 0;
};

struct Part {
  std::string name;
  int32_t line = 0;
  std::map<size_t, VoicePart> voices;  // by voice index; a voice not here plays its pattern, if any
  std::vector<size_t> own;             // voices (and SIZE_MAX for the chords) this part wrote itself
  std::vector<Chord> chords;
  uint32_t chordLength = 0;
  bool hasChords = false;
  int32_t transpose = 0, tempo = 0;
};

struct Voice {
  std::string name;
  int32_t program = 1, channel = 0;  // channel 0 to 15; 9 is the drums
  int32_t velocity = 80, expression = 100, pan = 64, reverb = 40, chorus = 0, transpose = 0, low = 48, legato = 90;
  int32_t pattern = -1;
  bool Drums() const { return channel == 9; }
};

struct Tone {
  bool degree = false;  // a chord degree (0 is the bass) or else a key
  int32_t value = 0;
  int32_t accent = 0;
};
struct Step {
  std::vector<Tone> tones;
  bool hold = false;
};
struct Pattern {
  std::string name;
  uint32_t unit = 0;
  std::vector<Step> steps;
};

struct Sound {
  uint32_t start, length;
  int32_t key, velocity;
  size_t voice;
};

class Tune {
 public:
  Tune(std::string_view text, std::string fileName) : text_(text), file_(std::move(fileName)) {
    out_.tempo = 100;
    out_.metre = "4/4";
    out_.key = "C";
  }
  CompiledTune Compile();

 private:
  [[noreturn]] void Fail(int32_t line, const std::string& what) const {
    throw Failure{file_ + ":" + std::to_string(line) + ": " + what};
  }
  void ReadLine(const std::vector<std::string>& words, std::string_view rest);
  void ReadHeader(const std::vector<std::string>& words);
  void ReadVoice(const std::vector<std::string>& words);
  void ReadPattern(const std::vector<std::string>& words);
  void ReadPart(const std::vector<std::string>& words);
  void ReadBars(size_t voice, std::string_view bars);
  void ReadChords(std::string_view bars);
  void ReadNotes(std::string_view bar, VoicePart* v, bool keySignature);
  void FinishPart();

  int32_t Number(const std::string& w, int32_t lo, int32_t hi, const char* what) const;
  std::pair<uint32_t, uint32_t> Fraction(const std::string& w, const char* what) const;
  int32_t Pitch(std::string_view s, size_t* i, bool keySignature) const;
  uint32_t Digits(std::string_view s, size_t* i, uint32_t fallback) const;
  uint32_t Length(std::string_view s, size_t* i, uint32_t unit) const;
  int32_t PitchClass(std::string_view s, size_t* i) const;
  size_t VoiceIndex(const std::string& name) const;
  int32_t PatternIndex(const std::string& name) const;
  int32_t Fifths(const std::string& key, bool* minor) const;
  std::string Span(uint32_t ticks) const;

  void Render(const Part& part, uint32_t start, std::vector<Sound>* sounds) const;
  void RenderNotes(const VoicePart& v, size_t voice, const Part& part, uint32_t start,
                   std::vector<Sound>* sounds) const;
  void RenderPattern(const Pattern& p, size_t voice, const Part& part, uint32_t start,
                     std::vector<Sound>* sounds) const;
  int32_t Velocity(const Voice& v, int32_t percent, uint32_t fromPart) const;
  int32_t CheckKey(int32_t key, int32_t line) const;
  void CheckRepeats(const std::vector<Sound>& sounds, uint32_t total) const;
  std::vector<uint8_t> Midi(const std::vector<Sound>& sounds, uint32_t total) const;

  std::string_view text_;
  std::string file_;
  int32_t line_ = 0;
  CompiledTune out_;
  int32_t beats_ = 4, beatNote_ = 4, level_ = 100, fifths_ = 0;
  bool minor_ = false;
  uint32_t unit_ = kWhole / 8, bar_ = kWhole;
  std::vector<Voice> voices_;
  std::vector<Pattern> patterns_;
  std::vector<Part> parts_;
  std::vector<size_t> form_;
  int32_t formLine_ = 0;
  int32_t tupletLeft_ = 0;  // notes left of a "(3" triplet
};

std::vector<std::string> Words(std::string_view s) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r')) ++i;
    const size_t from = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '\r') ++i;
    if (i > from) words.emplace_back(s.substr(from, i - from));
  }
  return words;
}

int32_t Tune::Number(const std::string& w, int32_t lo, int32_t hi, const char* what) const {
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
  if (ec != std::errc() || end != w.data() + w.size()) Fail(line_, "'" + w + "' is not a whole number (" + what + ")");
  if (v < lo || v > hi)
    Fail(line_, std::string(what) + " " + w + " is outside " + std::to_string(lo) + " to " + std::to_string(hi));
  return v;
}

std::pair<uint32_t, uint32_t> Tune::Fraction(const std::string& w, const char* what) const {
  const size_t slash = w.find('/');
  if (slash == std::string::npos) Fail(line_, std::string(what) + " '" + w + "' is not a fraction such as 1/8");
  const int32_t den = Number(w.substr(slash + 1), 1, 64, what);
  if ((den & (den - 1)) != 0) Fail(line_, std::string(what) + " '" + w + "': the lower number is not a power of two");
  return {static_cast<uint32_t>(Number(w.substr(0, slash), 1, 64, what)), static_cast<uint32_t>(den)};
}

// A length for messages, in the metre's beats when it can be: "7/8", "4/4".
std::string Tune::Span(uint32_t ticks) const {
  const uint32_t beat = kWhole / static_cast<uint32_t>(beatNote_);
  if (ticks % beat == 0) return std::to_string(ticks / beat) + "/" + std::to_string(beatNote_);
  const uint32_t g = std::gcd(ticks, kWhole);
  return std::to_string(ticks / g) + "/" + std::to_string(kWhole / g);
}

std::string Bars(uint32_t n) { return std::to_string(n) + (n == 1 ? " bar" : " bars"); }

size_t Tune::VoiceIndex(const std::string& name) const {
  for (size_t i = 0; i < voices_.size(); ++i)
    if (voices_[i].name == name) return i;
  return SIZE_MAX;
}

int32_t Tune::PatternIndex(const std::string& name) const {
  for (size_t i = 0; i < patterns_.size(); ++i)
    if (patterns_[i].name == name) return static_cast<int32_t>(i);
  Fail(line_, "no pattern '" + name + "' (patterns are declared before they are used)");
}

// "G", "F#m", "Bb", "D dorian" written "Ddor", "Gmix": the signature's sharps (positive) or flats.
int32_t Tune::Fifths(const std::string& key, bool* minor) const {
  static constexpr std::pair<char, int32_t> kLetters[] = {{'F', -1}, {'C', 0}, {'G', 1}, {'D', 2},
                                                          {'A', 3},  {'E', 4}, {'B', 5}};
  int32_t fifths = 99;
  for (const auto& [letter, f] : kLetters)
    if (!key.empty() && key[0] == letter) fifths = f;
  size_t i = 1;
  if (key.size() > 1 && (key[1] == '#' || key[1] == 'b')) fifths += key[i++] == '#' ? 7 : -7;
  const std::string mode = key.size() > i ? key.substr(i) : "";
  *minor = mode == "m";
  if (mode == "m")
    fifths -= 3;
  else if (mode == "dor")
    fifths -= 2;
  else if (mode == "mix")
    fifths -= 1;
  else if (!mode.empty())
    fifths = 99;
  if (fifths < -7 || fifths > 7)
    Fail(line_, "'" + key + "' is not a key (a letter, then # or b, then m, dor or mix: G, Em, Bb, F#m, Dmix)");
  return fifths;
}

// A pitch: accidentals (^ sharp, _ flat, = natural), a letter (C is middle C, c the octave above), then '
// or , for octaves. Without an accidental the key signature decides.
int32_t Tune::Pitch(std::string_view s, size_t* i, bool keySignature) const {
  int32_t shift = 0;
  bool accidental = false;
  while (*i < s.size() && (s[*i] == '^' || s[*i] == '_' || s[*i] == '=')) {
    shift += s[*i] == '^' ? 1 : s[*i] == '_' ? -1 : 0;
    accidental = true;
    ++*i;
  }
  static constexpr char kLetters[] = "CDEFGAB";
  static constexpr int32_t kSemitones[] = {0, 2, 4, 5, 7, 9, 11};
  if (*i >= s.size()) Fail(line_, "a note letter is missing at the end of the bar");
  const char c = s[*i];
  const char* at = std::char_traits<char>::find(kLetters, 7, static_cast<char>(c & ~0x20));
  if (at == nullptr) Fail(line_, std::string("'") + c + "' is not a note (C D E F G A B, c d e f g a b, z for a rest)");
  const int32_t letter = static_cast<int32_t>(at - kLetters);
  int32_t key = 60 + kSemitones[letter] + (c >= 'a' ? 12 : 0);
  ++*i;
  while (*i < s.size() && (s[*i] == '\'' || s[*i] == ',')) key += s[(*i)++] == '\'' ? 12 : -12;
  if (!accidental && keySignature) {
    static constexpr int32_t kSharpOrder[] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
    for (int32_t n = 0; n < std::abs(fifths_); ++n)
      if (kSharpOrder[fifths_ > 0 ? n : 6 - n] == letter) shift = fifths_ > 0 ? 1 : -1;
  }
  return key + shift;
}

// Digits at *i as a number (none: fallback); 0 and numbers of four digits are refused.
uint32_t Tune::Digits(std::string_view s, size_t* i, uint32_t fallback) const {
  const size_t from = *i;
  uint32_t n = 0;
  while (*i < s.size() && s[*i] >= '0' && s[*i] <= '9' && *i - from < 4)
    n = n * 10 + static_cast<uint32_t>(s[(*i)++] - '0');
  if (*i == from) return fallback;
  if (n == 0 || n > 999) Fail(line_, "a note length of " + std::string(s.substr(from, *i - from)));
  return n;
}

// An optional multiple of the unit: "2", "3/2", "/2", "/", "//".
uint32_t Tune::Length(std::string_view s, size_t* i, uint32_t unit) const {
  const uint32_t num = Digits(s, i, 1);
  uint32_t den = 1;
  while (*i < s.size() && s[*i] == '/' && den <= 64) {
    ++*i;
    den *= Digits(s, i, 2);
  }
  if (den > 64 || (unit * num) % den != 0) Fail(line_, "a note length that the beat cannot be divided into");
  return unit * num / den;
}

int32_t Tune::PitchClass(std::string_view s, size_t* i) const {
  static constexpr int32_t kClasses[] = {9, 11, 0, 2, 4, 5, 7};  // A to G
  if (*i >= s.size() || s[*i] < 'A' || s[*i] > 'G')
    Fail(line_, "'" + std::string(s) + "' is not a chord (G, Em, D7, C/E, z)");
  int32_t pc = kClasses[s[(*i)++] - 'A'];
  if (*i < s.size() && (s[*i] == '#' || s[*i] == 'b')) pc += s[(*i)++] == '#' ? 1 : -1;
  return (pc + 12) % 12;
}

CompiledTune Tune::Compile() {
  size_t pos = 0;
  while (pos < text_.size()) {
    size_t end = text_.find('\n', pos);
    if (end == std::string_view::npos) end = text_.size();
    ++line_;
    std::string_view raw = text_.substr(pos, end - pos);
    pos = end + 1;
    if (const size_t comment = raw.find('%'); comment != std::string_view::npos) raw = raw.substr(0, comment);
    const std::vector<std::string> words = Words(raw);
    if (words.empty()) continue;
    ReadLine(words, raw.substr(raw.find(words[0]) + words[0].size()));
  }
  if (!parts_.empty() && form_.empty()) FinishPart();
  if (out_.title.empty()) Fail(line_, "the tune has no title");
  if (form_.empty()) Fail(line_, "the tune has no form (the order its parts are played in)");

  std::vector<Sound> sounds;
  uint32_t total = 0;
  double seconds = 0;
  for (const size_t p : form_) {
    const Part& part = parts_[p];
    Render(part, total, &sounds);
    const uint32_t length = part.chordLength;
    total += length;
    seconds += length * 60.0 / (kDivision * (part.tempo ? part.tempo : out_.tempo));
    if (total > kMaxTicks) Fail(formLine_, "the form is far too long");
  }
  out_.bars = static_cast<int32_t>(total / bar_);
  out_.seconds = seconds;
  CheckRepeats(sounds, total);
  out_.midi = Midi(sounds, total);
  return out_;
}

void Tune::ReadLine(const std::vector<std::string>& words, std::string_view rest) {
  const std::string& w = words[0];
  if (w == "title" || w == "tempo" || w == "metre" || w == "key" || w == "unit" || w == "level") {
    if (!parts_.empty()) Fail(line_, "'" + w + "' belongs in the header, before the first part");
    if (w == "title") {
      const size_t from = rest.find_first_not_of(" \t");
      out_.title = from == std::string_view::npos ? "" : std::string(rest.substr(from));
      while (!out_.title.empty() && (out_.title.back() == ' ' || out_.title.back() == '\r')) out_.title.pop_back();
      if (out_.title.empty()) Fail(line_, "the title is empty");
      return;
    }
    ReadHeader(words);
  } else if (w == "voice") {
    ReadVoice(words);
  } else if (w == "pattern") {
    ReadPattern(words);
  } else if (w == "part") {
    ReadPart(words);
  } else if (w == "form") {
    if (!form_.empty()) Fail(line_, "a second form");
    if (!parts_.empty()) FinishPart();
    formLine_ = line_;
    for (size_t i = 1; i < words.size(); ++i) {
      size_t p = 0;
      while (p < parts_.size() && parts_[p].name != words[i]) ++p;
      if (p == parts_.size()) Fail(line_, "no part '" + words[i] + "' (the form comes after its parts)");
      form_.push_back(p);
    }
    if (form_.empty()) Fail(line_, "the form names no part");
  } else if (parts_.empty() || !form_.empty()) {
    Fail(line_,
         "'" + w + "' is not a word of the tune (title, tempo, metre, key, unit, level, voice, pattern, part, form)");
  } else if (w == "chords") {
    ReadChords(rest);
  } else {
    const size_t voice = VoiceIndex(w);
    if (voice == SIZE_MAX) Fail(line_, "no voice '" + w + "' (declare it with a voice line)");
    ReadBars(voice, rest);
  }
}

void Tune::ReadHeader(const std::vector<std::string>& words) {
  const std::string& w = words[0];
  if (words.size() != 2) Fail(line_, "'" + w + "' takes one value");
  if (w == "tempo") {
    out_.tempo = Number(words[1], 20, 300, "tempo (quarter notes a minute)");
  } else if (w == "metre") {
    const auto [n, d] = Fraction(words[1], "metre");
    if (d < 2 || d > 16 || n > 16) Fail(line_, "metre '" + words[1] + "' is outside 1/2 to 16/16");
    beats_ = static_cast<int32_t>(n), beatNote_ = static_cast<int32_t>(d), bar_ = kWhole * n / d;
    out_.metre = words[1];
  } else if (w == "key") {
    fifths_ = Fifths(words[1], &minor_);
    out_.key = words[1];
  } else if (w == "unit") {
    const auto [n, d] = Fraction(words[1], "unit");
    unit_ = kWhole * n / d;  // whole: a fraction's lower number is at most 64
  } else {
    level_ = Number(words[1], 1, 200, "level (percent)");
  }
}

// voice NAME INSTRUMENT [velocity V] [expression E] [pan P] [reverb R] [chorus C] [transpose T] [low NOTE]
// [legato L] [play PATTERN]; the instrument is a name, "program N" or "drums".
void Tune::ReadVoice(const std::vector<std::string>& words) {
  if (!parts_.empty()) Fail(line_, "voices are declared before the first part");
  if (words.size() < 3) Fail(line_, "a voice needs a name and an instrument");
  if (VoiceIndex(words[1]) != SIZE_MAX || words[1] == "chords") Fail(line_, "a second voice '" + words[1] + "'");
  Voice v;
  v.name = words[1];
  size_t i = 2;
  std::string instrument = words[2];
  if (words[2] == "drums") {
    v.channel = 9;
    i = 3;
  } else if (words[2] == "program" && words.size() > 3) {
    v.program = Number(words[3], 1, 128, "program");
    instrument = "program " + words[3];
    i = 4;
  } else {
    const Instrument* found = nullptr;
    for (const Instrument& in : kInstruments)
      if (words[2] == in.name) found = &in;
    if (found == nullptr) Fail(line_, "'" + words[2] + "' is not an instrument this notation names (or use program N)");
    v.program = found->program;
    i = 3;
  }
  if (!v.Drums()) {
    int32_t used = 0;
    for (const Voice& o : voices_) used += o.Drums() ? 0 : 1;
    if (used >= 15) Fail(line_, "more than 15 voices besides the drums");
    v.channel = used < 9 ? used : used + 1;
  }
  for (; i < words.size(); i += 2) {
    const std::string& opt = words[i];
    if (i + 1 >= words.size()) Fail(line_, "'" + opt + "' needs a value");
    const std::string& val = words[i + 1];
    if (opt == "velocity")
      v.velocity = Number(val, 1, 127, "velocity");
    else if (opt == "expression")
      v.expression = Number(val, 0, 127, "expression");
    else if (opt == "pan")
      v.pan = Number(val, 0, 127, "pan");
    else if (opt == "reverb")
      v.reverb = Number(val, 0, 127, "reverb");
    else if (opt == "chorus")
      v.chorus = Number(val, 0, 127, "chorus");
    else if (opt == "transpose")
      v.transpose = Number(val, -48, 48, "transpose");
    else if (opt == "legato")
      v.legato = Number(val, 10, 100, "legato");
    else if (opt == "play")
      v.pattern = PatternIndex(val);
    else if (opt == "low") {
      size_t at = 0;
      v.low = Pitch(val, &at, false);
      if (at != val.size()) Fail(line_, "'" + val + "' is not one note");
      CheckKey(v.low, line_);
    } else {
      Fail(line_,
           "'" + opt +
               "' is not a voice setting (velocity, expression, pan, reverb, chorus, transpose, low, legato, play)");
    }
  }
  out_.voices.push_back(v.name + " (" + instrument + ")");
  voices_.push_back(v);
}

// pattern NAME UNIT STEP...: a step is a chord degree (0 the bass, 1 root, 3 third, 5 fifth, 7 seventh, 8 and
// up the next octave), a note, a group [..] of them, z (rest) or - (the step before goes on); > accents.
void Tune::ReadPattern(const std::vector<std::string>& words) {
  if (words.size() < 4) Fail(line_, "a pattern needs a name, a unit and at least one step");
  for (const Pattern& p : patterns_)
    if (p.name == words[1]) Fail(line_, "a second pattern '" + words[1] + "'");
  Pattern p;
  p.name = words[1];
  const auto [n, d] = Fraction(words[2], "pattern unit");
  p.unit = kWhole * n / d;
  bool inGroup = false;
  for (size_t w = 3; w < words.size(); ++w) {
    std::string_view s = words[w];
    size_t i = 0;
    while (i < s.size()) {
      if (s[i] == '[') {
        if (inGroup) Fail(line_, "a group inside a group");
        inGroup = true;
        p.steps.emplace_back();
        ++i;
        continue;
      }
      if (s[i] == ']') {
        if (!inGroup || p.steps.back().tones.empty()) Fail(line_, "a ']' without its group");
        inGroup = false;
        ++i;
        continue;
      }
      if (!inGroup) p.steps.emplace_back();
      Step& step = p.steps.back();
      if (s[i] == '-' || s[i] == 'z') {
        if (inGroup) Fail(line_, "a rest or a hold inside a group");
        step.hold = s[i++] == '-';
        if (step.hold && p.steps.size() == 1) Fail(line_, "a pattern cannot begin by holding");
        continue;
      }
      Tone t;
      if (s[i] == '>') t.accent = 12, ++i;
      if (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        t.degree = true;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && t.value < 100) t.value = t.value * 10 + (s[i++] - '0');
        if (t.value > 21) Fail(line_, "chord degree " + std::to_string(t.value) + " is above 21");
      } else {
        t.value = Pitch(s, &i, false);
      }
      step.tones.push_back(t);
    }
  }
  if (inGroup) Fail(line_, "a group without its ']'");
  patterns_.push_back(std::move(p));
}

// part NAME [from PART] [transpose N] [tempo T]
void Tune::ReadPart(const std::vector<std::string>& words) {
  if (!form_.empty()) Fail(line_, "parts come before the form");
  if (voices_.empty()) Fail(line_, "a part before any voice");
  if (words.size() < 2) Fail(line_, "a part needs a name");
  if (!parts_.empty()) FinishPart();
  for (const Part& p : parts_)
    if (p.name == words[1]) Fail(line_, "a second part '" + words[1] + "'");
  Part part;
  for (size_t i = 2; i < words.size(); i += 2) {
    if (i + 1 >= words.size()) Fail(line_, "'" + words[i] + "' needs a value");
    if (words[i] == "from") {
      if (i != 2) Fail(line_, "'from' comes first among a part's settings");
      auto base = std::find_if(parts_.begin(), parts_.end(), [&](const Part& p) { return p.name == words[i + 1]; });
      if (base == parts_.end()) Fail(line_, "no part '" + words[i + 1] + "' before this one");
      part = *base;
      part.own.clear();
    } else if (words[i] == "transpose") {
      part.transpose = Number(words[i + 1], -24, 24, "transpose");
    } else if (words[i] == "tempo") {
      part.tempo = Number(words[i + 1], 20, 300, "tempo");
    } else {
      Fail(line_, "'" + words[i] + "' is not a part setting (from, transpose, tempo)");
    }
  }
  part.name = words[1];
  part.line = line_;
  parts_.push_back(std::move(part));
}

// Every voice written in a part lasts as long as its chords (or as the longest voice when it has none).
void Tune::FinishPart() {
  Part& part = parts_.back();
  if (!part.hasChords) {
    for (const auto& [i, v] : part.voices) part.chordLength = std::max(part.chordLength, v.length);
  }
  if (part.chordLength == 0) Fail(part.line, "part '" + part.name + "' has no bars");
  for (auto& [i, v] : part.voices) {
    if (v.play != Play::Notes) continue;
    if (v.length != part.chordLength) {
      Fail(v.line, "voice '" + voices_[i].name + "' has " + Bars(v.length / bar_) + " in part '" + part.name +
                       "', which lasts " + Bars(part.chordLength / bar_));
    }
    if (!v.notes.empty() && v.notes.back().tie) Fail(v.notes.back().line, "a tie at the end of a part");
  }
}

void Tune::ReadBars(size_t voice, std::string_view bars) {
  Part& part = parts_.back();
  const bool first = std::find(part.own.begin(), part.own.end(), voice) == part.own.end();
  VoicePart& v = part.voices[voice];
  if (first) {
    v = VoicePart{};
    v.line = line_;
    part.own.push_back(voice);
  }
  const std::vector<std::string> words = Words(bars);
  if (!words.empty() && words[0][0] == '@') {
    if (words.size() != 1 || !first) Fail(line_, "a voice that plays a pattern has only that in the part");
    v.play = words[0] == "@off" ? Play::Off : Play::Pattern;
    if (v.play == Play::Pattern) v.pattern = PatternIndex(words[0].substr(1));
    return;
  }
  if (!words.empty() && words[0] == "=") {
    const size_t other = words.size() == 2 ? VoiceIndex(words[1]) : SIZE_MAX;
    const auto it = part.voices.find(other);
    if (!first || it == part.voices.end() || it->second.play != Play::Notes || other == voice)
      Fail(line_, "'= VOICE' copies the notes of another voice written earlier in this part");
    v = it->second;
    v.line = line_;
    return;
  }
  if (v.play != Play::Notes) Fail(line_, "this voice already plays a pattern in this part");
  if (bars.find('|') == std::string_view::npos) Fail(line_, "bars are written between | marks");
  size_t from = 0;
  while (from < bars.size()) {
    size_t to = bars.find('|', from);
    if (to == std::string_view::npos) to = bars.size();
    const std::string_view bar = bars.substr(from, to - from);
    from = to + 1;
    if (bar.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    const uint32_t start = v.length;
    ReadNotes(bar, &v, !voices_[voice].Drums());
    if (tupletLeft_ > 0) Fail(line_, "a triplet runs past its bar");
    if (v.length - start != bar_)
      Fail(line_, "a bar of " + Span(v.length - start) + " where the metre asks for " + Span(bar_) + ": " +
                      std::string(bar.substr(bar.find_first_not_of(" \t"),
                                             bar.find_last_not_of(" \t\r") - bar.find_first_not_of(" \t") + 1)));
    if (v.length > kMaxTicks) Fail(line_, "a part far too long");
  }
}

void Tune::ReadNotes(std::string_view s, VoicePart* v, bool keySignature) {
  const uint32_t barStart = v->length;
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '!') {
      size_t end = i + 1;
      while (end < s.size() && s[end] >= 'a' && s[end] <= 'z') ++end;
      const std::string_view mark = s.substr(i + 1, end - i - 1);
      const Dynamic* d =
          std::find_if(std::begin(kDynamics), std::end(kDynamics), [&](const Dynamic& x) { return mark == x.mark; });
      if (d == std::end(kDynamics))
        Fail(line_, "'!" + std::string(mark) + "' is not a dynamic (!pp !p !mp !mf !f !ff)");
      v->dynamic = d->percent;
      i = end;
      continue;
    }
    if (c == '(') {
      if (i + 1 >= s.size() || s[i + 1] != '3' || tupletLeft_ > 0)
        Fail(line_, "a triplet is written (3 before three notes");
      tupletLeft_ = 3;
      i += 2;
      continue;
    }
    NoteEvent e;
    e.offset = v->length;
    e.dynamic = v->dynamic;
    e.line = line_;
    if (c == 'z') {
      ++i;
    } else if (c == '[') {
      ++i;
      while (i < s.size() && s[i] != ']') {
        if (s[i] == ' ') {
          ++i;
          continue;
        }
        e.keys.push_back(Pitch(s, &i, keySignature));
      }
      if (i >= s.size() || e.keys.empty()) Fail(line_, "a chord [..] without its notes or its ']'");
      ++i;
    } else {
      e.keys.push_back(Pitch(s, &i, keySignature));
    }
    e.length = Length(s, &i, unit_);
    if (tupletLeft_ > 0) {
      if (e.length * 2 % 3 != 0) Fail(line_, "a triplet note that does not fit the beat");
      e.length = e.length * 2 / 3;
      --tupletLeft_;
    }
    if (i < s.size() && s[i] == '-') {
      if (e.keys.empty()) Fail(line_, "a tie on a rest");
      e.tie = true;
      ++i;
    }
    v->length += e.length;
    if (v->length - barStart > bar_ * 4) Fail(line_, "a bar far too long");
    v->notes.push_back(std::move(e));
  }
}

void Tune::ReadChords(std::string_view bars) {
  Part& part = parts_.back();
  if (std::find(part.own.begin(), part.own.end(), SIZE_MAX) == part.own.end()) {
    part.own.push_back(SIZE_MAX);
    part.chords.clear();
    part.chordLength = 0;
  }
  part.hasChords = true;
  if (bars.find('|') == std::string_view::npos) Fail(line_, "bars are written between | marks");
  size_t from = 0;
  while (from < bars.size()) {
    size_t to = bars.find('|', from);
    if (to == std::string_view::npos) to = bars.size();
    const std::vector<std::string> symbols = Words(bars.substr(from, to - from));
    from = to + 1;
    if (symbols.empty()) continue;
    if (bar_ % symbols.size() != 0)
      Fail(line_, "a bar cannot be shared evenly by " + std::to_string(symbols.size()) + " chords");
    const uint32_t each = bar_ / static_cast<uint32_t>(symbols.size());
    for (const std::string& sym : symbols) {
      if (sym == ".") {
        if (part.chords.empty()) Fail(line_, "'.' holds a chord, but none came before");
        part.chords.back().length += each;
        part.chordLength += each;
        continue;
      }
      Chord ch;
      ch.offset = part.chordLength;
      ch.length = each;
      ch.line = line_;
      if (sym == "z") {
        ch.none = true;
      } else {
        size_t i = 0;
        ch.root = PitchClass(sym, &i);
        const size_t slash = sym.find('/', i);
        const std::string suffix = sym.substr(i, slash == std::string::npos ? std::string::npos : slash - i);
        const Quality* q = std::find_if(std::begin(kQualities), std::end(kQualities),
                                        [&](const Quality& x) { return suffix == x.suffix; });
        if (q == std::end(kQualities))
          Fail(line_, "'" + sym + "' is not a chord (G, Em, D7, Cmaj7, Am7, F6, Dsus4, Bdim, C/E, z)");
        ch.steps = q->steps;
        ch.bass = ch.root;
        if (slash != std::string::npos) {
          i = slash + 1;
          ch.bass = PitchClass(sym, &i);
          if (i != sym.size()) Fail(line_, "'" + sym + "' is not a chord");
        }
      }
      part.chords.push_back(ch);
      part.chordLength += each;
    }
    if (part.chordLength > kMaxTicks) Fail(line_, "a part far too long");
  }
}

int32_t Tune::CheckKey(int32_t key, int32_t line) const {
  if (key < 0 || key > 127) Fail(line, "a note outside the MIDI range (key " + std::to_string(key) + ")");
  return key;
}

// The voice's velocity at the dynamic, with a little weight on the bar's first beat and on the other beats.
int32_t Tune::Velocity(const Voice& v, int32_t percent, uint32_t fromPart) const {
  const bool compound = beatNote_ == 8 && beats_ % 3 == 0 && beats_ > 3;
  const uint32_t beat = kWhole / static_cast<uint32_t>(beatNote_) * (compound ? 3 : 1);
  const uint32_t inBar = fromPart % bar_;
  const int32_t accent = inBar == 0 ? 8 : inBar % beat == 0 ? 3 : 0;
  return std::clamp(v.velocity * percent / 100 + accent, 1, 127);
}

void Tune::Render(const Part& part, uint32_t start, std::vector<Sound>* sounds) const {
  for (size_t i = 0; i < voices_.size(); ++i) {
    const auto it = part.voices.find(i);
    const Play play = it != part.voices.end() ? it->second.play : Play::Pattern;
    if (play == Play::Notes) {
      RenderNotes(it->second, i, part, start, sounds);
    } else if (play == Play::Pattern && part.hasChords) {
      const int32_t p = it != part.voices.end() ? it->second.pattern : voices_[i].pattern;
      if (p >= 0) RenderPattern(patterns_[static_cast<size_t>(p)], i, part, start, sounds);
    }
  }
}

void Tune::RenderNotes(const VoicePart& v, size_t voice, const Part& part, uint32_t start,
                       std::vector<Sound>* sounds) const {
  const Voice& vc = voices_[voice];
  const int32_t shift = vc.transpose + (vc.Drums() ? 0 : part.transpose);
  size_t tied = 0;  // sounds of the chord a tie holds over, at the end of *sounds
  for (const NoteEvent& e : v.notes) {
    std::vector<int32_t> keys;
    for (const int32_t k : e.keys) keys.push_back(CheckKey(k + shift, e.line));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    if (tied > 0) {
      bool same = keys.size() == tied;
      for (size_t k = 0; same && k < tied; ++k) same = (*sounds)[sounds->size() - tied + k].key == keys[k];
      if (!same) Fail(e.line, "a tie joins two different notes");
      for (size_t k = 0; k < tied; ++k) (*sounds)[sounds->size() - tied + k].length += e.length;
    } else {
      for (const int32_t k : keys)
        sounds->push_back({start + e.offset, e.length, k, Velocity(vc, e.dynamic, e.offset), voice});
    }
    tied = e.tie ? keys.size() : 0;
  }
}

// The pattern's steps run on from the part's start; each chord plays the steps that fall within it, and a
// chord that begins on a held step strikes the held tones anew.
void Tune::RenderPattern(const Pattern& p, size_t voice, const Part& part, uint32_t start,
                         std::vector<Sound>* sounds) const {
  const Voice& vc = voices_[voice];
  const size_t n = p.steps.size();
  for (const Chord& ch : part.chords) {
    if (ch.none) continue;
    const uint32_t end = ch.offset + ch.length;
    const int32_t root = (ch.root + part.transpose % 12 + 24) % 12;
    const int32_t rootKey = vc.low + (root - vc.low % 12 + 12) % 12;
    const int32_t below = (ch.root - ch.bass + 12) % 12;
    const int32_t bassKey = rootKey - (below == 0 ? 12 : below);  // the nearest bass note under the root
    for (uint32_t t = (ch.offset + p.unit - 1) / p.unit * p.unit; t < end; t += p.unit) {
      size_t idx = (t / p.unit) % n;
      if (p.steps[idx].hold && t != ch.offset) continue;
      uint32_t back = 0;
      while (p.steps[idx].hold && back < n) idx = (idx + n - 1) % n, ++back;
      if (p.steps[idx].hold || p.steps[idx].tones.empty()) continue;
      uint32_t run = 1;
      while (run < n && p.steps[(idx + run) % n].hold) ++run;
      const uint32_t stop = std::min(end, t - back * p.unit + run * p.unit);
      for (const Tone& tone : p.steps[idx].tones) {
        int32_t key = 0;
        if (!tone.degree) {
          key = tone.value + vc.transpose + (vc.Drums() ? 0 : part.transpose);
        } else if (tone.value == 0) {
          key = bassKey;
        } else {
          key = rootKey + 12 * ((tone.value - 1) / 7) + ch.steps[static_cast<size_t>((tone.value - 1) % 7)];
        }
        const int32_t velocity = std::clamp(Velocity(vc, 100, t) + tone.accent, 1, 127);
        sounds->push_back({start + t, stop - t, CheckKey(key, ch.line), velocity, voice});
      }
    }
  }
}

// No 8 bars may sound four times in a row: a tune that loops on one passage wears the player out.
void Tune::CheckRepeats(const std::vector<Sound>& sounds, uint32_t total) const {
  const size_t bars = total / bar_;
  std::vector<std::string> sig(bars);
  for (const Sound& s : sounds) {
    const size_t b = s.start / bar_;
    const uint32_t fields[] = {static_cast<uint32_t>(s.voice), s.start % bar_, static_cast<uint32_t>(s.key), s.length,
                               static_cast<uint32_t>(s.velocity)};
    for (const uint32_t f : fields) sig[b] += std::to_string(f) + ",";
    sig[b] += ";";
  }
  auto same = [&](size_t a, size_t b) { return std::equal(sig.begin() + a, sig.begin() + a + 8, sig.begin() + b); };
  for (size_t s = 0; s + 32 <= bars; ++s) {
    if (same(s, s + 8) && same(s, s + 16) && same(s, s + 24))
      Fail(formLine_, "bars " + std::to_string(s + 25) + " to " + std::to_string(s + 32) +
                          " play the 8 bars from bar " + std::to_string(s + 1) + " for the fourth time in a row");
  }
}

std::vector<uint8_t> Tune::Midi(const std::vector<Sound>& sounds, uint32_t total) const {
  std::vector<std::vector<uint8_t>> tracks;
  MidiTrackBuilder conductor;
  conductor.Meta(0, 0x03, std::vector<uint8_t>(out_.title.begin(), out_.title.end()));
  uint8_t log2 = 0;
  while ((1 << log2) < beatNote_) ++log2;
  const bool compound = beatNote_ == 8 && beats_ % 3 == 0 && beats_ > 3;
  conductor.Meta(0, 0x58,
                 {static_cast<uint8_t>(beats_), log2, static_cast<uint8_t>(compound ? 36 : 96 / beatNote_), 8});
  conductor.Meta(0, 0x59, {static_cast<uint8_t>(static_cast<int8_t>(fifths_)), static_cast<uint8_t>(minor_ ? 1 : 0)});
  uint32_t at = 0, last = 0;
  int32_t tempo = 0;
  for (const size_t p : form_) {
    const int32_t want = parts_[p].tempo ? parts_[p].tempo : out_.tempo;
    if (want != tempo) {
      conductor.Tempo(at - last, static_cast<uint32_t>(60000000 / want));
      last = at;
      tempo = want;
    }
    at += parts_[p].chordLength;
  }
  tracks.push_back(conductor.End(total - last).Bytes());

  for (size_t v = 0; v < voices_.size(); ++v) {
    const Voice& vc = voices_[v];
    const uint8_t ch = static_cast<uint8_t>(vc.channel);
    MidiTrackBuilder t(true);
    t.Meta(0, 0x03, std::vector<uint8_t>(vc.name.begin(), vc.name.end()));
    t.Message(0, static_cast<uint8_t>(0xC0 | ch), static_cast<uint8_t>(vc.Drums() ? 0 : vc.program - 1));
    // Balance through expression: channel volume (controller 7) belongs to the player's volume setting.
    t.Message(0, static_cast<uint8_t>(0xB0 | ch), 11,
              static_cast<uint8_t>(std::clamp(vc.expression * level_ / 100, 0, 127)));
    t.Message(0, static_cast<uint8_t>(0xB0 | ch), 10, static_cast<uint8_t>(vc.pan));
    t.Message(0, static_cast<uint8_t>(0xB0 | ch), 91, static_cast<uint8_t>(vc.reverb));
    t.Message(0, static_cast<uint8_t>(0xB0 | ch), 93, static_cast<uint8_t>(vc.chorus));
    struct Edge {
      uint32_t tick;
      bool on;
      uint8_t key, velocity;
    };
    std::vector<Edge> edges;
    for (const Sound& s : sounds) {
      if (s.voice != v) continue;
      const uint32_t gap = std::min<uint32_t>(s.length * static_cast<uint32_t>(100 - vc.legato) / 100, kDivision / 8);
      edges.push_back({s.start, true, static_cast<uint8_t>(s.key), static_cast<uint8_t>(s.velocity)});
      edges.push_back({s.start + std::max<uint32_t>(s.length - gap, 1), false, static_cast<uint8_t>(s.key), 0});
    }
    std::stable_sort(edges.begin(), edges.end(),
                     [](const Edge& a, const Edge& b) { return a.tick != b.tick ? a.tick < b.tick : !a.on && b.on; });
    uint32_t now = 0;
    for (const Edge& e : edges) {
      if (e.on)
        t.NoteOn(e.tick - now, ch, e.key, e.velocity);
      else
        t.NoteOff(e.tick - now, ch, e.key);
      now = e.tick;
    }
    tracks.push_back(t.End(total - now).Bytes());
  }
  return MidiFileBytes(1, kDivision, tracks);
}

}  // namespace

std::optional<CompiledTune> CompileTuneSource(std::string_view text, const std::string& fileName, std::string* error) {
  try {
    Tune tune(text, fileName);
    return tune.Compile();
  } catch (const Failure& f) {
    *error = f.message;
    return std::nullopt;
  }
}

std::optional<CompiledTune> CompileTuneFile(const std::filesystem::path& path, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = path.string() + ": cannot be read";
    return std::nullopt;
  }
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return CompileTuneSource(text, path.string(), error);
}
