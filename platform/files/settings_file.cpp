// The settings key as a text file: reading what can be read, replacing the file atomically, the owner name.
#include "platform/files/settings_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files/atomic_file.h"

namespace {

constexpr size_t kMaxSettingsFile = 1u << 20;  // the game writes about a kilobyte; more is not ours
constexpr int32_t kMaxBadCopies = 1000;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The file cannot say a line break or a control character, so such a text is never written.
bool Storable(std::string_view text) {
  for (char c : text) {
    if (static_cast<uint8_t>(c) < 0x20) return false;
  }
  return true;
}

void AppendQuoted(std::string_view cp1252, std::string* out) {
  out->push_back('"');
  for (char c : Cp1252ToUtf8(cp1252)) {
    if (c == '\\' || c == '"') out->push_back('\\');
    out->push_back(c);
  }
  out->push_back('"');
}

// A quoted string at line[*pos] in UTF-8, unescaped; false when it is not one.
bool ReadQuoted(std::string_view line, size_t* pos, std::string* out) {
  if (*pos >= line.size() || line[*pos] != '"') return false;
  out->clear();
  for (size_t i = *pos + 1; i < line.size(); ++i) {
    const char c = line[i];
    if (static_cast<uint8_t>(c) < 0x20) return false;
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    if (c == '\\') {
      if (++i >= line.size() || (line[i] != '\\' && line[i] != '"')) return false;
    }
    out->push_back(line[i]);
  }
  return false;
}

// One `"Name"="Value"` line; *valid is cleared when its UTF-8 was not well formed (the bytes are kept as 1252).
bool ParseValueLine(std::string_view line, SettingsValue* value, bool* valid) {
  size_t pos = 0;
  std::string name, text;
  if (!ReadQuoted(line, &pos, &name) || pos >= line.size() || line[pos++] != '=') return false;
  if (!ReadQuoted(line, &pos, &text) || pos != line.size()) return false;
  bool nameOk = true, textOk = true;
  value->name = Utf8ToCp1252(name, &nameOk);
  value->text = Utf8ToCp1252(text, &textOk);
  *valid = nameOk && textOk;
  return true;
}

int32_t ReadWholeFile(const std::string& path, std::string* text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? kSettingsNotFound : kSettingsAccessDenied;
  struct stat st {};
  int32_t status = kSettingsOk;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > kMaxSettingsFile) {
    status = kSettingsAccessDenied;
  }
  text->clear();
  char chunk[8192];
  while (status == kSettingsOk) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || text->size() + static_cast<size_t>(got) > kMaxSettingsFile) status = kSettingsAccessDenied;
    if (got <= 0) break;
    text->append(chunk, static_cast<size_t>(got));
  }
  ::close(fd);
  return status;
}

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool MakeFolders(const std::string& folder) {
  for (size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    if (::mkdir(folder.substr(0, i).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Keeps a damaged file beside the real one under the first free name, Kormo1.reg.bad, .bad.1, ... It is
// never overwritten or deleted: it may hold the only copy of a player's scores.
bool KeepDamagedCopy(const std::string& path) {
  std::string bytes;
  if (ReadWholeFile(path, &bytes) == kSettingsNotFound) return true;  // nothing left to lose
  for (int32_t n = 0; n < kMaxBadCopies; ++n) {
    const std::string name = path + ".bad" + (n == 0 ? "" : "." + std::to_string(n));
    if (::link(path.c_str(), name.c_str()) == 0) return true;
    if (errno == EEXIST) continue;
    // No hard links here: write the copy out instead.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return false;
    const bool ok = WriteWhole(fd, bytes) && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
  }
  return false;
}

// Temporary files of writers that were killed before their rename; a live writer's file is left alone.
void RemoveStaleTemporaries(const std::string& folder, const std::string& base) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const std::string prefix = base + ".";
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() <= prefix.size() + 4 || name.rfind(prefix, 0) != 0 || name.substr(name.size() - 4) != ".tmp")
      continue;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
    const pid_t pid = static_cast<pid_t>(std::atol(digits.c_str()));
    if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) ::unlinkat(::dirfd(dir), name.c_str(), 0);
  }
  ::closedir(dir);
}

