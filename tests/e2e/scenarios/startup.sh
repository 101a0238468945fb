#!/bin/bash
# Start-up as the player meets it: a window titled "Ghoulrun", 800 x 600, showing the city and
# the status bar with full meters (not the blue fill), and music that starts within about two
# seconds and fades in.
. "$(dirname "$0")/../lib.sh"

AUDIBLE_RMS=30       # about -60 dB below full scale: the first trace of the music
MUSIC_DEADLINE_MS=2000

e2e_begin
start_xvfb
copy_run_folder
launch_game
wait_window
audio_mark

[ "$(xdotool getwindowname "$WIN")" = "$E2E_TITLE" ] || fail "window title is not $E2E_TITLE"
geometry=$(xwininfo -id "$WIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$geometry" = "${E2E_WIDTH}x${E2E_HEIGHT}" ] || fail "window is $geometry, not 800x600"
note "window \"$E2E_TITLE\" $geometry"

wait_playing
audio_mark
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

# Music: wait until two seconds past its start have been written, then read the fade-in.
while [ $(($(now_ms) - GAME_LAUNCH_MS)) -lt $((MUSIC_DEADLINE_MS + 2800)) ]; do sleep 0.2; done
audio_mark
game_running || fail "the game ended by itself"
rate=$(audio_byte_rate)
[ "$rate" -gt 0 ] || fail "the disk audio file does not grow"
audio_levels "$rate" 100 >"$E2E_WORK/levels.txt"
onset_ms=$(awk -v a=$AUDIBLE_RMS '$2 > a { print $1; exit }' "$E2E_WORK/levels.txt")
[ -n "$onset_ms" ] || fail "no music in the first seconds"
# Byte 0 of the file was written when the audio device opened: project it back from the marks.
file_start_ms=$(printf '%s' "$AUDIO_MARKS" | awk -v r="$rate" 'NF == 2 && $2 > 0 { printf "%.0f\n", $1 - $2 * 1000 / r; exit }')
since_launch=$((file_start_ms + onset_ms - GAME_LAUNCH_MS))
note "music audible ${since_launch} ms after launch (${onset_ms} ms into the audio)"
[ "$since_launch" -le "$MUSIC_DEADLINE_MS" ] || fail "music only after $since_launch ms"

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

game_running || fail "the game ended by itself"
expect_no_stderr
note "passed"
