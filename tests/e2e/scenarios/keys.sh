#!/bin/bash
# The console keys: p prints where the hero is, on the screen and in the world; q ends the game
# at once with status 0 and without the end-of-run report.
. "$(dirname "$0")/../lib.sh"

QUIT_LIMIT_MS=10000 # only for a game that neither ends nor takes the key after q

e2e_begin
start_game

settle_keys
screen_line=$(grep -a '^SCREEN: ' "$E2E_WORK/stdout" | tail -n 1)
world_line=$(grep -a '^WORLD : ' "$E2E_WORK/stdout" | tail -n 1)
note "p printed \"$screen_line\" and \"$world_line\""
# The hero has not moved and the city has not scrolled: both are the start position.
[ "$screen_line" = "SCREEN: 400,400" ] || fail "p printed \"$screen_line\", not \"SCREEN: 400,400\""
[ "$world_line" = "WORLD : 400,400" ] || fail "p printed \"$world_line\", not \"WORLD : 400,400\""

# "At once": the game takes one key a frame, so after q it must never take the p behind it.
reports=$(count_lines '^SCREEN: ')
press_keys q p
wait_exit "$QUIT_LIMIT_MS" || fail "q did not end the game within $QUIT_LIMIT_MS ms"
[ "$(count_lines '^SCREEN: ')" -eq "$reports" ] || fail "the game went on after q: it took the p behind it"
note "q ended the game with status $GAME_STATUS"
[ "$GAME_STATUS" -eq 0 ] || fail "q ended the game with status $GAME_STATUS"
if grep -a -q -e '^You completed ' -e '^You survived for ' -e '^GAME OVER' "$E2E_WORK/stdout"; then
    fail "q printed the end-of-run report"
fi
expect_no_stderr
note "passed"
