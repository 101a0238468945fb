#!/bin/bash
# How the real game ends whatever happens around it, one ctest test per case (tests/e2e/suite.cmake).
#
#   tests/endings/endings.sh CASE
#
# The game runs with SDL's dummy video and audio drivers unless the case needs an X server.
# Promised: a signal ends the run within a second, a lost display within two; a game that is to
# play on still runs two seconds after what could have stopped it.
NAME=${1:?usage: endings.sh CASE}
. "$(dirname "$0")/../e2e/driver.sh"
GAME_ENV=(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy)
STANDING_RUN="$GHOULRUN_SOURCE_DIR/tests/data/replays/standing.rec"

# case | how the run is made to end | exit status | report at the end (yes/no) | the one line on
# standard error ("-": not looked at; empty: none). @WORK@ is the case's work folder.
ENDINGS="
lost_display_killed          | display_dies KILL           | 1       | no  | ghoulrun: lost the display
lost_display_shutdown        | display_dies TERM           | 1       | no  | ghoulrun: lost the display
sigint_in_play               | signal_on_terminal INT      | 0       | yes |
sigterm_in_play              | signal_on_terminal TERM     | 0       | yes |
sighup_in_play               | signal_on_terminal HUP      | 0       | yes |
sigint_in_game_over          | signal_in_game_over INT     | 0       | yes |
sigterm_in_game_over         | signal_in_game_over TERM    | 0       | yes |
sighup_in_game_over          | signal_in_game_over HUP     | 0       | yes |
second_signal                | two_signals                 | 130 143 | no  | -
stdout_to_head               | console_to_head stdout      | 0       | no  | -
stdout_and_stderr_to_head    | console_to_head both        | 0       | no  | -
closed_stdout_recording      | record_stdout_closed        | 0       | no  |
record_full_device           | record_to /dev/full         | 1       | yes | ghoulrun: /dev/full: No space left on device; the run goes on unrecorded
record_file_limit            | record_past_file_limit      | 1       | no  | ghoulrun: @WORK@/run.rec: File too large; the run goes on unrecorded
record_missing_folder        | record_to @WORK@/none/r.rec | 1       | yes | ghoulrun: @WORK@/none/r.rec: No such file or directory; the run goes on unrecorded
record_full_device_game_over | stand_recording_to_full     | 1       | no  | ghoulrun: /dev/full: No space left on device; the run goes on unrecorded
installed_through_link       | installed_game_signalled    | 0       | yes |
"

signal_within_a_second() { kill "-$1" "$GAME_PID" && wait_exit 1000 || fail "still running a second after SIG$1"; }
plays_on() { sleep 2 && running || fail "the game ended within 2 s of $1"; }

# The X server goes away under a running game: KILL for a crash, TERM for a shutdown.
display_dies() {
    start_xvfb
    GAME_ENV=(SDL_AUDIODRIVER=dummy)
    launch
    wait_started
    sleep 0.5
    kill "-$1" "$XVFB_PID"
    wait_exit 2000 || fail "still running 2 s after the X server went away"
}

# From a terminal of its own (script(1)), where closing the window would wait for Enter.
signal_on_terminal() {
    mkfifo "$WORK/keys"
    exec 7<>"$WORK/keys"
    GAME_CMD=script GAME_IN="$WORK/keys" GAME_OUT=/dev/null launch -q -f -e -c "exec ./ghoulrun" "$WORK/stdout"
    STATUS_PID=$GAME_PID # script passes the game's status on
    wait_for 30000 "the game did not start on its terminal" eval 'GAME_PID=$(pgrep -x -P "$STATUS_PID" ghoulrun)'
    wait_started
    sleep 0.5
    signal_within_a_second "$1"
}

# The golden standing run replayed at its recorded pace: the hero dies 9.6 s into its clock, and
# the game-over sequence ends the run 5.7 s later. The signal comes once the sequence's thread
# runs beside the game's own: its main thread and, on two cores, the crowd's helper.
signal_in_game_over() {
    launch --replay "$STANDING_RUN"
    wait_for 60000 "the game-over sequence did not start" sequence_running
    signal_within_a_second "$1"
    expect_report
    [ "$SURVIVED" -ge 9 ] && [ "$SURVIVED" -le 15 ] || fail "the signal missed the game over ($SURVIVED s survived)"
}
sequence_running() {
    [ "$(cat /proc/"$GAME_PID"/task/*/comm 2>/dev/null | grep -c -x ghoulrun)" -gt $(($(nproc) > 1 ? 2 : 1)) ]
}

