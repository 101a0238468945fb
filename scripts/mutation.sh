#!/bin/sh
# A mutation run: small faults made one at a time in the game's sources, the quick tests run against
# each. A fault no test notices marks a rule no test checks.
#
#   scripts/mutation.sh <build dir> [count] [seed]
#
# Picks `count` sites at random (the same ones again for the same seed and sources) among the
# operators of src/**/*.cpp, each kind's first on a line: a comparison, a logical operator, a plus
# or minus, true or false. Each becomes its opposite in the source; the programs the tests run are
# rebuilt (only that file recompiles) and the tests below run, stopping at the first failure.
# "killed": a test failed; "survived": all passed; "no build": the build failed (the fault does not
# compile, or the tests could not be listed). The source file is put back after each mutant (and on
# an interrupt), and the build brought back in line at the end.
set -eu
cd "$(dirname "$0")/.."
build=${1:?usage: mutation.sh <build dir> [count] [seed]}
count=${2:-10}
seed=${3:-$(date +%s)}
jobs=${JOBS:-2}
# The tests that run the game's code without a window, a sanitizer build, an install or a package:
# the unit tests, the data-set checks, the error matrix and the golden replays.
slow_tests='e2e|sanitize|soak|endings|install|bench'
# What those tests run of the game's code: every program linked with it.
targets='ghoulrun_tests ghoulrun_asset_tests ghoulrun'
# Each operator, as clang-format spaces it, and its opposite: sed's pattern @ its replacement @.
operators=' == @ != @
 != @ == @
 <= @ < @
 >= @ > @
 < @ <= @
 > @ >= @
 && @ || @
 || @ \&\& @
 + @ - @
 - @ + @
\btrue\b@false@
\bfalse\b@true@'

work=$(mktemp -d)
mutated=""
restore() {
    if [ -n "$mutated" ]; then cp "$work/original" "$mutated"; mutated=""; fi
}
trap 'restore; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# Every site: file, line and operator, on lines with no comment and no string (main.cpp is not in
# the tests' library).
find src -name '*.cpp' ! -name main.cpp | sort | while read -r file; do
    printf '%s\n' "$operators" | while IFS=@ read -r from to rest; do
        grep -n -e "$from" "$file" | grep -v -e '//' -e '"' -e '^[0-9]*:[[:space:]]*#' |
            cut -d: -f1 | while read -r line; do printf '%s\n' "$file@$line@$from@$to"; done
    done
done >"$work/sites"
awk -v seed="$seed" 'BEGIN { srand(seed) } { print rand() "\t" $0 }' "$work/sites" |
    sort -n | head -n "$count" | cut -f2- >"$work/picked"
echo "mutation: seed $seed, $count of $(wc -l <"$work/sites") sites, tests -LE '$slow_tests'"

# A mutant counts as killed only if the tests pass without it.
rebuild() {
    # shellcheck disable=SC2086 # the targets are words
    cmake --build "$build" -j "$jobs" --target $targets </dev/null >"$work/build.log" 2>&1
}
build_and_test() {
    rebuild || return 2
    ctest --test-dir "$build" -j "$jobs" -LE "$slow_tests" --stop-on-failure \
        </dev/null >/dev/null 2>&1 || return 1
}
build_and_test || { echo "mutation: the tests fail without a mutant; mend them first" >&2; exit 1; }

killed=0 survived=0 stillborn=0
while IFS=@ read -r file line from to; do
    cp "$file" "$work/original"
    mutated=$file
    sed -i "${line}s/$from/$to/" "$file"
    site="$file:$line: $(sed -n "${line}p" "$file" | sed 's/^[[:space:]]*//')"
    outcome=0
    build_and_test || outcome=$?
    case $outcome in
        0) survived=$((survived + 1)); echo "survived  $site" ;;
        1) killed=$((killed + 1)); echo "killed    $site" ;;
        *) stillborn=$((stillborn + 1)); echo "no build  $site" ;;
    esac
    restore
done <"$work/picked"

# The sources are back as they were; so is the build.
rebuild
echo "mutation: $killed killed, $survived survived, $stillborn did not build"