bool IsDamagedCopyName(const std::string& name, const std::string& base) {
  const std::string copy = base + ".bad";
  if (name == copy) return true;
  if (name.size() <= copy.size() + 1 || name.rfind(copy + ".", 0) != 0) return false;
  return name.find_first_not_of("0123456789", copy.size() + 1) == std::string::npos;
}

// The copies KeepDamagedCopy made, whatever numbers are left after gaps; nothing else in the folder.
void RemoveDamagedCopies(const std::string& folder, const std::string& base) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    if (IsDamagedCopyName(e->d_name, base)) ::unlinkat(::dirfd(dir), e->d_name, 0);
  }
  ::closedir(dir);
}

int32_t ReplaceFile(const std::string& path, const std::string& text) {
  const std::string folder = Folder(path);
  if (!MakeFolders(folder)) return kSettingsAccessDenied;
  RemoveStaleTemporaries(folder, BaseName(path));
  const std::string temporary = path + "." + std::to_string(::getpid()) + ".tmp";
  switch (ReplaceFileAtomically(path, temporary, text, 0600)) {
    case ReplaceResult::Ok:
      return kSettingsOk;
    case ReplaceResult::CannotCreate:
      return kSettingsAccessDenied;
    default:
      return kSettingsWriteFault;
  }
}

int32_t LoadKey(SettingsKey* key, const std::string& path) {
  std::string text;
  const int32_t status = ReadWholeFile(path, &text);
  if (status != kSettingsOk) return status;
  SettingsParse parse = ParseSettingsText(text);
  *key = SettingsKey{};
  key->open = true;
  key->path = path;
  key->damaged = parse.damaged();
  key->values = std::move(parse.values);
  return kSettingsOk;
}

}  // namespace

std::string Utf8ToCp1252(std::string_view text, bool* wasValid) {
  std::string out;
  bool valid = true;
  for (size_t pos = 0; pos < text.size();) {
    const size_t start = pos;
    const int64_t cp = DecodeUtf8(text, &pos);
    if (cp < 0) {
      valid = false;
      out.push_back(text[start]);  // most likely a 1252 byte typed by hand: keep it as it is
    } else {
      const int32_t byte = UnicodeToCp1252(static_cast<uint32_t>(cp));
      out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
  }
  if (wasValid) *wasValid = valid;
  return out;
}

SettingsParse ParseSettingsText(std::string_view fileText) {
  SettingsParse parse;
  if (fileText.substr(0, 3) == "\xEF\xBB\xBF") fileText.remove_prefix(3);
  bool first = true;
  while (!fileText.empty() || first) {
    const size_t end = fileText.find('\n');
    std::string_view line = fileText.substr(0, end);
    fileText.remove_prefix(end == std::string_view::npos ? fileText.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const bool isFirst = first;
    first = false;
    if (isFirst && line == kSettingsKeyHeader) continue;
    if (isFirst) ++parse.badLines;  // no header: still take whatever values follow
    if (line.empty()) continue;
    SettingsValue value;
    bool valid = true;
    if (!ParseValueLine(line, &value, &valid)) {
      if (!isFirst) ++parse.badLines;
      continue;
    }
    if (!valid) ++parse.badLines;
    bool replaced = false;
    for (SettingsValue& known : parse.values) {
      if (SameName(known.name, value.name)) {
        known.text = value.text;
        replaced = true;
        ++parse.badLines;  // the rewrite would drop one of the two
      }
    }
    if (!replaced) parse.values.push_back(std::move(value));
  }
  return parse;
}

std::string FormatSettingsText(const std::vector<SettingsValue>& values) {
  std::string out = std::string(kSettingsKeyHeader) + "\n";
  for (const SettingsValue& v : values) {
    AppendQuoted(v.name, &out);
    out.push_back('=');
    AppendQuoted(v.text, &out);
    out.push_back('\n');
  }
  return out;
}

std::string SettingsFilePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
      const passwd* pw = ::getpwuid(::getuid());
      home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return "";
    base = std::string(home) + "/.config";
  }
  return base + "/Lindqvarn/Kormo1.reg";
}

