#!/usr/bin/env bash
# Installs what is missing, builds the Linux and the Windows program and runs every test of
# both (the Windows tests under Wine), the Linux tests again under sanitizers, a bounded run of
# each fuzz target, and a check of both packages.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/ensure-packages.sh native tests windows fuzz packaging

echo "== Linux build =="
cmake --preset native
cmake --build --preset native
ctest --preset native

echo "== Linux build under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

echo "== Fuzzing, ${STAMPIX_FUZZ_SECONDS:-60} seconds a target =="
./tools/fuzz.sh "${STAMPIX_FUZZ_SECONDS:-60}"

echo "== Windows build, tested under Wine =="
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wine}"
# One persistent server for all the test processes; started, and the prefix made, with no
# pipe attached, since Wine's background services would hold it open.
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null || true
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 </dev/null
cmake --preset windows
cmake --build --preset windows
ctest --preset windows

echo "== Packages =="
./tools/package.sh
./tools/check-packages.sh
