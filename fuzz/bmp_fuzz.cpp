// Fuzzes the BMP reader; whatever it accepts must also survive a trip through the writer unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/draw/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto bitmap = DecodeBmp(data, size);
  if (!bitmap) return 0;
  if (bitmap->width <= 0 || bitmap->height <= 0 ||
      bitmap->rgb.size() != static_cast<size_t>(bitmap->width) * static_cast<size_t>(bitmap->height)) {
    abort();
  }
  for (uint32_t pixel : bitmap->rgb) {
    if (pixel > 0xFFFFFF) abort();
  }
  const std::vector<uint8_t> file = EncodeBmp24(*bitmap);
  const auto back = DecodeBmp(file.data(), file.size());
  if (!back || back->width != bitmap->width || back->height != bitmap->height || back->rgb != bitmap->rgb) abort();
  return 0;
}
