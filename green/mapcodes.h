// What each pixel of the green is: the map codes, their families and tests, and the names shown for them.
#pragma once

#include <cstdint>
#include <string>

// Exact codes below 0x80.
constexpr uint8_t kCodeOpen = 0;
constexpr uint8_t kCodeStartPad = 1;
constexpr uint8_t kCodeCup = 2;
constexpr uint8_t kCodeGreen = 3;
constexpr uint8_t kCodeRoughWall = 4;
constexpr uint8_t kCodeWater = 9;
constexpr uint8_t kCodeHeavy = 10;
constexpr uint8_t kCodeCentreOff = 13;
constexpr uint8_t kCodeCentreOn = 14;
constexpr uint8_t kCodeChute = 20;
constexpr uint8_t kCodeLaunch = 21;
constexpr uint8_t kCodeReturn = 22;
constexpr uint8_t kCodeKeepSpeed = 23;
constexpr uint8_t kCodeGlideStart = 24;
constexpr uint8_t kCodeGlideEnd = 25;
constexpr uint8_t kCodeBounceBack = 26;
constexpr uint8_t kCodeSlopeStrength = 120;  // 120..126: strength code - 120
constexpr uint8_t kCodeSlopeReset = 127;
// Families by the high four bits.
constexpr uint8_t kCodeSlope = 0x80;
constexpr uint8_t kCodeFunnel = 0x90;
constexpr uint8_t kCodeWall = 0xA0;  // 0xA0..0xA7 straight, 0xA8..0xAF curved
constexpr uint8_t kCodeCentreSlope = 0xB0;
constexpr uint8_t kCodeTunnel = 0xC0;  // 0xC0..0xFF

// Step of each 8-step direction: 0 east, 1 south-east, ... 7 north-east.
constexpr int32_t kStepX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int32_t kStepY[8] = {0, 1, 1, 1, 0, -1, -1, -1};

uint8_t MapCodeAt(int32_t x, int32_t y);
bool IsRestingPlace(uint8_t code);
bool IsHoled(uint8_t code);
bool IsWallForNormal(uint8_t code);
// The name shown under the pointer, or empty; slopes name the hole slope strength x 15.
std::string MapCodeName(uint8_t code);
// 16-step direction from (fromX, fromY) toward (toX, toY), plus 16 when the Manhattan distance is below 5.
int32_t DirectionToward(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);
