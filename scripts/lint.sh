#!/bin/sh
# The lint gate: clang-format, cppcheck and clang-tidy over the game, its tools and the benchmark
# (clang-format over the tests too). Any finding fails. Usage: scripts/lint.sh <build dir>, a
# configured build (built or not) whose compile_commands.json clang-tidy reads.
set -eu
cd "$(dirname "$0")/.."
build=${1:?usage: lint.sh <build dir>}
jobs=${JOBS:-$(nproc)}

sources() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) | sort
}

# Each stage's time, so that a slow one shows: "lint: <stage> took <n> s".
stage_started=$(date +%s)
stage_done() {
    now=$(date +%s)
    echo "lint: $1 took $((now - stage_started)) s"
    stage_started=$now
}

echo "lint: clang-format"
sources src tools bench tests | xargs clang-format --dry-run -Werror
stage_done clang-format

echo "lint: cppcheck"
# The suppressions, each with its reason, are in .cppcheck-suppressions.
cppcheck --enable=warning,style,performance,portability --std=c++20 --language=c++ \
    -I src -I tools/asset_generator -I bench --inline-suppr \
    --suppressions-list=.cppcheck-suppressions --error-exitcode=1 --quiet -j "$jobs" \
    src tools bench
stage_done cppcheck

echo "lint: clang-tidy"
# clang-tidy reads its own copy of the build's compile database: one entry per file of src, tools
# and bench, and none with g++'s precompiled header. The unit tests compile a few of the tools'
# files too, with GoogleTest's header precompiled by g++; once the tests are built, clang would
# find that .gch beside the header and refuse it. Each such file keeps its own target's entry.
database="$build/lint"
mkdir -p "$database"
python3 - "$build/compile_commands.json" "$database/compile_commands.json" "$(pwd)" <<'PYTHON'
import json, re, sys
source, target, root = sys.argv[1:]
linted = re.compile(re.escape(root) + r"/(src|tools|bench)/")
precompiled = re.compile(r" -Winvalid-pch| -include \S*cmake_pch\S*\.hxx")
chosen = {}
with open(source) as database:
    for entry in json.load(database):
        if not linted.match(entry["file"]):
            continue
        plain = precompiled.sub("", entry["command"])
        if entry["file"] not in chosen or plain == entry["command"]:
            chosen[entry["file"]] = dict(entry, command=plain)
with open(target, "w") as database:
    json.dump(list(chosen.values()), database, indent=1)
PYTHON
# The checks, and the few left out with their reasons, are in .clang-tidy.
run-clang-tidy -p "$database" -j "$jobs" -quiet >"$build/clang-tidy.log" 2>&1 ||
    { grep -E '(warning|error):' "$build/clang-tidy.log" | sort -u; exit 1; }
stage_done clang-tidy
echo "lint: clean"
