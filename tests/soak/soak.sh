#!/bin/bash
# Soak (soak.sh SECONDS GAME_DIR FREEZE_LIBRARY [SANITIZED_GAME]): the plain game and its
# AddressSanitizer build play at random side by side, each on an X server of its own, a game over
# starting it again. It fails on a bad exit status, a stalled or lost window, keys not sent, the
# plain game's memory growing, anything on standard error. Its files go to E2E_ARTIFACTS.
NAME=soak
GHOULRUN_GAME_DIR=$(realpath "${2:?usage: soak.sh SECONDS GAME_DIR FREEZE_LIBRARY [SANITIZED_GAME]}")
. "$(dirname "$0")/../e2e/driver.sh"
DEADLINE=$(($(now_ms) + $1 * 1000)) SEED=${SOAK_SEED:-$$} SANITIZED_GAME=${4:+$(realpath "$4")}
BASE_ENV=(SDL_AUDIODRIVER=dummy LD_PRELOAD="$(realpath "$3")")
SETTLE_MS=10000 # start-up and first allocations; memory is measured from here on
# A game stalls that draws no frame for so long, or through so much processor time (clock ticks).
STALL_MS=20000 STALL_CPU_TICKS=300
# A start-up is slow on a busy machine (the sanitized game's above all), not stuck, until it has
# spent so much processor time (clock ticks) without opening its window.
STARTUP_CPU_TICKS=3000

window_shown() { xwininfo -id "$WIN" 2>/dev/null | grep -q IsViewable; }
# Holds KEY down for SECONDS; anything xdotool says is a fault (an unknown key's name it only
# complains of), unless a game over closed the window: the watch's to judge.
press() {
    local said
    said=$(xdotool keydown --window "$WIN" "$1" sleep "$2" keyup --window "$WIN" "$1" 2>&1) && [ -z "$said" ] && return 0
    window_shown || return 1
    fault "xdotool could not press $1: $said"
}
# Mostly sword strokes to either side, as a player fighting for its life would.
random_action() {
    local held=(Left Right Up Down KP_4 KP_6 KP_8 KP_2) tapped=(Control_L 1 2 p Up Down)
    case $((RANDOM % 10)) in
    [0-5]) press "${held[RANDOM % 2]}" 0.03 && press space 0.05 ;;
    [67]) press "${held[RANDOM % 8]}" "0.$((10 + RANDOM % 60))" ;;
    *) press "${tapped[RANDOM % 6]}" 0.05 ;;
    esac
    sleep 0.05
}

cpu_ticks() { sed -E 's/^.*\) //' "/proc/$GAME_PID/stat" 2>/dev/null | awk '{ print $12 + $13 }'; }
fault() { echo "$RUN: $*" >>"$WORK/$LABEL.faults.txt"; }
since_launch() { echo "$(((${1:-$(now_ms)} - LAUNCHED) / 1000)) s"; }

window_or_stuck() {
    find_window && return 0
    [ "$(cpu_ticks)" -lt "$STARTUP_CPU_TICKS" ] || fail "$RUN: no window after $((STARTUP_CPU_TICKS / 100)) s of processor time"
    false
}

# Whether the game ends within SECONDS.
ends_within() {
    local tenths=0
    while running && [ $((tenths += 1)) -le $(($1 * 10)) ]; do sleep 0.1; done
    ! running
}

# Whether the game has drawn a frame since the last look, or not yet stalled; a stall is a fault.
still_drawing() {
    local now f cpu
    now=$(now_ms) f=$(frames_shown) cpu=$(cpu_ticks)
    if [ "$f" -gt "$SEEN" ]; then
        FRAME_AT=$now CPU_AT=$cpu SEEN=$f
    elif [ $((cpu - CPU_AT)) -ge $STALL_CPU_TICKS ] || [ $((now - FRAME_AT)) -ge $STALL_MS ]; then
        fault "no frame drawn from $(since_launch "$FRAME_AT") to $(since_launch)"
        FRAME_AT=$now CPU_AT=$cpu
        return 1
    fi
}

# Once a second: frames, the window, memory, and every 10 s a screenshot. False once it is over.
watch_game() {
    local now rss
    [ $(($(now_ms) - LOOKED_AT)) -ge 1000 ] && running || return 0
    now=$(now_ms) LOOKED_AT=$now
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status" 2>/dev/null)
    still_drawing
    # A game over closes the window a moment before its exit (and the sanitized game's leak check).
    if ! window_shown; then
        ends_within 15 || fault "window not viewable at $(since_launch)"
        return 1
    fi
    [ "$LABEL" != plain ] || [ $((now - LAUNCHED)) -lt "$SETTLE_MS" ] || [ -z "$rss" ] ||
        RSS_BASE=${RSS_BASE:-$rss} RSS_PEAK=$((rss > RSS_PEAK ? rss : RSS_PEAK))
    [ $((now - LAUNCHED - SETTLE_MS)) -ge $((SHOTS * 10000)) ] || return 0
    import -window "$WIN" "$WORK/$RUN.$((SHOTS += 1)).png" 2>/dev/null
    [ "$SHOTS" -eq 1 ] || ! cmp -s "$WORK/$RUN.$SHOTS.png" "$WORK/$RUN.$((SHOTS - 1)).png" ||
        fault "the screen did not change in the 10 s before $(since_launch)"
}

