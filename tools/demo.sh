#!/usr/bin/env bash
# Builds the Linux program and stamps a sample folder that it creates: before and after.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/ensure-packages.sh native
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTAMPIX_TESTS=OFF >/dev/null
cmake --build build/demo >/dev/null

sample="$PWD/build/sample"
rm -rf "$sample"
mkdir -p "$sample/OLD REPORTS"
echo "minutes" >"$sample/MYFILE.TXT"
echo "notes" >"$sample/NOTES.TXT"
echo "kept" >"$sample/LETTER(20010101).TXT"
echo "read me" >"$sample/README"
touch -d "2004-12-31 12:00" "$sample/MYFILE.TXT"
touch -d "2010-06-15 09:30" "$sample/NOTES.TXT" "$sample/README"
touch -d "2001-01-01 08:00" "$sample/LETTER(20010101).TXT" "$sample/OLD REPORTS"

echo "Before:"; ls -1 "$sample"
echo
echo "\$ stampix '$sample/*.TXT'"
./build/demo/stampix "$sample/*.TXT"
echo "\$ stampix \"$sample/OLD REPORTS\""
./build/demo/stampix "$sample/OLD REPORTS"
echo "\$ stampix '$sample/*.TXT'   (again: nothing left to stamp)"
./build/demo/stampix "$sample/*.TXT"
echo
echo "After:"; ls -1 "$sample"
