#!/usr/bin/env bash
# Compiles the Win32 binding of the device-setup interface with the MinGW-w64
# cross compiler: no Linux build compiles it, so a typo would go unseen.
# The binding uses no Qt, so the bare cross compiler is enough.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" g++-mingw-w64-x86-64-posix

echo "== Win32 device-setup binding with MinGW-w64 =="
out=$(mktemp -d /tmp/tarnterm-win32.XXXXXX)
trap 'rm -rf "$out"' EXIT
x86_64-w64-mingw32-g++-posix -std=c++17 -Wall -Wextra -Werror -I"$root/src/serial" \
    -c "$root/src/serial/devicesetupapi_win32.cpp" -o "$out/devicesetupapi_win32.o"
echo "devicesetupapi_win32.cpp compiles"
