// Loaded with LD_PRELOAD: renameat2 fails as on a file system without RENAME_NOREPLACE, so that
// the program's fallback runs. With SHIM_EPERM set it fails as for an entry that cannot move at
// all; with SHIM_NO_RENAME set a plain rename fails too; SHIM_KEEP names an entry that cannot be
// unlinked.
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

extern "C" int renameat2(int, const char*, int, const char*, unsigned) {
  return errno = std::getenv("SHIM_EPERM") ? EPERM : EINVAL, -1;
}

extern "C" int renameat(int from, const char* name, int to, const char* new_name) {
  if (std::getenv("SHIM_NO_RENAME")) return errno = EPERM, -1;
  return static_cast<int>(syscall(SYS_renameat, from, name, to, new_name));
}

extern "C" int unlinkat(int folder, const char* name, int flags) {
  if (std::getenv("SHIM_KEEP") && std::string_view(std::getenv("SHIM_KEEP")) == name)
    return errno = EPERM, -1;
  return static_cast<int>(syscall(SYS_unlinkat, folder, name, flags));
}
