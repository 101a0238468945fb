#!/bin/bash
# A player's install: `make install` into a fresh prefix puts the game in games/, its data under
# share/games/ghoulrun and a link to the game in bin; the game started through it from any folder
# finds its data, and q ends it at once with status 0.
. "$(dirname "$0")/../lib.sh"

: "${GHOULRUN_SOURCE_DIR:?source folder not given}"
: "${GHOULRUN_BUILD_DIR:?build folder not given}"

e2e_begin
prefix="$E2E_WORK/prefix with space"
# The suite runs on a finished build, so the install does not build again (-o build).
make -s -C "$GHOULRUN_SOURCE_DIR" -o build install PREFIX="$prefix" \
    BUILD_DIR="$GHOULRUN_BUILD_DIR" >"$E2E_WORK/install.log" 2>&1 ||
    fail "make install failed: $(cat "$E2E_WORK/install.log")"
note "$(tail -n 1 "$E2E_WORK/install.log")"

launcher="$prefix/bin/ghoulrun"
game="$prefix/games/ghoulrun"
data="$prefix/share/games/ghoulrun"
[ -x "$launcher" ] || fail "no command $launcher"
[ -x "$game" ] || fail "no game binary $game"
[ -f "$data/pompeii.ogg" ] || fail "no music in $data"
for folder in images sfx; do
    [ "$(find "$data/$folder" -type f | wc -l)" -eq "$(find "$GHOULRUN_GAME_DIR/$folder" -type f | wc -l)" ] ||
        fail "$data/$folder is not the whole $folder of the run folder"
done

# Start it the way a player would, from some other folder; its data must come from the prefix.
elsewhere="$E2E_WORK/home"
mkdir -p "$elsewhere"
start_xvfb
launch_game "$elsewhere" "$launcher"
wait_window
wait_playing
# The command is a link to the game, so the process we started is the installed game itself.
[ "$(readlink "/proc/$GAME_PID/exe")" = "$game" ] ||
    fail "the command did not start the installed game: $(readlink "/proc/$GAME_PID/exe")"
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$data" ] || fail "the installed game does not run in $data"

# q ends the game at once: it never takes the p behind it.
press_keys q p
wait_exit 10000 || fail "q did not end the installed game within 10 s"
[ "$(count_lines '^SCREEN: ')" -eq 0 ] || fail "the installed game went on after q: it took the p behind it"
note "the installed game ended after q with status $GAME_STATUS"
[ "$GAME_STATUS" -eq 0 ] || fail "the installed game ended with status $GAME_STATUS"
[ -z "$(ls -A "$elsewhere")" ] || fail "the game wrote into the folder it was started from"
expect_no_stderr
note "passed"
