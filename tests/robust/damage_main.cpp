// A damaged game folder: every data file in Holes/, Balls/, Snds/, Data/ and Music/ in turn cut short, with
// bits flipped, with header fields that lie, empty, holding another file's bytes, or a folder in its place.
// With each damage the program plays (the demonstration of a hole, then a round on it) and the sim's own
// demonstration runs; nothing may crash, hang or trip a sanitizer. A title picture that cannot be read must
// end the program with a message; a hole picture that cannot be read leaves its hole out.
//
// usage: quill_damage SIM GAME_DIR [EVERY [SEED]]   (EVERY n: only every n-th case, for a short run)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/robust/child.h"
#include "tests/robust/monkey_script.h"

namespace fs = std::filesystem;

namespace {

enum class Damage { Truncated, FlippedBits, LyingHeader, Empty, OtherFile, Folder };
constexpr const char* kDamageNames[] = {"truncated", "bits flipped",         "lying header",
                                        "empty",     "another file's bytes", "a folder"};

uint32_t Pick(std::mt19937& random, uint32_t n) { return n ? static_cast<uint32_t>(random() % n) : 0; }

void Put32(std::string* bytes, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4 && at + i < bytes->size(); ++i) (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
}

// The header fields the readers trust, by the file's kind: sizes, counts and offsets.
std::vector<size_t> HeaderFields(const std::string& bytes) {
  std::vector<size_t> fields;
  if (bytes.compare(0, 2, "BM") == 0) return {2, 10, 14, 18, 22, 26, 28, 30, 34, 46};
  if (bytes.compare(0, 4, "LZCC") == 0) return {4, 8, 12, 16};
  if (bytes.compare(0, 4, "MThd") == 0) fields = {4, 8, 10, 12};
  if (bytes.compare(0, 4, "RIFF") == 0) fields = {4};
  // Every chunk's length, and in a WAV file the format record's fields.
  for (const char* tag : {"MTrk", "fmt ", "data", "LIST"}) {
    for (size_t at = bytes.find(tag); at != std::string::npos; at = bytes.find(tag, at + 4)) {
      fields.push_back(at + 4);
      if (std::strcmp(tag, "fmt ") == 0) fields.insert(fields.end(), {at + 8, at + 10, at + 12, at + 20, at + 22});
    }
  }
  if (fields.empty()) fields = {0, 4, 8, 12};
  return fields;
}

// Applies the damage to file `path` whose good bytes are `good`; `other` is some other data file.
void Apply(Damage damage, const fs::path& path, const std::string& good, const fs::path& other, std::mt19937& random) {
  std::string bytes = good;
  switch (damage) {
    case Damage::Truncated:
      bytes.resize(Pick(random, static_cast<uint32_t>(bytes.size())));
      break;
    case Damage::FlippedBits:
      for (uint32_t n = 1 + Pick(random, 16); n > 0 && !bytes.empty(); --n) {
        bytes[Pick(random, static_cast<uint32_t>(bytes.size()))] ^= static_cast<char>(1u << Pick(random, 8));
      }
      break;
    case Damage::LyingHeader: {
      static const uint32_t kLies[] = {0, 1, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFF, 0x10000, 65535 * 4};
      const std::vector<size_t> fields = HeaderFields(bytes);
      for (uint32_t n = 1 + Pick(random, 2); n > 0; --n) {
        const size_t at = fields[Pick(random, static_cast<uint32_t>(fields.size()))];
        const uint32_t lie = Pick(random, 3) ? kLies[Pick(random, 8)] : static_cast<uint32_t>(random());
        if (Pick(random, 2))
          Put32(&bytes, at, lie);
        else if (at + 1 < bytes.size())
          bytes[at] = static_cast<char>(lie), bytes[at + 1] = static_cast<char>(lie >> 8);
      }
      break;
    }
    case Damage::Empty:
      bytes.clear();
      break;
    case Damage::OtherFile:
      bytes = ReadWholeFile(other);
      break;
    case Damage::Folder:
      break;
  }
  fs::remove(path);
  if (damage == Damage::Folder) {
    fs::create_directories(path / "inside");
  } else {
    WriteWholeFile(path, bytes);
  }
}

void Restore(const fs::path& path, const std::string& good) {
  fs::remove_all(path);
  WriteWholeFile(path, good);
}

// The hole a file belongs to (HoleNN.*), else 0.
int32_t HoleOf(const fs::path& path) {
  const std::string name = path.filename().string();
  if (name.size() < 6 || name.compare(0, 4, "Hole") != 0) return 0;
  return std::atoi(name.substr(4, 2).c_str());
}

struct Case {
  fs::path file;
  Damage damage;
};

// One damaged folder: the demonstration of the hole from the title menu, a round played on it, and the sim's
// demonstration command. Empty when all went well, else the first fault.
std::string RunCase(const std::string& sim, const fs::path& game, const fs::path& work, const Case& c,
                    std::mt19937& random) {
  const fs::path relative = fs::relative(c.file, game);
  const int32_t hole = HoleOf(c.file) ? HoleOf(c.file) : static_cast<int32_t>(1 + Pick(random, 18));
  const std::string demoScript =
      "+1500 runon 3000\n+200 control 1016\n+200 control " + std::to_string(1015 + hole) + "\n+200 move 320 240\n";
  const std::string scripts[2] = {demoScript, MonkeyScript(random, hole)};
  const bool unreadable = c.damage == Damage::Empty || c.damage == Damage::Folder;
  for (int32_t i = 0; i < 2; ++i) {
    fs::remove_all(work / "config");
    fs::create_directories(work / "config");
    fs::create_directories(work / "home");
    WriteWholeFile(work / "script.play", scripts[i]);
    const ChildRun run = RunChild({sim, "play", "--game", game.string(), "--config", (work / "config").string(),
                                   "--script", (work / "script.play").string()},
                                  work, {"HOME=" + (work / "home").string()}, 300);
    std::string fault = ChildFault(run, {0, 3});
    if (fault.empty() && unreadable && relative == "Data/Title.bmp" &&
        (run.out.find("\"messagebox\"") == std::string::npos || run.out.find("\"exit\":0") == std::string::npos)) {
      fault = "an unreadable title picture did not end the program with a message";
    }
    if (!fault.empty()) return "play (" + std::string(i ? "a round" : "the demonstration") + "): " + fault;
  }
  const ChildRun demo = RunChild({sim, "demo", "--game", game.string(), "--hole", std::to_string(hole)}, work, {}, 300);
  std::string fault = ChildFault(demo, {0, 1});
  if (fault.empty() && unreadable && relative.parent_path() == "Holes" && relative.extension() == ".HIO" &&
      demo.exitCode != 1) {
    fault = "a hole without its picture was played";
  }
  return fault.empty() ? "" : "demo: " + fault;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: quill_damage SIM GAME_DIR [EVERY [SEED]]\n", stderr);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const std::string sim = fs::absolute(argv[1]).string();
  const uint32_t every = argc > 3 ? static_cast<uint32_t>(std::max(1, std::atoi(argv[3]))) : 1;
  const uint32_t seed = argc > 4 ? static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10)) : 1;
  char pattern[] = "/tmp/quill-damage-XXXXXX";
  if (!::mkdtemp(pattern)) return 2;
  const fs::path base = pattern, game = base / "game", work = base / "run";
  fs::create_directories(work);
  fs::create_directories(game);
  std::vector<fs::path> files;
  for (const char* folder : {"Holes", "Balls", "Snds", "Data", "Music"}) {
    fs::copy(fs::path(argv[2]) / folder, game / folder, fs::copy_options::recursive);
    for (const auto& entry : fs::directory_iterator(game / folder)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<Case> cases;
  for (const fs::path& file : files) {
    for (int32_t d = 0; d < 6; ++d) cases.push_back({file, static_cast<Damage>(d)});
  }
  std::mt19937 random(seed);
  uint32_t run = 0, failed = 0;
  for (size_t i = seed % every; i < cases.size(); i += every) {
    const Case& c = cases[i];
    const std::string good = ReadWholeFile(c.file);
    Apply(c.damage, c.file, good,
          files[(i / 6 + 1 + Pick(random, static_cast<uint32_t>(files.size()) - 1)) % files.size()], random);
    const std::string fault = RunCase(sim, game, work, c, random);
    ++run;
    if (fault.empty()) {
      std::printf("ok %s, %s\n", fs::relative(c.file, game).c_str(), kDamageNames[static_cast<int32_t>(c.damage)]);
    } else {
      ++failed;
      const fs::path kept = base / ("failed-" + std::to_string(i));
      fs::copy(game, kept / "game", fs::copy_options::recursive);
      fs::copy(work / "script.play", kept / "script.play");
      std::printf("FAIL %s, %s: %s (the damaged folder is kept in %s)\n", fs::relative(c.file, game).c_str(),
                  kDamageNames[static_cast<int32_t>(c.damage)], fault.c_str(), kept.c_str());
    }
    Restore(c.file, good);
  }
  std::printf("damage: %u of %zu cases over %zu files (seed %u), %u failed\n", run, cases.size(), files.size(), seed,
              failed);
  if (failed == 0) fs::remove_all(base);
  return failed == 0 ? 0 : 1;
}
