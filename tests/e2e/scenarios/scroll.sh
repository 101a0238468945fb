#!/bin/bash
# Running and scrolling: with Right held the hero runs (800 px/s) to the right edge of its band
# at x 600 and stays there while the city scrolls under it, until the city's right end reaches
# the window's right edge; the picture follows the scroll the game reports.
. "$(dirname "$0")/../lib.sh"

# What a player would call running and scrolling, well below the nominal 800 px/s.
RUN_MS=1000           # to cover the 200 px from the start to the band's edge
EDGE_HOLD_MS=1000     # held at the edge...
MIN_SCROLL=200        # ...the city scrolls at least this far
END_HOLD_MS=3000      # and after this much more, the city is at its right end

# Holds Right for the given ms of play and lets go; then asks where the hero is.
hold_right() {
    key_down Right
    run_game_for "$(awk -v ms="$1" 'BEGIN { print ms / 1000 }')" || fail "the game ended by itself"
    key_up Right
    hero_report
}

e2e_begin
start_game

hold_right "$RUN_MS"
[ "$HERO_PX" -ge 560 ] && [ "$HERO_PX" -le 600 ] ||
    fail "after $RUN_MS ms of Right the hero is at x $HERO_X, not at the band's edge 600"

hold_right "$EDGE_HOLD_MS"
[ "$HERO_PX" -ge 560 ] && [ "$HERO_PX" -le 600 ] || fail "the hero left its band: x $HERO_X"
[ "$SCROLL_X" -le -"$MIN_SCROLL" ] ||
    fail "$EDGE_HOLD_MS ms of Right at the band's edge scrolled the city by only $SCROLL_X px"
shot scrolled
expect_background scrolled city2 "$SCROLL_X"
expected_scene city0 city2 0
moved=$(strips_changed scrolled city0)
[ "$moved" -ge "$SCENE_DIFFERENT" ] || fail "the city did not move on screen ($moved per mille changed)"

# At the city's right end the background stops; nothing of the blue fill shows.
hold_right "$END_HOLD_MS"
end_x=$(background_x city2 "$SCROLL_X")
read -r city_w _ < <(picture_size city2)
[ "$end_x" -eq $((803 - city_w)) ] || fail "the city has not reached its end (left edge at $end_x)"
shot city_end
expect_background city_end city2 "$SCROLL_X"
blue=$(share_of_colour city_end "$FILL_BLUE")
[ "$blue" -le 5 ] || fail "$blue per mille of the window is the blue fill at the city's end"

run_game_for 0.2 || fail "the game ended by itself"
expect_no_stderr
note "passed"
