#!/bin/sh
# The lint gate: clang-format, cppcheck and clang-tidy over the game, its tools and the benchmark
# (clang-format over the tests too). Any finding fails. Usage: scripts/lint.sh <build dir>, a
# configured build whose compile_commands.json clang-tidy reads.
set -eu
cd "$(dirname "$0")/.."
build=${1:?usage: lint.sh <build dir>}
jobs=${JOBS:-$(nproc)}

sources() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) | sort
}

echo "lint: clang-format"
sources src tools bench tests | xargs clang-format --dry-run -Werror

echo "lint: cppcheck"
# The suppressions, each with its reason, are in .cppcheck-suppressions.
cppcheck --enable=warning,style,performance,portability --std=c++20 --language=c++ \
    -I src -I tools/asset_generator -I bench --inline-suppr \
    --suppressions-list=.cppcheck-suppressions --error-exitcode=1 --quiet -j "$jobs" \
    src tools bench

echo "lint: clang-tidy"
# The checks, and the few left out with their reasons, are in .clang-tidy.
run-clang-tidy -p "$build" -j "$jobs" -quiet "$(pwd)/(src|tools|bench)/" >"$build/clang-tidy.log" 2>&1 ||
    { grep -E '(warning|error):' "$build/clang-tidy.log" | sort -u; exit 1; }
echo "lint: clean"
