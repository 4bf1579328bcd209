// Fuzzes the user-dirs.dirs reader and the launcher writer: a desktop folder read from any file is absolute
// with no trailing slash, and a launcher written for it names exactly that folder and program once the
// desktop has undone the value escapes and the Exec quoting.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/files/desktop.h"

namespace {

std::string LineValue(const std::string& text, const std::string& key) {
  const size_t start = text.find("\n" + key + "=");
  if (start == std::string::npos) abort();
  const size_t from = start + key.size() + 2;
  return text.substr(from, text.find('\n', from) - from);
}

// The general string escapes of a desktop entry.
std::string Unescape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\') {
      if (++i >= value.size() || value[i] != '\\') abort();  // the writer only ever escapes backslashes
    }
    out.push_back(value[i]);
  }
  return out;
}

// One quoted Exec argument, as the desktop reads it.
std::string Unquote(const std::string& exec) {
  if (exec.size() < 2 || exec.front() != '"' || exec.back() != '"') abort();
  std::string out;
  for (size_t i = 1; i + 1 < exec.size(); ++i) {
    char c = exec[i];
    if (c == '"' || c == '`' || c == '$') abort();  // unescaped, it would end or change the argument
    if (c == '\\') c = exec[++i];
    if (c == '%' && exec[++i] != '%') abort();  // a field code
    out.push_back(c);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string desktop = ParseDesktopDir(bytes, "/home/fuzz");
  if (desktop.empty()) return 0;
  if (desktop.front() != '/' || (desktop.size() > 1 && desktop.back() == '/')) abort();

  const std::string program = desktop + "/Quillmere Brindlemoor";
  const std::string text = FormatLauncher(program, desktop);
  if (text.empty()) return 0;
  if (Unescape(LineValue(text, "Path")) != desktop) abort();
  if (Unquote(Unescape(LineValue(text, "Exec"))) != program) abort();
  return 0;
}
