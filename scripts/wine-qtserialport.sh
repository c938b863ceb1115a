#!/usr/bin/env bash
# Builds the TEST-ONLY Qt5SerialPort.dll that the end-to-end cases under Wine
# run tarnterm.exe with: the same upstream Qt Serial Port release as the zip's,
# with tests/wine/qtserialport-event-wait.patch applied (its comm-event wait
# completes through an event, not an APC, which Wine 8.0 never runs).
# The release zip keeps the unmodified DLL; this one goes nowhere but a test
# copy of the release folder.
#
# Only the qtserialport module is built, with the qmake of the cached Qt of
# scripts/windows-qt.sh, and nothing is installed into that Qt. The DLL is
# cached in ${XDG_CACHE_HOME:-~/.cache}/tarnterm/qtserialport-wine-<key>, the
# key made of the tarball's and the patch's SHA-256 and the Qt it links with.
# Prints the DLL's path as its last line. Exits 3 when the DLL is not cached
# and the tarball is not there to build it from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

tarball=${TARNTERM_QTSERIALPORT_TARBALL:-$root/../shared/third_party/qtserialport-everywhere-src-5.15.8.tar.xz}
# The release's SHA-256, so that a cached build is found without the tarball.
tarball_sha256=6958041d9f09ec1a03aeb6f1d589025af217883bf5b4f42e2fc8e6eaceb12648
patch_file=$root/tests/wine/qtserialport-event-wait.patch
jobs=${TARNTERM_QT_JOBS:-$(nproc)}

fail() {
    echo "wine-qtserialport.sh: $*" >&2
    exit 1
}

qt=$("$root/scripts/windows-qt.sh" | tail -1)
[ -f "$qt/.tarnterm-complete" ] || fail "no Qt for Windows at $qt"

key=$({
    echo "$tarball_sha256  -"
    sha256sum <"$patch_file"
    basename "$qt"
} | sha256sum | cut -c1-16)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tarnterm
out=$cache/qtserialport-wine-$key
dll=$out/Qt5SerialPort.dll

mkdir -p "$cache"
exec 9>"$cache/.qtserialport-wine.lock"
flock 9
if [ ! -f "$dll" ]; then
    if [ ! -f "$tarball" ]; then
        echo "wine-qtserialport.sh: no cached build and no $tarball to build one from" >&2
        exit 3
    fi
    [ "$(sha256sum <"$tarball" | cut -d' ' -f1)" = "$tarball_sha256" ] \
        || fail "$tarball does not match its SHA-256"
    started=$SECONDS
    work=$(mktemp -d "$cache/build-qtserialport-wine.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/src" "$work/build"
    tar -xJf "$tarball" -C "$work/src" --strip-components=1
    patch -s -p1 -d "$work/src" <"$patch_file" || fail "the patch does not apply to $tarball"
    # The release tree has no generated module headers; qmake's module build
    # runs syncqt on what looks like a git clone.
    mkdir -p "$work/src/.git"
    (cd "$work/build" && "$qt/bin/qmake" "$work/src/qtserialport.pro") >"$work/qmake.log" 2>&1 \
        || fail "qmake on qtserialport failed: $(tail -5 "$work/qmake.log")"
    make -s -C "$work/build" -j"$jobs" sub-src >"$work/make.log" 2>&1 \
        || fail "building the patched qtserialport failed: $(tail -20 "$work/make.log")"
    built=$(find "$work/build" -name Qt5SerialPort.dll | head -1)
    [ -n "$built" ] || fail "the build made no Qt5SerialPort.dll"
    mkdir -p "$out.tmp"
    cp "$built" "$out.tmp/"
    cp "$patch_file" "$out.tmp/"
    rm -rf "$out"
    mv "$out.tmp" "$out"
    # Builds of an older patch or tarball are never used again.
    find "$cache" -maxdepth 1 -name 'qtserialport-wine-*' ! -name "$(basename "$out")" -exec rm -rf {} +
    echo "test-only Qt5SerialPort.dll built in $((SECONDS - started)) s: $dll"
fi
echo "$dll"
