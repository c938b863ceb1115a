#!/usr/bin/env bash
# The Qt for Windows that the release is built with and ships: the Qt of
# scripts/windows-qt.sh with its Qt Serial Port replaced by the upstream
# 5.15.15 release (tag v5.15.15-lts-lgpl), whose Windows backend is the one
# Qt maintains, as in Qt 6.3 and later: overlapped I/O completed through an
# I/O completion port, not the alertable I/O of 5.15.8.
#
# The tarball in ../shared/third_party is checked against its SHA-256, kept
# here so that a cached build is found without it. The result is a copy of
# the cached Qt under a cache key of its own,
# ${XDG_CACHE_HOME:-~/.cache}/tarnterm/<Qt's key>-serialport-5.15.15-r<recipe>:
# the Qt of windows-qt.sh, and a cache of it, stay as they are.
# Prints the Qt prefix as its last line.
#
# Usage: windows-qtserialport.sh [--print-prefix]
#   --print-prefix  only print where the Qt goes (or is), build nothing
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

version=5.15.15
tarball=${TARNTERM_QTSERIALPORT_5_15_15_TARBALL:-$root/../shared/third_party/qtserialport-everywhere-src-$version.tar.xz}
tarball_sha256=56fc07da541b6d4c5b299206bd342615fcc405612c2128cf59d79dcdd84ef4cc
jobs=${TARNTERM_QT_JOBS:-$(nproc)}
# Bump when the build below changes, so an old one is not reused.
recipe=1

fail() {
    echo "windows-qtserialport.sh: $*" >&2
    exit 1
}

base=$("$root/scripts/windows-qt.sh" --print-prefix)
prefix=$base-serialport-$version-r$recipe
stamp=$prefix/.tarnterm-complete
# Where it goes, or where it is once built.
if [ "${1:-}" = --print-prefix ] || [ -f "$stamp" ]; then
    [ "${1:-}" = --print-prefix ] || echo "Qt for Windows with Qt Serial Port $version from the cache: $prefix"
    echo "$prefix"
    exit 0
fi

base=$("$root/scripts/windows-qt.sh" | tail -1)
[ -f "$base/.tarnterm-complete" ] || fail "no Qt for Windows at $base"
[ -f "$tarball" ] || fail "missing $tarball"
[ "$(sha256sum <"$tarball" | cut -d' ' -f1)" = "$tarball_sha256" ] || fail "$tarball does not match its SHA-256"
started=$SECONDS

cache=$(dirname "$prefix")
work=$(mktemp -d "$cache/build-qtserialport-$version.XXXXXX")
trap 'rm -rf "$work"' EXIT
copy=$work/qt
cp -a "$base" "$copy"
rm -f "$copy/.tarnterm-complete"
# The module as windows-qt.sh installed it, gone from the copy.
rm -rf "$copy/include/QtSerialPort" "$copy/lib/cmake/Qt5SerialPort" "$copy/bin/Qt5SerialPort.dll" \
    "$copy/lib/libQt5SerialPort.a" "$copy/lib/Qt5SerialPort.prl" "$copy"/mkspecs/modules/qt_lib_serialport*.pri

# Built with the qmake of the cached Qt (whose prefix is built in), installed
# under a staging root, then moved into the copy: its CMake and qmake files
# find the rest of Qt by relative paths.
mkdir -p "$work/src" "$work/build" "$work/root"
tar -xJf "$tarball" -C "$work/src" --strip-components=1
# The release tag's tree has no generated module headers; qmake's module
# build runs syncqt on what looks like a git clone.
mkdir -p "$work/src/.git"
(cd "$work/build" && "$base/bin/qmake" "$work/src/qtserialport.pro") >"$work/qmake.log" 2>&1 \
    || fail "qmake on qtserialport $version failed: $(tail -5 "$work/qmake.log")"
make -s -C "$work/build" -j"$jobs" sub-src >"$work/make.log" 2>&1 \
    || fail "building qtserialport $version failed: $(tail -20 "$work/make.log")"
make -s -C "$work/build" sub-src-install_subtargets INSTALL_ROOT="$work/root" >"$work/install.log" 2>&1 \
    || fail "installing qtserialport $version failed: $(tail -20 "$work/install.log")"
[ -f "$work/root$base/bin/Qt5SerialPort.dll" ] || fail "the build installed no Qt5SerialPort.dll"
cp -a "$work/root$base/." "$copy/"

# Where the shipped DLLs came from, for the release's README.txt.
sed -i '/^qtserialport:/d' "$copy/licenses/qt-sources.txt"
echo "qtserialport: upstream release $(basename "$tarball") (tag v$version-lts-lgpl), SHA-256 $tarball_sha256" \
    >>"$copy/licenses/qt-sources.txt"

touch "$copy/.tarnterm-complete"
rm -rf "$prefix"
mv "$copy" "$prefix"
echo "Qt Serial Port $version for Windows built in $((SECONDS - started)) s: $prefix"
echo "$prefix"