# One run, until the game over or the deadline; prints its line.
one_run() {
    local keys=0 key_frames=0 how="ended by itself" memory=""
    FRAME_FILE="$WORK/$RUN.frames" GAME_ENV=("${BASE_ENV[@]}" GHOULRUN_FRAME_FILE="$WORK/$RUN.frames")
    GAME_OUT="$WORK/$RUN.out.txt" GAME_ERR="$WORK/$RUN.err.txt" launch >/dev/null
    LAUNCHED=$(now_ms) SEEN=0 SHOTS=0 RSS_BASE="" RSS_PEAK=0
    until window_or_stuck; do sleep 0.02; done
    LOOKED_AT=$LAUNCHED FRAME_AT=$LAUNCHED CPU_AT=$(cpu_ticks)
    while running && [ "$(now_ms)" -lt "$DEADLINE" ]; do
        # Each action once the game has taken the one before (up to four events), watched meanwhile.
        for _ in $(seq $((1 + RANDOM % 5))); do
            until [ "$(frames_shown)" -ge $((key_frames + 6)) ]; do
                running && [ "$(now_ms)" -lt "$DEADLINE" ] && watch_game || break 3
                sleep 0.02
            done
            random_action
            key_frames=$(frames_shown) keys=$((keys + 1))
        done
        watch_game || break
    done
    if running && window_shown; then
        how="quit at the deadline"
        # A game that stopped drawing just before the deadline may draw again until the run ends.
        until [ "$(frames_shown)" -gt "$SEEN" ] || ! running || ! window_shown; do
            still_drawing || break
            sleep 0.1
        done
    fi
    if running; then
        [ "$how" != "ended by itself" ] || how="quit once its window was gone"
        # Once: a signal ends even a swing; a second would kill a sanitized game's report.
        kill -TERM "$GAME_PID" 2>/dev/null
        ends_within 15 || { fault "still running 15 s after the quit request" && kill -KILL "$GAME_PID"; }
    fi
    wait_exit 15000
    [ "$STATUS" -eq 0 ] || fault "$how with status $STATUS"
    [ ! -s "$WORK/$RUN.err.txt" ] || fault "standard error: $(head -n 3 "$WORK/$RUN.err.txt")"
    [ -z "$RSS_BASE" ] || memory="; RSS $RSS_BASE KiB at 10 s, peak $RSS_PEAK KiB"
    [ $((RSS_PEAK - ${RSS_BASE:-$RSS_PEAK})) -lt 2048 ] || fault "resident memory grew:${memory#;}"
    echo "$RUN: $how after $(since_launch) with status $STATUS; $(frames_shown) frames, $keys key actions$memory"
}

# LABEL [BINARY]: the game again and again on an X server of its own until the deadline (no new run
# in the last 5 s: it would not get past its start-up) or a fault.
play() {
    LABEL=$1 GAME_CMD=${2:-$GHOULRUN_GAME_DIR/ghoulrun} STARTED="" run=0
    trap 'kill -KILL $GAME_PID $STARTED 2>/dev/null' EXIT
    trap 'exit 1' TERM
    RANDOM=$((SEED + ${#LABEL}))
    start_xvfb && : >>"$WORK/$LABEL.runs.txt"
    while [ $((DEADLINE - $(now_ms))) -gt 5000 ] && [ ! -s "$WORK/$LABEL.faults.txt" ]; do
        RUN="$LABEL.$((run += 1))"
        one_run >>"$WORK/$LABEL.runs.txt"
    done
    [ "$LABEL" != plain ] || grep -qs RSS "$WORK/plain.runs.txt" ||
        echo "no run lasted 10 s, so memory was never measured" >>"$WORK/plain.faults.txt"
}

note "playing for $1 s (seed $SEED)"
cp -R "$GHOULRUN_GAME_DIR" "$GAME_FOLDER"
play plain & players=$!
if [ -n "$SANITIZED_GAME" ]; then
    (
        # Full stacks at every allocation, so leak suppressions can name our call sites; Mesa's
        # default rasteriser then waits on the unwinder's lock for ever; swrast compiles nothing.
        # Preloaded, it is not unloaded with SDL's video before LeakSanitizer looks.
        BASE_ENV[1]+=":$(ls /usr/lib/*/dri/swrast_dri.so /usr/lib*/dri/swrast_dri.so 2>/dev/null | head -n 1)"
        cat "$(dirname "$0")/../sanitize/lsan.supp" "$(dirname "$0")/lsan_display.supp" >"$WORK/lsan.supp"
        export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:halt_on_error=1:verify_asan_link_order=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" GALLIUM_DRIVER=softpipe
        export LSAN_OPTIONS="suppressions=$WORK/lsan.supp:print_suppressions=0"
        play sanitized "$SANITIZED_GAME"
    ) &
    players="$players $!"
fi
STARTED="$STARTED $players" failed=0
for player in $players; do wait "$player" || failed=1; done
for label in plain sanitized; do
    [ -f "$WORK/$label.runs.txt" ] || continue
    echo "== $label game" && cat "$WORK/$label.runs.txt"
    [ ! -s "$WORK/$label.faults.txt" ] || { sed 's/^/FAULT: /' "$WORK/$label.faults.txt" && failed=1; }
done
[ "$failed" -eq 0 ] && echo "soak passed" || { echo "soak failed" && exit 1; }