int32_t SettingsCreateKey(SettingsKey* key, bool* created) {
  *created = false;
  *key = SettingsKey{};
  const std::string path = SettingsFilePath();
  if (path.empty()) return kSettingsAccessDenied;
  const int32_t status = LoadKey(key, path);
  if (status != kSettingsNotFound) return status;
  // A new key: the file is written at the first flush, so a run that dies before it starts afresh next time.
  const std::string folder = Folder(path);
  if (!MakeFolders(folder) || ::access(folder.c_str(), W_OK | X_OK) != 0) return kSettingsAccessDenied;
  key->open = true;
  key->path = path;
  key->dirty = true;
  *created = true;
  return kSettingsOk;
}

int32_t SettingsOpenKey(SettingsKey* key) {
  *key = SettingsKey{};
  const std::string path = SettingsFilePath();
  return path.empty() ? kSettingsAccessDenied : LoadKey(key, path);
}

int32_t SettingsQueryValue(const SettingsKey& key, std::string_view name, size_t bufferSize, std::string* text) {
  if (!key.open) return kSettingsNotFound;
  for (const SettingsValue& v : key.values) {
    if (!SameName(v.name, name)) continue;
    if (v.text.size() + 1 > bufferSize) return kSettingsMoreData;
    *text = v.text;
    return kSettingsOk;
  }
  return kSettingsNotFound;
}

int32_t SettingsSetValue(SettingsKey* key, std::string_view name, std::string_view text) {
  if (!key->open) return kSettingsNotFound;
  if (!Storable(name) || !Storable(text)) return kSettingsBadParameter;
  key->dirty = true;
  for (SettingsValue& v : key->values) {
    if (SameName(v.name, name)) {
      v.text = text;
      return kSettingsOk;
    }
  }
  key->values.push_back({std::string(name), std::string(text)});
  return kSettingsOk;
}

int32_t SettingsFlushKey(SettingsKey* key) {
  if (!key->open) return kSettingsNotFound;
  if (!key->dirty) return kSettingsOk;
  if (key->damaged && !KeepDamagedCopy(key->path)) return kSettingsWriteFault;
  key->damaged = false;
  const int32_t status = ReplaceFile(key->path, FormatSettingsText(key->values));
  if (status == kSettingsOk) key->dirty = false;
  return status;
}

int32_t SettingsCloseKey(SettingsKey* key) {
  const int32_t status = SettingsFlushKey(key);
  *key = SettingsKey{};
  return status;
}

int32_t SettingsDeleteKey() {
  const std::string path = SettingsFilePath();
  if (path.empty()) return kSettingsAccessDenied;
  int32_t status = kSettingsOk;
  if (::unlink(path.c_str()) != 0) status = errno == ENOENT ? kSettingsNotFound : kSettingsAccessDenied;
  const std::string folder = Folder(path);
  RemoveDamagedCopies(folder, BaseName(path));
  RemoveStaleTemporaries(folder, BaseName(path));
  // Only an empty folder goes: anything else in it is not the game's.
  if (::rmdir(folder.c_str()) != 0) SyncFolder(folder);
  return status;
}

std::string RegisteredOwner() {
  const passwd* pw = ::getpwuid(::getuid());
  if (!pw || !pw->pw_gecos) return "";
  const std::string gecos = pw->pw_gecos;
  return Utf8ToCp1252(gecos.substr(0, gecos.find(',')));
}
