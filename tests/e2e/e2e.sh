#!/bin/bash
# The end-to-end scenarios: the real game in a real X window, steered by xdotool, seen through
# screenshots and heard through SDL's disk audio driver. One ctest test each (tests/e2e/suite.cmake).
#
#   tests/e2e/e2e.sh SCENARIO
NAME=${1:?usage: e2e.sh SCENARIO}
. "$(dirname "$0")/driver.sh"

# Start-up: the city and the status bar with full meters under the hero at (400, 400), nothing of
# the blue fill; music audible by the first frames (it starts before the pictures load), give or
# take its fade-in's first steps and the device's buffers, then rising for two seconds.
startup() {
    local away onset playing q1 q2 q3 q4
    start_game
    shot start
    expected_scene city city2 0
    expected_scene underground underground 0
    [ "$(colour_share start "$FILL_BLUE")" -le 5 ] || fail "the blue fill shows"
    away=$(changed start city "" "$(hero_box idle0 400 400)")
    [ "$away" -le 20 ] || fail "the screen is not the city with the status bar ($away per mille off)"
    [ "$(changed start city "$(picture_size bar | tr ' ' x)+10+514")" -le "$STRIP_TOLERANCE" ] || fail "the status bar is wrong"
    [ "$(strips_changed start underground)" -ge "$SCENE_DIFFERENT" ] || fail "the city looks like the underground"
    expect_hero start idle0 400 400 plain

    run_game_for 3500
    rate=$(audio_byte_rate)
    audio_levels "$rate" 100 0
    onset=$(awk '$2 > 30 { print $1; exit }' "$WORK/levels.txt") # some -60 dB: a first trace
    playing=$(audio_ms "$PLAYING_OFFSET" "$rate")
    note "music audible from $onset ms, the first frames by $playing ms"
    [ -n "$onset" ] && [ "$onset" -le $((playing + 500)) ] || fail "no music by the first frames"
    read -r q1 q2 q3 q4 < <(awk -v s="$onset" '$1 >= s && $1 < s + 2000 { b = int(($1 - s) / 500); sum[b] += $2; n[b]++ }
        END { for (i = 0; i < 4; i++) printf "%d ", sum[i] / n[i]; print "" }' "$WORK/levels.txt")
    note "music loudness by half second: $q1 $q2 $q3 $q4"
    [ "$q1" -lt "$q2" ] && [ "$q2" -lt "$q3" ] && [ "$q3" -lt "$q4" ] && [ "$q4" -ge $((3 * q1)) ] ||
        fail "the music does not fade in"
}

run_right() { hold_key Right down && run_game_for "$1" && hold_key Right up && hero_report; } # MS

# Moving: p prints the start position; Left turns the hero round (drawn mirrored), before any
# enemy comes near; Right runs it (800 px/s) to its band's edge at x 600, where the city scrolls
# under it until the city's right end meets the window's; 2 shows the underground and 1 the city,
# each clamped to its own width;
# q ends the game at once (it never takes the p behind it) with status 0 and without the report.
moves() {
    local city_x under_x reports
    start_game
    settle_keys
    [ "$(last_line '^SCREEN: ')" = "SCREEN: 400,400" ] && [ "$(last_line '^WORLD : ')" = "WORLD : 400,400" ] ||
        fail "p printed \"$(last_line '^SCREEN: ')\" and \"$(last_line '^WORLD : ')\", not the start position"
    press_keys Left
    hero_report
    shot left
    expect_hero left idle0 "$HERO_PX" "$HERO_PY" mirrored
    run_right 1000
    [ "$HERO_PX" -ge 560 ] && [ "$HERO_PX" -le 600 ] && [ "$HERO_PY" -eq 400 ] || fail "the hero is at $HERO_X,$HERO_Y"
    shot edge
    expect_hero edge idle0 "$HERO_PX" "$HERO_PY" plain
    run_right 1000
    [ "$HERO_PX" -ge 560 ] && [ "$HERO_PX" -le 600 ] || fail "the hero left its band: x $HERO_X"
    [ "$SCROLL_X" -le -200 ] || fail "1 s of Right at the band's edge scrolled the city by $SCROLL_X px"
    shot scrolled
    expect_background scrolled city2 "$SCROLL_X"
    expected_scene city0 city2 0
    [ "$(strips_changed scrolled city0)" -ge "$SCENE_DIFFERENT" ] || fail "the city did not move on screen"
    run_right 3000
    city_x=$(background_x city2 "$SCROLL_X")
    [ "$city_x" -eq $((803 - $(picture_size city2 | cut -d' ' -f1))) ] || fail "the city did not reach its end"
    shot city_end
    expect_background city_end city2 "$SCROLL_X"
    [ "$(colour_share city_end "$FILL_BLUE")" -le 5 ] || fail "the blue fill shows at the city's end"
    press_keys 2
    settle_keys
    shot underground
    expect_background underground underground "$city_x"
    [ "$(strips_changed underground bg-city2)" -ge "$SCENE_DIFFERENT" ] || fail "the underground looks like the city"
    under_x=$(background_x underground "$city_x")
    press_keys 1
    settle_keys
    shot city_again
    expect_background city_again city2 "$under_x"
    reports=$(count_lines '^SCREEN: ')
    press_keys q p
    wait_exit 10000 && expect_status 0 || fail "q did not end the game within 10 s"
    [ "$(count_lines '^(SCREEN: |You completed |You survived for |GAME OVER)')" -eq "$reports" ] ||
        fail "the game went on after q, or printed the report"
}

# Which swing frame (0 to 9) screenshot SHOT shows for the hero on (400, 400): "frame off".
swing_frame() {
    local best=0 best_off=1001 off frame
    for frame in 0 1 2 3 4 5 6 7 8 9; do
        off=$(hero_off "$1" "sword$frame" 400 400 plain)
        [ "$off" -lt "$best_off" ] && best=$frame best_off=$off
    done
    echo "$best $best_off"
}

# The sword: Space draws the swing frame after frame, and the slash is heard within 200 ms of
# sound from the key, louder than the music; then the hero stands idle again and the score line
# and survival time are printed.
sword() {
    local key_offset seen=-1 swings=0 first="" frame off edge rms onset loudest
    start_game
    run_game_for 1200 # music, for the slash to stand out against
    key_offset=$(audio_size)
    press_keys space
    for look in 1 2 3 4; do # the swing steps every 100 ms or so
        run_game_for 200
        shot "swing$look"
        read -r frame off < <(swing_frame "swing$look")
        note "look $look: sword$frame, $off per mille off"
        [ "$off" -le "$HERO_TOLERANCE" ] || continue
        [ "$frame" -gt "$seen" ] || fail "the swing does not move on (sword$frame after sword$seen)"
        seen=$frame swings=$((swings + 1)) first=${first:-swing$look}
    done
    [ "$swings" -ge 2 ] || fail "the swing is drawn in $swings of 4 looks"
    [ "$(hero_off "$first" idle0 400 400 plain)" -ge "$HERO_DIFFERENT" ] || fail "the swing looks like standing idle"
    run_until_lines '^Score: [0-9]+$' 1 2000 # printed as the swing ends, with the survival time
    run_game_for 150
    shot after
    [ "$(hero_off after idle0 400 400 plain)" -le "$HERO_TOLERANCE" ] || fail "the hero is not idle after the swing"

    # The first 10 ms after the key whose edge loudness stands well above the music's before it.
    rate=$(audio_byte_rate)
    audio_levels "$rate" 10 $((key_offset - rate))
    read -r edge rms < <(awk '$1 < 1000 { if ($3 > e) e = $3; if ($2 > r) r = $2 } END { printf "%d %d\n", e, r }' "$WORK/levels.txt")
    onset=$(awk -v t=$((4 * edge > 300 ? 4 * edge : 300)) '$1 >= 1000 && $3 > t { print $1 - 1000; exit }' "$WORK/levels.txt")
    loudest=$(awk -v s=$((${onset:-0} + 1000)) '$1 >= s && $1 < s + 300 && $2 > m { m = $2 } END { printf "%d", m }' "$WORK/levels.txt")
    note "slash heard ${onset:-never} ms after Space, peak rms $loudest against the music's $rms"
    [ -n "$onset" ] && [ "$onset" -le 200 ] || fail "no slash within 200 ms of Space"
    [ "$loudest" -ge $((2 * rms)) ] || fail "the slash is no louder than the music"
}

# Closing the window ends the run on the frame that takes the request (never the p behind it)
# with status 0 and the report, survival in whole seconds of the game's own time, no pause.
close_window() {
    local lived
    start_game
    run_game_for 2500
    "$TOOLS/ghoulrun_close_window" --id "$WIN" || fail "could not ask the window to close"
    press_keys p
    wait_exit 10000 && expect_status 0 || fail "the game did not end within 10 s of the close request"
    [ "$(count_lines '^SCREEN: ')" -eq 0 ] || fail "the game went on after the close request"
    expect_report
    [ "$(tail -n 1 "$WORK/stdout")" = "GAME OVER" ] || fail "the report is not the last thing printed"
    lived=$((GAME_END_MS / 1000)) # the run clock started with the launch
    note "survived for $SURVIVED s by the report, about $lived s by the run clock"
    [ "$SURVIVED" -le "$lived" ] && [ "$SURVIVED" -ge $((lived - 3)) ] || fail "the report says $SURVIVED s, the run lasted about $lived"
}

# Standing still: enemies close in, the health meter shrinks, and once it is empty the music
# fades out (a fade, not a cut), the jingle starts and the process ends 5.7 s after the death,
# the jingle 3.7 s before the end. Looked at every 0.5 s of play, which places the death in the
# sound: after the last look with health left, by the first without. With E2E_SCREENSHOT, the
# crowd with the meter half gone goes there (`make screenshot`).
enemies() {
    local health hero lost crowd=0 alive="" dead="" hurt="" from soonest latest music quiet at jingle a m b
    start_game
    expected_scene city0 city2 0
    health="$(picture_size health | tr ' ' x)+220+538"
    hero=$(hero_box idle0 400 400)
    while :; do
        [ "$(run_clock)" -lt 40000 ] || fail "the hero still lives after 40 s"
        shot watch
        lost=$(changed watch city0 "$health")
        [ "$lost" -lt 990 ] || { dead=$(audio_size) && break; }
        alive=$(audio_size)
        [ "$crowd" -ge 8 ] || crowd=$(changed watch city0 800x455+0+30 "$hero")
        [ "$lost" -lt 50 ] || hurt=$lost
        if [ "$lost" -ge 400 ] && [ -n "${E2E_SCREENSHOT:-}" ]; then
            cp "$WORK/watch.png" "$E2E_SCREENSHOT" && E2E_SCREENSHOT="" || fail "cannot write the screenshot"
        fi
        run_game_for 500
    done
    note "health gone at $(run_clock) ms, enemies over $crowd per mille of the street"
    [ -n "$alive" ] && [ -n "$hurt" ] || fail "the health meter did not shrink before it emptied"
    [ "$crowd" -ge 8 ] || fail "no enemies seen on the street"
    wait_exit 8700 && expect_status 0 || fail "the game did not end within 8.7 s of play after the death"
    rate=$(audio_byte_rate)
    soonest=$(audio_ms $((AUDIO_END - dead)) "$rate")
    latest=$(audio_ms $((AUDIO_END - alive)) "$rate")
    note "the game ended $soonest to $latest ms after the death"
    [ "$latest" -ge 5000 ] && [ "$soonest" -le 6400 ] || fail "the game did not end about 5.7 s after the death"

    # 100 ms windows from 3 s before the look that found the meter empty.
    from=$((dead - 3 * rate))
    audio_levels "$rate" 100 "$from"
    read -r music quiet at < <(awk '$1 >= 1000 && $1 < 2500 { sum += $2; n++ }
        $1 >= 3000 && $1 < 6500 && (q == "" || $2 < q) { q = $2; at = $1 }
        END { printf "%d %d %d\n", sum / n, q, at }' "$WORK/levels.txt")
    jingle=$(awk -v after="$at" -v loud="$music" '$1 > after && $2 >= loud { print $1; exit }' "$WORK/levels.txt")
    read -r a m b < <(awk -v j="${jingle:-0}" '$1 >= j - 2500 && $1 < j - 2000 { a += $2; na++ }
        $1 >= j - 1500 && $1 < j - 1000 { m += $2; nm++ } $1 >= j - 700 && $1 < j - 200 { b += $2; nb++ }
        END { printf "%d %d %d\n", a / na, m / nm, b / nb }' "$WORK/levels.txt")
    note "music $music, down to $quiet; before the jingle $a, $m, $b"
    [ "$music" -ge 100 ] && [ "$quiet" -le $((music / 5)) ] || fail "the music does not fade out"
    [ -n "$jingle" ] || fail "no jingle after the music faded"
    [ "$a" -ge $((2 * b)) ] && [ "$m" -ge $((music / 4)) ] || fail "the music is cut, not faded, before the jingle"
    jingle=$(($(audio_ms $((AUDIO_END - from)) "$rate") - jingle))
    [ "$jingle" -ge 3200 ] && [ "$jingle" -le 4200 ] || fail "the jingle started $jingle ms before the end, not 3.7 s"
}

# Lets the game run until its window is SIZE, at most 5 s of its time.
run_until_size() {
    local start
    start=$(run_clock)
    thaw_game
    until [ "$(window_size)" = "$1" ]; do
        [ $(($(run_clock) - start)) -lt 5000 ] && running || fail "the window is $(window_size), not $1"
        sleep 0.05
    done
    run_game_for 300
}

# The window, with a window manager: F11 fills a wide screen with the picture whole and 4:3
# between black bars, Alt+Enter brings back 800 x 600; losing the focus pauses the game under
# the PAUSED banner, where keys do nothing, until Esc back in the game resumes it.
window() {
    local other banner reports
    start_xvfb 1280x720x24
    openbox >"$WORK/openbox.log" 2>&1 &
    STARTED="$STARTED $!"
    # A window mapped while the manager is still starting may never show.
    wait_for 10000 "openbox did not start" eval "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
    use_window
    launch
    wait_playing
    press_keys F11
    run_until_size 1280x720
    settle_keys
    shot fullscreen root
    [ "$(colour_share fullscreen '#000000' 158x720+0+0)" -ge 990 ] && [ "$(colour_share fullscreen '#000000' 158x720+1122+0)" -ge 990 ] ||
        fail "the picture is not 4:3 between black bars"
    [ "$(colour_share fullscreen '#000000' 956x720+162+0)" -le 100 ] || fail "the picture does not fill the screen's height"
    press_keys alt+Return
    run_until_size 800x600
    settle_keys

    xmessage -geometry 300x100+900+600 "another window" &
    STARTED="$STARTED $!"
    thaw_game
    wait_for 10000 "no other window" eval 'other=$(xdotool search --name "^xmessage$" | head -n 1) && [ -n "$other" ]'
    xdotool windowactivate --sync "$other" || fail "could not focus another window"
    run_paused_game_for 0.5
    shot paused
    read -r w h < <(picture_size paused)
    banner=$(per_mille "$WORK/paused.png" -crop "${w}x${h}+$(((800 - w) / 2))+$(((600 - h) / 2))" +repage \
        "$(picture paused)" -alpha off -compose difference -composite -colorspace gray -threshold 1%)
    # Only its rounded corners, where the frame shows through, may differ.
    [ "$banner" -le 30 ] || fail "no PAUSED banner over the frame ($banner per mille off)"
    reports=$(count_lines '^SCREEN: ')
    press_keys p
    run_paused_game_for 0.5
    [ "$(count_lines '^SCREEN: ')" -eq "$reports" ] || fail "the paused game took p"
    thaw_game
    xdotool windowactivate --sync "$WIN" || fail "could not focus the game again"
    press_keys Escape
    settle_keys
}

"$NAME"
# Every look was made with the game frozen; it must still be alive to go on.
if running; then run_game_for 200; fi
expect_stderr
note "passed"
