#!/usr/bin/env bash
# Checks of what no Linux build compiles or uses:
#  1. the Win32 binding of the device-setup interface, compiled with the
#     MinGW-w64 cross compiler (it uses no Qt);
#  2. a syntax-only pass over every Windows source and every file with a
#     Windows branch, with MinGW-w64 against the Qt headers installed here;
#  3. a Windows configure and build of the core library with MinGW-w64:
#     the tests that need a pty left out, a GUI-subsystem executable, a
#     resource script and every source of the library that compile (the
#     linked build, run under Wine, is scripts/windows-ci.sh);
#  4. a parent project that adds this one with add_subdirectory() and links
#     the core library.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
mingw=x86_64-w64-mingw32-g++-posix
out=$(mktemp -d /tmp/tarnterm-ci-extra.XXXXXX)
trap 'rm -rf "$out"' EXIT
fail() {
    echo "$*" >&2
    exit 1
}

echo "== Win32 device-setup binding with MinGW-w64 =="
$mingw -std=c++17 -Wall -Wextra -Werror -I"$root/src/serial" \
    -c "$root/src/serial/devicesetupapi_win32.cpp" -o "$out/devicesetupapi_win32.o"
echo "devicesetupapi_win32.cpp compiles"

echo "== Windows sources and branches: syntax-only with MinGW-w64 and Qt's headers =="
# The compiler defines _WIN32; Qt's qsystemdetection.h derives Q_OS_WIN from
# it. The headers are Debian's (a Linux Qt build), so this shows that the
# Windows code parses and type-checks against Qt's declarations, not that
# it links or runs on Windows.
qt=/usr/include/x86_64-linux-gnu/qt5
syntax=(-std=c++17 -fsyntax-only -Wall -Wextra -Werror -isystem "$qt")
for module in QtCore QtGui QtWidgets QtSerialPort; do
    syntax+=(-isystem "$qt/$module")
done
printf '#include <QtGlobal>\n#if !defined(_WIN32) || !defined(Q_OS_WIN)\n#error "not a Windows compile"\n#endif\n' \
    | $mingw "${syntax[@]}" -x c++ -
# Headers are found by folder, wherever a file moves under src/.
while IFS= read -r dir; do
    syntax+=(-I "$dir")
done < <(find "$root/src" -type d)
mapfile -t files < <(cd "$root" && {
    find src -name '*_win32.cpp'
    grep -rlE --include='*.cpp' --include='*.h' 'Q_OS_WIN|_WIN32' src || true
} | sort -u)
[ ${#files[@]} -gt 0 ] || fail "no Windows sources found under src/"
for file in "${files[@]}"; do
    # A header goes through a one-line source, as a .cpp would include it.
    printf '#include "%s"\n' "$root/$file" | $mingw "${syntax[@]}" -x c++ -
    echo "  $file"
done

echo "== Windows configure and core library with MinGW-w64 =="
cat >"$out/mingw.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER $mingw)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
EOF
# Debian's Qt CMake packages stand in for a Windows Qt: enough to run this
# project's Windows branches of CMake and to compile a static library, not
# to link a program.
cmake -S "$root" -B "$out/windows" -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$out/mingw.cmake" \
    -DQt5_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt5 -DTARNTERM_WERROR=ON >"$out/windows.log"
grep -q "Tests that need a pseudo-terminal skipped" "$out/windows.log" || fail "the pty tests were not left out"
if cmake --build "$out/windows" --target help | grep -qE 'tarnterm_sim|tarnterm-demo'; then
    fail "the simulated device or the demo is built for Windows"
fi
# Found by name, wherever the lists put them.
link=$(find "$out/windows" -path '*/tarnterm.dir/link.txt')
[ -n "$link" ] || fail "no link step for tarnterm"
grep -q -- -mwindows "$link" || fail "tarnterm is not a GUI-subsystem program"
resource=$(find "$out/windows" -name tarnterm.rc)
[ -n "$resource" ] || fail "no resource script for tarnterm"
x86_64-w64-mingw32-windres -O coff -i "$resource" -o "$out/tarnterm.res"
echo "configures without the pty tests or the simulated device; GUI subsystem; icon and version resource compile"
cmake --build "$out/windows" -j"$(nproc)" --target tarnterm_core >/dev/null
echo "tarnterm_core compiles for Windows"

echo "== used from a parent project with add_subdirectory() =="
mkdir -p "$out/parent"
cat >"$out/parent/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.16)
project(TarnTermParent LANGUAGES CXX)
add_subdirectory("$root" tarnterm)
add_executable(core_probe probe.cpp)
target_link_libraries(core_probe PRIVATE tarnterm_core)
EOF
cat >"$out/parent/probe.cpp" <<'EOF'
#include "tarnterm.h"

int main()
{
    return versionString.isEmpty() ? 1 : 0;
}
EOF
cmake -S "$out/parent" -B "$out/parent/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/parent/build" -j"$(nproc)" --target tarnterm_core core_probe >/dev/null
core=$(find "$out/parent/build" -name libtarnterm_core.a)
[ -n "$core" ] || fail "no tarnterm_core library"
objects=$(ar t "$core" | grep -c '\.o$' || true)
[ "$objects" -gt 0 ] || fail "tarnterm_core came out empty"
"$out/parent/build/core_probe"
echo "tarnterm_core builds ($objects objects) and links from a parent project"
