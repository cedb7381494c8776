/* The least a Windows program can do to stamp every *.TXT in one folder: one search of the
 * folder, and per entry one MoveFileA and one WriteFile of its line. The yardstick for
 * STAMPIX.EXE, both run under Wine. Usage: floor_win32 FOLDER */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  char search[MAX_PATH], from[MAX_PATH], to[MAX_PATH], line[2 * MAX_PATH + 8];
  snprintf(search, sizeof search, "%s\\*.TXT", argv[1]);
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(search, &found);
  if (h == INVALID_HANDLE_VALUE) return 1;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  do {
    size_t n = strlen(found.cFileName);
    if (n < 4 || strchr(found.cFileName, '(')) continue;
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &t);
    snprintf(from, sizeof from, "%s\\%s", argv[1], found.cFileName);
    snprintf(to, sizeof to, "%s\\%.*s(%04d%02d%02d).TXT", argv[1], (int)(n - 4), found.cFileName,
             t.wYear, t.wMonth, t.wDay);
    if (!MoveFileA(from, to)) continue;
    int length = snprintf(line, sizeof line, "%s = %s\r\n", from, to + strlen(argv[1]) + 1);
    DWORD written;
    WriteFile(out, line, (DWORD)length, &written, NULL);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return 0;
}
