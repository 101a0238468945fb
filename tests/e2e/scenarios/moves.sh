#!/bin/bash
# Moving about: Right held runs the hero right; Left turns it round (drawn mirrored); 2 shows
# the underground and 1 the city again. Each picture is checked against the game's own images.
. "$(dirname "$0")/../lib.sh"

e2e_begin
start_game

# At rest: the hero stands at (400, 400) facing right, over the unscrolled city.
shot rest
expect_background rest city2 0
expect_hero rest idle0 400 400 plain

# Right held: the hero runs right, still facing right. (How fast, and the scrolling at the band's
# edge, are the scroll scenario's.)
key_down Right
sleep 0.15
key_up Right
sleep 0.2
hero_report
[ "$HERO_PX" -gt 400 ] || fail "the hero is at x $HERO_X after running right"
[ "$HERO_PY" -eq 400 ] || fail "the hero left its line: y $HERO_Y"
shot stopped
expect_background stopped city2 "$SCROLL_X"
expect_hero stopped idle0 "$HERO_PX" "$HERO_PY" plain

# Left: the hero turns round and is drawn mirrored.
key_tap Left 0.05
sleep 0.2
hero_report
shot left
expect_background left city2 "$SCROLL_X"
expect_hero left idle0 "$HERO_PX" "$HERO_PY" mirrored
city_x=$(background_x city2 "$SCROLL_X")

# 2: the underground; 1: the city again (each clamped to its own width).
key_tap 2
sleep 0.25
shot underground
expect_background underground underground "$city_x"
apart=$(strips_changed underground bg-city2)
[ "$apart" -ge "$SCENE_DIFFERENT" ] || fail "the underground looks like the city ($apart per mille apart)"
under_x=$(background_x underground "$city_x")
key_tap 1
sleep 0.25
shot city_again
expect_background city_again city2 "$under_x"

game_running || fail "the game ended by itself"
expect_no_stderr
note "passed"
