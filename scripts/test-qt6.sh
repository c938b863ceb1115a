#!/usr/bin/env bash
# The whole test suite again, built against Debian's Qt 6 (qt6-base-dev,
# qt6-serialport-dev) into build-qt6/, with warnings as errors and the GUI
# tests on the offscreen platform. Extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" qt6-base-dev qt6-serialport-dev
build="${TARNTERM_QT6_BUILD_DIR:-$root/build-qt6}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNTERM_QT=6 -DTARNTERM_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
