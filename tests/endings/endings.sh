#!/bin/bash
# How the real game ends whatever happens around it: its display killed, a signal during play or
# during the game-over sequence, a console that went away, a recording the disk will not take.
#
#   tests/endings/endings.sh CASE
#
# From ctest (suite.cmake): GHOULRUN_GAME_DIR (the run folder) and GHOULRUN_SOURCE_DIR. The game
# runs with SDL's dummy video and audio drivers unless the case needs a real X server (Xvfb).
# Prints what it saw; exits 0 when the case holds.
set -u

CASE=${1:?usage: endings.sh CASE}
GAME_DIR=${GHOULRUN_GAME_DIR:?run folder not given}
SOURCE_DIR=${GHOULRUN_SOURCE_DIR:?source folder not given}
STANDING_RUN="$SOURCE_DIR/tests/data/replays/standing.rec"

# What the game promises: a signal ends the run within a second, a lost display within two.
SIGNAL_LIMIT_MS=1000
LOST_DISPLAY_LIMIT_MS=2000
# Generous bounds that only a hang would miss.
START_LIMIT_MS=30000
LINE_LIMIT_MS=20000
# A game that is to play on must still be running this long after what could have stopped it.
PLAYS_ON_MS=2000
# The golden standing run: the hero dies 9.6 s after the recorded clock started, and the
# game-over sequence ends the recorded run 5.7 s later. A replay never runs ahead of the recorded
# pace, so a signal 13 s after its first frame finds the sequence under way unless the replay lags
# by more than 3 s; the report then says 10 to 15 seconds survived.
SEQUENCE_SIGNAL_AFTER_S=13
SEQUENCE_EARLIEST_S=10
SEQUENCE_LATEST_S=15
# A file-size limit (in KiB, as ulimit counts) that a few seconds of recorded play outgrow.
RECORDING_LIMIT_KB=1

WORK=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-endings-$CASE.XXXXXX")
GAME_PID=""
TERMINAL_PID=""
XVFB_PID=""
HEAD_PID=""
STATUS=""
ENDED_AFTER_MS=""

now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

note() { printf '[%s] %s\n' "$CASE" "$*"; }

fail() {
    printf '[%s] FAIL: %s\n' "$CASE" "$*" >&2
    for console in stdout stderr; do
        if [ -s "$WORK/$console" ]; then
            echo "---- game $console (last lines) ----" >&2
            tail -n 8 "$WORK/$console" >&2
        fi
    done
    exit 1
}

cleanup() {
    local status=$?
    for pid in $GAME_PID $TERMINAL_PID $HEAD_PID $XVFB_PID; do
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---------------------------------------------------------------------------------------------
# Running the game

# Runs the game in the run folder with the given arguments and standard input closed. Standard
# output and error go into files unless GAME_OUT / GAME_ERR name other places ("closed" closes
# it); GAME_FILE_LIMIT sets a file-size limit in KiB. The dummy drivers are used unless
# SDL_VIDEODRIVER names another. Sets GAME_PID.
launch() {
    local out=${GAME_OUT:-$WORK/stdout} err=${GAME_ERR:-$WORK/stderr}
    : >"$WORK/stdout"
    : >"$WORK/stderr"
    (
        cd "$GAME_DIR" || exit 127
        if [ "$out" = closed ]; then exec >&-; else exec >"$out"; fi
        exec 2>"$err" </dev/null
        [ -z "${GAME_FILE_LIMIT:-}" ] || ulimit -f "$GAME_FILE_LIMIT"
        exec env SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-dummy}" SDL_AUDIODRIVER=dummy ./ghoulrun "$@"
    ) &
    GAME_PID=$!
    note "game started (pid $GAME_PID): ghoulrun $*"
}

