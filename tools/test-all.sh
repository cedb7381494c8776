#!/usr/bin/env bash
# Installs what is missing, builds the Linux and the Windows program and runs every test of
# both (the Windows tests under Wine), the Linux tests again under sanitizers, and a check of
# both packages.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/ensure-packages.sh native tests windows packaging

echo "== Linux build =="
cmake --workflow --preset native

echo "== Linux build under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake --workflow --preset sanitize

echo "== Windows build, tested under Wine =="
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wine}"
# One persistent server for all the test processes; started, and the prefix made, with no
# pipe attached, since Wine's background services would hold it open.
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null || true
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 </dev/null
cmake --workflow --preset windows

echo "== Packages =="
./tools/package.sh
./tools/check-packages.sh
