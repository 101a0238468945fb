#!/bin/bash
# A golden replay: `golden.sh NAME GAME_DIR` replays tests/data/replays/NAME.rec headless in the
# run folder and compares its output (the closing "replay:" line has the frame count and the state
# digest) with NAME.expected; GOLDEN_REFRESH=1 writes NAME.expected instead. The lines listing the
# sound files follow the folder's listing order, not the run: left out.
set -eu
name=$1
data=$(cd "$(dirname "$0")/../data/replays" && pwd)
cd "$2"
status=0
actual=$(timeout 120 ./ghoulrun --replay "$data/$name.rec" --headless 2>&1) || status=$?
actual=$(grep -v $'^\t' <<<"$actual" || true)
[ "$status" -eq 0 ] || { echo "golden $name: the replay failed (status $status)"; echo "$actual"; exit 1; }
if [ "${GOLDEN_REFRESH:-0}" = 1 ]; then
    echo "$actual" >"$data/$name.expected"
elif ! diff -u "$data/$name.expected" - <<<"$actual"; then
    echo "golden $name: the replay no longer gives what it gave (GOLDEN_REFRESH=1 if that is meant)"
    exit 1
fi
echo "golden $name: $(tail -n 1 <<<"$actual")"
