#!/bin/bash
# The Debian package unpacked into a folder of its own (dpkg-deb -x): its /usr/games/ghoulrun,
# started from /, finds its data by the path from the binary, plays in a real X window and ends
# with status 0 on q; a recording named from the folder the game starts in still replays.
NAME=install.unpacked
# shellcheck source=tests/e2e/driver.sh
. "$(dirname "$0")/../e2e/driver.sh"

# Generous: only a game that hangs takes this long to end after q.
QUIT_DEADLINE_MS=10000

packages=("$GHOULRUN_PACKAGE_DIR"/ghoulrun_*.deb)
dpkg-deb -x "${packages[0]}" "$WORK/root" || fail "no package to unpack (install.package)"
game="$WORK/root/usr/games/ghoulrun"
start_xvfb
use_window
GAME_FOLDER=/ GAME_CMD="$game" launch
wait_playing
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$WORK/root/usr/share/games/ghoulrun" ] ||
    fail "the unpacked game runs in $(readlink "/proc/$GAME_PID/cwd"), not in its data folder"
hold_key q down
wait_exit $QUIT_DEADLINE_MS || fail "q did not end the unpacked game within $QUIT_DEADLINE_MS ms"
expect_status 0
expect_stderr

mkdir -p "$WORK/runs"
cp "$GHOULRUN_REPLAYS/sword.rec" "$WORK/runs/"
(cd "$WORK/runs" && timeout 60 "$game" --replay sword.rec --headless) 2>&1 |
    grep -v $'^\t' | diff -u "$GHOULRUN_REPLAYS/sword.expected" - >&2 ||
    fail "the unpacked game's replay of runs/sword.rec differs from the golden output"
note passed
