#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix: its icon and version
# resource; a silent install into %LOCALAPPDATA%\Programs\TarnTerm with the
# Start-menu shortcut and the Uninstall key; tarnterm.exe --version and
# --list from there; a second silent install over the first (the upgrade
# path); then, with a setting written, a silent uninstall waited for to its
# end, after which only the settings key is left.
#
# Usage: windows-installer-ci.sh SETUP.EXE
set -euo pipefail
setup=$(realpath "${1:?usage: windows-installer-ci.sh SETUP.EXE}")
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" wine64 icoutils
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

fail() {
    echo "windows-installer-ci.sh: $*" >&2
    exit 1
}

resources=$(wrestool -l "$setup")
grep -q -- '--type=14 ' <<<"$resources" || fail "the installer has no icon: $resources"
grep -q -- '--type=16 ' <<<"$resources" || fail "the installer has no version resource: $resources"
version_resource=$(wrestool -x --raw --type=16 "$setup" | tr -d '\0' | tr -c '[:print:]' ' ')
for wanted in "ProductName *Tarnwick's Terminal" "ProductVersion *3.07" "FileDescription *Tarnwick's Terminal 3.07 Setup"; do
    grep -q "$wanted" <<<"$version_resource" || fail "the version resource lacks '$wanted'"
done
echo "the installer carries an icon and a version resource (product, version, description)"

work=$(mktemp -d /tmp/tarnterm-installer-ci.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
trap '$wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
"$wine" wineboot -i >/dev/null 2>&1 || true
$wineserver -w
cp "$setup" "$WINEPREFIX/drive_c/setup.exe"

# A command that meets the prefix's wine server as it ends (its idle
# timeout) never runs, and gets one more try.
win() {
    local output status
    for _ in 1 2; do
        status=0
        output=$("$wine" "$@" 2>"$work/stderr") || status=$?
        grep -q 'wine client error' "$work/stderr" || break
    done
    [ -z "$output" ] || tr -d '\r' <<<"$output"
    return "$status"
}
local_app_data=$(win cmd /c echo %LOCALAPPDATA%)
start_menu=$(win cmd /c echo %APPDATA%)'\Microsoft\Windows\Start Menu\Programs'
install_dir="$local_app_data\\Programs\\TarnTerm"
unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TarnTerm'
settings_key="HKCU\\Software\\TarnwickTerm\\Tarnwick's Terminal V3.07"
reg_value() { win reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }

installed_check() {
    [ -f "$(unix_path "$install_dir\\tarnterm.exe")" ] || fail "no tarnterm.exe in $install_dir"
    [ -f "$(unix_path "$install_dir\\uninstall.exe")" ] || fail "no uninstall.exe in $install_dir"
    [ -f "$(unix_path "$start_menu\\Tarnwick's Terminal.lnk")" ] || fail "no Start-menu shortcut in $start_menu"
    local version
    version=$(win "$install_dir\\tarnterm.exe" --version)
    [ "$version" = "Tarnwick's Terminal V3.07" ] || fail "the installed tarnterm.exe --version printed '$version'"
    # No device in this prefix: --list says so and ends with 1.
    local status=0
    win "$install_dir\\tarnterm.exe" --list >"$work/list.txt" || status=$?
    [ "$status" -eq 1 ] || fail "the installed tarnterm.exe --list ended with $status: $(cat "$work/list.txt")"
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = 3.07 ] || fail "DisplayVersion is not 3.07"
    [ "$(reg_value "$uninstall_key" Publisher)" = "The TarnTerm authors" ] || fail "Publisher is wrong"
    [ "$(reg_value "$uninstall_key" InstallLocation)" = "$install_dir" ] || fail "InstallLocation is wrong"
    local size on_disk
    size=$(($(reg_value "$uninstall_key" EstimatedSize)))
    on_disk=$(du -sk --apparent-size "$(unix_path "$install_dir")" | cut -f1)
    [ "$size" -gt $((on_disk * 3 / 4)) ] && [ "$size" -lt $((on_disk * 5 / 4)) ] \
        || fail "EstimatedSize is $size KB, the folder $on_disk KB"
    [ -n "$(reg_value "$uninstall_key" UninstallString)" ] || fail "no UninstallString"
    echo "installed in $install_dir ($size KB): --version '$version', --list $status, Uninstall key with" \
        "DisplayVersion 3.07, Publisher, EstimatedSize, UninstallString; Start-menu shortcut"
}

win 'C:\setup.exe' /S
$wineserver -w
installed_check

# The upgrade path: the same install again, over the first, in place.
win reg add "$settings_key" /v ci /d kept /f >/dev/null
win 'C:\setup.exe' /S
$wineserver -w
installed_check
[ "$(win reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' | grep -c 'TarnTerm')" -eq 1 ] \
    || fail "more than one Uninstall key after installing twice"
echo "installed again over the first: in place, one Uninstall key"

# Run from where it is, the uninstaller copies itself away and returns at
# once; wineserver -w waits for that copy too, and it can then remove itself.
win "$install_dir\\uninstall.exe" /S
$wineserver -w
[ ! -e "$(unix_path "$install_dir")" ] || fail "$install_dir is left: $(ls -R "$(unix_path "$install_dir")")"
[ ! -e "$(unix_path "$start_menu\\Tarnwick's Terminal.lnk")" ] || fail "the Start-menu shortcut is left"
if win reg query "$uninstall_key" >/dev/null; then fail "the Uninstall key is left"; fi
[ "$(reg_value "$settings_key" ci)" = kept ] || fail "the settings were not kept"
# What the registry still holds of the program: the settings key alone.
left=$(win reg query 'HKCU\Software' /s | grep -i -E 'tarn' || true)
[ "$left" = "HKEY_CURRENT_USER\\Software\\TarnwickTerm
HKEY_CURRENT_USER\\Software\\TarnwickTerm\\Tarnwick's Terminal V3.07" ] || fail "left in HKCU: $left"
echo "uninstalled: folder, shortcut and Uninstall key gone; the settings key kept, and nothing else"
