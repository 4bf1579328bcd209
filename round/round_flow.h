// The round's play-phase machine: one step per idle tick, from a new round through every hole, stroke and
// score screen to the end of the round.
#pragma once

#include <cstdint>

// One step of the machine; nothing while the pause flag is set.
void PlayTick();
void StartRound();
void EndRound();
// Stops and lets go of the best-score fanfare.
void EndCelebration();
// The ball goes down on the pad at the last cursor position and the stroke counter starts.
void PlaceBall();
// n is 0..17: the next tick starts hole n + 1 with its first player.
void JumpToHole(int8_t n);
// A frame of placing (the green and the cursor ball) or aiming (also the ball and the aim line).
void DrawPlayingFrame();
// The message panel (raised) in one of the rectangles below.
void ShowRoundPanel(uint32_t hold, const char* text, const int32_t (&rect)[4]);

// Message panel rectangles.
constexpr int32_t kNameRect[4] = {260, 195, 380, 245};
constexpr int32_t kWideRect[4] = {160, 190, 480, 250};
constexpr const char* kPlaceOnPad = "Place ball on the Starting Pad";
