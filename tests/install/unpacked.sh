#!/bin/bash
# The Debian package unpacked into a folder of its own (dpkg-deb -x): its /usr/games/ghoulrun,
# started from /, finds its data by the path from the binary, plays in a real X window and ends
# with status 0 on q; a recording named from the folder the game starts in still replays.
export E2E_NAME=install.unpacked
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/../e2e/lib.sh"

# Generous: only a game that hangs takes this long to end after q.
QUIT_DEADLINE_MS=10000

e2e_begin
packages=("$GHOULRUN_PACKAGE_DIR"/ghoulrun_*.deb)
dpkg-deb -x "${packages[0]}" "$E2E_WORK/root" || fail "no package to unpack (install.package)"
game="$E2E_WORK/root/usr/games/ghoulrun"
start_xvfb
launch_game / "$game"
wait_window
wait_playing
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$E2E_WORK/root/usr/share/games/ghoulrun" ] ||
    fail "the unpacked game runs in $(readlink "/proc/$GAME_PID/cwd"), not in its data folder"
key_down q
wait_exit $QUIT_DEADLINE_MS || fail "q did not end the unpacked game within $QUIT_DEADLINE_MS ms"
[ "$GAME_STATUS" -eq 0 ] || fail "the unpacked game ended with status $GAME_STATUS"
expect_no_stderr

mkdir -p "$E2E_WORK/runs"
cp "$GHOULRUN_REPLAYS/sword.rec" "$E2E_WORK/runs/"
(cd "$E2E_WORK/runs" && timeout 60 "$game" --replay sword.rec --headless) 2>&1 |
    grep -v $'^\t' | diff -u "$GHOULRUN_REPLAYS/sword.expected" - >&2 ||
    fail "the unpacked game's replay of runs/sword.rec differs from the golden output"
note passed
