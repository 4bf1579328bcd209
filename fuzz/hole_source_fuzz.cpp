// Fuzzes the hole source compiler: any text either compiles to a whole map or is refused with a message
// that names the file and a line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/coursebuild/hole_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1024) return 0;  // every shape may paint the whole field: long inputs only cost time
  std::string error;
  const std::optional<CompiledHole> hole =
      CompileHoleSource(std::string_view(reinterpret_cast<const char*>(data), size), "f.hole", &error);
  if (hole) {
    if (hole->map.code.size() != kMapPixels || hole->par < 1 || hole->par > 9) abort();
  } else if (error.rfind("f.hole:", 0) != 0) {
    abort();
  }
  return 0;
}
