#!/bin/bash
# Soak: long play with random keys, on a real X server (Xvfb) of its own.
#
#   soak.sh SECONDS GAME_DIR FRAME_COUNTER [SANITIZED_GAME]
#
# GAME_DIR is the run folder (the game with its pictures, sounds and music), FRAME_COUNTER the
# library that counts the frames the game shows, SANITIZED_GAME an AddressSanitizer build of the
# game. The plain game and, when given, the sanitized one play side by side, each on its own
# display, for SECONDS of random arrows, jumps, sword strokes, background switches and position
# reports (never q, which quits). Keys come at most 10 a second, and never faster than the game
# takes them (it takes one event a frame: a slow game, a sanitized one on a busy machine, would
# otherwise fall ever further behind its keys); they stop at the deadline.
#
# The hero dies sooner or later, and the game then ends itself with status 0; the soak starts it
# again and judges every run on its own. It fails when
#   - a run ends with anything but status 0 (a crash, a sanitizer report, an error), or a game
#     asked to quit at the deadline does not end with status 0 within 15 s (asked again every
#     2 s: the hero takes no quit request while it swings its sword);
#   - the game stops drawing: it spends 3 s of processor time, or 20 s however busy the
#     machine, without a frame; the window is no longer viewable; or two screenshots 10 s apart
#     are the same;
#   - the plain game's resident memory grows by 2 MiB or more after its first 10 s;
#   - anything appears on the sanitized game's standard error.
# Prints the figures of every run; on failure (or with SOAK_KEEP set) keeps its files, the
# screenshots and the memory readings among them, in SOAK_ARTIFACTS (if set).
set -u

SECONDS_TO_PLAY=${1:?usage: soak.sh SECONDS GAME_DIR FRAME_COUNTER [SANITIZED_GAME]}
GAME_DIR=${2:?run folder missing}
FRAME_COUNTER=${3:?frame counter library missing}
SANITIZED_GAME=${4:-}
HERE=$(cd "$(dirname "$0")" && pwd)
SOURCE_DIR=$(cd "$HERE/../.." && pwd)

SETTLE_SECONDS=10          # start-up and first allocations; RSS is measured from here on
RSS_GROWTH_LIMIT_KB=2048
SHOT_EVERY=10              # seconds between screenshots
QUIT_LIMIT_SECONDS=15      # the sanitized game checks for leaks on its way out
QUIT_AGAIN_SECONDS=2       # a quit request that comes during a swing is not taken: ask again
FRAMELESS_CPU_TICKS=300    # processor time without a frame that counts as a hang (1/100 s)
FRAMELESS_SECONDS=20       # wall-clock time without a frame that counts as a hang
FRAMES_PER_KEY_ACTION=6    # an action sends up to four events; the game takes one a frame
WINDOW_LIMIT_SECONDS=30    # from launch until the window shows (the roster takes a moment)
MAX_KEYS_PER_SECOND=10
SEED=${SOAK_SEED:-$$}

WORK=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-soak.XXXXXX")
STARTED_PIDS=()

