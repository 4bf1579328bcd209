// Music options. The list of random pieces is read from the Music folder once a run; later files are
// found at the next start. The pick may also run where the music player starts the next piece, so the
// list and the pick keep their own lock.
#include "media/music_options.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "media/music.h"
#include "menus/settings.h"
#include "platform/system.h"
#include "shell/shell.h"

namespace {

constexpr size_t kPathSize = 256;

struct MusicOptionsState {
  std::vector<std::string> list;  // full paths, each shorter than kPathSize
  int32_t previousPick = -1;
  std::string currentRandom;
};

MusicOptionsState gMusicOptions;
std::mutex gOptionsLock;

// The music settings are written here on the game's thread and read where the next random piece starts;
// both go through the lock.
void CopySetting(char* to, size_t size, const char* text) {
  std::strncpy(to, text, size - 1);
  to[size - 1] = '\0';
}

void SetChoice(const char* text) {
  std::lock_guard<std::mutex> hold(gOptionsLock);
  CopySetting(gSettings.musicChoice, sizeof gSettings.musicChoice, text);
}

void SetVolume(int32_t volume) {
  std::lock_guard<std::mutex> hold(gOptionsLock);
  CopySetting(gSettings.musicVolume, sizeof gSettings.musicVolume, std::to_string(volume).c_str());
}

std::string Choice() {
  std::lock_guard<std::mutex> hold(gOptionsLock);
  return gSettings.musicChoice;
}

bool ChoiceIsNone(const std::string& choice) { return choice[0] == 'N' || choice[0] == 'O'; }
bool ChoiceIsRandom(const std::string& choice) { return choice[0] == 'R'; }

void FillMusicList() {
  const std::string start = gShell.startDirectory;
  for (const std::string& name : FindGameFiles(start + "\\Music\\*.mid")) {
    if (gMusicOptions.list.size() >= kMusicListMax) break;
    std::string path = start + "\\Music\\" + name;
    // A path that would not fit the game's 256-byte buffers is left out rather than cut short.
    if (path.size() < kPathSize) gMusicOptions.list.push_back(std::move(path));
  }
}

}  // namespace

void PickRandomMusic() {
  std::lock_guard<std::mutex> hold(gOptionsLock);
  if (gMusicOptions.list.empty()) FillMusicList();
  if (gMusicOptions.list.empty()) {
    CopySetting(gSettings.musicChoice, sizeof gSettings.musicChoice, "None");
    SaveMusicSettings();
    SetCurrentDirectoryA(gShell.startDirectory);
    return;
  }
  const int32_t count = static_cast<int32_t>(gMusicOptions.list.size());
  int32_t pick = Random() * count / 32768;
  while (count > 1 && pick == gMusicOptions.previousPick) pick = Random() * count / 32768;
  gMusicOptions.previousPick = pick;
  gMusicOptions.currentRandom = gMusicOptions.list[pick];
  SetCurrentDirectoryA(gShell.startDirectory);
}

void StartMusicFromSettings() {
  const std::string choice = Choice();
  if (ChoiceIsNone(choice)) return;
  int32_t volume = MusicVolumeNumber();
  if (volume == 0) volume = 1000;
  if (!ChoiceIsRandom(choice)) {
    StartMusic(choice.c_str(), true, volume);
    return;
  }
  PickRandomMusic();
  // An empty folder has just turned the choice into "None".
  if (ChoiceIsNone(Choice())) return;
  const std::string piece = CurrentRandomMusic();
  StartMusic(piece.c_str(), false, volume);
}

std::string CurrentRandomMusic() {
  std::lock_guard<std::mutex> hold(gOptionsLock);
  return gMusicOptions.currentRandom;
}

size_t MusicListCount() {
  std::lock_guard<std::mutex> hold(gOptionsLock);
  return gMusicOptions.list.size();
}

int32_t MusicVolumeNumber() {
  std::lock_guard<std::mutex> hold(gOptionsLock);
  return std::atoi(gSettings.musicVolume);
}

std::string MusicVolumeName(int32_t volume) {
  switch (volume) {
    case 300:
      return "Volume Low";
    case 600:
      return "Volume Medium";
    case 1000:
      return "Volume High";
    default:
      return "";
  }
}

std::string ShowMusicVolume() {
  const std::string name = MusicVolumeName(MusicVolumeNumber());
  if (!name.empty()) return name;
  SetVolume(1000);
  SetMusicVolume(1000);
  SaveMusicSettings();
  return MusicVolumeName(1000);
}

std::string CycleMusicVolume() {
  const int32_t now = MusicVolumeNumber();
  const int32_t next = now == 1000 ? 600 : now == 600 ? 300 : 1000;
  SetVolume(next);
  SetMusicVolume(next);
  SaveMusicSettings();
  return ShowMusicVolume();
}

std::string NowPlayingText() {
  const std::string choice = Choice();
  // Shown as the file that plays: the random pieces are named the game's way, with backslashes.
  if (ChoiceIsRandom(choice)) return "Random " + ResolveGamePath(CurrentRandomMusic());
  return "Playing " + (ChoiceIsNone(choice) ? choice : ResolveGamePath(choice));
}

namespace {

void RestartFromChoice() {
  SaveMusicSettings();
  StopMusic();
  StartMusicFromSettings();
}

}  // namespace

void ChooseNoMusic() {
  SetChoice("None");
  RestartFromChoice();
}

void ChooseRandomMusic() {
  SetChoice("Random");
  PickRandomMusic();
  RestartFromChoice();
}

void ChooseMusicFile(const char* path) {
  if (path != nullptr && path[0] != '\0') SetChoice(path);
  RestartFromChoice();
}

void ResetMusicOptionsForTest() {
  std::lock_guard<std::mutex> hold(gOptionsLock);
  gMusicOptions = MusicOptionsState{};
}
