#!/bin/bash
# Closing the window (the window manager's close request) ends the run with the three report
# lines and status 0; with standard input closed, the final pause does not wait.
. "$(dirname "$0")/../lib.sh"

EXIT_LIMIT_MS=10000 # only for a game that neither ends nor takes the key after the request

e2e_begin
start_game
run_game_for 2.5 || fail "the game ended by itself"

# The request ends the run on the frame that takes it: the game never takes the p behind it.
reports=$(count_lines '^SCREEN: ')
close_window
press_keys p
wait_exit "$EXIT_LIMIT_MS" || fail "the game did not end within $EXIT_LIMIT_MS ms of the close request"
[ "$(count_lines '^SCREEN: ')" -eq "$reports" ] || fail "the game went on after the close request: it took the p behind it"
note "ended after the close request, status $GAME_STATUS"
[ "$GAME_STATUS" -eq 0 ] || fail "closing the window ended the game with status $GAME_STATUS"

# The report is the last thing printed: three lines, in this order.
tail -n 3 "$E2E_WORK/stdout" >"$E2E_WORK/report.txt"
sed -n 1p "$E2E_WORK/report.txt" | grep -q '^You completed [0-9][0-9]* of the endurance$' ||
    fail "no completion line at the end: $(cat "$E2E_WORK/report.txt")"
sed -n 3p "$E2E_WORK/report.txt" | grep -q '^GAME OVER$' || fail "no GAME OVER line at the end"
seconds=$(sed -n 2p "$E2E_WORK/report.txt" | sed -n 's/^You survived for \([0-9][0-9]*\) seconds$/\1/p')
[ -n "$seconds" ] || fail "no survival line: $(sed -n 2p "$E2E_WORK/report.txt")"
# Whole seconds since the game started, which is at most the time it ran since it was launched
# (frozen time does not count: the game's clock stood still meanwhile).
lived=$(((GAME_END_MS - GAME_LAUNCH_MS) / 1000))
note "report: $(tr '\n' '|' <"$E2E_WORK/report.txt") (run lasted about $lived s)"
[ "$seconds" -le "$lived" ] && [ "$seconds" -ge $((lived - 3)) ] ||
    fail "survived for $seconds seconds, but the run lasted about $lived"
expect_no_stderr
note "passed"
