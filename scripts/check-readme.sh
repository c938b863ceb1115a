#!/usr/bin/env bash
# Fails when README.md has lost the two commands a newcomer needs, each in a
# fenced code block: the one that runs the terminal and the one that runs
# the tests. An emptied or cut README cannot land unnoticed.
set -euo pipefail
readme="$(cd "$(dirname "$0")/.." && pwd)/README.md"
[ -s "$readme" ] || { echo "README.md is missing or empty" >&2; exit 1; }
status=0
for command in ./scripts/run.sh ./scripts/test.sh; do
    if ! awk -v wanted="$command" '
        /^[[:space:]]*```/ { inside = !inside; next }
        inside && index($0, wanted) == 1 { found = 1 }
        END { exit found ? 0 : 1 }' "$readme"; then
        echo "README.md lacks the command '$command' in a code block" >&2
        status=1
    fi
done
exit $status
