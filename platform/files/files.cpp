// Game files: the current directory, Windows-style relative paths matched case-insensitively, whole reads.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/system.h"

namespace {

constexpr size_t kMaxGameFile = 64u << 20;  // nothing the game reads comes near this

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of dir whose name equals name ignoring case; the exact name wins when present.
std::string MatchEntry(const std::string& dir, const std::string& name) {
  if (Exists(dir + "/" + name)) return name;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.c_str()), ::closedir);
  if (!d) return name;
  while (const dirent* e = ::readdir(d.get())) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) return e->d_name;
  }
  return name;
}

// '*' and '?' wildcards ignoring case; a leading dot is matched only by a dot, as the shell's patterns do.
bool WildcardMatch(const char* pattern, const char* name, bool atStart = true) {
  for (; *pattern; ++pattern, ++name) {
    if (*pattern == '*') {
      if (atStart && *name == '.') return false;
      for (const char* rest = name;; ++rest) {
        if (WildcardMatch(pattern + 1, rest, false)) return true;
        if (!*rest) return false;
      }
    }
    if (!*name || (atStart && *name == '.' && *pattern != '.')) return false;
    if (*pattern != '?' &&
        std::tolower(static_cast<unsigned char>(*pattern)) != std::tolower(static_cast<unsigned char>(*name))) {
      return false;
    }
    atStart = false;
  }
  return !*name;
}

}  // namespace

std::string GetCurrentDirectoryA() {
  std::vector<char> buffer(4096);
  if (!::getcwd(buffer.data(), buffer.size())) return ".";
  return buffer.data();
}

bool SetCurrentDirectoryA(const std::string& path) { return ::chdir(path.c_str()) == 0; }

std::string ResolveGamePath(const std::string& windowsPath) {
#ifdef _WIN32
  return windowsPath;  // the file system itself ignores case and takes both separators
#endif
  std::string path = windowsPath;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  const bool absolute = !path.empty() && path[0] == '/';
  std::string resolved = absolute ? "" : ".";
  size_t start = absolute ? 1 : 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (!part.empty() && part != ".") resolved += "/" + MatchEntry(resolved.empty() ? "/" : resolved, part);
    start = end + 1;
  }
  if (!absolute && resolved.rfind("./", 0) == 0) resolved.erase(0, 2);
  return resolved.empty() ? "/" : resolved;
}

bool ReadGameFile(const std::string& windowsPath, std::vector<uint8_t>* bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(ResolveGamePath(windowsPath).c_str(), "rb"), std::fclose);
  if (!f) return false;
  bytes->clear();
  uint8_t chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
    if (bytes->size() + got > kMaxGameFile) return false;
    bytes->insert(bytes->end(), chunk, chunk + got);
  }
  return std::ferror(f.get()) == 0;
}

std::vector<std::string> FindGameFiles(const std::string& windowsPattern) {
  const size_t cut = windowsPattern.find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? "." : ResolveGamePath(windowsPattern.substr(0, cut));
  const std::string pattern = cut == std::string::npos ? windowsPattern : windowsPattern.substr(cut + 1);
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(folder.empty() ? "/" : folder.c_str()), ::closedir);
  if (!d) return names;
  while (const dirent* e = ::readdir(d.get())) {
    if (!WildcardMatch(pattern.c_str(), e->d_name)) continue;
    struct stat st {};
    if (::stat((folder + "/" + e->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(e->d_name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) < 0; });
  return names;
}
