#!/bin/bash
# Soak: long play with random keys, each game on an X server of its own.
#
#   soak.sh SECONDS GAME_DIR FREEZE_LIBRARY [SANITIZED_GAME]
#
# The plain game and, when given, its AddressSanitizer build play side by side for SECONDS of
# random sword strokes, walks, jumps, background switches and position reports (never q). Keys
# come at most 10 a second and never faster than the game takes them (one event a frame; the
# library counts the frames); a game over starts the game again. It fails when
#   - a run ends with anything but status 0, or a game asked to quit at the deadline has not ended
#     15 s later (asked again every 2 s: the hero takes no quit request while it swings);
#   - the game stops drawing: 3 s of processor time or 20 s of any time without a frame, the window
#     no longer viewable, or two screenshots 10 s apart the same;
#   - the plain game's resident memory grows by 2 MiB or more after its first 10 s;
#   - anything appears on standard error.
# On failure its files (screenshots and memory readings among them) go to E2E_ARTIFACTS/soak.
NAME=soak
GHOULRUN_GAME_DIR=$(realpath "${2:?usage: soak.sh SECONDS GAME_DIR FREEZE_LIBRARY [SANITIZED_GAME]}")
. "$(dirname "$0")/../e2e/driver.sh"
SECONDS_TO_PLAY=$1
FREEZE_LIBRARY=$(realpath "$3")
SANITIZED_GAME=${4:+$(realpath "$4")}

SETTLE_MS=10000 # start-up and first allocations; memory is measured from here on
RSS_GROWTH_LIMIT_KB=2048
SHOT_EVERY_MS=10000
FRAMELESS_CPU_TICKS=300 # processor time without a frame that counts as a hang (1/100 s)
FRAMELESS_MS=20000
FRAMES_PER_ACTION=6 # an action sends up to four events
SEED=${SOAK_SEED:-$$}

# Mostly sword strokes to either side, as a player fighting for its life would; now and then a
# walk, a jump, a step up or down the street, a background switch or a position report.
press() { # KEY SECONDS
    xdotool keydown --window "$WIN" "$1" 2>/dev/null
    sleep "$2"
    xdotool keyup --window "$WIN" "$1" 2>/dev/null
}
random_action() {
    local held=(Left Right Up Down KP_4 KP_6 KP_8 KP_2) tapped=(Control_L 1 2 p Up Down) choice=$((RANDOM % 10))
    if [ "$choice" -lt 6 ]; then
        press "$([ $((RANDOM % 2)) -eq 0 ] && echo Left || echo Right)" 0.03
        press space 0.05
    elif [ "$choice" -lt 8 ]; then
        press "${held[RANDOM % 8]}" "0.$((10 + RANDOM % 60))"
    else
        press "${tapped[RANDOM % 6]}" 0.05
    fi
    sleep 0.05
}

frames() { od -An -t u8 -N 8 "$FRAMES" 2>/dev/null | tr -d ' ' | grep . || echo 0; }
cpu_ticks() { sed -E 's/^.*\) //' "/proc/$GAME_PID/stat" 2>/dev/null | awk '{ print $12 + $13 }'; }
fault() { echo "run $RUN: $*" >>"$WORK/$LABEL.faults.txt"; }
since_launch() { echo "$(((${1:-$(now_ms)} - LAUNCHED) / 1000)) s"; }

# Until the game has shown COUNT frames; false if it ends or the deadline comes first.
wait_for_frames() {
    until [ "$(frames)" -ge "$1" ]; do
        running && [ "$(now_ms)" -lt "$DEADLINE" ] || return 1
        sleep 0.02
    done
}

# Whether the game ends within SECONDS; with AGAIN, asked to quit again every AGAIN seconds.
ends_within() {
    local tenths=0
    while running && [ "$tenths" -lt $(($1 * 10)) ]; do
        sleep 0.1
        tenths=$((tenths + 1))
        [ -z "${2:-}" ] || [ $((tenths % ($2 * 10))) -ne 0 ] || kill -TERM "$GAME_PID" 2>/dev/null
    done
    ! running
}

