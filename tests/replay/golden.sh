#!/bin/bash
# A golden replay: replays tests/data/replays/NAME.rec headless in the run folder and compares
# what it prints (the run's console output and the closing "replay:" line with the frame count and
# the state digest) with NAME.expected. With GOLDEN_REFRESH=1 it writes NAME.expected instead.
#
#   tests/replay/golden.sh NAME GAME_DIR
#
# The lines that list the sound files are left out: they follow the folder's listing order, which
# is the file system's business, not the run's.
set -eu
name=$1
game=$(realpath "$2")
data=$(cd "$(dirname "$0")/../data/replays" && pwd)
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT

cd "$game"
status=0
timeout 120 ./ghoulrun --replay "$data/$name.rec" --headless 2>&1 | grep -v $'^\t' >"$actual" ||
    status=$?
[ "$status" -eq 0 ] || { echo "golden $name: the replay failed (status $status)"; cat "$actual"; exit 1; }
if [ "${GOLDEN_REFRESH:-0}" = 1 ]; then
    cp "$actual" "$data/$name.expected"
    echo "golden $name: $(tail -n 1 "$actual")"
    exit 0
fi
if ! diff -u "$data/$name.expected" "$actual"; then
    echo "golden $name: the replay no longer gives what it gave (GOLDEN_REFRESH=1 if that is meant)"
    exit 1
fi
echo "golden $name: $(tail -n 1 "$actual")"
