#!/bin/bash
# Records one of the golden runs by playing the real game under Xvfb with keys from xdotool.
#
#   tests/replay/record_golden.sh SCENARIO OUT.rec [GAME_DIR]
#
#   standing  no key at all: the enemies close in and win; the game ends by itself
#   sword     a swing every 1.2 s, facing the enemies as they come; the window is closed at 45 s
#
# The recording is what the game wrote; what it replays to is decided by `make golden-refresh`.
set -eu
scenario=$1
out=$(realpath -m "$2")
game=$(realpath "${3:-build/game}")
here=$(cd "$(dirname "$0")" && pwd)
close_window=$(realpath "$(dirname "$game")/e2e-tools/ghoulrun_close_window")

work=$(mktemp -d)
trap 'kill "$game_pid" "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
until grep -q '^[0-9]' "$work/display" 2>/dev/null; do sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
cp -R "$game"/. "$work/run/"
cd "$work/run"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null ./ghoulrun --record "$out" </dev/null >"$work/stdout" 2>&1 &
game_pid=$!
until win=$(xdotool search --name '^Ghoulrun$' 2>/dev/null | head -n 1) && [ -n "$win" ]; do
    sleep 0.1
done
until grep -q '^Loading Player' "$work/stdout"; do sleep 0.1; done
sleep 1

running() { kill -0 "$game_pid" 2>/dev/null; }
tap() { xdotool keydown --window "$win" "$1"; sleep 0.05; xdotool keyup --window "$win" "$1"; }

case "$scenario" in
standing)
    while running; do sleep 0.5; done
    ;;
sword)
    for turn in $(seq 1 36); do
        running || break
        # Face left on odd turns, right on even ones: enemies come from both sides.
        if [ $((turn % 2)) -eq 1 ]; then tap Left; else tap Right; fi
        tap space
        sleep 1.1
    done
    running && "$close_window" --id "$win"
    ;;
*)
    echo "record_golden.sh: unknown scenario $scenario" >&2
    exit 2
    ;;
esac
wait "$game_pid" || true
echo "$scenario: $(stat -c %s "$out") bytes, $(grep -c . "$work/stdout") console lines"
