// The few POSIX calls the portable code makes that mingw-w64's C library lacks, in their Windows form.
#pragma once

#ifdef __cplusplus
#include <cstdlib>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && std::getenv(name)) return 0;
  return _putenv_s(name, value);
}
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif
