#!/bin/bash
# The window: F11 puts the game on the whole screen (a wide one here) with its picture whole and
# 4:3, black on either side; Alt+Enter brings back the 800 x 600 window; the game plays on
# throughout. Losing the input focus pauses it under the PAUSED banner, where keys do nothing
# until Esc resumes it. A window manager (openbox) runs, as fullscreen and focus are its part.
E2E_SCREEN=1280x720x24
. "$(dirname "$0")/../lib.sh"

SCREEN_W=1280
SCREEN_H=720
PICTURE_W=960 # 800 x 600 scaled to the screen's height
SIDE_BAR=$(((SCREEN_W - PICTURE_W) / 2))

window_size() { xwininfo -id "$WIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }

# Lets the game run until its window is SIZE ("WxH"), at most 5 s of its time.
run_until_size() {
    local size=$1 start
    start=$(run_clock)
    thaw_game
    until [ "$(window_size)" = "$size" ]; do
        game_running || fail "the game ended by itself"
        [ $(($(run_clock) - start)) -lt 5000 ] || fail "the window is $(window_size), not $size"
        sleep 0.05
    done
    run_game_for 0.3 || fail "the game ended by itself"
}

e2e_begin
start_xvfb
openbox >"$E2E_WORK/openbox.log" 2>&1 &
# A window mapped while the window manager is still starting may never be shown: wait until it
# has announced itself on the root window.
waited=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    [ $waited -lt 200 ] || fail "openbox did not start: $(cat "$E2E_WORK/openbox.log")"
    sleep 0.05
    waited=$((waited + 1))
done
copy_run_folder
launch_game
wait_window
wait_playing
[ "$(window_size)" = 800x600 ] || fail "the window opened at $(window_size), not 800x600"

# F11: the whole screen, the picture 4:3 between two black bars.
press_keys F11
run_until_size ${SCREEN_W}x${SCREEN_H}
settle_keys
freeze_game || fail "the game ended by itself"
timeout 20 import -window root "$E2E_WORK/fullscreen.png" || fail "no screenshot of the screen"
left=$(share_of_colour fullscreen '#000000' "$((SIDE_BAR - 2))x${SCREEN_H}+0+0")
right=$(share_of_colour fullscreen '#000000' "$((SIDE_BAR - 2))x${SCREEN_H}+$((SCREEN_W - SIDE_BAR + 2))+0")
middle=$(share_of_colour fullscreen '#000000' "$((PICTURE_W - 4))x${SCREEN_H}+$((SIDE_BAR + 2))+0")
note "full screen: black $left and $right per mille at the sides, $middle in the middle"
[ "$left" -ge 990 ] && [ "$right" -ge 990 ] || fail "the picture is not 4:3 between black bars"
[ "$middle" -le 100 ] || fail "the picture does not fill the screen's height"

# Alt+Enter: the 800 x 600 window again, still playing.
press_keys alt+Return
run_until_size 800x600
settle_keys

# Another window takes the focus: the game pauses, shows the banner and takes no key.
xmessage -geometry 300x100+900+600 "another window" &
OTHER_PID=$!
thaw_game
other=""
until other=$(xdotool search --name '^xmessage$' 2>/dev/null | head -n 1) && [ -n "$other" ]; do sleep 0.1; done
xdotool windowactivate --sync "$other" || fail "could not focus another window"
run_game_for 0.5 || fail "the game ended by itself"
shot paused
read -r banner_w banner_h < <(picture_size paused)
banner_box="${banner_w}x${banner_h}+$(((800 - banner_w) / 2))+$(((600 - banner_h) / 2))"
shown=$(convert "$E2E_WORK/paused.png" -crop "$banner_box" +repage "$(picture paused)" -alpha off \
    -compose difference -composite -colorspace gray -threshold 1% \
    -format '%[fx:int(1000*mean+0.5)]' info:)
note "the banner's place differs from the banner by $shown per mille"
# Only its rounded corners, where the frame shows through, may differ.
[ "$shown" -le 30 ] || fail "no PAUSED banner over the frame ($shown per mille off)"
reports=$(count_lines '^SCREEN: ')
press_keys p
run_game_for 0.5 || fail "the game ended by itself"
[ "$(count_lines '^SCREEN: ')" -eq "$reports" ] || fail "the paused game took p"

# Back to the game and Esc: it plays on and takes the p it kept.
kill "$OTHER_PID" 2>/dev/null
thaw_game
xdotool windowactivate --sync "$WIN" || fail "could not focus the game again"
press_keys Escape
settle_keys
game_running || fail "the game ended"
expect_no_stderr
note "passed"
