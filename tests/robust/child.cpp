// Running quillmere-sim as a child under a watchdog, and judging how it ended.
#include "tests/robust/child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/files/settings_file.h"

namespace fs = std::filesystem;

ChildRun RunChild(const std::vector<std::string>& argv, const fs::path& where,
                  const std::vector<std::string>& environment, uint32_t timeoutSeconds) {
  const fs::path out = where / "child.out", err = where / "child.err";
  ChildRun run;
  // Everything the child needs is made before the fork: drivers fork from several threads at once.
  std::vector<char*> args, env;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));  // first wins
  for (char** e = environ; *e; ++e) env.push_back(*e);
  env.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFd < 0 || errFd < 0 || ::chdir(where.c_str()) != 0) ::_exit(127);
    ::dup2(outFd, 1);
    ::dup2(errFd, 2);
    ::setpgid(0, 0);
    ::execve(args[0], args.data(), env.data());
    ::dprintf(2, "cannot start %s: %s\n", args[0], std::strerror(errno));
    ::_exit(127);
  }
  // Polled in short naps: the watchdog is the only thing here that waits on the real clock.
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  auto nap = std::chrono::milliseconds(1);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      run.hung = true;
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(nap);
    nap = std::min(nap * 2, std::chrono::milliseconds(20));
  }
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.out = ReadWholeFile(out);
  run.err = ReadWholeFile(err);
  return run;
}

std::string ChildFault(const ChildRun& run, const std::vector<int32_t>& allowedCodes) {
  if (run.hung) return "hang: killed by the watchdog";
  if (run.signal) return "killed by signal " + std::to_string(run.signal);
  for (const char* report : {"Sanitizer", "runtime error:"}) {
    const size_t at = run.err.find(report);
    if (at == std::string::npos) continue;
    const size_t begin = run.err.rfind('\n', at);
    const size_t start = begin == std::string::npos ? 0 : begin + 1;
    return "sanitizer report: " + run.err.substr(start, run.err.find('\n', at) - start);
  }
  if (std::find(allowedCodes.begin(), allowedCodes.end(), run.exitCode) == allowedCodes.end()) {
    return "exit code " + std::to_string(run.exitCode) + ": " + run.err.substr(0, run.err.find('\n'));
  }
  return "";
}

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteWholeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string SettingsFileFault(const fs::path& config) {
  const fs::path file = config / "Lindqvarn" / "Kormo1.reg";
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return "";
  const SettingsParse parse = ParseSettingsText(ReadWholeFile(file));
  if (parse.damaged()) return "the settings file written has " + std::to_string(parse.badLines) + " bad lines";
  return "";
}
