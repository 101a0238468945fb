#!/bin/bash
# The Debian package unpacked into a folder of its own (dpkg-deb -x), as a player's system would
# hold it: its /usr/games/ghoulrun, started from /, finds its data through the path from the
# binary to /usr/share/games/ghoulrun, plays in a real X window and ends with status 0 on q. A
# recording named relative to the folder the game starts in is still found after the game has
# entered its data folder.
# The name the driver gives its notes and its kept artifacts.
NAME=install.unpacked
# shellcheck source=tests/e2e/driver.sh
. "$(dirname "$0")/../e2e/driver.sh"

# Generous: only a game that hangs takes this long to end after q.
QUIT_DEADLINE_MS=10000

: "${GHOULRUN_PACKAGE_DIR:?package folder not given}"
: "${GHOULRUN_REPLAYS:?golden recordings not given}"

packages=("$GHOULRUN_PACKAGE_DIR"/ghoulrun_*.deb)
[ -f "${packages[0]}" ] || fail "no package in $GHOULRUN_PACKAGE_DIR (install.package makes it)"
root="$WORK/root"
dpkg-deb -x "${packages[0]}" "$root" || fail "dpkg-deb -x failed"
game="$root/usr/games/ghoulrun"
data="$root/usr/share/games/ghoulrun"

start_xvfb
use_window
GAME_FOLDER=/ GAME_CMD="$game" launch
wait_playing
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$data" ] ||
    fail "the unpacked game runs in $(readlink "/proc/$GAME_PID/cwd"), not in its data folder"

hold_key q down
wait_exit $QUIT_DEADLINE_MS || fail "q did not end the unpacked game within $QUIT_DEADLINE_MS ms"
note "the unpacked game ended $ENDED_AFTER_MS ms after q with status $STATUS"
expect_status 0
expect_stderr

# The golden sword run, named from where the player stands.
mkdir -p "$WORK/runs"
cp "$GHOULRUN_REPLAYS/sword.rec" "$WORK/runs/"
(cd "$WORK/runs" && timeout 60 "$game" --replay sword.rec --headless) 2>&1 |
    grep -v $'^\t' >"$WORK/replay.txt"
diff -u "$GHOULRUN_REPLAYS/sword.expected" "$WORK/replay.txt" >&2 ||
    fail "the unpacked game's replay of runs/sword.rec differs from the golden output"
note "a recording named relative to the starting folder replays as it should"
note "passed"