# Two different signals, so that neither merges into the other while pending: the second ends it.
two_signals() {
    launch
    wait_started
    sleep 0.5
    kill -TERM "$GAME_PID" && kill -INT "$GAME_PID" && wait_exit 1000 || fail "still running a second after two signals"
}

# `ghoulrun | head -1`, or with standard error in the pipe too: the game plays on after head goes.
console_to_head() {
    mkfifo "$WORK/pipe"
    head -n 1 <"$WORK/pipe" >"$WORK/head" &
    local head=$!
    GAME_OUT="$WORK/pipe" GAME_ERR=$([ "$1" = both ] && echo "$WORK/pipe") launch
    wait_for 30000 "head never had its line" eval "! kill -0 $head 2>/dev/null"
    plays_on "the pipe's reader going away"
    signal_within_a_second TERM
}

# Recorded with standard output closed: it plays on, and the recording replays.
record_stdout_closed() {
    GAME_OUT=closed launch --record "$WORK/run.rec"
    plays_on "starting with standard output closed"
    signal_within_a_second TERM
    expect_replayable "$WORK/run.rec"
}

record_to() {
    launch --record "$1"
    wait_started
    wait_for 20000 "no line on standard error" grep -q . "$WORK/stderr"
    plays_on "the failed recording"
    signal_within_a_second TERM
}

# The recording outgrows a 1 KiB file-size limit, as on a nearly full disk: what reached the file
# must read back to its last whole frame.
record_past_file_limit() {
    GAME_FILE_LIMIT=1 record_to "$WORK/run.rec"
    [ "$(stat -c %s "$WORK/run.rec")" -le 1024 ] || fail "the recording grew past the limit"
    expect_replayable "$WORK/run.rec"
}

# Standing still until the enemies win: the game over ends the process, and the lost recording
# still makes its status 1.
stand_recording_to_full() {
    launch --record /dev/full
    wait_started
    wait_exit 90000 || fail "the hero still lives after 90 s"
}

# make install into a fresh prefix; the game started through its bin/ link from another folder
# is the installed one, runs in its data and writes nothing where it was started.
installed_game_signalled() {
    local prefix="$WORK/prefix with space"
    make -s -C "$GHOULRUN_SOURCE_DIR" -o build install PREFIX="$prefix" \
        BUILD_DIR="$GHOULRUN_BUILD_DIR" >"$WORK/install.log" 2>&1 || fail "make install failed"
    mkdir "$WORK/home"
    GAME_FOLDER="$WORK/home" GAME_CMD="$prefix/bin/ghoulrun" launch
    wait_started
    [ "$(readlink "/proc/$GAME_PID/exe")" = "$prefix/games/ghoulrun" ] || fail "the link did not start the installed game"
    [ "$(readlink "/proc/$GAME_PID/cwd")" = "$prefix/share/games/ghoulrun" ] || fail "the game does not run in its data"
    signal_within_a_second TERM
    [ -z "$(ls -A "$WORK/home")" ] || fail "the game wrote into the folder it was started from"
}

expect_replayable() {
    local result
    result=$(cd "$GHOULRUN_GAME_DIR" && timeout 60 ./ghoulrun --replay "$1" --headless 2>&1 | tail -n 1)
    grep -q '^replay: [1-9][0-9]* frames, state [0-9a-f]*$' <<<"$result" || fail "the recording does not replay: $result"
}

IFS='|' read -r _ how status report stderr < <(grep "^$NAME " <<<"$ENDINGS")
[ -n "${how:-}" ] || fail "no such case"
read -r -a how <<<"${how//@WORK@/$WORK}"
"${how[@]}"
note "ended after $ENDED_AFTER_MS ms with status $STATUS"
# shellcheck disable=SC2086
expect_status $status
[ $report = no ] || expect_report
stderr=$(sed -e 's/^ *//' -e 's/ *$//' -e "s|@WORK@|$WORK|g" <<<"$stderr")
[ "$stderr" = - ] || expect_stderr "$stderr"
note "passed"
