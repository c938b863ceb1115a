#!/usr/bin/env bash
# Builds Qt 5.15.8 for 64-bit Windows with the MinGW-w64 cross compiler
# (release, shared DLLs): Core, Gui, Widgets, Test, the windows and
# offscreen platform plugins, the windowsvista style and SerialPort.
#
# Sources: Debian's qtbase-opensource-src (apt-get source, with Debian's
# patches) and the upstream qtserialport release tarball in
# ../shared/third_party (checked against its SHA-256).
#
# The result goes to ${XDG_CACHE_HOME:-~/.cache}/tarnterm/<key>, built once
# per machine: a finished build is marked and reused, an interrupted one is
# resumed. Prints the Qt prefix as its last line.
#
# Usage: windows-qt.sh [--print-prefix]
#   --print-prefix  only print where the Qt goes (or is), build nothing
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

qt_version=5.15.8
serialport_tarball=${TARNTERM_QTSERIALPORT_TARBALL:-$root/../shared/third_party/qtserialport-everywhere-src-$qt_version.tar.xz}
jobs=${TARNTERM_QT_JOBS:-$(nproc)}
# Bump when the configuration below changes, so an old build is not reused.
recipe=1

cache=${XDG_CACHE_HOME:-$HOME/.cache}/tarnterm
key=qt-$qt_version-mingw64-posix-r$recipe
prefix=$cache/$key
work=$cache/build-$key
stamp=$prefix/.tarnterm-complete

if [ "${1:-}" = --print-prefix ]; then
    echo "$prefix"
    exit 0
fi
if [ -f "$stamp" ]; then
    echo "Qt $qt_version for Windows from the cache: $prefix"
    echo "$prefix"
    exit 0
fi

fail() {
    echo "windows-qt.sh: $*" >&2
    exit 1
}
step_done() { [ -f "$work/.done-$1" ]; }
mark_done() { touch "$work/.done-$1"; }

"$root/scripts/deps.sh" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 dpkg-dev perl xz-utils

[ -f "$serialport_tarball" ] || fail "missing $serialport_tarball"
(cd "$(dirname "$serialport_tarball")" && sha256sum --quiet -c "$(basename "$serialport_tarball").sha256") \
    || fail "$serialport_tarball does not match its SHA-256"

mkdir -p "$work" "$prefix"
started=$(date +%s)

# The -posix compilers, by name: the unsuffixed ones follow the system's
# alternatives and may be the -win32 threading model, whose libstdc++-6.dll
# is a different library. Qt's mkspec calls $CROSS_COMPILE{gcc,g++,ar,...},
# so the pinned tools get a prefix of their own, kept beside the Qt that
# records it.
tools=$prefix/mingw-posix
mkdir -p "$tools"
for tool in gcc g++; do
    printf '#!/bin/sh\nexec x86_64-w64-mingw32-%s-posix "$@"\n' "$tool" >"$tools/x86_64-w64-mingw32-$tool"
done
for tool in ar ranlib windres strip objcopy nm; do
    printf '#!/bin/sh\nexec x86_64-w64-mingw32-%s "$@"\n' "$tool" >"$tools/x86_64-w64-mingw32-$tool"
