// Loaded with LD_PRELOAD, it makes the file system one without a rename that refuses to replace
// (renameat2 fails as it does there, or with SHIM_NO_RENAMEAT2 as on a kernel without it) and,
// with SHIM_NO_LINK, without hard links, so that the program's fallback runs. SHIM_NO_RENAME: no
// plain rename either; SHIM_KEEP=NAME: NAME cannot be removed; SHIM_SAVE=NAME: another program
// saves NAME again, the way editors do, right after it was renamed away or just before it is
// removed; SHIM_TAKE=NAME: another program saves its document as NAME as soon as NAME appears.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <string_view>

namespace {

bool Names(const char* variable, const char* name) {
  const char* value = std::getenv(variable);
  return value && std::string_view(value) == name;
}

void SaveAgain(int folder, const char* name) {
  int fd = openat(folder, ".shim-save", O_CREAT | O_WRONLY | O_TRUNC, 0644);
  if (write(fd, "saved", 5) != 5) _exit(99);
  close(fd);
  syscall(SYS_renameat, folder, ".shim-save", folder, name);
}

}  // namespace

extern "C" int openat(int folder, const char* name, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  const mode_t mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : 0;
  va_end(rest);
  int fd = static_cast<int>(syscall(SYS_openat, folder, name, flags, mode));
  if (fd >= 0 && (flags & O_CREAT) && Names("SHIM_TAKE", name)) SaveAgain(folder, name);
  return fd;
}

extern "C" int mkdirat(int folder, const char* name, mode_t mode) {
  int done = static_cast<int>(syscall(SYS_mkdirat, folder, name, mode));
  if (done == 0 && Names("SHIM_TAKE", name)) {
    syscall(SYS_unlinkat, folder, name, AT_REMOVEDIR);
    SaveAgain(folder, name);
  }
  return done;
}

extern "C" int renameat2(int, const char*, int, const char*, unsigned) {
  return errno = std::getenv("SHIM_NO_RENAMEAT2") ? ENOSYS : EINVAL, -1;
}

extern "C" int renameat(int from, const char* name, int to, const char* new_name) {
  if (std::getenv("SHIM_NO_RENAME")) return errno = EPERM, -1;
  int done = static_cast<int>(syscall(SYS_renameat, from, name, to, new_name));
  if (done == 0 && Names("SHIM_SAVE", name)) SaveAgain(from, name);
  return done;
}

extern "C" int linkat(int from, const char* name, int to, const char* new_name, int flags) {
  if (std::getenv("SHIM_NO_LINK")) return errno = EPERM, -1;
  return static_cast<int>(syscall(SYS_linkat, from, name, to, new_name, flags));
}

extern "C" int unlinkat(int folder, const char* name, int flags) {
  if (Names("SHIM_KEEP", name)) return errno = EPERM, -1;
  if (Names("SHIM_SAVE", name)) SaveAgain(folder, name);
  return static_cast<int>(syscall(SYS_unlinkat, folder, name, flags));
}
