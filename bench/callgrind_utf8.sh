#!/bin/sh
# Counts the instructions the console spends taking 80-column lines, laying
# them out and painting a screen, with UTF-8 off and on, under callgrind
# (bench_utf8 says what each mode feeds), and prints the ratios held to:
# ASCII on/off, and the same characters all of several bytes / ASCII.
#
# bench/callgrind_utf8.sh [build dir] [megabytes]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
megabytes=${2:-4}
program="$build/bench/bench_utf8"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

count() {
    valgrind --tool=callgrind --callgrind-out-file="$out/$1" --collect-atstart=no \
        --toggle-collect='*appendAll*' --toggle-collect='*paintScreen*' \
        "$program" "$1" "$megabytes" >/dev/null 2>&1
    callgrind_annotate "$out/$1" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }'
}

ascii_off=$(count ascii-off)
ascii_on=$(count ascii-on)
multibyte_on=$(count multibyte-on)
printf 'utf-8, %s MB ASCII, off: instructions\t%s\tIr\n' "$megabytes" "$ascii_off"
printf 'utf-8, %s MB ASCII, on: instructions\t%s\tIr\n' "$megabytes" "$ascii_on"
printf 'utf-8, as many characters of several bytes, on: instructions\t%s\tIr\n' "$multibyte_on"
awk -v a="$ascii_on" -v b="$ascii_off" 'BEGIN { printf "utf-8: ASCII on/off\t%.3f\tratio\n", a / b }'
awk -v a="$multibyte_on" -v b="$ascii_on" 'BEGIN { printf "utf-8: several bytes/ASCII, on\t%.3f\tratio\n", a / b }'
