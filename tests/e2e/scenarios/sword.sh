#!/bin/bash
# The sword: Space draws the swing frame after frame and the "slash" sample is heard within
# 200 ms of the key; at the end of the swing the hero stands idle again and the score line and
# the survival time are printed.
. "$(dirname "$0")/../lib.sh"

SLASH_LIMIT_MS=200
SWING_FRAMES=10

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
    done
    echo "$best $best_off"
}

e2e_begin
start_game
sleep 1.2

audio_mark
key_offset=$MARK_SIZE
key_tap space
# Screenshots in quick succession through the one-second swing, looked at afterwards: how long
# a grab takes depends on the machine, so the shots are not pinned to exact times.
SWING_SHOTS=6
for shot_number in $(seq 1 $SWING_SHOTS); do
    shot "swing_$shot_number"
    sleep 0.1
done
# The end of the swing, caught before the enemies arrive: the score lines are printed and the
# hero stands idle again.
waited=0
until grep -a -q '^Score: ' "$E2E_WORK/stdout"; do
    [ $waited -lt 30 ] || fail "no score line after the swing"
    sleep 0.05
    waited=$((waited + 1))
done
sleep 0.15
shot after_swing

# The frames the shots show: at least two of them swing frames, the later one further on.
seen=()
swing_shot=""
for shot_number in $(seq 1 $SWING_SHOTS); do
    read -r frame off < <(swing_frame "swing_$shot_number" 400 400 plain)
    note "shot $shot_number: sword$frame, $off per mille off"
    if [ "$off" -le "$HERO_TOLERANCE" ]; then
        seen+=("$frame")
        [ -n "$swing_shot" ] || swing_shot="swing_$shot_number"
    fi
done
[ "${#seen[@]}" -ge 2 ] || fail "the swing is drawn in ${#seen[@]} of $SWING_SHOTS shots after Space"
[ "${seen[-1]}" -gt "${seen[0]}" ] || fail "the swing does not move on (frames ${seen[*]})"
idle_off=$(hero_off "$swing_shot" idle0 400 400 plain)
[ "$idle_off" -ge "$HERO_DIFFERENT" ] || fail "the swing looks like standing idle"

after_off=$(hero_off after_swing idle0 400 400 plain)
[ "$after_off" -le "$HERO_TOLERANCE" ] || fail "the hero is not idle after the swing ($after_off per mille off)"
grep -a -q '^Score: [0-9][0-9]*$' "$E2E_WORK/stdout" || fail "no score line after the swing"
grep -a -q '^You have survived for [0-9.]* seconds$' "$E2E_WORK/stdout" || fail "no survival line after the swing"

# The slash, heard: the first 10 ms window after the key whose high-frequency loudness stands
# well above anything the music did in the second before the key.
audio_mark
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

game_running || fail "the game ended by itself"
expect_no_stderr
note "passed"
