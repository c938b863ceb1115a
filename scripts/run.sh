#!/usr/bin/env bash
# Installs what is missing, builds the terminal and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNTERM_BUILD_TESTS=OFF -DTARNTERM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target tarnterm -j"$(nproc)"
exec "$build/tarnterm" "$@"