# Watches the running game once a second: frames, window, memory and a screenshot every 10 s.
watch_once() {
    local now f cpu rss
    now=$(now_ms) f=$(frames) cpu=$(cpu_ticks)
    if [ "$f" -gt "$SEEN" ]; then
        FRAME_AT=$now CPU_AT=$cpu SEEN=$f
    elif [ $((cpu - CPU_AT)) -ge "$FRAMELESS_CPU_TICKS" ] || [ $((now - FRAME_AT)) -ge "$FRAMELESS_MS" ]; then
        fault "no frame drawn from $(since_launch "$FRAME_AT") to $(since_launch)"
        FRAME_AT=$now CPU_AT=$cpu
    fi
    # A game over closes the window a moment before the process ends (its exit, and the sanitized
    # game's leak check, come after): only a process still there a while later lost its window.
    if ! xwininfo -id "$WIN" 2>/dev/null | grep -q IsViewable; then
        ends_within 15 || fault "window not viewable at $(since_launch)"
        return 1
    fi
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status" 2>/dev/null)
    if [ "$MEASURE_RSS" = yes ] && [ $((now - LAUNCHED)) -ge "$SETTLE_MS" ] && [ -n "$rss" ]; then
        echo "$(since_launch) $rss KiB, $f frames" >>"$WORK/$LABEL.$RUN.rss.txt"
        RSS_BASE=${RSS_BASE:-$rss} RSS_PEAK=$((rss > RSS_PEAK ? rss : RSS_PEAK))
    fi
    if [ "$now" -ge "$SHOT_DUE" ]; then
        SHOTS=$((SHOTS + 1)) SHOT_DUE=$((SHOT_DUE + SHOT_EVERY_MS))
        import -window "$WIN" "$WORK/$LABEL.$RUN.$SHOTS.png" 2>/dev/null
        [ "$SHOTS" -eq 1 ] || ! cmp -s "$WORK/$LABEL.$RUN.$SHOTS.png" "$WORK/$LABEL.$RUN.$((SHOTS - 1)).png" ||
            fault "the screen did not change in the 10 s before $(since_launch)"
        rm -f "$WORK/$LABEL.$RUN.$((SHOTS - 2)).png"
    fi
}

# One run, until the game over or the deadline; prints its line.
one_run() {
    local keys=0 key_frames=0 sampled how="ended by itself" memory=""
    FRAMES="$WORK/$LABEL.$RUN.frames"
    GAME_ENV=("${BASE_ENV[@]}" GHOULRUN_FRAME_FILE="$FRAMES")
    GAME_OUT="$WORK/$LABEL.$RUN.out.txt" GAME_ERR="$WORK/$LABEL.$RUN.err.txt" GAME_CMD=$BINARY launch >/dev/null
    LAUNCHED=$(now_ms) SEEN=0 SHOTS=0 RSS_BASE="" RSS_PEAK=0
    wait_for 30000 "run $RUN: no window within 30 s" find_window
    sampled=$LAUNCHED FRAME_AT=$LAUNCHED CPU_AT=$(cpu_ticks) SHOT_DUE=$((LAUNCHED + SETTLE_MS))
    while running; do
        [ "$(now_ms)" -lt "$DEADLINE" ] || { how="quit at the deadline" && break; }
        for _ in $(seq $((1 + RANDOM % 5))); do
            wait_for_frames $((key_frames + FRAMES_PER_ACTION)) || break
            random_action
            key_frames=$(frames) keys=$((keys + 1))
        done
        [ $(($(now_ms) - sampled)) -ge 1000 ] && running || continue
        sampled=$(now_ms)
        watch_once || break
    done
    if [ "$how" != "ended by itself" ]; then
        kill -TERM "$GAME_PID" 2>/dev/null # SDL makes it a quit event, as closing the window does
        ends_within 15 2 || { fault "still running 15 s after the quit request" && kill -KILL "$GAME_PID"; }
    fi
    wait_exit 15000
    [ "$STATUS" -eq 0 ] || fault "$how with status $STATUS"
    [ ! -s "$WORK/$LABEL.$RUN.err.txt" ] || fault "standard error: $(head -n 3 "$WORK/$LABEL.$RUN.err.txt")"
    if [ -n "$RSS_BASE" ]; then
        memory="; RSS $RSS_BASE KiB at 10 s, peak $RSS_PEAK KiB"
        [ $((RSS_PEAK - RSS_BASE)) -lt "$RSS_GROWTH_LIMIT_KB" ] || fault "resident memory grew from $RSS_BASE to $RSS_PEAK KiB"
    fi
    echo "run $RUN: $how after $(since_launch) with status $STATUS; $(frames) frames, $keys key actions$memory"
}

