#!/bin/bash
# A golden replay: `golden.sh [--refresh] NAME GAME_DIR` replays NAME.rec headless and compares its
# output with NAME.expected (with --refresh, from `make golden-refresh`, writes it instead). The
# lines listing the sound files follow the folder's listing order, not the run: left out.
set -eu
refresh=0
[ "${1:-}" != --refresh ] || { refresh=1 && shift; }
name=${1:?usage: golden.sh [--refresh] NAME GAME_DIR}
data=$(cd "$(dirname "$0")/../data/replays" && pwd)
cd "${2:?usage: golden.sh [--refresh] NAME GAME_DIR}"
status=0
actual=$(timeout 120 ./ghoulrun --replay "$data/$name.rec" --headless 2>&1) || status=$?
actual=$(grep -v $'^\t' <<<"$actual" || true)
[ "$status" -eq 0 ] || { echo "golden $name: the replay failed (status $status)"; echo "$actual"; exit 1; }
if [ "$refresh" = 1 ]; then
    echo "$actual" >"$data/$name.expected"
elif ! diff -u "$data/$name.expected" - <<<"$actual"; then
    echo "golden $name: the replay no longer gives what it gave (make golden-refresh if that is meant)"
    exit 1
fi
echo "golden $name: $(tail -n 1 <<<"$actual")"
