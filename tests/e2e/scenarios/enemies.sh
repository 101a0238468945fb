#!/bin/bash
# Standing still among enemies: they appear and close in, the health meter shrinks, and once it
# is empty the hero dies: the music fades out, the "gameover" jingle sounds and the process ends
# with status 0 about 5.7 s after the death, with nothing on standard error.
# Takes about 25 s: the first enemies need some 18 s to reach the hero and a few more to kill it.
# When E2E_SCREENSHOT names a file, the picture of the crowd with the meter half gone goes there
# (the README's screenshot, refreshed by `make screenshot`).
. "$(dirname "$0")/../lib.sh"

DEATH_LIMIT_MS=60000      # from the first frame; the game needs about 24 s
GAME_OVER_MS=5700         # from the death to the end of the process
GAME_OVER_SLACK_MS=700
JINGLE_TO_END_MS=3700     # the jingle starts this long before the end
JINGLE_SLACK_MS=500
STREET=800x455+0+30       # where pieces walk: below the sky strip, down to the street's edge

e2e_begin
start_game
expected_scene city0 city2 0
read -r meter_w meter_h < <(picture_size health)
health_box="${meter_w}x${meter_h}+220+538" # where the full health meter is drawn
hero=$(hero_box idle0 400 400)
start=$(now_ms)

# Watch: how much of the play field shows something other than the city and the hero, and how
# much of the health meter is gone, until the meter is empty.
enemies_seen=0
partial_meter=""
dead_ms=""
while [ -z "$dead_ms" ]; do
    game_running || fail "the game ended before the hero's health ran out"
    [ $(($(now_ms) - start)) -lt "$DEATH_LIMIT_MS" ] || fail "the hero still lives after $DEATH_LIMIT_MS ms"
    shot watch
    audio_mark
    lost=$(share_changed watch city0 "$health_box")
    if [ "$lost" -ge 990 ]; then
        dead_ms=$MARK_MS
        dead_offset=$MARK_SIZE
        cp "$E2E_WORK/watch.png" "$E2E_WORK/dead.png"
        break
    fi
    crowd=$(share_changed_outside watch city0 "$hero" "$STREET")
    [ "$crowd" -gt "$enemies_seen" ] && enemies_seen=$crowd
    if [ "$lost" -ge 50 ] && [ -z "$partial_meter" ]; then
        partial_meter=$lost
        cp "$E2E_WORK/watch.png" "$E2E_WORK/hurt.png"
        note "health meter $lost per mille short, enemies cover $crowd per mille"
    fi
    if [ "$lost" -ge 400 ] && [ -n "${E2E_SCREENSHOT:-}" ] && [ ! -f "$E2E_WORK/crowd.png" ]; then
        cp "$E2E_WORK/watch.png" "$E2E_WORK/crowd.png"
        cp "$E2E_WORK/watch.png" "$E2E_SCREENSHOT" || fail "cannot write $E2E_SCREENSHOT"
        note "screenshot written to $E2E_SCREENSHOT"
    fi
    # Close to the end, look as often as possible to time the death well.
    [ "$lost" -ge 500 ] || sleep 0.3
done
note "health meter empty $((dead_ms - start)) ms into the run"
[ "$enemies_seen" -ge 8 ] || fail "no enemies seen on the street ($enemies_seen per mille)"
[ -n "$partial_meter" ] || fail "the health meter went from full to empty without shrinking"
game_running || fail "the game ended with the health meter"

wait_exit $((GAME_OVER_MS + 3000)) || fail "the game did not end within $((GAME_OVER_MS + 3000)) ms of the hero's death"
after_death=$((GAME_END_MS - dead_ms))
note "the game ended $after_death ms after the meter emptied, status $GAME_STATUS"
[ "$GAME_STATUS" -eq 0 ] || fail "the game over ended with status $GAME_STATUS"
[ "$after_death" -ge $((GAME_OVER_MS - GAME_OVER_SLACK_MS)) ] &&
    [ "$after_death" -le $((GAME_OVER_MS + GAME_OVER_SLACK_MS)) ] ||
    fail "the game ended $after_death ms after the death, not about $GAME_OVER_MS"
expect_no_stderr

# The sound of the end: music before, fading to near silence, then the jingle; 100 ms windows
# from 3 s before the death to the end of the file.
AUDIO_MARKS="$AUDIO_MARKS$GAME_END_MS $(audio_size)
"
rate=$(audio_byte_rate)
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
read -r before_fade end_of_fade < <(awk -v j="$jingle_at" '
    $1 >= j - 2500 && $1 < j - 2000 { a += $2; na++ }
    $1 >= j - 700 && $1 < j - 200 { b += $2; nb++ }
    END { printf "%d %d\n", (na ? a / na : 0), (nb ? b / nb : 0) }' "$E2E_WORK/levels.txt")
note "loudness 2.5 to 2 s before the jingle $before_fade, 0.7 to 0.2 s before it $end_of_fade"
[ "$before_fade" -ge $((2 * end_of_fade)) ] || fail "no fade-out in the two seconds before the jingle"
jingle_to_end=$((GAME_END_MS - dead_ms - (jingle_at - 3000)))
note "the jingle started $jingle_to_end ms before the end"
[ "$jingle_to_end" -ge $((JINGLE_TO_END_MS - JINGLE_SLACK_MS)) ] &&
    [ "$jingle_to_end" -le $((JINGLE_TO_END_MS + JINGLE_SLACK_MS)) ] ||
    fail "the jingle started $jingle_to_end ms before the end, not about $JINGLE_TO_END_MS"
note "passed"