# Runs the game (no arguments) on a terminal of its own, as a player starts it from a shell:
# script(1) holds the terminal, whose output lands in the stdout file; nothing is ever typed.
# Sets GAME_PID and TERMINAL_PID.
launch_on_terminal() {
    : >"$WORK/stdout"
    : >"$WORK/stderr"
    mkfifo "$WORK/keys"
    exec 7<>"$WORK/keys"
    (
        cd "$GAME_DIR" || exit 127
        exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
            script -q -f -e -c "exec ./ghoulrun" "$WORK/stdout" <"$WORK/keys" >/dev/null 2>"$WORK/stderr"
    ) &
    TERMINAL_PID=$!
    local start
    start=$(now_ms)
    GAME_PID=""
    while [ -z "$GAME_PID" ]; do
        [ $(($(now_ms) - start)) -lt "$START_LIMIT_MS" ] || fail "the game did not start on its terminal"
        sleep 0.05
        GAME_PID=$(game_below "$TERMINAL_PID")
    done
    note "game started on a terminal (pid $GAME_PID)"
}

# The game process among the descendants of PID, if it is there yet.
game_below() {
    local child
    for child in $(pgrep -P "$1"); do
        if [ "$(ps -o comm= -p "$child")" = ghoulrun ]; then
            echo "$child"
            return
        fi
        game_below "$child"
    done
}

running() { kill -0 "$GAME_PID" 2>/dev/null; }

# Waits until FILE holds a line matching PATTERN; fails after LIMIT ms.
wait_line() {
    local file=$1 pattern=$2 limit=$3 start
    start=$(now_ms)
    until grep -q -- "$pattern" "$file" 2>/dev/null; do
        [ $(($(now_ms) - start)) -lt "$limit" ] || fail "no line \"$pattern\" within $limit ms"
        sleep 0.02
    done
}

# Waits until the frame loop runs: the last line of start-up is printed as the roster is built,
# just before the first frame.
wait_playing() {
    wait_line "$WORK/stdout" '^Loading Player' "$START_LIMIT_MS"
    running || fail "the game ended as it started"
}

# Waits for the game to end within LIMIT ms of now; sets STATUS and ENDED_AFTER_MS. False when it
# is still running then.
wait_exit() {
    local limit=$1 start
    start=$(now_ms)
    while running; do
        [ $(($(now_ms) - start)) -lt "$limit" ] || return 1
        sleep 0.01
    done
    ENDED_AFTER_MS=$(($(now_ms) - start))
    if [ -n "$TERMINAL_PID" ]; then
        wait "$TERMINAL_PID" # script(1) passes the game's status on
        STATUS=$?
        TERMINAL_PID=""
    else
        wait "$GAME_PID"
        STATUS=$?
    fi
    GAME_PID=""
    return 0
}

# Sends signal SIG and expects the run to end within the signal limit.
end_by_signal() {
    kill "-$1" "$GAME_PID"
    wait_exit "$SIGNAL_LIMIT_MS" || fail "still running $SIGNAL_LIMIT_MS ms after SIG$1"
    note "SIG$1: ended after $ENDED_AFTER_MS ms with status $STATUS"
}

plays_on() {
    sleep "$((PLAYS_ON_MS / 1000))"
    running || fail "the game ended within $PLAYS_ON_MS ms of $1"
    note "still playing $PLAYS_ON_MS ms after $1"
}

expect_status() {
    [ "$STATUS" -eq "$1" ] || fail "ended with status $STATUS, not $1"
}

expect_no_stderr() {
    [ ! -s "$WORK/stderr" ] || fail "wrote to standard error: $(head -c 300 "$WORK/stderr")"
}

# Standard error must be exactly the one line given (as a pattern).
expect_stderr_line() {
    local lines
    lines=$(wc -l <"$WORK/stderr")
    [ "$lines" -eq 1 ] || fail "$lines lines on standard error, not 1: $(head -c 300 "$WORK/stderr")"
    grep -q -x -- "$1" "$WORK/stderr" || fail "standard error is not \"$1\": $(cat "$WORK/stderr")"
}

