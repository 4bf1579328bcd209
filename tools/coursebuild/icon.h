// The game's icon for menus and launchers: a ball beside a flagged cup on a framed putting green, drawn at
// every size it is installed in, so small sizes stay sharp instead of being scaled down by the desktop.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The sizes the hicolor icon theme looks in first; desktops scale from the nearest one.
constexpr std::array<int32_t, 7> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

struct IconPicture {
  int32_t side = 0;
  std::vector<uint8_t> rgba;  // side x side pixels, top row first, straight (not premultiplied) alpha
};

// The icon at side x side pixels; transparent round its rounded corners.
IconPicture DrawIcon(int32_t side);

// The icon as a PNG file's bytes; empty when it cannot be encoded.
std::vector<uint8_t> EncodeIconPng(const IconPicture& icon);

// Writes DIR/<S>x<S>/apps/NAME.png for every size, as the hicolor theme lays them out; false with the
// reason in *error when a file cannot be written.
bool WriteIcons(const std::filesystem::path& dir, const std::string& name, std::string* error);
