#!/bin/sh
# The crowd soak (bench/crowd_soak.cpp): minutes of game time with thousands of enemies, headless,
# on several builds of the game. Every run must pass its own checks, no sanitizer may report, and
# every run must end in the same state digest.
#
#   scripts/soak_crowd.sh BUILD_DIR [MINUTES]
#       The whole soak, ten minutes unless told: under AddressSanitizer with
#       UndefinedBehaviorSanitizer and LeakSanitizer (build-sanitize), under ThreadSanitizer with
#       the crowd's helper thread at work (build-tsan), and on BUILD_DIR's plain build with the
#       plain crowding pass alone (GHOULRUN_PLAIN_CROWD=1). Builds the driver in both sanitizer
#       trees first.
#   scripts/soak_crowd.sh --short BUILD_DIR ASAN_TREE
#       The short form `make test` runs: a minute, under AddressSanitizer with the driver of
#       ASAN_TREE (built by the sanitize.asan_build test), and on the plain pass.
#
# BUILD_DIR holds the game's pictures (game/) and its own driver (bench/crowd_soak). Each run's
# output goes to BUILD_DIR/soak-crowd/<run>.log (soak-crowd-short/ for the short form).
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: soak_crowd.sh BUILD_DIR [MINUTES] | --short BUILD_DIR ASAN_TREE"
short=false
if [ "${1:-}" = --short ]; then
    short=true
    shift
fi
build=$(cd "${1:?$usage}" && pwd)
if $short; then
    asan_tree=$(cd "${2:?$usage}" && pwd)
    minutes=1
else
    asan_tree=$here/build-sanitize
    tsan_tree=$here/build-tsan
    minutes=${2:-10}
fi
logs=$build/soak-crowd
$short && logs=$logs-short
mkdir -p "$logs"

if ! $short; then
    JOBS=${JOBS:-2} sh "$here/scripts/sanitize.sh" asan-build "$asan_tree" crowd_soak
    JOBS=${JOBS:-2} sh "$here/scripts/sanitize.sh" tsan-build "$tsan_tree" crowd_soak
fi
eval "$(sh "$here/scripts/sanitize.sh" options)"
# The hero's mirrored picture is made and freed at every frame it faces left: AddressSanitizer's
# quarantine would hold a quarter of a gibibyte of them before it reuses any, and the memory would
# seem to grow for most of the run. A smaller one still holds hundreds of frames' worth.
ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=16"

# Runs the driver given after the run's name; prints its closing line, or fails with its log.
soak() {
    name=$1
    shift
    log=$logs/$name.log
    echo "soak-crowd: $name, $minutes min of game time ($log)"
    status=0
    "$@" "$build/game" "$minutes" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || grep -Eq 'Sanitizer|runtime error' "$log"; then
        cat "$log" >&2
        echo "soak-crowd: $name failed (status $status)" >&2
        exit 1
    fi
    grep '^soak ' "$log"
    # Exactly one closing digest, in the driver's own form: a run that prints none (or another
    # form) has nothing to compare, and fails rather than drop out of the comparison.
    digest=$(sed -n 's/^soak .* digest=\([0-9a-f]\{1,\}\)$/\1/p' "$log")
    if [ -z "$digest" ] || [ "$(printf '%s\n' "$digest" | wc -l)" -ne 1 ]; then
        echo "soak-crowd: $name printed no single state digest (soak ... digest=<hex>)" >&2
        exit 1
    fi
    digests="$digests $digest"
}

digests=""

soak asan "$asan_tree/bench/crowd_soak"
$short || soak tsan "$tsan_tree/bench/crowd_soak"
soak plain env GHOULRUN_PLAIN_CROWD=1 "$build/bench/crowd_soak"

states=$(printf '%s\n' $digests | sort -u)
if [ "$(printf '%s\n' "$states" | wc -l)" -ne 1 ]; then
    echo "soak-crowd: the runs ended in different states:" $digests >&2
    exit 1
fi
echo "soak-crowd: every run ended in state $states"
