#!/bin/sh
# Builds the libFuzzer targets (tests/fuzz) with clang and runs them.
#
#   scripts/fuzz.sh build [fuzz-tree]
#       Configures and builds the fuzz tree: the game's library and the targets, with
#       AddressSanitizer and UndefinedBehaviorSanitizer.
#   scripts/fuzz.sh check TARGET [fuzz-tree]
#       Runs TARGET over its seeds (tests/data/fuzz/TARGET), then fuzzes it from them for
#       FUZZ_CHECK_SECONDS (default 20): the regression check of `make test`.
#   scripts/fuzz.sh run [fuzz-tree] [TARGET...]
#       Fuzzes each target (default: all) for FUZZ_SECONDS (default 300), one process at a time.
#       What it learns stays in the fuzz tree's corpus/TARGET, and grows from one run to the next.
#   scripts/fuzz.sh merge TARGET [fuzz-tree]
#       Minimises the seeds together with the fuzz tree's corpus into tests/data/fuzz/TARGET: the
#       fewest inputs that reach all the coverage of both.
#
# A crash, a hang, a leak or any sanitizer report fails the run and leaves the input that caused
# it in the fuzz tree's findings/TARGET, to be fixed and then added to the seeds.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
command=${1:?usage: fuzz.sh build|check|run|merge ...}
shift
jobs=${JOBS:-2}

# Coverage for the fuzzer everywhere; libFuzzer's own main only at the targets' link (the suite).
# The library's own checks go with AddressSanitizer, as in scripts/sanitize.sh.
common="-g -O1 -fno-omit-frame-pointer"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -D_GLIBCXX_ASSERTIONS"
link="-fsanitize=address,undefined"

# A hang is an input that takes longer than this; the machine is slow and shared, so it is
# generous, but far shorter than ctest's limit.
hang_seconds=25
# The bytes an input may grow to: room for a long recording, a large picture header with its
# palette, a table of many lines.
longest_input=65536
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/tests/sanitize/lsan.supp:print_suppressions=0"

targets() {
    for source in "$here"/tests/fuzz/*_fuzz.cpp; do
        basename "$source" _fuzz.cpp
    done
}

build() {
    tree=$1
    CC=clang CXX=clang++ cmake -S "$here" -B "$tree" -DGHOULRUN_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_FLAGS_RELWITHDEBINFO="$common" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$common" \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$link" \
        >/dev/null
    # shellcheck disable=SC2046
    cmake --build "$tree" -j "$jobs" --target $(targets | sed 's/^/fuzz_/')
}

# Runs TARGET from the fuzz tree with the options every run shares; its own output (stdout and
# stderr: the command line's help and complaints) is closed, libFuzzer's and the sanitizers' kept.
fuzz() {
    tree=$1
    target=$2
    shift 2
    findings="$tree/findings/$target"
    mkdir -p "$findings"
    dictionary="$here/tests/fuzz/$target.dict"
    [ -f "$dictionary" ] && set -- -dict="$dictionary" "$@"
    "$tree/fuzz-targets/fuzz_$target" -artifact_prefix="$findings/" -timeout="$hang_seconds" \
        -max_len="$longest_input" -close_fd_mask=3 -print_final_stats=1 "$@"
}

case "$command" in
    build)
        build "${1:-$here/build/fuzz}"
        ;;
    check)
        target=${1:?usage: fuzz.sh check TARGET [fuzz-tree]}
        tree=${2:-$here/build/fuzz}
        seeds="$here/tests/data/fuzz/$target"
        fuzz "$tree" "$target" -runs=0 "$seeds"
        # A fresh corpus each time: the check starts from the seeds, as on any other machine.
        corpus="$tree/check-corpus/$target"
        rm -rf "$corpus"
        mkdir -p "$corpus"
        fuzz "$tree" "$target" -max_total_time="${FUZZ_CHECK_SECONDS:-20}" "$corpus" "$seeds"
        ;;
    run)
        tree=${1:-$here/build/fuzz}
        [ $# -gt 0 ] && shift
        # shellcheck disable=SC2046 # the targets' names are single words
        [ $# -gt 0 ] || set -- $(targets)
        # One process at a time, each target in turn; a target that fails does not stop the others.
        failed=""
        for target in "$@"; do
            corpus="$tree/corpus/$target"
            mkdir -p "$corpus"
            echo "fuzz: $target for ${FUZZ_SECONDS:-300} s"
            fuzz "$tree" "$target" -max_total_time="${FUZZ_SECONDS:-300}" \
                "$corpus" "$here/tests/data/fuzz/$target" || failed="$failed $target"
        done
        if [ -n "$failed" ]; then
            echo "fuzz: failed:$failed (inputs in $tree/findings)" >&2
            exit 1
        fi
        ;;
    merge)
        target=${1:?usage: fuzz.sh merge TARGET [fuzz-tree]}
        tree=${2:-$here/build/fuzz}
        seeds="$here/tests/data/fuzz/$target"
        merged="$tree/merged/$target"
        rm -rf "$merged"
        mkdir -p "$merged" "$tree/corpus/$target"
        fuzz "$tree" "$target" -merge=1 "$merged" "$seeds" "$tree/corpus/$target"
        rm -f "$seeds"/*
        cp "$merged"/* "$seeds"/
        echo "fuzz: $target seeds now $(find "$seeds" -type f | wc -l) files, $(du -sk "$seeds" | cut -f1) KB"
        ;;
    *)
        echo "fuzz.sh: unknown command $command" >&2
        exit 2
        ;;
esac
