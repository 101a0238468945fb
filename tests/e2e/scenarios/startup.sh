#!/bin/bash
# Start-up as the player meets it: a window titled "Ghoulrun", 800 x 600, showing the city and
# the status bar with full meters (not the blue fill), and music that starts while the game
# loads, before its first frames, and fades in.
. "$(dirname "$0")/../lib.sh"

AUDIBLE_RMS=30       # about -60 dB below full scale: the first trace of the music
# The game starts the music before it loads its pictures and builds its roster, so the music is
# audible by the time the first frames show, give or take the first steps of its fade-in and the
# sound device's buffers.
MUSIC_SLACK_MS=500

e2e_begin
start_xvfb
copy_run_folder
launch_game
wait_window

[ "$(xdotool getwindowname "$WIN")" = "$E2E_TITLE" ] || fail "window title is not $E2E_TITLE"
geometry=$(xwininfo -id "$WIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$geometry" = "${E2E_WIDTH}x${E2E_HEIGHT}" ] || fail "window is $geometry, not 800x600"
note "window \"$E2E_TITLE\" $geometry"

wait_playing
shot start

# Nothing of the blue fill may show: the background covers the whole window.
blue=$(share_of_colour start "$FILL_BLUE")
[ "$blue" -le 5 ] || fail "$blue per mille of the window is the blue fill"

# The city at its start position, the status bar with full meters, and the hero at (400, 400)
# over them: nothing else is in view yet.
expected_scene city city2 0
away=$(share_changed_outside start city "$(hero_box idle0 400 400)")
note "outside the hero the screen differs from the city scene in $away per mille"
[ "$away" -le 20 ] || fail "the screen does not show the city with the status bar ($away per mille off)"
expected_scene underground underground 0
apart=$(strips_changed start underground)
[ "$apart" -ge "$SCENE_DIFFERENT" ] || fail "the city and the underground cannot be told apart"
bar=$(share_changed start city "$(picture_size bar | tr ' ' x)+10+514")
[ "$bar" -le "$STRIP_TOLERANCE" ] || fail "the status bar is not drawn as expected ($bar per mille off)"
expect_hero start idle0 400 400 plain

# Music: the game plays on until more than three seconds past its first frames are written, and
# the music must be audible by those first frames (wait_playing froze the game on one of them).
run_game_for 3.5 || fail "the game ended by itself"
rate=$(audio_byte_rate)
[ "$rate" -gt 0 ] || fail "the disk audio file does not grow"
audio_levels "$rate" 100 >"$E2E_WORK/levels.txt"
onset_ms=$(awk -v a=$AUDIBLE_RMS '$2 > a { print $1; exit }' "$E2E_WORK/levels.txt")
[ -n "$onset_ms" ] || fail "no music in the first seconds"
playing_ms=$(audio_ms "$PLAYING_OFFSET" "$rate")
note "music audible ${onset_ms} ms into the sound, the first frames shown by ${playing_ms} ms"
[ "$onset_ms" -le $((playing_ms + MUSIC_SLACK_MS)) ] ||
    fail "music only $((onset_ms - playing_ms)) ms of play after the first frames"

# Fade-in over two seconds: the loudness of each half second after the onset keeps rising,
# and the last is well above the first.
read -r q1 q2 q3 q4 after < <(awk -v s="$onset_ms" '
    $1 >= s && $1 < s + 2500 { b = int(($1 - s) / 500); sum[b] += $2; n[b]++ }
    END { for (i = 0; i < 5; i++) printf "%d ", (n[i] ? sum[i] / n[i] : 0); print "" }' \
    "$E2E_WORK/levels.txt")
note "music loudness by half second: $q1 $q2 $q3 $q4, then $after"
[ "$q1" -lt "$q2" ] && [ "$q2" -lt "$q3" ] && [ "$q3" -lt "$q4" ] ||
    fail "the music does not rise through its first two seconds ($q1 $q2 $q3 $q4)"
[ $((q4)) -ge $((3 * q1)) ] || fail "the music does not fade in ($q1 to $q4)"

run_game_for 0.2 || fail "the game ended by itself"
expect_no_stderr
note "passed"
