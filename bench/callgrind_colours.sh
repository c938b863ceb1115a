#!/bin/sh
# Counts the instructions bench_colours spends appending, laying out and
# painting, under callgrind, and prints them with the two ratios the console
# keeps to: plain text with device colours on against off, and a line-per-
# colour log against plain text; and plain text with line editing on
# against off.
#
# bench/callgrind_colours.sh [build dir] [megabytes]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
megabytes=${2:-4}
program="$build/bench/bench_colours"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

count() {
    valgrind --tool=callgrind --callgrind-out-file="$out/$1" --collect-atstart=no \
        --toggle-collect='*appendAll*' --toggle-collect='*paintScreen*' \
        "$program" "$1" "$megabytes" >/dev/null 2>&1
    callgrind_annotate "$out/$1" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }'
}

plain_off=$(count plain-off)
plain_on=$(count plain-on)
coloured_on=$(count coloured-on)
lineediting_on=$(count lineediting-on)
printf 'colours, %s MB plain, off: instructions\t%s\tIr\n' "$megabytes" "$plain_off"
printf 'colours, %s MB plain, on: instructions\t%s\tIr\n' "$megabytes" "$plain_on"
printf 'colours, %s MB a colour a line, on: instructions\t%s\tIr\n' "$megabytes" "$coloured_on"
awk -v a="$plain_on" -v b="$plain_off" 'BEGIN { printf "colours: plain text on/off\t%.3f\tratio\n", a / b }'
awk -v a="$coloured_on" -v b="$plain_on" 'BEGIN { printf "colours: a colour a line/plain, on\t%.3f\tratio\n", a / b }'
printf 'line editing, %s MB plain, on: instructions\t%s\tIr\n' "$megabytes" "$lineediting_on"
awk -v a="$lineediting_on" -v b="$plain_off" 'BEGIN { printf "line editing: plain text on/off\t%.3f\tratio\n", a / b }'