# Milliseconds of the wall clock, into NOW.
NOW=0
tick() {
    local t=${EPOCHREALTIME/./}
    NOW=$((10#$t / 1000))
}
tick
T0=$NOW
seconds_since() { printf '%d.%d' $((($NOW - $1) / 1000)) $(((($NOW - $1) % 1000) / 100)); }
note() {
    tick
    printf '[soak +%6ss] %s\n' "$(seconds_since "$T0")" "$*"
}

cleanup() {
    local status=$?
    for pidFile in "$WORK"/*.pid; do
        [ -f "$pidFile" ] && STARTED_PIDS+=("$(cat "$pidFile")")
    done
    for pid in "${STARTED_PIDS[@]}"; do
        kill -TERM "$pid" 2>/dev/null
    done
    sleep 0.3
    for pid in "${STARTED_PIDS[@]}"; do
        kill -KILL "$pid" 2>/dev/null
    done
    if { [ "$status" -ne 0 ] || [ -n "${SOAK_KEEP:-}" ]; } && [ -n "${SOAK_ARTIFACTS:-}" ]; then
        rm -rf "$SOAK_ARTIFACTS"
        mkdir -p "$SOAK_ARTIFACTS"
        cp -R "$WORK"/. "$SOAK_ARTIFACTS"/ 2>/dev/null
        rm -rf "$SOAK_ARTIFACTS/run"
        echo "soak files kept in $SOAK_ARTIFACTS" >&2
    fi
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for tool in Xvfb xdotool xwininfo import; do
    command -v "$tool" >/dev/null || { echo "soak: $tool missing (scripts/bootstrap.sh)" >&2; exit 1; }
done
[ -x "$GAME_DIR/ghoulrun" ] || { echo "soak: no game in $GAME_DIR" >&2; exit 1; }
[ -f "$FRAME_COUNTER" ] || { echo "soak: no frame counter at $FRAME_COUNTER" >&2; exit 1; }
[ -z "$SANITIZED_GAME" ] || [ -x "$SANITIZED_GAME" ] || { echo "soak: no $SANITIZED_GAME" >&2; exit 1; }
# Every game runs inside the copied run folder.
GAME_DIR=$(realpath "$GAME_DIR")
FRAME_COUNTER=$(realpath "$FRAME_COUNTER")
[ -z "$SANITIZED_GAME" ] || SANITIZED_GAME=$(realpath "$SANITIZED_GAME")

mkdir -p "$WORK/run"
cp -R "$GAME_DIR/images" "$GAME_DIR/sfx" "$GAME_DIR/pompeii.ogg" "$WORK/run/"

# Starts Xvfb on a display it picks itself; sets XVFB_DISPLAY to its number.
XVFB_DISPLAY=""
start_xvfb() {
    local label=$1 numberFile="$WORK/$1.display"
    : >"$numberFile"
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$numberFile" \
        >"$WORK/$label.xvfb.log" 2>&1 &
    STARTED_PIDS+=($!)
    for _ in $(seq 100); do
        if grep -q '^[0-9][0-9]*$' "$numberFile"; then
            XVFB_DISPLAY=$(head -n 1 "$numberFile")
            return 0
        fi
        sleep 0.1
    done
    echo "soak: Xvfb did not start: $(cat "$WORK/$label.xvfb.log")" >&2
    return 1
}

# ---------------------------------------------------------------------------------------------
# One player: runs the game again and again until the deadline, pressing random keys, and writes
# a line per run to $WORK/<label>.runs and every fault to $WORK/<label>.faults.

# Mostly sword strokes to either side, as a player fighting for its life would; now and then a
# walk, a jump, a step up or down the street, a background switch or a position report.
KEYS_HELD=(Left Right Up Down KP_4 KP_6 KP_8 KP_2)
KEYS_TAPPED=(Control_L 1 2 p Up Down)
SIDES=(Left Right)

press() {
    xdotool keydown --window "$1" "$2" 2>/dev/null
    sleep "$3"
    xdotool keyup --window "$1" "$2" 2>/dev/null
}

random_key_action() {
    local window=$1 choice=$((RANDOM % 10))
    if [ "$choice" -lt 6 ]; then
        press "$window" "${SIDES[RANDOM % 2]}" 0.03
        press "$window" space 0.05
    elif [ "$choice" -lt 8 ]; then
        press "$window" "${KEYS_HELD[RANDOM % ${#KEYS_HELD[@]}]}" "$(printf '0.%02d' $((10 + RANDOM % 60)))"
    else
        press "$window" "${KEYS_TAPPED[RANDOM % ${#KEYS_TAPPED[@]}]}" 0.05
    fi
    sleep 0.05
}

# Mesa's software rasteriser, if it can be found.
find_software_rasteriser() {
    local candidate
    for candidate in /usr/lib/*/dri/swrast_dri.so /usr/lib64/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
        [ -f "$candidate" ] && { echo "$candidate"; return; }
    done
}
PRELOAD_WITH_COUNTER=""

frames_of() { od -An -t u8 -N 8 "$1" 2>/dev/null | tr -d ' ' || echo 0; }
rss_of() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }
# Processor time the process has used, all its threads, in 1/100 s (user and system time).
cpu_of() { sed -E 's/^.*\) //' "/proc/$1/stat" 2>/dev/null | awk '{ print $12 + $13 }'; }

# Waits until the frame counter reaches a count, the process ends or the deadline comes.
# Usage: wait_frames COUNTER FRAMES PID DEADLINE
wait_frames() {
    local frames
    while kill -0 "$3" 2>/dev/null; do
        frames=$(frames_of "$1")
        [ "${frames:-0}" -ge "$2" ] && return 0
        tick
        [ "$NOW" -lt "$4" ] || return 1
        sleep 0.02
    done
    return 1
}

# Seconds from the run's launch to a clock reading, one decimal, for the messages.
at() { printf '%d.%d s' $((($1 - LAUNCHED) / 1000)) $(((($1 - LAUNCHED) % 1000) / 100)); }
# Whether process $1 ends within $2 seconds; with a third argument, SIGTERM is sent again every
# that many seconds meanwhile.
process_ends_within() {
    local waited=0 again=${3:-0}
    while kill -0 "$1" 2>/dev/null && [ $waited -lt $(($2 * 10)) ]; do
        sleep 0.1
        waited=$((waited + 1))
        if [ "$again" -gt 0 ] && [ $((waited % (again * 10))) -eq 0 ]; then
            kill -TERM "$1" 2>/dev/null
        fi
    done
    ! kill -0 "$1" 2>/dev/null
}

play() {
    local label=$1 binary=$2 display=$3 measure_rss=$4 deadline=$5
    local runs="$WORK/$label.runs" faults="$WORK/$label.faults"
    : >"$runs"
    : >"$faults"
    export DISPLAY=":$display"
    RANDOM=$((SEED + ${#label}))
    local run=0
    tick
    # No new run in the last few seconds: it would not get past its start-up.
    while [ $((deadline - NOW)) -gt 5000 ]; do
        run=$((run + 1))
        local tag="$label.$run"
        local counter="$WORK/$tag.frames"
        : >"$counter"
        (
            cd "$WORK/run" || exit 127
            exec env SDL_AUDIODRIVER=dummy LD_PRELOAD="$FRAME_COUNTER $PRELOAD_WITH_COUNTER" \
                SOAK_FRAME_FILE="$counter" \
                "$binary" </dev/null >"$WORK/$tag.stdout" 2>"$WORK/$tag.stderr"
        ) &
        local pid=$! window=""
        echo "$pid" >"$WORK/$label.pid"
        tick
        LAUNCHED=$NOW
        while [ -z "$window" ] && kill -0 "$pid" 2>/dev/null; do
            window=$(xdotool search --name '^Ghoulrun$' 2>/dev/null | head -n 1)
            [ -n "$window" ] && break
            tick
            if [ $((NOW - LAUNCHED)) -gt $((WINDOW_LIMIT_SECONDS * 1000)) ]; then
                echo "run $run: no window within $WINDOW_LIMIT_SECONDS s" >>"$faults"
                break
            fi
            sleep 0.1
        done

        local rss_base="" rss_max=0 rss_last=0 frames_before=0 last_sample=$NOW shots=0
        local shot_due=$((LAUNCHED + SETTLE_SECONDS * 1000)) quit_sent=0 keys=0 frames rss
        local key_frames=0 last_frame_at=$NOW cpu_at_frame cpu
        cpu_at_frame=$(cpu_of "$pid")
        while [ -n "$window" ] && kill -0 "$pid" 2>/dev/null; do
            tick
            if [ "$NOW" -ge "$deadline" ]; then
                quit_sent=1
                break
            fi
            # A few key actions, each under a second and each once the game has taken the one
            # before, then the measurements if a second passed.
            for _ in $(seq $((1 + RANDOM % (MAX_KEYS_PER_SECOND / 2)))); do
                wait_frames "$counter" $((key_frames + FRAMES_PER_KEY_ACTION)) "$pid" "$deadline" ||
                    break
                random_key_action "$window"
                key_frames=$(frames_of "$counter")
                key_frames=${key_frames:-0}
                keys=$((keys + 1))
            done
            tick
            [ $((NOW - last_sample)) -ge 1000 ] || continue
            kill -0 "$pid" 2>/dev/null || break
            frames=$(frames_of "$counter")
            frames=${frames:-0}
            cpu=$(cpu_of "$pid")
            if [ "$frames" -gt "$frames_before" ]; then
                last_frame_at=$NOW
                cpu_at_frame=${cpu:-0}
            elif [ -n "$cpu" ] && [ $((cpu - cpu_at_frame)) -ge "$FRAMELESS_CPU_TICKS" ]; then
                echo "run $run: no frame drawn from $(at "$last_frame_at") to $(at "$NOW"), in $((cpu - cpu_at_frame)) hundredths of a second of processor time" >>"$faults"
                cpu_at_frame=$cpu
            elif [ $((NOW - last_frame_at)) -ge $((FRAMELESS_SECONDS * 1000)) ]; then
                echo "run $run: no frame drawn from $(at "$last_frame_at") to $(at "$NOW")" >>"$faults"
                last_frame_at=$NOW
            fi
            frames_before=$frames
            last_sample=$NOW
            if ! xwininfo -id "$window" 2>/dev/null | grep -q 'Map State: IsViewable'; then
                # A game that ends by itself loses its window a moment before the process ends
                # (the exit, and in the sanitized game its leak check, come after); only a
                # process still there a while later has lost its window.
                if ! process_ends_within "$pid" "$QUIT_LIMIT_SECONDS"; then
                    echo "run $run: window not viewable at $(at "$NOW")" >>"$faults"
                fi
                break
            fi
            if [ "$measure_rss" = yes ] && [ $((NOW - LAUNCHED)) -ge $((SETTLE_SECONDS * 1000)) ]; then
                rss=$(rss_of "$pid")
                if [ -n "$rss" ]; then
                    echo "$(at "$NOW") $rss KiB, $frames frames, $(awk '/^Threads:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) threads" >>"$WORK/$tag.rss"
                    [ -n "$rss_base" ] || rss_base=$rss
                    rss_last=$rss
                    [ "$rss" -gt "$rss_max" ] && rss_max=$rss
                fi
            fi
            if [ "$NOW" -ge "$shot_due" ]; then
                shots=$((shots + 1))
                import -window "$window" "$WORK/$tag.shot$shots.png" 2>/dev/null
                if [ "$shots" -gt 1 ] &&
                    cmp -s "$WORK/$tag.shot$shots.png" "$WORK/$tag.shot$((shots - 1)).png"; then
                    echo "run $run: the screen did not change in the $SHOT_EVERY s before $(at "$NOW")" >>"$faults"
                fi
                [ "$shots" -gt 2 ] && rm -f "$WORK/$tag.shot$((shots - 2)).png"
                shot_due=$((shot_due + SHOT_EVERY * 1000))
            fi
        done

        local how status
        if [ -z "$window" ]; then
            how="ended before its window showed"
            kill -0 "$pid" 2>/dev/null || echo "run $run: $how" >>"$faults"
            kill -KILL "$pid" 2>/dev/null
        elif [ "$quit_sent" -eq 1 ]; then
            # SDL turns the signal into a quit event, as closing the window does.
            how="quit at the deadline"
            kill -TERM "$pid" 2>/dev/null
            if ! process_ends_within "$pid" "$QUIT_LIMIT_SECONDS" "$QUIT_AGAIN_SECONDS"; then
                echo "run $run: still running $QUIT_LIMIT_SECONDS s after the quit request" >>"$faults"
                kill -KILL "$pid" 2>/dev/null
            fi
        else
            how="ended by itself"
        fi
        wait "$pid"
        status=$?
        rm -f "$WORK/$label.pid"
        tick
        local lasted=$((NOW - LAUNCHED)) frames_total growth=""
        frames_total=$(frames_of "$counter")
        frames_total=${frames_total:-0}
        if [ "$status" -ne 0 ]; then
            local signal=""
            [ "$status" -gt 128 ] && signal=" (signal $((status - 128)))"
            echo "run $run: $how with status $status$signal" >>"$faults"
        fi
        if grep -q -e 'Sanitizer' -e 'runtime error' "$WORK/$tag.stderr"; then
            echo "run $run: sanitizer report: $(grep -m 1 -e 'Sanitizer' -e 'runtime error' "$WORK/$tag.stderr")" >>"$faults"
        elif [ -s "$WORK/$tag.stderr" ]; then
            echo "run $run: standard error: $(head -n 3 "$WORK/$tag.stderr")" >>"$faults"
        fi
        local memory=""
        if [ -n "$rss_base" ]; then
            growth=$((rss_max - rss_base))
            memory="; RSS $rss_base KiB at $SETTLE_SECONDS s, $rss_last KiB at the end, peak $rss_max KiB (growth $growth KiB)"
            if [ "$growth" -ge "$RSS_GROWTH_LIMIT_KB" ]; then
                echo "run $run: resident memory grew by $growth KiB after $SETTLE_SECONDS s ($rss_base to $rss_max KiB)" >>"$faults"
            fi
        fi
        printf 'run %d: %s after %s with status %d; %d frames (%d a second), %d key actions%s\n' \
            "$run" "$how" "$(at "$NOW")" "$status" "$frames_total" \
            $((lasted > 0 ? frames_total * 1000 / lasted : 0)) "$keys" "$memory" >>"$runs"
        note "$label $(tail -n 1 "$runs")"
        # Only a game over starts another run; after a fault, more runs would only repeat it.
        [ -s "$faults" ] && break
        tick
    done
}

# ---------------------------------------------------------------------------------------------

note "playing for $SECONDS_TO_PLAY s (seed $SEED) in $WORK"
tick
deadline=$((NOW + SECONDS_TO_PLAY * 1000))

start_xvfb plain || exit 1
play plain "$GAME_DIR/ghoulrun" "$XVFB_DISPLAY" yes "$deadline" &
players=($!)
STARTED_PIDS+=($!)
if [ -n "$SANITIZED_GAME" ]; then
    start_xvfb sanitized || exit 1
    (
        # Full stacks for every allocation, so that the leak suppressions can name our own call
        # sites (libSDL2 has no frame pointers). Mesa's default rasteriser compiles code at run
        # time and registers its unwind tables while holding the unwinder's lock, which the full
        # stacks then wait for for ever; the plain software rasteriser compiles nothing.
        export GALLIUM_DRIVER=softpipe
        # The rasteriser is unloaded with SDL's video at exit, and LeakSanitizer, looking after
        # that, would find its caches unreachable and unnamed: preloaded, it stays.
        PRELOAD_WITH_COUNTER=$(find_software_rasteriser)
        cat "$SOURCE_DIR/tests/sanitize/lsan.supp" "$HERE/lsan_display.supp" >"$WORK/lsan.supp"
        export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:halt_on_error=1:verify_asan_link_order=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        export LSAN_OPTIONS="suppressions=$WORK/lsan.supp:print_suppressions=0"
        play sanitized "$SANITIZED_GAME" "$XVFB_DISPLAY" no "$deadline"
    ) &
    players+=($!)
    STARTED_PIDS+=($!)
fi
for player in "${players[@]}"; do
    wait "$player"
done

failed=0
for label in plain sanitized; do
    [ -f "$WORK/$label.runs" ] || continue
    echo "== $label game"
    cat "$WORK/$label.runs"
    if [ ! -s "$WORK/$label.runs" ]; then
        echo "FAULT: no run finished"
        failed=1
    elif [ "$label" = plain ] && ! grep -q 'RSS' "$WORK/$label.runs"; then
        echo "FAULT: no run lasted past $SETTLE_SECONDS s, so its memory was never measured"
        failed=1
    fi
    if [ -s "$WORK/$label.faults" ]; then
        sed 's/^/FAULT: /' "$WORK/$label.faults"
        failed=1
    fi
done
if [ "$failed" -eq 0 ]; then
    echo "soak passed"
else
    echo "soak failed"
fi
exit "$failed"
