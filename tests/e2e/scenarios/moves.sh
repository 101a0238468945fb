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
run_game_for 0.15 || fail "the game ended by itself"
key_up Right
hero_report
[ "$HERO_PX" -gt 400 ] || fail "the hero is at x $HERO_X after running right"
[ "$HERO_PY" -eq 400 ] || fail "the hero left its line: y $HERO_Y"
shot stopped
expect_background stopped city2 "$SCROLL_X"
expect_hero stopped idle0 "$HERO_PX" "$HERO_PY" plain

# Left: the hero turns round and is drawn mirrored.
press_keys Left
hero_report
shot left
expect_background left city2 "$SCROLL_X"
expect_hero left idle0 "$HERO_PX" "$HERO_PY" mirrored
city_x=$(background_x city2 "$SCROLL_X")

# 2: the underground; 1: the city again (each clamped to its own width). settle_keys runs the
# game until it has taken the key and shown it.
press_keys 2
settle_keys
shot underground
expect_background underground underground "$city_x"
apart=$(strips_changed underground bg-city2)
[ "$apart" -ge "$SCENE_DIFFERENT" ] || fail "the underground looks like the city ($apart per mille apart)"
under_x=$(background_x underground "$city_x")
press_keys 1
settle_keys
shot city_again
expect_background city_again city2 "$under_x"

run_game_for 0.2 || fail "the game ended by itself"
expect_no_stderr
note "passed"
