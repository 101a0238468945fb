#!/bin/bash
# Damaged recordings given to the real game: each must be refused within 5 s with status 1 and one
# line on standard error, "ghoulrun: <file>: <reason>", before any window opens.
#
#   tests/replay/bad_files.sh GAME_DIR GOOD.rec
set -u
game=$(realpath "$1")
good=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# name | how the file is made | the reason expected after "ghoulrun: <file>: "
cases() {
    cat <<'TABLE'
missing|:|No such file or directory
folder|mkdir "$file"|is a folder, not a recording
empty|: >"$file"|empty file
wrong magic|{ printf 'GHOULRUN REPLAX\n'; tail -c +17 "$good"; } >"$file"|not a Ghoulrun recording
another version|{ head -c 16 "$good"; printf '\002'; tail -c +18 "$good"; } >"$file"|recording format version 2, this game reads version 1
cut inside a frame|{ cat "$good"; printf '\001\005'; } >"$file"|truncated in the middle of frame
garbage|head -c 65536 /dev/urandom >"$file"|not a Ghoulrun recording
TABLE
}

while IFS='|' read -r name make reason; do
    file="$work/${name// /_}.rec"
    rm -rf "$file"
    eval "$make"
    (cd "$game" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 5 ./ghoulrun --replay "$file" \
        --headless >"$work/stdout" 2>"$work/stderr")
    status=$?
    lines=$(grep -c . "$work/stderr")
    first=$(head -n 1 "$work/stderr")
    if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || [[ "$first" != "ghoulrun: $file: $reason"* ]]; then
        echo "FAIL $name: status $status, $lines lines: $first (expected \"ghoulrun: $file: $reason\")"
        failures=$((failures + 1))
    else
        echo "ok   $name: $first"
    fi
    [ -s "$work/stdout" ] && { echo "FAIL $name: printed on standard output"; failures=$((failures + 1)); }
done < <(cases)
[ "$failures" -eq 0 ] || exit 1

# A run that fails at start-up after its recording was opened (its data folder is empty) still
# leaves a whole recording: the header alone, which replays to no frames at all.
empty_folder="$work/empty-folder"
mkdir -p "$empty_folder"
(cd "$empty_folder" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 5 "$game/ghoulrun" \
    --data "$empty_folder" --record "$work/failed.rec" >/dev/null 2>&1)
status=$?
replayed=$(cd "$game" && timeout 10 ./ghoulrun --replay "$work/failed.rec" --headless 2>&1 | tail -n 1)
if [ "$status" -ne 1 ] || [[ "$replayed" != "replay: 0 frames, state "* ]]; then
    echo "FAIL start-up failure: status $status, replay gave: $replayed"
    exit 1
fi
echo "ok   start-up failure: status 1, its recording replays: $replayed"
