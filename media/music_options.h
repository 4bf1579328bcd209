// Music options: what the music setting asks to play, the random pick from the Music folder, and the
// volume's three steps with their texts, for start-up, activation and the music options dialog.
#pragma once

#include <cstdint>
#include <string>

constexpr size_t kMusicListMax = 20;

// Starts what the music choice asks for: nothing, a random piece, or one file looped.
void StartMusicFromSettings();
// Fills the music list on first use and picks the current random piece (never the previous one when there
// is a choice). An empty Music folder turns the choice into "None" and saves it.
void PickRandomMusic();

std::string CurrentRandomMusic();
size_t MusicListCount();

// The music volume setting as a number (leading digits; 0 when none).
int32_t MusicVolumeNumber();
// "Volume High", "Volume Medium" or "Volume Low"; empty for any other value.
std::string MusicVolumeName(int32_t volume);
// What the dialog shows on its volume button; a stored volume that is not one of the three becomes
// "1000", is applied and saved.
std::string ShowMusicVolume();
// The volume button: high, medium, low, high again; applied at once and saved. Returns the new name.
std::string CycleMusicVolume();
// What the dialog shows as playing: "Random <piece>" or "Playing <choice>".
std::string NowPlayingText();

// The dialog's choices: each saves the settings, stops the music and starts what the choice asks for.
void ChooseNoMusic();
void ChooseRandomMusic();
// A file picked by the player (or none when the file dialog was cancelled: the same music restarts).
void ChooseMusicFile(const char* path);

// The music options dialog, modal over the title picture.
void RunMusicOptions();
// The file dialog behind "Select Music"; true with the full path when the player confirmed a file.
bool SelectMusicFile(std::string* path);

void ResetMusicOptionsForTest();
