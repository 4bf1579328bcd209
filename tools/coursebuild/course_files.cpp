// Reading the title recipe and writing the game folder's files only when they change.
#include "tools/coursebuild/course_files.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool Printable(std::string_view s) {
  for (const char ch : s) {
    if (ch < 0x20 || ch > 0x7E) return false;
  }
  return !s.empty();
}

}  // namespace

std::optional<TitleWords> ParseTitleRecipe(std::string_view text, std::string* error) {
  TitleWords words;
  bool haveProduct = false, haveCourse = false;
  int lineNumber = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;
    const size_t space = line.find_first_of(" \t");
    const std::string_view key = line.substr(0, space);
    const std::string_view value = space == std::string_view::npos ? std::string_view{} : Trim(line.substr(space));
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    bool* seen = key == "product" ? &haveProduct : key == "course" ? &haveCourse : nullptr;
    if (!seen) {
      *error = where + "unknown key '" + std::string(key) + "'";
      return std::nullopt;
    }
    if (*seen) {
      *error = where + "'" + std::string(key) + "' given twice";
      return std::nullopt;
    }
    if (!Printable(value)) {
      *error = where + "'" + std::string(key) + "' needs a name of printable ASCII";
      return std::nullopt;
    }
    *seen = true;
    (key == "product" ? words.product : words.course) = std::string(value);
  }
  if (!haveProduct || !haveCourse) {
    *error = std::string("missing '") + (haveProduct ? "course" : "product") + "'";
    return std::nullopt;
  }
  return words;
}

WriteOutcome WriteIfChanged(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      const std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (old == bytes) return WriteOutcome::Unchanged;
    }
  }
  std::error_code ec;
  if (path.has_parent_path()) {
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
      *error = "cannot create " + path.parent_path().string() + ": " + ec.message();
      return WriteOutcome::Failed;
    }
  }
  std::filesystem::path temporary = path;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, ec);
      *error = "cannot write " + temporary.string();
      return WriteOutcome::Failed;
    }
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    *error = "cannot replace " + path.string() + ": " + ec.message();
    return WriteOutcome::Failed;
  }
  return WriteOutcome::Written;
}
