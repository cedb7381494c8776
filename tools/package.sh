#!/usr/bin/env bash
# Builds both programs and their packages: build/native/packages/stampix_*.deb and
# build/windows/packages/stampix-*-windows-x64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/ensure-packages.sh native tests windows packaging
for build in native windows; do
  cmake --preset "$build" >/dev/null
  cmake --build --preset "$build" >/dev/null
  (cd "build/$build" && cpack >/dev/null)
done
ls build/native/packages/*.deb build/windows/packages/*.zip
