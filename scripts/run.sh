#!/usr/bin/env bash
# Installs what is missing, builds the terminal and starts it.
# With --demo, starts it with a simulated device instead of real hardware.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build"
target=tarnterm
if [ "${1:-}" = "--demo" ]; then
    target=tarnterm-demo
    shift
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNTERM_BUILD_TESTS=OFF -DTARNTERM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "$target" -j"$(nproc)"
exec "$build/$target" "$@"
