#!/bin/sh
# Counts the instructions the window spends draining batches into the hex
# view and the console, and painting after a small batch, under callgrind.
# Counts, unlike times, repeat from run to run: a change to either path
# shows as a change here.
#
# bench/callgrind_paths.sh [build dir] [megabytes]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
megabytes=${2:-4}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

# $1: the function collected; $2...: the program and its arguments.
count() {
    function=$1
    shift
    valgrind --tool=callgrind --callgrind-out-file="$out/$function" --collect-atstart=no \
        --toggle-collect="*$function*" "$@" >/dev/null 2>&1
    callgrind_annotate "$out/$function" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }'
}

printf 'paths, %s MB: drain into the window\t%s\tIr\n' "$megabytes" \
    "$(count drainAll "$build/bench/bench_paths" "$megabytes")"
printf 'paths: a batch and its paint\t%s\tIr\n' "$(count paintAfterBatch "$build/bench/bench_paths" "$megabytes")"
for mode in plain-off coloured-on; do
    printf 'colours %s, %s MB: append and lay out\t%s\tIr\n' "$mode" "$megabytes" \
        "$(count appendAll "$build/bench/bench_colours" "$mode" "$megabytes")"
    printf 'colours %s: paint a screen\t%s\tIr\n' "$mode" \
        "$(count paintScreen "$build/bench/bench_colours" "$mode" "$megabytes")"
done
