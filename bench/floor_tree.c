/* The least a program can do to stamp a whole tree and keep every folder's date: one post-order
 * walk (nftw, links not followed, other file systems not entered), per entry one renameat2 that
 * refuses to replace and one write of its line, and per folder one utimensat that puts its
 * last-write time back before the folder itself is renamed. The yardstick for "stampix -r".
 * Usage: floor_tree FOLDER */
#define _GNU_SOURCE
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static int stamp(const char *path, const struct stat *st, int flag, struct FTW *ftw) {
  const char *name = path + ftw->base;
  if (flag == FTW_DP) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, st->st_mtim};
    utimensat(AT_FDCWD, path, times, 0);
  }
  if (ftw->level == 0 || name[0] == '.' || strchr(name, '(')) return 0;
  struct tm local;
  char date[16], to[8192], line[16384];
  localtime_r(&st->st_mtime, &local);
  strftime(date, sizeof date, "%Y%m%d", &local);
  const char *dot = strrchr(name, '.');
  int stem = dot ? (int)(dot - path) : (int)strlen(path);
  snprintf(to, sizeof to, "%.*s(%s)%s", stem, path, date, dot ? dot : "");
  if (renameat2(AT_FDCWD, path, AT_FDCWD, to, RENAME_NOREPLACE) != 0) return 0;
  int length = snprintf(line, sizeof line, "%s = %s\n", path, to + ftw->base);
  return write(1, line, (size_t)length) < 0;
}

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  return nftw(argv[1], stamp, 64, FTW_DEPTH | FTW_PHYS | FTW_MOUNT) != 0;
}
