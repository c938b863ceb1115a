#!/usr/bin/env bash
# Builds TarnTerm for 64-bit Windows from Linux with MinGW-w64 against the Qt
# of scripts/windows-qtserialport.sh (Qt 5.15.8 with Qt Serial Port 5.15.15,
# built on first use, then cached), with the test
# suites that need no pseudo-terminal, and packs the release folder into
# dist/tarnterm-<version>-windows-x64.zip: tarnterm.exe, the Qt DLLs and
# plugins it loads, the MinGW runtime DLLs and their licences.
#
# Usage: windows-build.sh [build folder]   (default: build-windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-windows}
jobs=${TARNTERM_JOBS:-$(nproc)}

qt=$("$root/scripts/windows-qtserialport.sh" | tail -1)
[ -f "$qt/.tarnterm-complete" ] || { echo "windows-build.sh: no Qt for Windows at $qt" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_BUILD_TYPE=Release -DTARNTERM_WERROR=ON \
    -DTARNTERM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs"

version=$(sed -n 's/^project(TarnTerm VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=tarnterm-$version-windows-x64
stage=$build/dist/$name
rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/licenses"

mingw=x86_64-w64-mingw32
cp "$build/tarnterm.exe" "$stage/"
for module in Core Gui Widgets SerialPort; do
    cp "$qt/bin/Qt5$module.dll" "$stage/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    path=$($mingw-g++-posix -print-file-name=$dll)
    [ -f "$path" ] || { echo "windows-build.sh: no $dll from $mingw-g++-posix" >&2; exit 1; }
    cp "$path" "$stage/"
done
find "$stage" -name '*.dll' -o -name '*.exe' | xargs $mingw-strip --strip-unneeded

cp "$qt/licenses/LICENSE.LGPL3" "$stage/licenses/Qt-LICENSE.LGPL3.txt"
cp "$qt/licenses/LICENSE.GPL3" "$stage/licenses/Qt-LICENSE.GPL3.txt"
cp "$qt/licenses/qtbase-debian-copyright" "$stage/licenses/Qt-qtbase-copyright.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/MinGW-GCC-runtime-copyright.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licenses/MinGW-w64-winpthreads-copyright.txt"
gcc_package=$(dpkg-query -W -f='${source:Package} ${source:Version}' gcc-mingw-w64-x86-64-posix-runtime)
winpthread_package=$(dpkg-query -W -f='${source:Package} ${source:Version}' mingw-w64-x86-64-dev)
{
    echo "TarnTerm $version for 64-bit Windows"
    echo
    echo "Start tarnterm.exe. Nothing needs installing: every DLL it loads is in this folder."
    echo "tarnterm.exe --list, --help and --version print in the console it is started from."
    echo
    echo "Third-party parts, and where their sources are:"
    echo
    echo "Qt5Core.dll, Qt5Gui.dll, Qt5Widgets.dll, platforms/qwindows.dll, styles/qwindowsvistastyle.dll:"
    echo "Qt $($qt/bin/qmake -query QT_VERSION); Qt5SerialPort.dll: Qt Serial Port $(sed -n \
        's/^qtserialport: upstream release qtserialport-everywhere-src-\([0-9.]*\)\.tar\.xz.*/\1/p' \
        "$qt/licenses/qt-sources.txt"); all under the GNU LGPL version 3"
    echo "(licenses/Qt-LICENSE.LGPL3.txt, which refers to licenses/Qt-LICENSE.GPL3.txt;"
    echo "copyright holders in licenses/Qt-qtbase-copyright.txt). Built from:"
    sed 's/^/  /' "$qt/licenses/qt-sources.txt"
    echo "  (Debian: apt-get source qtbase-opensource-src; Qt Serial Port: the Qt Project's qtserialport"
    echo "  repository at that tag)."
    echo "  The build, and that change, are made by scripts/windows-qt.sh and scripts/windows-qtserialport.sh"
    echo "  in TarnTerm's source."
    echo "  You may replace these DLLs with your own build of the same Qt version."
    echo
    echo "libstdc++-6.dll, libgcc_s_seh-1.dll: the GCC runtime libraries, under the GNU GPL"
    echo "version 3 with the GCC Runtime Library Exception (licenses/MinGW-GCC-runtime-copyright.txt)."
    echo "  Source: Debian source package $gcc_package (apt-get source gcc-mingw-w64)."
    echo
    echo "libwinpthread-1.dll: MinGW-w64 winpthreads, under the MIT licence and others listed in"
    echo "licenses/MinGW-w64-winpthreads-copyright.txt."
    echo "  Source: Debian source package $winpthread_package (apt-get source mingw-w64)."
} | sed 's/$/\r/' >"$stage/README.txt"

mkdir -p "$root/dist"
zip=$root/dist/$name.zip
rm -f "$zip"
(cd "$build/dist" && cmake -E tar cf "$zip" --format=zip "$name")
echo "$zip"
