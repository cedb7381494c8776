// Loaded with LD_PRELOAD: renameat2 fails as on a file system without RENAME_NOREPLACE, so that
// the program's fallback runs.
#include <cerrno>

extern "C" int renameat2(int, const char*, int, const char*, unsigned) {
  errno = EINVAL;
  return -1;
}
