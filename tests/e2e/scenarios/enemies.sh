#!/bin/bash
# Standing still among enemies: they appear and close in, the health meter shrinks, and once it
# is empty the hero dies: the music fades out, the "gameover" jingle sounds and the process ends
# with status 0 about 5.7 s after the death, with nothing on standard error.
# The game is looked at every LOOK_EVERY seconds of play, frozen for each look: the first enemies
# reach the hero some 4 s into the run and kill it a few seconds later.
# When E2E_SCREENSHOT names a file, the picture of the crowd with the meter half gone goes there
# (the README's screenshot, refreshed by `make screenshot`).
. "$(dirname "$0")/../lib.sh"

DEATH_LIMIT_MS=25000      # of play from the first frame; the game needs about 10 s
GAME_OVER_MS=5700         # of play from the death to the end of the process
GAME_OVER_SLACK_MS=700
JINGLE_TO_END_MS=3700     # the jingle starts this long before the end
JINGLE_SLACK_MS=500
LOOK_EVERY=0.5            # seconds of play between looks: places the death to within that
STREET=800x455+0+30       # where pieces walk: below the sky strip, down to the street's edge

e2e_begin
start_game
expected_scene city0 city2 0
read -r meter_w meter_h < <(picture_size health)
health_box="${meter_w}x${meter_h}+220+538" # where the full health meter is drawn
hero=$(hero_box idle0 400 400)
start=$(run_clock)

# Watch: how much of the play field shows something other than the city and the hero, and how
# much of the health meter is gone, until the meter is empty. The audio file's size at each look
# places the death in the sound: after the last look with health left, by the first without.
enemies_seen=0
partial_meter=""
alive_offset=""
dead_offset=""
while :; do
    [ $(($(run_clock) - start)) -lt "$DEATH_LIMIT_MS" ] || fail "the hero still lives after $DEATH_LIMIT_MS ms of play"
    shot watch
    lost=$(share_changed watch city0 "$health_box")
    if [ "$lost" -ge 990 ]; then
        dead_offset=$(audio_size)
        cp "$E2E_WORK/watch.png" "$E2E_WORK/dead.png"
        break
    fi
    alive_offset=$(audio_size)
    if [ "$enemies_seen" -lt 8 ]; then
        crowd=$(share_changed_outside watch city0 "$hero" "$STREET")
        [ "$crowd" -gt "$enemies_seen" ] && enemies_seen=$crowd
    fi
    if [ "$lost" -ge 50 ] && [ -z "$partial_meter" ]; then
        partial_meter=$lost
        cp "$E2E_WORK/watch.png" "$E2E_WORK/hurt.png"
        note "health meter $lost per mille short, enemies seen over $enemies_seen per mille"
    fi
    if [ "$lost" -ge 400 ] && [ -n "${E2E_SCREENSHOT:-}" ] && [ ! -f "$E2E_WORK/crowd.png" ]; then
        cp "$E2E_WORK/watch.png" "$E2E_WORK/crowd.png"
        cp "$E2E_WORK/watch.png" "$E2E_SCREENSHOT" || fail "cannot write $E2E_SCREENSHOT"
        note "screenshot written to $E2E_SCREENSHOT"
    fi
    run_game_for "$LOOK_EVERY" || fail "the game ended before the hero's health ran out"
done
note "health meter empty after $(($(run_clock) - start)) ms of play"
[ -n "$alive_offset" ] || fail "the health meter is empty from the start"
[ "$enemies_seen" -ge 8 ] || fail "no enemies seen on the street ($enemies_seen per mille)"
[ -n "$partial_meter" ] || fail "the health meter went from full to empty without shrinking"

wait_exit $((GAME_OVER_MS + 3000)) || fail "the game did not end within $((GAME_OVER_MS + 3000)) ms of the hero's death"
note "the game ended with status $GAME_STATUS"
[ "$GAME_STATUS" -eq 0 ] || fail "the game over ended with status $GAME_STATUS"
rate=$(audio_byte_rate)
[ "$rate" -gt 0 ] || fail "the disk audio file does not grow"
soonest=$(audio_ms $((AUDIO_END - dead_offset)) "$rate")
latest=$(audio_ms $((AUDIO_END - alive_offset)) "$rate")
note "the game ended between $soonest and $latest ms of play after the death"
[ "$latest" -ge $((GAME_OVER_MS - GAME_OVER_SLACK_MS)) ] &&
    [ "$soonest" -le $((GAME_OVER_MS + GAME_OVER_SLACK_MS)) ] ||
    fail "the game ended $soonest to $latest ms after the death, not about $GAME_OVER_MS"
expect_no_stderr

# The sound of the end: music before, fading to near silence, then the jingle; 100 ms windows
# from 3 s before the look that found the meter empty to the end of the file.
from=$((dead_offset - 3 * rate))
audio_levels "$rate" 100 "$from" >"$E2E_WORK/levels.txt"
read -r music quiet quiet_at < <(awk '
    $1 >= 1000 && $1 < 2500 { sum += $2; n++ }
    $1 >= 3000 && $1 < 6500 && (q == "" || $2 < q) { q = $2; at = $1 }
    END { printf "%d %d %d\n", (n ? sum / n : 0), q, at }' "$E2E_WORK/levels.txt")
jingle_at=$(awk -v after="$quiet_at" -v loud="$music" '$1 > after && $2 >= loud { print $1; exit }' "$E2E_WORK/levels.txt")
note "music $music before the death, down to $quiet; jingle from $((jingle_at - 3000)) ms after the death"
[ "$music" -ge 100 ] || fail "no music before the death"
[ "$quiet" -le $((music / 5)) ] || fail "the music does not fade out (down to $quiet from $music)"
[ -n "$jingle_at" ] || fail "no jingle after the music faded"
read -r before_fade mid_fade end_of_fade < <(awk -v j="$jingle_at" '
    $1 >= j - 2500 && $1 < j - 2000 { a += $2; na++ }
    $1 >= j - 1500 && $1 < j - 1000 { m += $2; nm++ }
    $1 >= j - 700 && $1 < j - 200 { b += $2; nb++ }
    END { printf "%d %d %d\n", (na ? a / na : 0), (nm ? m / nm : 0), (nb ? b / nb : 0) }' "$E2E_WORK/levels.txt")
note "loudness before the jingle: $before_fade 2.5 to 2 s, $mid_fade 1.5 to 1 s, $end_of_fade 0.7 to 0.2 s"
[ "$before_fade" -ge $((2 * end_of_fade)) ] || fail "no fade-out in the two seconds before the jingle"
# A fade, not a cut: halfway through it the music is still clearly there.
[ "$mid_fade" -ge $((music / 4)) ] || fail "the music stops instead of fading out ($mid_fade halfway, $music before)"
jingle_to_end=$(($(audio_ms $((AUDIO_END - from)) "$rate") - jingle_at))
note "the jingle started $jingle_to_end ms before the end"
[ "$jingle_to_end" -ge $((JINGLE_TO_END_MS - JINGLE_SLACK_MS)) ] &&
    [ "$jingle_to_end" -le $((JINGLE_TO_END_MS + JINGLE_SLACK_MS)) ] ||
    fail "the jingle started $jingle_to_end ms before the end, not about $JINGLE_TO_END_MS"
note "passed"
