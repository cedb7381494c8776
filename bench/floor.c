/* The least a program can do to stamp every *.TXT in one folder: per entry one readdir, one
 * fstatat, one renameat2 and one write of its line, and nothing else. The yardstick for the
 * utility's own cost. Usage: floor FOLDER */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  DIR *dir = opendir(argv[1]);
  if (!dir) return 1;
  int fd = dirfd(dir);
  struct dirent *d;
  while ((d = readdir(dir)) != NULL) {
    size_t n = strlen(d->d_name);
    if (n < 4 || strcmp(d->d_name + n - 4, ".TXT") != 0 || strchr(d->d_name, '(')) continue;
    struct stat st;
    if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    struct tm local;
    char date[16], name[512], line[8192];
    localtime_r(&st.st_mtime, &local);
    strftime(date, sizeof date, "%Y%m%d", &local);
    snprintf(name, sizeof name, "%.*s(%s).TXT", (int)(n - 4), d->d_name, date);
    if (renameat2(fd, d->d_name, fd, name, RENAME_NOREPLACE) != 0) continue;
    int length = snprintf(line, sizeof line, "%s/%s = %s\n", argv[1], d->d_name, name);
    if (write(1, line, (size_t)length) < 0) return 1;
  }
  closedir(dir);
  return 0;
}
