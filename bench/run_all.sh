#!/bin/sh
# Builds the benchmark programs (Release, into build-bench/) and runs them
# all, then prints one Markdown table and the machine they ran on.
#
# Longer runs: RECEIVE_SIZES="1 10 100 200" NOBREAKS_SECONDS=120 NOBREAKS_DOTS_SECONDS=20 \
#   CONSOLE_MEGABYTES=1024 BIGSCREEN_LINES=1000000 NOBREAKS_SLOW_SECONDS=600 bench/run_all.sh
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
receive_sizes=${RECEIVE_SIZES:-"1 10"}
nobreaks_seconds=${NOBREAKS_SECONDS:-60}
# Dots make one line that only grows.
dots_seconds=${NOBREAKS_DOTS_SECONDS:-5}
# Dots at 11.5 KB/s, as a device printing progress sends them; off unless asked.
slow_seconds=${NOBREAKS_SLOW_SECONDS:-0}
console_megabytes=${CONSOLE_MEGABYTES:-100}
bigscreen_lines=${BIGSCREEN_LINES:-"100000 1000000"}
# The text a Delete near its top is timed in.
store_megabytes=${STORE_MEGABYTES:-2048}
# The text an absent literal is looked for in.
find_megabytes=${FIND_MEGABYTES:-1024}
# The session Clear Screen empties.
clear_megabytes=${CLEAR_MEGABYTES:-300}
# The selection and the capture that are saved.
save_megabytes=${SAVE_MEGABYTES:-256}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNTERM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_console bench_receive bench_nobreaks bench_bigscreen \
    bench_pacedsend bench_discovery bench_store bench_find bench_linetimes bench_colours bench_paths \
    bench_clear bench_sendline bench_save bench_transfer bench_utf8 >/dev/null

export QT_QPA_PLATFORM=offscreen
results=$(mktemp)
trap 'rm -f "$results"' EXIT
run() {
    name=$1
    shift
    echo "running $name $*" >&2
    "$build/bench/$name" "$@" 2>/dev/null >>"$results"
}
run bench_console console "$console_megabytes"
run bench_console hex "$console_megabytes"
# shellcheck disable=SC2086 # the sizes are separate arguments
run bench_receive $receive_sizes
run bench_nobreaks "$nobreaks_seconds" binary
run bench_nobreaks "$dots_seconds" dots
if [ "$slow_seconds" -gt 0 ]; then
    run bench_nobreaks "$slow_seconds" dots 11.5
fi
for lines in $bigscreen_lines; do
    run bench_bigscreen "$lines"
done
run bench_pacedsend
run bench_sendline
run bench_transfer
run bench_discovery
run bench_store delete "$store_megabytes"
run bench_store tab 100
run bench_store lines 100
run bench_store empty 100
run bench_store clear 1024
run bench_find "$find_megabytes" 5
run bench_linetimes 64
run bench_clear "$clear_megabytes" on
run bench_clear "$clear_megabytes" off
run bench_save "$save_megabytes"
run bench_utf8 resize-off
run bench_utf8 resize-on
# Instruction counts, steadier here than times.
if command -v valgrind >/dev/null; then
    echo "running callgrind_colours.sh" >&2
    "$root/bench/callgrind_colours.sh" "$build" >>"$results"
    echo "running callgrind_paths.sh" >&2
    "$root/bench/callgrind_paths.sh" "$build" >>"$results"
    echo "running callgrind_utf8.sh" >&2
    "$root/bench/callgrind_utf8.sh" "$build" >>"$results"
fi

qt=$(qmake -query QT_VERSION 2>/dev/null || pkg-config --modversion Qt5Core 2>/dev/null || echo unknown)
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "Machine: $cpu, $(nproc) cores, Qt $qt, offscreen platform"
echo
echo "| benchmark | value | unit |"
echo "| --- | ---: | --- |"
awk -F '\t' '{ printf "| %s | %s | %s |\n", $1, $2, $3 }' "$results"
