#!/usr/bin/env bash
# Checks what tools/package.sh built: the .deb unpacks with the program and its manual page in
# place, the program runs, the manual page renders without warnings and lintian finds nothing
# to say; the .zip holds STAMPIX.EXE, with its version resource, DELTREE.EXE, and a README.TXT
# and LICENSE.TXT with CR LF line ends, and (where Wine is at hand) its DELTREE.EXE refuses a
# command line without a folder.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(stampix VERSION \([0-9]*\).*/\1/p' CMakeLists.txt)
fail() { echo "package check: $*" >&2; exit 1; }

deb=$(ls build/native/packages/stampix_"$version"_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root/deb"
[ -x "$root/deb/usr/bin/stampix" ] || fail "no usr/bin/stampix in $deb"
[ -f "$root/deb/usr/share/man/man1/stampix.1.gz" ] || fail "no manual page in $deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the .deb is not version $version"
[ "$("$root/deb/usr/bin/stampix" --version)" = "STAMPIX $version" ] || fail "the program does not run"
warnings=$(MANROFFSEQ='' man --warnings -E UTF-8 -l "$root/deb/usr/share/man/man1/stampix.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"

# lintian warns about itself when run as root, so root runs it as nobody, on a copy nobody reads.
lint=(lintian --fail-on error,warning)
if [ "$(id -u)" = 0 ]; then
  chmod 711 "$root"
  mkdir -m 755 "$root/lint"
  install -m 644 "$deb" "$root/lint/"
  deb_copy="$root/lint/$(basename "$deb")"
  lint=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$root/lint" "${lint[@]}")
fi
said=$(cd / && "${lint[@]}" "${deb_copy:-$deb}" 2>&1) || fail "lintian on $deb:"$'\n'"$said"
[ -z "$said" ] || fail "lintian on $deb:"$'\n'"$said"

zip=$(ls build/windows/packages/stampix-"$version"-windows-x64.zip)
python3 - "$zip" "$version" "$root/zip" <<'PY' || fail "$zip is not as it should be"
import sys, zipfile
archive, version = zipfile.ZipFile(sys.argv[1]), sys.argv[2]
names = ["DELTREE.EXE", "LICENSE.TXT", "README.TXT", "STAMPIX.EXE"]
assert sorted(archive.namelist()) == names, archive.namelist()
for text_file in ("README.TXT", "LICENSE.TXT"):
    text = archive.read(text_file)
    assert text.count(b"\n") == text.count(b"\r\n") > 10, f"{text_file} needs CR LF line ends"
assert b"The STAMPIX authors" in archive.read("LICENSE.TXT")
exe = archive.read("STAMPIX.EXE")
for text in ("ProductName", "STAMPIX", version):
    assert text.encode("utf-16-le") in exe, f"no {text} in the version resource"
archive.extract("DELTREE.EXE", sys.argv[3])
PY

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine || true)
if [ -n "$wine" ]; then
  # Files, not pipes, for its output: Wine's background services would hold a pipe open.
  status=0
  WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml=}" WINEPREFIX="${WINEPREFIX:-$PWD/build/wine}" \
    "$wine" "$root/zip/DELTREE.EXE" /y >"$root/deltree.out" 2>/dev/null </dev/null || status=$?
  [ "$status" = 1 ] && [ "$(wc -l <"$root/deltree.out")" = 1 ] ||
    fail "the .zip's DELTREE.EXE did not refuse a command line without a folder (exit $status)"
fi
echo "packages: $(basename "$deb") and $(basename "$zip") hold what they should; lintian is silent"