# LABEL BINARY MEASURE_RSS: runs the game again and again on an X server of its own until the
# deadline (no new run in the last 5 s: it would not get past its start-up) or a fault.
play() {
    LABEL=$1 BINARY=$2 MEASURE_RSS=$3 RUN=0 STARTED=""
    trap 'kill -KILL $GAME_PID $STARTED 2>/dev/null' EXIT
    trap 'exit 1' TERM
    RANDOM=$((SEED + ${#LABEL}))
    start_xvfb
    while [ $((DEADLINE - $(now_ms))) -gt 5000 ] && [ ! -s "$WORK/$LABEL.faults.txt" ]; do
        RUN=$((RUN + 1))
        one_run >>"$WORK/$LABEL.runs.txt"
        note "$LABEL $(tail -n 1 "$WORK/$LABEL.runs.txt")"
    done
}

note "playing for $SECONDS_TO_PLAY s (seed $SEED)"
DEADLINE=$(($(now_ms) + SECONDS_TO_PLAY * 1000))
cp -R "$GHOULRUN_GAME_DIR" "$GAME_FOLDER"
BASE_ENV=(SDL_AUDIODRIVER=dummy LD_PRELOAD="$FREEZE_LIBRARY")
play plain "$GHOULRUN_GAME_DIR/ghoulrun" yes &
players="$!"
STARTED="$STARTED $!"
if [ -n "$SANITIZED_GAME" ]; then
    (
        # Full stacks at every allocation, so that the leak suppressions can name our own call
        # sites. Mesa's default rasteriser registers its unwind tables while holding the
        # unwinder's lock, which those stacks then wait for for ever: the plain software one
        # compiles nothing. Preloaded, it is not unloaded with SDL's video before LeakSanitizer
        # looks, which would find its caches unreachable and unnamed.
        export GALLIUM_DRIVER=softpipe
        BASE_ENV[1]+=":$(ls /usr/lib/*/dri/swrast_dri.so /usr/lib*/dri/swrast_dri.so 2>/dev/null | head -n 1)"
        cat "$(dirname "$0")/../sanitize/lsan.supp" "$(dirname "$0")/lsan_display.supp" >"$WORK/lsan.supp"
        export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:halt_on_error=1:verify_asan_link_order=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        export LSAN_OPTIONS="suppressions=$WORK/lsan.supp:print_suppressions=0"
        play sanitized "$SANITIZED_GAME" no
    ) &
    players="$players $!"
    STARTED="$STARTED $!"
fi
failed=0
for player in $players; do wait "$player" || failed=1; done
for label in plain sanitized; do
    [ -f "$WORK/$label.runs.txt" ] || continue
    echo "== $label game"
    cat "$WORK/$label.runs.txt"
    [ -s "$WORK/$label.runs.txt" ] || echo "no run finished" >>"$WORK/$label.faults.txt"
    [ "$label" = sanitized ] || grep -q RSS "$WORK/$label.runs.txt" ||
        echo "no run lasted 10 s, so memory was never measured" >>"$WORK/$label.faults.txt"
    [ ! -s "$WORK/$label.faults.txt" ] || { sed 's/^/FAULT: /' "$WORK/$label.faults.txt" && failed=1; }
done
[ "$failed" -eq 0 ] && echo "soak passed" || { echo "soak failed" && exit 1; }
