// Screenshots: an RGB565 surface written as an 8-bit RGB PNG. libpng's simplified API reports errors by
// return value instead of longjmp, which keeps C++ objects on this stack safe.
#include "platform/draw/png.h"

#include <png.h>

#include <climits>
#include <cstdint>
#include <vector>

bool WriteSurfacePng(const Surface& surface, const std::string& path) {
  if (surface.width <= 0 || surface.height <= 0 || surface.width > INT32_MAX / 3) return false;
  const size_t count = static_cast<size_t>(surface.width) * static_cast<size_t>(surface.height);
  if (surface.pixels.size() < count) return false;

  // Color565ToRgb repeats each channel's top bits into the low ones, so 0xFFFF is pure white.
  std::vector<uint8_t> rgb(count * 3);
  for (size_t i = 0; i < count; ++i) {
    const COLORREF c = Color565ToRgb(surface.pixels[i]);
    rgb[3 * i] = static_cast<uint8_t>(GetRValue(c));
    rgb[3 * i + 1] = static_cast<uint8_t>(GetGValue(c));
    rgb[3 * i + 2] = static_cast<uint8_t>(GetBValue(c));
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(surface.width);
  image.height = static_cast<png_uint_32>(surface.height);
  image.format = PNG_FORMAT_RGB;
  const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), surface.width * 3, nullptr);
  png_image_free(&image);
  return ok != 0;
}
