#!/bin/bash
# The sword: Space draws the swing frame after frame and the "slash" sample is heard within
# 200 ms of the game taking the key; at the end of the swing the hero stands idle again and the
# score line and the survival time are printed.
. "$(dirname "$0")/../lib.sh"

SLASH_LIMIT_MS=200
SWING_FRAMES=10
SWING_SHOTS=4
SHOT_EVERY=0.2 # seconds of play between the looks at the swing: it steps every 100 ms or so

# Which swing frame (0 to 9) a screenshot shows for a hero standing on (x, y), and how far off
# it is in per mille: "frame off".
swing_frame() {
    local shot=$1 x=$2 y=$3 way=$4 best="" best_off=1001 off
    for frame in $(seq 0 $((SWING_FRAMES - 1))); do
        off=$(hero_off "$shot" "sword$frame" "$x" "$y" "$way")
        if [ "$off" -lt "$best_off" ]; then
            best=$frame
            best_off=$off
        fi
        [ "$best_off" -gt 0 ] || break
    done
    echo "$best $best_off"
}

e2e_begin
start_game
# A second of music before the key, for the slash to stand out against.
run_game_for 1.2 || fail "the game ended by itself"

# Space waits for the game while it is frozen: the game takes it on its first frames when it runs
# on, and the slash must sound within SLASH_LIMIT_MS of sound from there.
key_offset=$(audio_size)
press_keys space
# The swing, looked at every SHOT_EVERY seconds of play with the game frozen for the screenshot.
for shot_number in $(seq 1 $SWING_SHOTS); do
    run_game_for "$SHOT_EVERY" || fail "the game ended during the swing"
    shot "swing_$shot_number"
done
# The end of the swing: the score lines are printed and the hero stands idle again.
run_until_lines '^Score: ' 1 2000 || fail "no score line within 2 s of the swing's last look"
run_game_for 0.15 || fail "the game ended by itself"
shot after_swing

# The frames the shots show: at least two of them swing frames, each further on than the one
# before.
seen=()
swing_shot=""
for shot_number in $(seq 1 $SWING_SHOTS); do
    read -r frame off < <(swing_frame "swing_$shot_number" 400 400 plain)
    note "shot $shot_number: sword$frame, $off per mille off"
    if [ "$off" -le "$HERO_TOLERANCE" ]; then
        [ "${#seen[@]}" -eq 0 ] || [ "$frame" -gt "${seen[-1]}" ] ||
            fail "the swing does not move on (sword$frame after sword${seen[-1]})"
        seen+=("$frame")
        [ -n "$swing_shot" ] || swing_shot="swing_$shot_number"
    fi
done
[ "${#seen[@]}" -ge 2 ] || fail "the swing is drawn in ${#seen[@]} of $SWING_SHOTS shots after Space"
idle_off=$(hero_off "$swing_shot" idle0 400 400 plain)
[ "$idle_off" -ge "$HERO_DIFFERENT" ] || fail "the swing looks like standing idle"

after_off=$(hero_off after_swing idle0 400 400 plain)
[ "$after_off" -le "$HERO_TOLERANCE" ] || fail "the hero is not idle after the swing ($after_off per mille off)"
grep -a -q '^Score: [0-9][0-9]*$' "$E2E_WORK/stdout" || fail "no score line after the swing"
grep -a -q '^You have survived for [0-9.]* seconds$' "$E2E_WORK/stdout" || fail "no survival line after the swing"

# The slash, heard: the first 10 ms window after the key whose high-frequency loudness stands
# well above anything the music did in the second before the key.
rate=$(audio_byte_rate)
[ "$rate" -gt 0 ] || fail "the disk audio file does not grow"
audio_levels "$rate" 10 $((key_offset - rate)) >"$E2E_WORK/levels.txt"
read -r music_edge music_rms < <(awk '$1 < 1000 { if ($4 > e) e = $4; if ($2 > r) r = $2 } END { printf "%d %d\n", e, r }' "$E2E_WORK/levels.txt")
threshold=$((4 * music_edge > 300 ? 4 * music_edge : 300))
onset=$(awk -v t=$threshold '$1 >= 1000 && $4 > t { print $1 - 1000; exit }' "$E2E_WORK/levels.txt")
[ -n "$onset" ] || fail "no slash heard after Space (music edge loudness $music_edge)"
loudest=$(awk -v s=$((onset + 1000)) '$1 >= s && $1 < s + 300 && $2 > m { m = $2 } END { printf "%d", m }' "$E2E_WORK/levels.txt")
note "slash heard $onset ms after Space (edge loudness over $threshold, peak rms $loudest against music $music_rms)"
[ "$onset" -le "$SLASH_LIMIT_MS" ] || fail "slash heard only $onset ms after Space"
[ "$loudest" -ge $((2 * music_rms)) ] || fail "the slash is no louder than the music"

# Every look above was made with the game frozen; it must still be alive to go on.
run_game_for 0.2 || fail "the game ended by itself"
expect_no_stderr
note "passed"
