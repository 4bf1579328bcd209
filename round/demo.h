// The demonstration hole: two players play one hole from a fixed script, the pointer gliding to each
// scripted point as if a player moved the mouse.
#pragma once

#include <cstdint>
#include <functional>

struct DemoRecord {
  int32_t hole;
  int32_t player;
  int32_t stroke;  // 0: the pad point; k: the aim point of stroke k
  int32_t x;
  int32_t y;
};

constexpr int32_t kDemoRecordCount = 119;
// The script, closed by a record of zeros.
extern const DemoRecord kDemoScript[kDemoRecordCount + 1];

struct DemoState {
  int32_t record = 0;  // the record at hand
  // Called once a record has been used (ball placed, or stroke played and judged), with its index.
  std::function<void(int32_t)> recordHook;
};

extern DemoState gDemo;

// hole 1..18; anything else returns at once.
void RunDemoHole(int32_t hole);
// One frame's pointer move along one axis: an eighth of the way plus a pixel, always arriving.
int32_t PointerStep(int32_t p, int32_t q);

void ResetDemoForTest();
