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
pressed=$MARK_MS
key_tap space
sleep 0.2
shot swing_early
sleep 0.4
shot swing_late

read -r early early_off < <(swing_frame swing_early 400 400 plain)
read -r late late_off < <(swing_frame swing_late 400 400 plain)
note "swing frames seen: $early ($early_off per mille off), then $late ($late_off per mille off)"
[ "$early_off" -le "$HERO_TOLERANCE" ] || fail "no swing drawn 200 ms after Space"
[ "$late_off" -le "$HERO_TOLERANCE" ] || fail "no swing drawn 600 ms after Space"
[ "$late" -gt "$early" ] || fail "the swing does not move on (frame $early, then $late)"
idle_off=$(hero_off swing_early idle0 400 400 plain)
[ "$idle_off" -ge "$HERO_DIFFERENT" ] || fail "the swing looks like standing idle"

# The end of the swing: the hero is idle again and the score lines are printed.
sleep 0.8
shot after_swing
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