# The end-of-run report: three lines, as closing the window gives them. Sets SURVIVED.
expect_report() {
    local report
    report=$(tr -d '\r' <"$WORK/stdout" | grep -a -A 2 'You completed [0-9]* of the endurance$')
    SURVIVED=$(sed -n 's/^You survived for \([0-9][0-9]*\) seconds$/\1/p' <<<"$report")
    [ -n "$SURVIVED" ] && [ "$(sed -n 3p <<<"$report")" = "GAME OVER" ] ||
        fail "no end-of-run report: $(tail -n 3 "$WORK/stdout" | tr '\n' '|')"
}

# Replays RECORDING headless; it must read back whole, with at least one frame.
expect_replayable() {
    local result frames
    result=$(cd "$GAME_DIR" && timeout 60 ./ghoulrun --replay "$1" --headless 2>&1 | tail -n 1)
    frames=$(sed -n 's/^replay: \([0-9][0-9]*\) frames, state [0-9a-f]*$/\1/p' <<<"$result")
    [ -n "$frames" ] && [ "$frames" -gt 0 ] || fail "the recording does not replay: $result"
    note "the recording replays: $result"
}

start_xvfb() {
    : >"$WORK/display"
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$WORK/display" \
        >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local start
    start=$(now_ms)
    until grep -q '^[0-9][0-9]*$' "$WORK/display"; do
        kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
        [ $(($(now_ms) - start)) -lt "$START_LIMIT_MS" ] || fail "Xvfb gave no display number"
        sleep 0.05
    done
    export DISPLAY=":$(head -n 1 "$WORK/display")"
    note "Xvfb on $DISPLAY"
}

# ---------------------------------------------------------------------------------------------
# The cases

# The X server goes away under a running game (SIG is KILL for a crash, TERM for a shutdown).
lost_display() {
    start_xvfb
    SDL_VIDEODRIVER=x11 launch
    wait_playing
    sleep 0.5
    kill "-$1" "$XVFB_PID"
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    wait_exit "$LOST_DISPLAY_LIMIT_MS" ||
        fail "still running $LOST_DISPLAY_LIMIT_MS ms after the X server went away"
    note "ended $ENDED_AFTER_MS ms after the X server went away, status $STATUS"
    expect_status 1
    expect_stderr_line 'ghoulrun: lost the display'
}

# From a terminal, where closing the window would leave the report waiting for Enter.
signal_in_play() {
    launch_on_terminal
    wait_playing
    sleep 0.5
    end_by_signal "$1"
    expect_status 0
    expect_report
    expect_no_stderr
}

# The golden standing run replayed in a window at its recorded pace: its game-over sequence runs
# on its own thread as in play.
signal_in_game_over() {
    launch --replay "$STANDING_RUN"
    wait_playing
    sleep "$SEQUENCE_SIGNAL_AFTER_S"
    running || fail "the replay ended before the signal"
    end_by_signal "$1"
    expect_status 0
    expect_report
    note "the report says $SURVIVED seconds survived"
    [ "$SURVIVED" -ge "$SEQUENCE_EARLIEST_S" ] && [ "$SURVIVED" -le "$SEQUENCE_LATEST_S" ] ||
        fail "the signal did not land in the game-over sequence ($SURVIVED s survived)"
    expect_no_stderr
}

# Two different signals, so that neither can merge into the other while pending.
second_signal() {
    launch
    wait_playing
    sleep 0.5
    kill -TERM "$GAME_PID"
    kill -INT "$GAME_PID"
    wait_exit "$SIGNAL_LIMIT_MS" || fail "still running $SIGNAL_LIMIT_MS ms after two signals"
    note "ended after $ENDED_AFTER_MS ms with status $STATUS"
    [ "$STATUS" -eq 130 ] || [ "$STATUS" -eq 143 ] ||
        fail "ended with status $STATUS, not by the second signal (130 or 143)"
}

