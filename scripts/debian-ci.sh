#!/usr/bin/env bash
# The Debian package in CI: built (scripts/debian-package.sh), checked by
# lintian (no errors) and by the AppStream and desktop-entry validators,
# installed on this machine with apt-get, run, then purged; every file it
# brought must be in place while installed and gone afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" lintian appstream desktop-file-utils

fail() {
    echo "debian-ci.sh: $*" >&2
    exit 1
}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
phase_started=$SECONDS
phase() {
    echo "   ($((SECONDS - phase_started)) s)"
    phase_started=$SECONDS
    echo "== $* =="
}

phase "the package"
deb=$("$root/scripts/debian-package.sh" | tail -1)
[ -f "$deb" ] || fail "no package"
echo "$deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Depends\|Installed-Size\):/  \1:/p'

phase "lintian, appstreamcli, desktop-file-validate"
lintian --fail-on error --suppress-tags initial-upload-closes-no-bugs "$deb"
extracted=$(mktemp -d)
trap 'rm -rf "$extracted"' EXIT
dpkg-deb --extract "$deb" "$extracted"
appstreamcli validate --no-net "$extracted/usr/share/metainfo/org.tarnterm.TarnTerm.metainfo.xml"
desktop-file-validate "$extracted/usr/share/applications/tarnterm.desktop"
# The files the package brings (not the folders, which others share).
mapfile -t files < <(cd "$extracted" && find . -type f -printf '/%P\n' | sort)
for wanted in /usr/bin/tarnterm /usr/share/applications/tarnterm.desktop \
    /usr/share/icons/hicolor/48x48/apps/tarnterm.png /usr/share/metainfo/org.tarnterm.TarnTerm.metainfo.xml \
    /usr/share/man/man1/tarnterm.1.gz /usr/lib/udev/rules.d/60-tarnwick.rules \
    /usr/share/doc/tarnterm/copyright /usr/share/doc/tarnterm/changelog.Debian.gz; do
    grep -qxF "$wanted" <<<"$(printf '%s\n' "${files[@]}")" || fail "the package lacks $wanted"
done

phase "apt-get install, run, purge"
# A CI run that stops half-way must not leave the package behind.
trap '$sudo apt-get purge -y -qq tarnterm >/dev/null 2>&1 || true; rm -rf "$extracted"' EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
dpkg-query -W -f='${Status} ${Version}\n' tarnterm | grep -qx "install ok installed 3.07-1" \
    || fail "tarnterm is not installed: $(dpkg-query -W -f='${Status} ${Version}' tarnterm 2>&1)"
for file in "${files[@]}"; do
    [ -f "$file" ] || fail "$file is missing once installed"
done
[ "$(command -v tarnterm)" = /usr/bin/tarnterm ] || fail "tarnterm on the PATH is $(command -v tarnterm)"
version=$(tarnterm --version)
[ "$version" = "Tarnwick's Terminal V3.07" ] || fail "tarnterm --version printed '$version'"
echo "tarnterm --version: $version"
# No device here: --list runs through the installed Qt and says so (1).
status=0
tarnterm --list >/dev/null || status=$?
[ "$status" -le 1 ] || fail "tarnterm --list ended with $status"
echo "${#files[@]} files installed and in place"

DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq tarnterm >/dev/null
if dpkg-query -W -f='${Status}' tarnterm 2>/dev/null | grep -q installed; then
    fail "tarnterm is still installed after the purge"
fi
for file in "${files[@]}"; do
    [ ! -e "$file" ] || fail "$file is left after the purge"
done
[ ! -e /usr/share/doc/tarnterm ] || fail "/usr/share/doc/tarnterm is left after the purge"
[ ! -e /var/lib/dpkg/info/tarnterm.list ] || fail "dpkg still keeps tarnterm's file list"
echo "purged: none of the ${#files[@]} files, nor its doc folder or dpkg's records, is left"
phase "done"
