#!/usr/bin/env bash
# Checks what tools/package.sh built: the .deb unpacks with the program and its manual page in
# place and the program runs; the manual page renders without warnings; the .zip holds
# STAMPIX.EXE, with its version resource, and a README.TXT with CR LF line ends.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(stampix VERSION \([0-9]*\).*/\1/p' CMakeLists.txt)
fail() { echo "package check: $*" >&2; exit 1; }

deb=$(ls build/native/packages/stampix_"$version"_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
[ -x "$root/usr/bin/stampix" ] || fail "no usr/bin/stampix in $deb"
[ -f "$root/usr/share/man/man1/stampix.1.gz" ] || fail "no manual page in $deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the .deb is not version $version"
[ "$("$root/usr/bin/stampix" /? | head -n 1)" = "STAMPIX $version" ] || fail "the program does not run"
warnings=$(MANROFFSEQ='' man --warnings -E UTF-8 -l "$root/usr/share/man/man1/stampix.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"

zip=$(ls build/windows/packages/stampix-"$version"-windows-x64.zip)
python3 - "$zip" "$version" <<'PY' || fail "$zip is not as it should be"
import sys, zipfile
archive, version = zipfile.ZipFile(sys.argv[1]), sys.argv[2]
assert sorted(archive.namelist()) == ["README.TXT", "STAMPIX.EXE"], archive.namelist()
readme = archive.read("README.TXT")
assert readme.count(b"\n") == readme.count(b"\r\n") > 10, "README.TXT needs CR LF line ends"
exe = archive.read("STAMPIX.EXE")
for text in ("ProductName", "STAMPIX", version):
    assert text.encode("utf-16-le") in exe, f"no {text} in the version resource"
PY
echo "packages: $(basename "$deb") and $(basename "$zip") hold what they should"
