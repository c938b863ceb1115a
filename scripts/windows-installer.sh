#!/usr/bin/env bash
# Builds the Windows installer dist/tarnterm-<version>-setup.exe from the
# release zip of scripts/windows-build.sh, with Debian's makensis
# (packaging/windows/tarnterm.nsi): the zip's folder, file by file, so that
# the uninstaller removes exactly what was installed.
#
# Usage: windows-installer.sh ZIP
# Prints the installer's path as its last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zip=${1:?usage: windows-installer.sh ZIP}
"$root/scripts/deps.sh" nsis

fail() {
    echo "windows-installer.sh: $*" >&2
    exit 1
}

version=$(sed -n 's/^project(TarnTerm VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
major=${version%%.*}
minor=$((10#${version#*.}))
folder=$(basename "$zip" .zip)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
release=$work/$folder
[ -f "$release/tarnterm.exe" ] || fail "$zip has no $folder/tarnterm.exe"

# NSIS reads $ and " inside a string; the release has no such names.
if (cd "$release" && find . | grep -q '[$"]'); then
    fail "a file name in $zip has \$ or \""
fi
windows_path() { tr / '\\' <<<"$1"; }
{
    (cd "$release" && find . -mindepth 1 -type d -printf '%P\n' | sort) | while read -r dir; do
        echo "CreateDirectory \"\$INSTDIR\\$(windows_path "$dir")\""
    done
    (cd "$release" && find . -type f -printf '%P\n' | sort) | while read -r file; do
        echo "File \"/oname=$(windows_path "$file")\" \"$release/$file\""
    done
} >"$work/files.nsh"
{
    (cd "$release" && find . -type f -printf '%P\n' | sort) | while read -r file; do
        echo "Delete \"\$INSTDIR\\$(windows_path "$file")\""
    done
    # The deepest folders first.
    (cd "$release" && find . -mindepth 1 -type d -printf '%P\n' | sort -r) | while read -r dir; do
        echo "RMDir \"\$INSTDIR\\$(windows_path "$dir")\""
    done
} >"$work/uninstall-files.nsh"

mkdir -p "$root/dist"
setup=$root/dist/tarnterm-$version-setup.exe
makensis -V2 -NOCD -DVERSION="$version" -DVERSION_QUAD="$major.$minor.0.0" -DFILES="$work/files.nsh" \
    -DUNINSTALL_FILES="$work/uninstall-files.nsh" -DICON="$root/packaging/windows/tarnterm.ico" \
    -DOUTFILE="$setup" "$root/packaging/windows/tarnterm.nsi"
echo "$setup"
