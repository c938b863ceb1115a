#!/usr/bin/env bash
# Runs a Windows program under Wine (Debian's wine64), as ctest does for the
# Windows build. Each run gets a Wine prefix of its own, a copy of a template
# made once per machine, and thrown away afterwards: Windows keeps settings
# in the registry, which QSettings::setPath cannot redirect, so this is what
# keeps one test's settings out of the next one's.
#
# Usage: wine-run.sh program.exe [arguments...]
# Environment:
#   TARNTERM_WINE_DLL_DIRS Linux folders with the DLLs the program needs,
#                          ':'-separated (put on its PATH through drive Z:)
#   TARNTERM_WINEPREFIX    run in this prefix instead, and keep it (made from
#                          the template when it does not exist)
set -euo pipefail
wine=${TARNTERM_WINE:-/usr/lib/wine/wine64}
wineserver=${TARNTERM_WINESERVER:-/usr/lib/wine/wineserver}
[ -x "$wine" ] || { echo "wine-run.sh: no $wine (apt-get install wine64)" >&2; exit 127; }

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialog waiting for a click.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The offscreen plugin looks for fonts under <Qt>/lib/fonts on Windows, and Qt
# ships none.
export QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-/usr/share/fonts/truetype/dejavu}
# Wine gives a program no console window, and without one Qt sends test
# results and log messages to OutputDebugString instead of stdout and stderr.
export QT_FORCE_STDERR_LOGGING=${QT_FORCE_STDERR_LOGGING:-1}
# Wine keeps the Linux side's QT_* variables from Windows programs (they are
# meant for the Linux Qt), and hands WINEQT_* over as QT_* instead.
for name in $(compgen -e | grep '^QT_' || true); do
    export "WINE$name=${!name}"
done

base=${XDG_CACHE_HOME:-$HOME/.cache}/tarnterm/wine
template=$base/template-$("$wine" --version | tr -c 'a-zA-Z0-9.\n' _)
mkdir -p "$base"
if [ ! -f "$template/.ready" ]; then
    exec 9>"$base/.lock"
    flock 9
    if [ ! -f "$template/.ready" ]; then
        rm -rf "$template"
        WINEPREFIX=$template "$wine" wineboot -i >/dev/null 2>&1 || true
        WINEPREFIX=$template "$wineserver" -w
        [ -f "$template/system.reg" ] || { echo "wine-run.sh: wineboot made no prefix" >&2; exit 1; }
        touch "$template/.ready"
    fi
    flock -u 9
fi

# A copy of the template: the registry files for real, drive C linked, as
# programs make new files there rather than change Wine's own.
copy_template() {
    mkdir -p "$1"
    # .update-timestamp too, or Wine updates the copy at its first start.
    find "$template" -mindepth 1 -maxdepth 1 ! -name drive_c ! -name .ready -exec cp -a {} "$1/" \;
    cp -al "$template/drive_c" "$1/drive_c"
    # Without an X display, Wine's null display driver: Qt makes hidden
    # windows (its event dispatcher's) even on the offscreen platform, and
    # Wine refuses to make any window without a driver.
    if [ -z "${DISPLAY:-}" ]; then
        printf '\n[Software\\\\Wine\\\\Drivers] 0\n"Graphics"="null"\n' >>"$1/user.reg"
    fi
}

if [ -n "${TARNTERM_WINEPREFIX:-}" ]; then
    export WINEPREFIX=$TARNTERM_WINEPREFIX
    [ -f "$WINEPREFIX/system.reg" ] || copy_template "$WINEPREFIX"
    keep=1
else
    WINEPREFIX=$(mktemp -d "$base/run.XXXXXX")
    export WINEPREFIX
    copy_template "$WINEPREFIX"
    keep=0
fi
cleanup() {
    # A kept prefix may have other programs running in it.
    [ "$keep" = 1 ] && return
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

if [ -n "${TARNTERM_WINE_DLL_DIRS:-}" ]; then
    IFS=: read -r -a dirs <<<"$TARNTERM_WINE_DLL_DIRS"
    for dir in "${dirs[@]}"; do
        WINEPATH="Z:${dir//\//\\};${WINEPATH:-}"
    done
    export WINEPATH
fi
status=0
"$wine" "$@" || status=$?
exit "$status"
