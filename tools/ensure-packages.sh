#!/usr/bin/env bash
# Installs, from Debian's archive, whichever of the named needs is missing.
# Needs: native (compiler, CMake, Ninja, libexif), tests (GoogleTest sources, strace, the exFAT
# and NTFS tools for the file-system images), windows
# (MinGW-w64, Wine), time-command (/usr/bin/time), bench-peers (the tools the benchmark compares
# with), packaging (what CPack and the package check use).
set -euo pipefail

missing=()
want() { local package=$1; shift; "$@" >/dev/null 2>&1 || missing+=("$package"); }
has() { command -v "$1" >/dev/null 2>&1; }

for need in "$@"; do
  case "$need" in
    native)
      want g++ has g++
      want cmake has cmake
      want ninja-build has ninja
      want libexif-dev test -f /usr/include/libexif/exif-data.h ;;
    tests)
      want libgtest-dev test -f /usr/src/googletest/CMakeLists.txt
      want strace has strace
      want exfat-fuse test -x /usr/sbin/mount.exfat-fuse
      want exfatprogs test -x /usr/sbin/mkfs.exfat
      want ntfs-3g test -x /usr/bin/ntfs-3g ;;
    time-command)
      want time test -x /usr/bin/time ;;
    bench-peers)
      want rename has file-rename
      want libimage-exiftool-perl has exiftool
      want jhead has jhead
      want libjpeg-turbo-progs has cjpeg ;;
    packaging)
      want dpkg-dev has dpkg-shlibdeps
      want man-db has man
      want lintian has lintian
      want python3 has python3 ;;
    windows)
      want g++-mingw-w64-x86-64-posix has x86_64-w64-mingw32-g++-posix
      want wine64 test -x /usr/lib/wine/wine64 ;;
  esac
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