done
chmod +x "$tools"/*
cross=$tools/x86_64-w64-mingw32-

# Debian's source of qtbase. apt-get source needs a deb-src entry: add one
# for each Debian archive apt already uses, unless one is there.
if ! step_done qtbase-source; then
    if ! apt-cache showsrc qtbase-opensource-src 2>/dev/null | grep -q "^Version: $qt_version"; then
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        list=/etc/apt/sources.list.d/tarnterm-deb-src
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
                | $sudo tee "$list.sources" >/dev/null
        else
            grep -hE '^deb .*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
                | $sudo tee "$list.list" >/dev/null
        fi
        $sudo apt-get update -qq
    fi
    rm -rf "$work/src" && mkdir -p "$work/src"
    (cd "$work/src" && apt-get source -qq "qtbase-opensource-src=$(apt-cache showsrc qtbase-opensource-src \
        | sed -n "s/^Version: \($qt_version.*\)/\1/p" | sort -V | tail -1)" >/dev/null 2>&1) \
        || fail "apt-get source qtbase-opensource-src failed"
    mv "$work/src"/qtbase-opensource-src-$qt_version* "$work/src/qtbase"
    mark_done qtbase-source
fi

# Debian's source leaves out src/3rdparty/wintab (its licence forbids
# changes), and with it wintab.h, which the windows platform plugin needs for
# WinTab tablets (older Wacom pens; Windows Ink pens go through the pointer
# API and are kept). The plugin is built without WinTab instead.
if ! step_done no-wintab; then
    plugin=$work/src/qtbase/src/plugins/platforms/windows
    sed -i 's/^qtConfig(tabletevent) {/false { # no wintab.h in this source/' "$plugin/windows.pri"
    sed -i 's/QT_CONFIG(tabletevent)/0 \/\* no wintab.h in this source \*\//' "$plugin/qwindowscontext.cpp"
    rm -f "$work/qtbase-build/src/plugins/platforms/windows/Makefile"*
    mark_done no-wintab
fi

qtbase_build=$work/qtbase-build
if ! step_done configure; then
    rm -rf "$qtbase_build" && mkdir -p "$qtbase_build"
    (cd "$qtbase_build" && "$work/src/qtbase/configure" -prefix "$prefix" \
        -xplatform win32-g++ -device-option CROSS_COMPILE="$cross" \
        -release -shared -opensource -confirm-license -nomake examples -nomake tests \
        -no-opengl -no-dbus -no-icu -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg \
        -qt-freetype -qt-harfbuzz) >"$work/configure.log" 2>&1 \
        || fail "configure failed, see $work/configure.log"
    mark_done configure
fi

# configure keeps modules it cannot drop (SQL, Network, XML…); make only
# what the terminal and its tests use.
if ! step_done makefiles; then
    make -C "$qtbase_build" -j"$jobs" sub-src-qmake_all >/dev/null
    mark_done makefiles
fi
if ! step_done qtbase; then
    make -C "$qtbase_build/src" -j"$jobs" \
        sub-corelib sub-gui sub-widgets sub-testlib sub-winmain \
        sub-platformsupport sub-platformheaders sub-uic
    make -C "$qtbase_build/src/plugins/platforms" -j"$jobs" sub-windows sub-offscreen
    make -C "$qtbase_build/src/plugins/styles" -j"$jobs" sub-windowsvista
    mark_done qtbase
fi

if ! step_done qtbase-install; then
    make -C "$qtbase_build" sub-qmake-qmake-aux-pro-install_subtargets install_mkspecs install_syncqt
    make -C "$qtbase_build/src" \
        sub-bootstrap-install_subtargets sub-moc-install_subtargets \
        sub-rcc-install_subtargets sub-uic-install_subtargets \
        sub-tracegen-install_subtargets \
        sub-corelib-install_subtargets sub-gui-install_subtargets \
        sub-widgets-install_subtargets sub-testlib-install_subtargets \
        sub-winmain-install_subtargets sub-platformsupport-install_subtargets \
        sub-platformheaders-install_subtargets
    make -C "$qtbase_build/src/plugins/platforms" sub-windows-install_subtargets sub-offscreen-install_subtargets
    make -C "$qtbase_build/src/plugins/styles" sub-windowsvista-install_subtargets
    mark_done qtbase-install
fi

# qtserialport: the release tag's tree without generated module headers.
# qmake's module build runs syncqt itself on what looks like a git clone.
serialport_build=$work/qtserialport-build
if ! step_done qtserialport; then
    rm -rf "$work/qtserialport" "$serialport_build"
    mkdir -p "$work/qtserialport" "$serialport_build"
    tar -xJf "$serialport_tarball" -C "$work/qtserialport" --strip-components=1
    mkdir -p "$work/qtserialport/.git"
    (cd "$serialport_build" && "$prefix/bin/qmake" "$work/qtserialport/qtserialport.pro") \
        >"$work/qtserialport-qmake.log" 2>&1 || fail "qmake on qtserialport failed, see $work/qtserialport-qmake.log"
    make -C "$serialport_build" -j"$jobs" sub-src
    make -C "$serialport_build" sub-src-install_subtargets
    mark_done qtserialport
fi

# Licence texts that ship with the DLLs, and which sources they came from.
mkdir -p "$prefix/licenses"
cp "$work/src/qtbase/LICENSE.LGPL3" "$work/src/qtbase/LICENSE.GPL3" "$prefix/licenses/"
cp "$work/src/qtbase/debian/copyright" "$prefix/licenses/qtbase-debian-copyright"
{
    echo "qtbase: Debian source package qtbase-opensource-src $(cd "$work/src/qtbase" && dpkg-parsechangelog -S Version),"
    echo "  with WinTab tablet support taken out of the windows platform plugin"
    echo "  (qwindowscontext.cpp, windows.pri), as Debian's source has no wintab.h"
    echo "qtserialport: upstream release $(basename "$serialport_tarball"), SHA-256 $(cut -d' ' -f1 "$serialport_tarball.sha256")"
} >"$prefix/licenses/qt-sources.txt"

rm -rf "$work"
touch "$stamp"
echo "Qt $qt_version for Windows built in $(( ($(date +%s) - started) / 60 )) min: $prefix"
echo "$prefix"
