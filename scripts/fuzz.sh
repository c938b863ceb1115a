#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ under ASan and UBSan and runs each for
# a bounded time, starting from a copy of its seed corpus. Fails on any crash,
# sanitizer report, broken check, time-out or memory blow-up.
# FUZZ_SECONDS sets the time per target (default 30); FUZZ_BUILD_DIR the
# build folder (default build-fuzz).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" clang libclang-rt-14-dev
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNTERM_FUZZ=ON -DTARNTERM_BUILD_TESTS=OFF -DTARNTERM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_targets

# New corpus entries go to a scratch folder, never into the repository; crash
# inputs are kept in the build folder for a look afterwards.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

export QT_QPA_PLATFORM=offscreen
# Qt keeps allocations alive until exit on purpose; those are not findings.
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1

failed=()
for source in "$root"/fuzz/fuzz_*.cpp; do
    target=$(basename "$source" .cpp)
    corpus="$work/$target"
    mkdir -p "$corpus"
    if [ -d "$root/fuzz/corpus/$target" ]; then
        cp -r "$root/fuzz/corpus/$target/." "$corpus/"
    fi
    echo "== $target: ${seconds} s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$corpus" \
        >"$work/$target.log" 2>&1; then
        tail -n 60 "$work/$target.log"
        failed+=("$target")
    else
        grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/$target.log" || true
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "Fuzzing found problems in: ${failed[*]} (inputs in $artifacts)"
    exit 1
fi
echo "No findings."
