#!/usr/bin/env bash
# Builds the Debian package dist/tarnterm_<version>-<revision>_<arch>.deb:
# /usr/bin/tarnterm built with Debian's hardening flags and stripped, the
# desktop entry, hicolor icons, AppStream metainfo, the man page, the udev
# rule, a machine-readable copyright and changelog.Debian.gz. Depends comes
# from dpkg-shlibdeps; postinst and postrm reload udev where udevd runs.
#
# Usage: debian-package.sh [build folder]   (default: build-deb)
# Prints the package's path as its last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-deb}
jobs=${TARNTERM_JOBS:-$(nproc)}
"$root/scripts/deps.sh" dpkg-dev

fail() {
    echo "debian-package.sh: $*" >&2
    exit 1
}

version=$(cd "$root/packaging/debian" && dpkg-parsechangelog -l changelog -S Version)
upstream=${version%-*}
cmake_version=$(sed -n 's/^project(TarnTerm VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ "$upstream" = "$cmake_version" ] \
    || fail "packaging/debian/changelog is at $version, CMakeLists.txt at $cmake_version"
arch=$(dpkg --print-architecture)

# The flags Debian builds its own packages with (hardening included).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DTARNTERM_BUILD_TESTS=OFF -DTARNTERM_BUILD_BENCH=OFF -DTARNTERM_WERROR=ON >/dev/null
cmake --build "$build" --target tarnterm -j"$jobs"

stage=$build/package
rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" >/dev/null
# As dh_strip does: no symbols, no build notes.
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$stage/usr/bin/tarnterm"
gzip -9n "$stage/usr/share/man/man1/tarnterm.1"
doc=$stage/usr/share/doc/tarnterm
mkdir -p "$doc"
install -m 644 "$root/packaging/debian/copyright" "$doc/copyright"
gzip -9nc "$root/packaging/debian/changelog" >"$doc/changelog.Debian.gz"
chmod 644 "$doc/changelog.Debian.gz"

mkdir -p "$stage/DEBIAN"
install -m 755 "$root/packaging/debian/postinst" "$root/packaging/debian/postrm" "$stage/DEBIAN/"

# dpkg-shlibdeps reads debian/control of a source tree.
shlibs=$(mktemp -d)
trap 'rm -rf "$shlibs"' EXIT
mkdir -p "$shlibs/debian"
printf 'Source: tarnterm\n\nPackage: tarnterm\nArchitecture: any\n' >"$shlibs/debian/control"
depends=$(cd "$shlibs" && dpkg-shlibdeps -O "$stage/usr/bin/tarnterm" | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || fail "dpkg-shlibdeps found no dependencies"

cat >"$stage/DEBIAN/control" <<EOF
Package: tarnterm
Version: $version
Architecture: $arch
Maintainer: $(cd "$root/packaging/debian" && dpkg-parsechangelog -l changelog -S Maintainer)
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends
Section: comm
Priority: optional
Description: serial terminal for Tarnwick USB devices
 TarnTerm finds a Tarnwick USB serial device by its USB IDs, opens its port
 and shows what it sends in a terminal window, with function keys, a hex
 view of everything received, captures and a raw log.
 .
 The package installs a udev rule that lets the logged-in user open the
 device's port and keeps ModemManager from probing it.
EOF

mkdir -p "$root/dist"
deb=$root/dist/tarnterm_${version}_$arch.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"
