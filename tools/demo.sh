#!/usr/bin/env bash
# Builds the Linux program and stamps a sample folder that it creates: before and after.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/ensure-packages.sh native
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTAMPIX_TESTS=OFF >/dev/null
cmake --build build/demo >/dev/null
stampix=$PWD/build/demo/stampix

sample="$PWD/build/sample"
export XDG_STATE_HOME="$PWD/build/sample-state"  # the demo's journals, apart from the user's
rm -rf "$sample" "$XDG_STATE_HOME"
mkdir -p "$sample/OLD REPORTS"
cd "$sample"
echo "minutes" >MYFILE.TXT
echo "notes" >NOTES.TXT
echo "kept" >"LETTER(20010101).TXT"
echo "read me" >README
touch -d "2004-12-31 12:00" MYFILE.TXT
touch -d "2010-06-15 09:30" NOTES.TXT README
touch -d "2001-01-01 08:00" "LETTER(20010101).TXT" "OLD REPORTS"

echo "In $sample:"; ls -1
run() { echo "\$ stampix $1"; eval "\"\$stampix\" $1" || true; }
run "-n '*.TXT'       # a preview: nothing changes"
run "'*.TXT'"
run "'OLD REPORTS/'"
run "'*.TXT'          # again: nothing left to stamp"
run "--undo           # the way back: the last run that renamed anything"
echo; echo "After:"; ls -1
