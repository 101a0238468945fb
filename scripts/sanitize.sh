#!/bin/sh
# Builds Ghoulrun with the sanitizers and runs its tests there.
#
#   scripts/sanitize.sh asan [build-dir] [ctest-args...]
#       AddressSanitizer with UndefinedBehaviorSanitizer and LeakSanitizer: every test but the
#       real-window scenarios, the soak and these checks themselves.
#   scripts/sanitize.sh tsan [build-dir] [ctest-args...]
#       ThreadSanitizer: the tests of the threaded sound engine, the game-over sequence and the
#       crowd with its helper thread and the queue of blits it shares.
#   scripts/sanitize.sh asan-build [build-dir] [targets...]
#   scripts/sanitize.sh tsan-build [build-dir] [targets...]
#       Only builds that tree: the tests' targets, or the ones named (the soak runs the
#       AddressSanitizer game, the crowd soak its own driver in both trees).
#   scripts/sanitize.sh options
#       Prints the sanitizers' run-time options below as shell exports, for a program of these
#       trees run outside ctest (scripts/soak_crowd.sh).
#
# Any report fails the run: every sanitizer stops the process at its first finding.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:?usage: sanitize.sh asan|tsan|asan-build|tsan-build|options [build-dir] [ctest-args...]}
shift
case "$kind" in
    asan | asan-build) default_dir="$here/build-sanitize" ;;
    tsan | tsan-build) default_dir="$here/build-tsan" ;;
    options) default_dir="" ;;
    *) echo "sanitize.sh: unknown kind $kind" >&2; exit 2 ;;
esac
build=${1:-$default_dir}
[ $# -gt 0 ] && shift
jobs=${JOBS:-2}

# Stack frames kept for readable reports; -O1 keeps the tests quick enough. The unit-test files
# themselves are built with -O0: they are most of the compile time, and the game's code they call
# keeps -O1.
common="-g -O1 -fno-omit-frame-pointer"
# The library's own checks go with AddressSanitizer: an index past a std::array that is a member
# of a larger object stays inside that object, where AddressSanitizer does not look.
asan="-fsanitize=address,undefined -fno-sanitize-recover=undefined -D_GLIBCXX_ASSERTIONS"
tsan="-fsanitize=thread"

# What the AddressSanitizer tests need: the game (and so its generated data), the unit tests, the
# data-set tests (the error matrix is a script), and the crowd soak's driver for its short form.
# Not the benchmark or the helpers of the real-window tests, which the sanitized tree never runs.
asan_targets="ghoulrun ghoulrun_tests ghoulrun_asset_tests crowd_soak"
# ThreadSanitizer: only the threads' unit tests are built (GHOULRUN_THREAD_TESTS_ONLY).
tsan_targets="ghoulrun_tests"

configure() {
    flags=$1
    shift
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_FLAGS_RELWITHDEBINFO="$common" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$common" \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" \
        -DCMAKE_MODULE_LINKER_FLAGS="$flags" -DGHOULRUN_TEST_CODE_OPTIONS=-O0 "$@" >/dev/null
}

# Reports go to the test's output. Full stacks at every allocation (libSDL2 has no frame
# pointers), so that the leak suppressions can name our own call sites.
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/tests/sanitize/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/tests/sanitize/tsan.supp"

case "$kind" in
    options)
        printf "export %s='%s'\n" ASAN_OPTIONS "$ASAN_OPTIONS" UBSAN_OPTIONS "$UBSAN_OPTIONS" \
            LSAN_OPTIONS "$LSAN_OPTIONS" TSAN_OPTIONS "$TSAN_OPTIONS"
        ;;
    asan-build)
        configure "$asan"
        # shellcheck disable=SC2086
        cmake --build "$build" -j "$jobs" --target ${*:-$asan_targets}
        ;;
    tsan-build)
        configure "$tsan" -DGHOULRUN_THREAD_TESTS_ONLY=ON
        # shellcheck disable=SC2086
        cmake --build "$build" -j "$jobs" --target ${*:-$tsan_targets}
        ;;
    asan)
        configure "$asan"
        # shellcheck disable=SC2086
        cmake --build "$build" -j "$jobs" --target $asan_targets
        ctest --test-dir "$build" --output-on-failure -j "$jobs" -LE '^(e2e|soak|sanitize)$' "$@"
        ;;
    tsan)
        configure "$tsan" -DGHOULRUN_THREAD_TESTS_ONLY=ON
        # shellcheck disable=SC2086
        cmake --build "$build" -j "$jobs" --target $tsan_targets
        ctest --test-dir "$build" --output-on-failure -j "$jobs" -R '^(SoundEngine|Crowd|BlitQueue|PlayAgain)' "$@"
        ;;
esac
