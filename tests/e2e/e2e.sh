#!/bin/bash
# The end-to-end scenarios, tests/e2e/e2e.sh SCENARIO: the real game in a real X window. The golden
# replays pin the play itself, frame by frame; these, what the window and the speakers make of it.
NAME=${1:?usage: e2e.sh SCENARIO}
SCENARIOS="startup controls enemies window results settings" # the functions below; a new one is named here too
[[ " $SCENARIOS " == *" $NAME "* ]] || { echo "e2e.sh: no scenario named $NAME (there are: $SCENARIOS)" >&2 && exit 2; }
. "$(dirname "$0")/driver.sh"

# Start-up: the city, the bar and full meters under the hero at (400, 400), no blue fill; the music
# audible by the first frames, rising for two seconds. Closing the window ends the run on the frame
# that takes it (never the p behind it) with status 0 and the report, in whole seconds of game time.
startup() {
    local onset playing q1 q2 q3 q4 lived
    start_game
    expect_hero start idle0 400 400 plain
    [ "$(colour_share start "$FILL_BLUE")" -le 5 ] || fail "the blue fill shows"
    [ "$(changed start city "" "$(hero_box idle0 400 400)")" -le 20 ] || fail "the screen is not the city with the status bar"
    [ "$(changed start city "$(picture_size bar | tr ' ' x)+10+514" "$FIGURES_BOX")" -le "$STRIP_TOLERANCE" ] || fail "the status bar is wrong"
    expect_text start 0:00.0 582 576
    expect_text start 0 714 576

    run_game_for 3500
    rate=$(audio_byte_rate)
    audio_levels "$rate" 100 0
    onset=$(awk '$2 > 30 { print $1; exit }' "$WORK/levels.txt") # some -60 dB: a first trace
    playing=$(audio_ms "$PLAYING_OFFSET" "$rate")
    [ -n "$onset" ] && [ "$onset" -le $((playing + 500)) ] ||
        fail "no music by the first frames ($playing ms of sound): audible from ${onset:-never}"
    read -r q1 q2 q3 q4 < <(awk -v s="$onset" '$1 >= s && $1 < s + 2000 { b = int(($1 - s) / 500); sum[b] += $2; n[b]++ }
        END { for (i = 0; i < 4; i++) printf "%d ", sum[i] / n[i]; print "" }' "$WORK/levels.txt")
    [ "$q1" -lt "$q2" ] && [ "$q2" -lt "$q3" ] && [ "$q3" -lt "$q4" ] && [ "$q4" -ge $((3 * q1)) ] ||
        fail "the music does not fade in: loudness by half second $q1 $q2 $q3 $q4"

    "$E2E_TOOLS/ghoulrun_close_window" "$WIN" || fail "could not ask the window to close"
    press_keys p
    wait_exit 10000 && expect_status 0 || fail "the game did not end within 10 s of the close request"
    [ "$(count_lines '^SCREEN: ')" -eq 0 ] || fail "the game went on after the close request"
    expect_report
    [ "$(tail -n 1 "$WORK/stdout")" = "GAME OVER" ] || fail "the report is not the last thing printed"
    lived=$((GAME_END_MS / 1000)) # the run clock started with the launch
    [ "$SURVIVED" -le "$lived" ] && [ "$SURVIVED" -ge $((lived - 3)) ] || fail "the report says $SURVIVED s, the run lasted about $lived"
}

# The hero's controls: Space draws the swing and the slash is heard within 200 ms, over the music;
# Left turns the hero round; Right runs it to its band's edge, then the city scrolls to its right
# end; 2 shows the underground and 1 the city, each clamped to its width.
controls() {
    local key_offset seen=-1 swings=0 first="" frame off edge rms onset loudest
    start_game
    run_game_for 1200 # music, for the slash to stand out against
    key_offset=$(audio_size)
    press_keys space
    for look in 1 2 3 4; do # the swing steps every 100 ms or so
        run_game_for 200
        shot "swing$look"
        read -r off frame < <(for f in {0..9}; do echo "$(hero_off "swing$look" "sword$f" 400 400 plain) $f"; done | sort -n | head -n 1)
        note "look $look: sword$frame, $off per mille off"
        [ "$off" -le "$HERO_TOLERANCE" ] || continue
        [ "$frame" -gt "$seen" ] || fail "the swing does not move on (sword$frame after sword$seen)"
        seen=$frame swings=$((swings + 1)) first=${first:-swing$look}
    done
    [ "$swings" -ge 2 ] || fail "the swing is drawn in $swings of 4 looks"
    [ "$(hero_off "$first" idle0 400 400 plain)" -ge "$HERO_DIFFERENT" ] || fail "the swing looks like standing idle"
    # The first 10 ms after the key whose edge loudness stands well above the music's before it.
    rate=$(audio_byte_rate)
    audio_levels "$rate" 10 $((key_offset - rate))
    read -r edge rms < <(awk '$1 < 1000 { if ($3 > e) e = $3; if ($2 > r) r = $2 } END { printf "%d %d\n", e, r }' "$WORK/levels.txt")
    onset=$(awk -v t=$((4 * edge > 300 ? 4 * edge : 300)) '$1 >= 1000 && $3 > t { print $1 - 1000; exit }' "$WORK/levels.txt")
    loudest=$(awk -v s=$((${onset:-0} + 1000)) '$1 >= s && $1 < s + 300 && $2 > m { m = $2 } END { printf "%d", m }' "$WORK/levels.txt")
    [ -n "$onset" ] && [ "$onset" -le 200 ] || fail "no slash within 200 ms of Space (heard after ${onset:-never} ms)"
    [ "$loudest" -ge $((2 * rms)) ] || fail "the slash, peak rms $loudest, is no louder than the music's $rms"

    run_until 2000 "the swing did not end within 2 s" eval "[ \$(count_lines '^Score: ') -gt 0 ]" # nor take a key before
    hero_report Left
    expect_hero left idle0 "$HERO_PX" "$HERO_PY" mirrored
    hold_key Right down && run_game_for 1000 && hold_key Right up && hero_report
    expect_hero edge idle0 "$HERO_PX" "$HERO_PY" plain
    hold_key Right down && run_game_for 4000 && hold_key Right up && settle_keys
    expect_background city_end city2 "$(right_end city2)"
    [ "$(colour_share city_end "$FILL_BLUE")" -le 5 ] || fail "the blue fill shows at the city's end"
    settle_keys 2
    expect_background underground underground "$(right_end underground)"
    [ "$(strips_changed underground bg-city2)" -ge "$SCENE_DIFFERENT" ] || fail "the underground looks like the city"
    settle_keys 1
    expect_background city_again city2 "$(right_end underground)"
}
# Where background NAME's left edge stands at its right end: it still covers the 803 px on show.
right_end() { echo $((803 - $(picture_size "$1" | cut -d' ' -f1))); }

# Standing still: enemies close in and the health meter shrinks; once it is empty the music fades
# out, the jingle starts 3.7 s before the end and the process ends 5.7 s after the death, which the
# looks every 0.5 s place in the sound. E2E_SCREENSHOT: `make screenshot`'s crowd.
enemies() {
    local health hero lost crowd=0 alive="" dead="" hurt="" from soonest latest music quiet at jingle a m b
    start_game
    health="$(picture_size health | tr ' ' x)+220+538" hero=$(hero_box idle0 400 400)
    while :; do
        [ "$(run_clock)" -lt 40000 ] || fail "the hero still lives after 40 s"
        shot watch
        lost=$(changed watch city "$health")
        [ "$lost" -lt 990 ] || { dead=$(audio_size) && break; }
        alive=$(audio_size)
        [ "$crowd" -ge 8 ] || crowd=$(changed watch city 800x455+0+30 "$hero")
        [ "$lost" -lt 50 ] || hurt=$lost
        [ "$lost" -lt 400 ] || [ -z "${E2E_SCREENSHOT:-}" ] || { cp "$WORK/watch.png" "$E2E_SCREENSHOT" && E2E_SCREENSHOT=""; } ||
            fail "cannot write the screenshot"
        run_game_for 500
    done
    [ -n "$alive" ] && [ -n "$hurt" ] || fail "the health meter did not shrink before it emptied"
    [ "$crowd" -ge 8 ] || fail "no enemies seen on the street ($crowd per mille of it)"
    wait_exit 8700 && expect_status 0 || fail "the game did not end within 8.7 s of play after the death"
    rate=$(audio_byte_rate)
    soonest=$(audio_ms $((AUDIO_END - dead)) "$rate")
    latest=$(audio_ms $((AUDIO_END - alive)) "$rate")
    [ "$latest" -ge 5000 ] && [ "$soonest" -le 6400 ] || fail "the game ended $soonest to $latest ms after the death, not 5.7 s"

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
    [ "$music" -ge 100 ] && [ "$quiet" -le $((music / 5)) ] || fail "the music, at $music, does not fade out: down to $quiet"
    [ -n "$jingle" ] || fail "no jingle after the music faded"
    [ "$a" -ge $((2 * b)) ] && [ "$m" -ge $((music / 4)) ] || fail "the music ($music) is cut, not faded, before the jingle: $a, $m, $b"
    jingle=$(($(audio_ms $((AUDIO_END - from)) "$rate") - jingle))
    [ "$jingle" -ge 3200 ] && [ "$jingle" -le 4200 ] || fail "the jingle started $jingle ms before the end, not 3.7 s"
}

# The results card's lines, for the card centred on the screen (src/sprites/interface_layout.h).
card_line_y() { echo $(((600 - $(picture_size card | cut -d' ' -f2)) / 2 + 56 + $1 * 14)); }
card_x() { echo $(((800 - $(picture_size card | cut -d' ' -f1)) / 2 + $1)); }
best_run() { awk -v n="$1" '!/^#/ && NR > 1 && ++row == n' "$BEST_RUNS"; }
best_run_ms() { best_run "$1" | cut -d' ' -f1; }
card_box() { picture_size card | { read -r w h; echo "${w}x${h}+$(((800 - w) / 2))+$(((600 - h) / 2))"; }; }
runs_kept() { awk '!/^#/ && NR > 1' "$BEST_RUNS" 2>/dev/null | wc -l; }

# The card shows the time saved for the run just ended and the best runs in order, this run marked.
expect_card() { # SHOT PLACE (this run's line among the best runs, from 1)
    local saved=$(best_run_ms "$2") rows=$(runs_kept) row
    expect_text "$1" "$(clock_text "$saved")" "$(card_x 64)" "$(card_line_y 0)"
    for ((row = 1; row <= rows; row++)); do
        expect_text "$1" "$(clock_text "$(best_run_ms $row)")" "$(card_x 56)" "$(card_line_y $((4 + row)))"
    done
    expect_text "$1" "<" "$(card_x 210)" "$(card_line_y $((4 + $2)))"
}

# The run you can see: the bar's clock runs (and stands still while paused: PauseTest); the death
# is kept and the card shows it; Space on it starts a new run in the same window, whose card has
# both runs, and the process ends as always after. E2E_CARD_SCREENSHOT: `make screenshot`'s card.
results() {
    local before first_run second_run ms1 ms2 defeated1 defeated2 place
    start_game
    shot clock0
    run_game_for 1000
    shot clock1
    [ "$(changed clock0 clock1 "$FIGURES_BOX")" -ge 20 ] || fail "the clock does not run"
    run_until 40000 "the hero did not die within 40 s of play" eval '[ "$(runs_kept)" -eq 1 ]'
    first_run=$(best_run 1)
    run_game_for 300
    shot card1
    expect_card card1 1
    before=$WIN
    press_keys space
    run_game_for 1000
    find_window
    [ "$WIN" = "$before" ] || fail "the new run opened window $WIN, not the same $before"
    [ "$(count_lines '^Loading Enemies$')" -eq 2 ] || fail "the new run did not start as a new start does"
    shot second
    [ "$(changed card1 second "$(card_box)")" -ge 200 ] || fail "the card is still up in the new run"
    expect_text second 0 714 576
    run_until 40000 "the hero did not die again within 40 s of play" eval '[ "$(runs_kept)" -eq 2 ]'
    run_game_for 300
    shot card2
    # The second run's place by the table's rule, not by where the file put it: the longer first,
    # on a tie the one with more defeated, then the earlier run.
    second_run=$(awk '!/^#/ && NR > 1' "$BEST_RUNS" | grep -vxF "$first_run")
    read -r ms1 defeated1 _ <<<"$first_run" && read -r ms2 defeated2 _ <<<"$second_run"
    place=2 && { [ "$ms2" -gt "$ms1" ] || { [ "$ms2" -eq "$ms1" ] && [ "$defeated2" -gt "$defeated1" ]; }; } && place=1
    [ "$(best_run "$place")" = "$second_run" ] || fail "the second run is not kept in place $place"
    expect_card card2 "$place"
    [ -z "${E2E_CARD_SCREENSHOT:-}" ] || cp "$WORK/card2.png" "$E2E_CARD_SCREENSHOT" || fail "cannot write the screenshot"
    note "runs kept: $(best_run 1 | cut -d' ' -f1) and $(best_run 2 | cut -d' ' -f1) ms, the second in place $place"
    wait_exit 8700 && expect_status 0 || fail "the game did not end within 8.7 s of play after the second death"
}

# Settings that stick: --scale 2 doubles the picture, pixel for pixel; m silences the sound, and
# the next start too; F11, then a new start, comes back on the whole screen: the settings file
# kept it.
settings() {
    local key_offset before after rate
    WINDOW_SIZE=1600x1200 GAME_ARGS="--scale 2" start_game 2048x1536x24
    shot doubled
    convert "$WORK/doubled.png" -sample 50% "$WORK/halved.png"
    [ "$(strips_changed halved city)" -le "$STRIP_TOLERANCE" ] || fail "the window does not show the picture doubled"
    run_game_for 3000 # the music faded in
    rate=$(audio_byte_rate)
    key_offset=$(audio_size)
    press_keys m
    run_game_for 1500
    audio_levels "$rate" 100 $((key_offset - rate))
    read -r before after < <(awk '$1 < 1000 { b += $2; nb++ } $1 >= 1400 && $1 < 2400 { a += $2; na++ }
        END { printf "%d %d\n", b / nb, a / na }' "$WORK/levels.txt")
    [ "$before" -ge 100 ] && [ "$after" -le 5 ] || fail "m did not silence the sound: $before before, $after after"
    press_keys q
    wait_exit 10000 && expect_status 0 || fail "q did not end the game"
    grep -qx 'mute = true' "$XDG_CONFIG_HOME/ghoulrun/settings.ini" || fail "mute was not kept"

    stop_xvfb
    start_xvfb 1280x720x24 && start_openbox
    use_window && launch && wait_playing
    run_game_for 3000 # where the music would have faded in
    audio_levels "$(audio_byte_rate)" 100 "$PLAYING_OFFSET"
    after=$(awk '$1 >= 1500 { a += $2; n++ } END { printf "%d", a / n }' "$WORK/levels.txt")
    [ "$after" -le 5 ] || fail "the kept mute did not silence the new start: $after"
    press_keys F11
    run_until 5000 "the window did not fill the screen" eval '[ "$(window_size)" = 1280x720 ]'
    press_keys q
    wait_exit 10000 && expect_status 0 || fail "q did not end the game"
    grep -qx 'fullscreen = true' "$XDG_CONFIG_HOME/ghoulrun/settings.ini" || fail "the whole screen was not kept"
    FROZEN="" NOT_GAME_MS=$(now_ms)
    use_window && launch
    wait_for 15000 "no window titled Ghoulrun" find_window
    wait_started
    await_freeze 20000 "the game did not stop on its first frame"
    run_until 5000 "the new start is not on the whole screen" eval '[ "$(window_size)" = 1280x720 ]'
}

# A window mapped while the manager is still starting may never show.
start_openbox() {
    openbox >"$WORK/openbox.log" 2>&1 & STARTED="$STARTED $!"
    wait_for 10000 "openbox did not start" eval "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
}

# With a window manager: F11 fills a wide screen, 4:3 between black bars, Alt+Enter brings back
# 800 x 600; losing the focus pauses under the banner, keys doing nothing, until Esc resumes.
window() {
    local other banner reports
    start_game 1280x720x24 start_openbox
    press_keys F11
    run_until 5000 "the window did not fill the screen" eval '[ "$(window_size)" = 1280x720 ]'
    run_game_for 300
    settle_keys
    shot fullscreen root
    [ "$(colour_share fullscreen '#000000' 158x720+0+0)" -ge 990 ] && [ "$(colour_share fullscreen '#000000' 158x720+1122+0)" -ge 990 ] ||
        fail "the picture is not 4:3 between black bars"
    [ "$(colour_share fullscreen '#000000' 956x720+162+0)" -le 100 ] || fail "the picture does not fill the screen's height"
    press_keys alt+Return
    run_until 5000 "the window did not come back to 800x600" eval '[ "$(window_size)" = 800x600 ]'
    run_game_for 300
    settle_keys

    xmessage -geometry 300x100+900+600 "another window" & STARTED="$STARTED $!"
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
    settle_keys Escape
}

"$NAME"
# Every look was made with the game frozen; it must still be alive to go on.
if running; then run_game_for 200; fi
expect_stderr
note "passed"
