#!/usr/bin/env bash
# Makes a photo or video for a test row with Debian's tools, then writes its dates with exiftool:
#   fixture.sh FILE KIND [ORIGINAL [DIGITIZED [OFFSET]]]
# KIND: jpeg (cjpeg), tiff (ppm2tiff), heic (heif-enc), mp4, or mp4-late with 300 KiB of video
# before its movie header, as cameras write it. Dates as EXIF writes them ("2019:07:04 05:30:00");
# a movie's ORIGINAL is its header's creation time in UTC (none: 0, as devices write it).
set -euo pipefail
file=$1 kind=$2 original=${3:-} digitized=${4:-} offset=${5:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'P6\n8 8\n255\n' >"$work/gray.ppm"
head -c 192 /dev/zero | tr '\0' '\200' >>"$work/gray.ppm"

# A movie header (mvhd, version 0, created at 0) in its movie (moov), after a file type box.
bytes() { printf "$(echo "$*" | tr -d ' ' | sed 's/../\\x&/g')"; }
movie() {
  bytes 00000018 66747970 69736f6d 00000200 69736f6d 6d703431
  if [ "${1:-}" = late ]; then bytes 0004b008 6d646174 && head -c 307200 /dev/zero; fi
  bytes 00000074 6d6f6f76 0000006c 6d766864 00000000 00000000 00000000 000003e8 00000000
  bytes 00010000 0100 0000 00000000 00000000 00010000 00000000 00000000 00000000 00010000
  bytes 00000000 00000000 00000000 40000000 && head -c 24 /dev/zero && bytes 00000001
}

case $kind in
  jpeg) cjpeg "$work/gray.ppm" >"$file" ;;
  tiff) ppm2tiff "$work/gray.ppm" "$file" ;;
  heic) cjpeg "$work/gray.ppm" >"$work/gray.jpg" && heif-enc -o "$file" "$work/gray.jpg" >/dev/null ;;
  mp4) movie >"$file" ;;
  mp4-late) movie late >"$file" ;;
  *) echo "fixture.sh: no kind $kind" >&2 && exit 2 ;;
esac
tags=()
case $kind in
  mp4*) [ -z "$original" ] || tags+=(-api QuickTimeUTC "-QuickTime:CreateDate=$original+00:00") ;;
  *) [ -z "$original" ] || tags+=("-DateTimeOriginal=$original")
     [ -z "$digitized" ] || tags+=("-CreateDate=$digitized")
     [ -z "$offset" ] || tags+=("-OffsetTimeOriginal=$offset") ;;
esac
[ ${#tags[@]} -eq 0 ] || exiftool -q -q -overwrite_original "${tags[@]}" "$file"
