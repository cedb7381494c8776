// Loaded with LD_PRELOAD: renameat2 fails as on a file system without RENAME_NOREPLACE, so that
// the program's fallback runs. With SHIM_EPERM set it fails as for an entry that cannot move at
// all; with SHIM_NO_RENAME set, a plain rename fails too.
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern "C" int renameat2(int, const char*, int, const char*, unsigned) {
  errno = std::getenv("SHIM_EPERM") ? EPERM : EINVAL;
  return -1;
}

extern "C" int renameat(int from, const char* name, int to, const char* new_name) {
  if (!std::getenv("SHIM_NO_RENAME"))
    return static_cast<int>(syscall(SYS_renameat, from, name, to, new_name));
  errno = EPERM;
  return -1;
}