# `ghoulrun | head -1`, and the same with standard error in the pipe too.
closed_pipe() {
    mkfifo "$WORK/pipe"
    head -n 1 <"$WORK/pipe" >"$WORK/head" &
    HEAD_PID=$!
    if [ "$1" = both ]; then
        GAME_OUT="$WORK/pipe" GAME_ERR="$WORK/pipe" launch
    else
        GAME_OUT="$WORK/pipe" launch
    fi
    local start
    start=$(now_ms)
    while kill -0 "$HEAD_PID" 2>/dev/null; do
        [ $(($(now_ms) - start)) -lt "$START_LIMIT_MS" ] || fail "head never had its line"
        sleep 0.02
    done
    HEAD_PID=""
    note "head took \"$(cat "$WORK/head")\" and went"
    plays_on "the pipe's reader going away"
    end_by_signal TERM
    expect_status 0
}

closed_stdout_recording() {
    GAME_OUT=closed launch --record "$WORK/run.rec"
    plays_on "starting with standard output closed"
    end_by_signal TERM
    expect_status 0
    expect_no_stderr
    expect_replayable "$WORK/run.rec"
}

record_full_device() {
    launch --record /dev/full
    wait_playing
    wait_line "$WORK/stderr" . "$LINE_LIMIT_MS"
    plays_on "the failed write"
    end_by_signal TERM
    expect_status 1
    expect_report
    expect_stderr_line 'ghoulrun: /dev/full: No space left on device; the run goes on unrecorded'
}

# The recording outgrows the file-size limit, as on a nearly full disk: what reached the file
# must read back to its last whole frame.
record_file_limit() {
    GAME_FILE_LIMIT=$RECORDING_LIMIT_KB launch --record "$WORK/run.rec"
    wait_playing
    wait_line "$WORK/stderr" . "$LINE_LIMIT_MS"
    plays_on "the failed write"
    end_by_signal TERM
    expect_status 1
    expect_stderr_line "ghoulrun: $WORK/run.rec: File too large; the run goes on unrecorded"
    local size
    size=$(stat -c %s "$WORK/run.rec")
    note "the recording kept $size bytes"
    [ "$size" -le $((RECORDING_LIMIT_KB * 1024)) ] || fail "the recording grew past the limit"
    expect_replayable "$WORK/run.rec"
}

record_missing_folder() {
    launch --record "$WORK/no-such-folder/run.rec"
    wait_playing
    plays_on "the recording failed to open"
    end_by_signal TERM
    expect_status 1
    expect_report
    expect_stderr_line "ghoulrun: $WORK/no-such-folder/run.rec: No such file or directory; the run goes on unrecorded"
}

# Standing still until the enemies win: the game-over sequence ends the process, and the lost
# recording still makes its status 1.
record_full_device_game_over() {
    launch --record /dev/full
    wait_playing
    local start limit=$((START_LIMIT_MS * 3))
    start=$(now_ms)
    while running; do
        [ $(($(now_ms) - start)) -lt "$limit" ] || fail "the hero still lives after $limit ms"
        sleep 0.1
    done
    wait "$GAME_PID"
    STATUS=$?
    GAME_PID=""
    note "the game over ended the run after $(($(now_ms) - start)) ms with status $STATUS"
    expect_status 1
    expect_stderr_line 'ghoulrun: /dev/full: No space left on device; the run goes on unrecorded'
}

case "$CASE" in
    lost_display_killed) lost_display KILL ;;
    lost_display_shutdown) lost_display TERM ;;
    sigint_in_play) signal_in_play INT ;;
    sigterm_in_play) signal_in_play TERM ;;
    sighup_in_play) signal_in_play HUP ;;
    sigint_in_game_over) signal_in_game_over INT ;;
    sigterm_in_game_over) signal_in_game_over TERM ;;
    sighup_in_game_over) signal_in_game_over HUP ;;
    second_signal) second_signal ;;
    stdout_to_head) closed_pipe stdout ;;
    stdout_and_stderr_to_head) closed_pipe both ;;
    closed_stdout_recording) closed_stdout_recording ;;
    record_full_device) record_full_device ;;
    record_file_limit) record_file_limit ;;
    record_missing_folder) record_missing_folder ;;
    record_full_device_game_over) record_full_device_game_over ;;
    *) echo "endings.sh: unknown case $CASE" >&2; exit 2 ;;
esac
note "passed"
