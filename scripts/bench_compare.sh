#!/bin/bash
# The frame benchmark of another commit beside the working tree's, run in turns on this machine.
#
# Usage: bench_compare.sh <build dir> <commit>
# The commit's benchmark is built once in <build dir>/bench-compare/<sha> from its own sources (its
# picture generator left out) and kept for the next call. Both benchmarks draw the working tree's
# pictures, so that only the code differs. For each N of BENCH_COMPARE_N (default 100 1000 3000
# 9997) the two take turns ROUNDS times (default 3; the commit first in odd rounds, second in even
# ones), each run BENCH_REPS repetitions of BENCH_FRAMES frames (default 3 of 100). Each scenario's
# row gives the median frame time of either over the rounds, the median of the rounds' ratios
# (working tree over commit) and the spread of either, (highest - lowest) / median over the rounds.
set -euo pipefail
build=$1 base=$2
rounds=${ROUNDS:-3}
counts=${BENCH_COMPARE_N:-100 1000 3000 9997}
export BENCH_REPS=${BENCH_REPS:-3} BENCH_FRAMES=${BENCH_FRAMES:-100}
fail() { echo "bench-compare: $*" >&2 && exit 1; }

sha=$(git rev-parse --verify --quiet "$base^{commit}") || fail "$base is not a commit"
tree=$build/bench-compare/$sha
if [ ! -x "$tree/frame_bench" ]; then
    echo "bench-compare: building the benchmark of ${sha:0:7} in $tree"
    rm -rf "$tree" && mkdir -p "$tree/source"
    git archive "$sha" | tar -x -C "$tree/source"
    [ -f "$tree/source/bench/CMakeLists.txt" ] || fail "${sha:0:7} has no frame benchmark"
    rm -f "$tree/source/tools/CMakeLists.txt" # its pictures are not needed: ours are drawn
    cmake -S "$tree/source" -B "$tree/build" -DCMAKE_BUILD_TYPE=Release >"$tree/configure.log" ||
        fail "configuring ${sha:0:7} failed ($tree/configure.log)"
    cmake --build "$tree/build" -j "${JOBS:-2}" --target frame_bench >"$tree/build.log" ||
        fail "building ${sha:0:7} failed ($tree/build.log)"
    cp "$tree/build/bench/frame_bench" "$tree/frame_bench"
    rm -rf "$tree/source" "$tree/build"
fi
ours=$build/bench/frame_bench
[ -x "$ours" ] || fail "$ours is missing"
game=$build/game
[ -f "$game/images/city2.bmp" ] || fail "$game holds no pictures"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Appends "<N> <hero> <frame ms>" per scenario of one run to $work/<which>.
run() {
    BENCH_ONLY=$2 "$3" "$game" 2>/dev/null |
        sed -n 's/^bench N=\([0-9]*\) hero=\([a-z]*\) frame_ms=\([0-9.]*\) .*/\1 \2 \3/p' \
            >>"$work/$1"
}
for n in $counts; do
    for round in $(seq "$rounds"); do
        echo "bench-compare: N=$n, round $round of $rounds" >&2
        if [ $((round % 2)) = 1 ]; then
            run base "$n" "$tree/frame_bench" && run ours "$n" "$ours"
        else
            run ours "$n" "$ours" && run base "$n" "$tree/frame_bench"
        fi
    done
done

echo "frame ms, median of $rounds rounds in turns ($BENCH_REPS x $BENCH_FRAMES frames a run);" \
    "ratio: the rounds' median of working tree / ${sha:0:7}"
awk -v base="${sha:0:7}" '
    function sort(a, k,   i, j, t) {
        for (i = 2; i <= k; ++i)
            for (j = i; j > 1 && a[j - 1] > a[j]; --j) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    }
    function median(a, k) { sort(a, k); return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2 }
    function spread(a, k) { sort(a, k); return 100 * (a[k] - a[1]) / median(a, k) }
    FNR == 1 { which++ }
    {
        key = $1 " " $2
        if (!(key in seen)) { seen[key] = 1; order[++keys] = key }
        i = ++count[which, key]
        value[which, key, i] = $3
    }
    END {
        printf "%-6s %-9s %12s %8s %12s %8s %8s\n", "N", "hero", base " ms", "spread", "tree ms",
            "spread", "ratio"
        for (k = 1; k <= keys; ++k) {
            key = order[k]
            n = count[1, key] < count[2, key] ? count[1, key] : count[2, key]
            for (i = 1; i <= n; ++i) {
                b[i] = value[1, key, i]; o[i] = value[2, key, i]; r[i] = o[i] / b[i]
            }
            split(key, part, " ")
            printf "%-6s %-9s %12.3f %7.1f%% %12.3f %7.1f%% %8.3f\n", part[1], part[2],
                median(b, n), spread(b, n), median(o, n), spread(o, n), median(r, n)
        }
    }' "$work/base" "$work/ours"
