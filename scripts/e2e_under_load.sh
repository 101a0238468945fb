#!/bin/sh
# Runs the end-to-end scenarios (ctest label e2e) RUNS times in a row (default 5) beside a CPU
# hog on one core (stress-ng --cpu 1), the way a busy machine runs them; every run must pass.
#
#   scripts/e2e_under_load.sh [build-dir]
#
# Prints each run's result and time, and a closing "N passed, N failed" line.
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${RUNS:-5}

command -v stress-ng >/dev/null 2>&1 || {
    echo "e2e_under_load: stress-ng is missing (scripts/bootstrap.sh installs it)" >&2
    exit 2
}
[ -f "$build/CTestTestfile.cmake" ] || {
    echo "e2e_under_load: no build in $build (make build makes one)" >&2
    exit 2
}

stress-ng --cpu 1 --timeout 3600 --quiet &
hog=$!
trap 'kill "$hog" 2>/dev/null; wait "$hog" 2>/dev/null' EXIT
trap 'exit 130' INT TERM

passed=0
failed=0
run=1
while [ "$run" -le "$runs" ]; do
    start=$(date +%s)
    if ctest --test-dir "$build" -L e2e --output-on-failure; then
        passed=$((passed + 1))
        result=passed
    else
        failed=$((failed + 1))
        result=FAILED
    fi
    echo "e2e_under_load: run $run of $runs $result in $(($(date +%s) - start)) s"
    run=$((run + 1))
done
echo "e2e_under_load: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
