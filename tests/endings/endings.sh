#!/bin/bash
# How the real game ends whatever happens around it (endings.sh CASE): a signal ends the run within
# a second, a lost display within two, keeping the settings; a game that is to play on still runs
# two seconds after.
NAME=${1:?usage: endings.sh CASE}
. "$(dirname "$0")/../e2e/driver.sh"
GAME_ENV=(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy)

# case | how it plays | how the run is made to end | exit status | report at the end (yes/no) |
# the one line on standard error ("-": not looked at; empty: none). @WORK@: the case's folder.
ENDINGS="
lost_display_killed          | on_display                 | lose_display KILL | 1       | no  | ghoulrun: lost the display
lost_display_shutdown        | on_display                 | lose_display TERM | 1       | no  | ghoulrun: lost the display
sigint_in_play               | on_terminal                | signal INT        | 0       | yes |
sigterm_in_play              | on_terminal                | signal TERM       | 0       | yes |
sighup_in_play               | on_terminal                | signal HUP        | 0       | yes |
sigint_in_game_over          | in_game_over               | signal INT        | 0       | yes |
sigterm_in_game_over         | in_game_over               | signal TERM       | 0       | yes |
sighup_in_game_over          | in_game_over               | signal HUP        | 0       | yes |
second_signal                | playing                    | two_signals       | 130 143 | no  | -
stdout_to_head               | piped_to_head stdout       | signal TERM       | 0       | no  | -
stdout_and_stderr_to_head    | piped_to_head both         | signal TERM       | 0       | no  | -
closed_stdout_recording      | recording_stdout_closed    | signal TERM       | 0       | no  |
record_full_device           | recording_to /dev/full     | signal TERM       | 1       | yes | ghoulrun: /dev/full: No space left on device; the run goes on unrecorded
record_file_limit            | recording_past_limit       | signal TERM       | 1       | no  | ghoulrun: @WORK@/run.rec: File too large; the run goes on unrecorded
record_missing_folder        | recording_to @WORK@/gone/r  | signal TERM       | 1       | yes | ghoulrun: @WORK@/gone/r: No such file or directory; the run goes on unrecorded
record_full_device_game_over | recording_to /dev/full     | game_over         | 1       | no  | ghoulrun: /dev/full: No space left on device; the run goes on unrecorded
installed_through_link       | installed                  | signal TERM       | 0       | yes |
"
# The cases that record into @WORK@/run.rec: the recording must be there, and replay.
RECORDED="closed_stdout_recording record_file_limit"

plays_on() { sleep 2 && running || fail "the game ended within 2 s of $1"; }
playing() { launch "$@" && wait_started && sleep 0.5; }

# The X server goes away under a running game: KILL for a crash, TERM for a shutdown. The player
# turned the volume down first (the p after it prints once both are taken), which must be kept.
on_display() { start_xvfb && GAME_ENV=(SDL_AUDIODRIVER=dummy) && playing && turn_volume_down; }
turn_volume_down() { wait_for 15000 "no window titled Ghoulrun" find_window && xdotool key --window "$WIN" minus p &&
    wait_for 10000 "the game did not take its keys" grep -q '^WORLD : ' "$WORK/stdout"; }
lose_display() { kill "-$1" "$XVFB_PID" && wait_exit 2000 || fail "still running 2 s after the X server went away"; }

# From a terminal of its own (script(1)), where closing the window would wait for Enter; standard
# error to a file of its own, not the typescript.
on_terminal() {
    mkfifo "$WORK/keys" && exec 7<>"$WORK/keys"
    GAME_CMD=script GAME_IN="$WORK/keys" GAME_OUT=/dev/null GAME_ERR="$WORK/stderr.script" \
        launch -q -f -e -c "exec ./ghoulrun 2>$(printf %q "$WORK/stderr")" "$WORK/stdout"
    STATUS_PID=$GAME_PID # script passes the game's status on
    wait_for 30000 "the game did not start on its terminal" eval 'GAME_PID=$(pgrep -x -P "$STATUS_PID" ghoulrun)'
    wait_started && sleep 0.5
}

# The golden standing run at its recorded pace: the hero dies 9.6 s in, the run ends 5.7 s on.
# The signal comes once the sequence's thread runs beside the main one (and the crowd's, on 2 cores).
in_game_over() {
    launch --replay "$GHOULRUN_SOURCE_DIR/tests/data/replays/standing.rec"
    wait_for 60000 "the game-over sequence did not start" eval \
        '[ "$(cat /proc/"$GAME_PID"/task/*/comm 2>/dev/null | grep -c -x ghoulrun)" -gt $(($(nproc) > 1 ? 2 : 1)) ]'
}

signal() { kill "-$1" "$GAME_PID" && wait_exit 1000 || fail "still running a second after SIG$1"; }
# Two different signals, so that neither merges into the other while pending: the second ends it.
two_signals() { kill -TERM "$GAME_PID" && kill -INT "$GAME_PID" && wait_exit 1000 || fail "still running after two signals"; }
game_over() { wait_exit 90000 || fail "the hero still lives after 90 s"; } # standing still till the enemies win

# `ghoulrun | head -1`, or with standard error in the pipe too: the game plays on after head goes.
piped_to_head() {
    mkfifo "$WORK/pipe"
    head -n 1 <"$WORK/pipe" >"$WORK/head" & local head=$!
    GAME_OUT="$WORK/pipe" GAME_ERR=$([ "$1" = both ] && echo "$WORK/pipe") launch
    wait_for 30000 "head never had its line" eval "! kill -0 $head 2>/dev/null"
    plays_on "the pipe's reader going away"
}

recording_stdout_closed() { GAME_OUT=closed launch --record "$WORK/run.rec" && plays_on "starting with standard output closed"; }

recording_to() {
    playing --record "$1" && wait_for 20000 "no line on standard error" grep -q . "$WORK/stderr" && plays_on "the failed recording"
}

recording_past_limit() { GAME_FILE_LIMIT=1 recording_to "$WORK/run.rec"; } # 1 KiB, as on a nearly full disk

# make install into a fresh prefix: the game started through its bin/ link from elsewhere is the
# installed one, in its data, and writes nothing where it was started.
installed() {
    local prefix="$WORK/prefix with space"
    make -s -C "$GHOULRUN_SOURCE_DIR" -o build install PREFIX="$prefix" \
        BUILD_DIR="$GHOULRUN_BUILD_DIR" >"$WORK/install.log" 2>&1 || fail "make install failed"
    mkdir "$WORK/home"
    GAME_FOLDER="$WORK/home" GAME_CMD="$prefix/bin/ghoulrun" playing
    [ "$(readlink "/proc/$GAME_PID/exe")" = "$prefix/games/ghoulrun" ] || fail "the link did not start the installed game"
    [ "$(readlink "/proc/$GAME_PID/cwd")" = "$prefix/share/games/ghoulrun" ] || fail "the game does not run in its data"
}

IFS='|' read -r _ start end status report stderr < <(grep "^$NAME " <<<"$ENDINGS")
[ -n "${start:-}" ] || fail "no such case"
read -r -a start <<<"${start//@WORK@/$WORK}"
"${start[@]}"
$end
note "ended after $ENDED_AFTER_MS ms with status $STATUS"
expect_status $status # split: a case may allow two
[ $report = no ] || expect_report
stderr=$(sed -e 's/^ *//' -e 's/ *$//' -e "s|@WORK@|$WORK|g" <<<"$stderr")
[ "$stderr" = - ] || expect_stderr "$stderr"
[ ! -s "$WORK/stderr.script" ] || fail "script(1) said: $(head -n 3 "$WORK/stderr.script")"
# A signal in the game over lands there; a recording that failed, or with standard output closed,
# replays to its last whole frame, one past the file limit kept to it; installed, it writes nothing.
[[ "$NAME" != *_in_game_over ]] || { [ "$SURVIVED" -ge 9 ] && [ "$SURVIVED" -le 15 ]; } || fail "survived $SURVIVED s: not in the game over"
[[ "$NAME" != lost_display_* ]] || grep -qx 'volume = 90' "$XDG_CONFIG_HOME/ghoulrun/settings.ini" ||
    fail "the volume turned down was lost with the display"
if [[ " $RECORDED " == *" $NAME "* ]]; then
    [ -f "$WORK/run.rec" ] || fail "no recording in $WORK/run.rec"
    [ "$NAME" != record_file_limit ] || [ "$(stat -c %s "$WORK/run.rec")" -le 1024 ] || fail "the recording grew past the limit"
    result=$(set -o pipefail && cd "$GHOULRUN_GAME_DIR" &&
        timeout 60 ./ghoulrun --replay "$WORK/run.rec" --headless 2>&1 | tail -n 1) ||
        fail "the recording's replay ended with status $?: $result"
    grep -q '^replay: [1-9][0-9]* frames, state [0-9a-f]*$' <<<"$result" || fail "the recording does not replay: $result"
fi
[ ! -d "$WORK/home" ] || [ -z "$(ls -A "$WORK/home")" ] || fail "the game wrote into the folder it was started from"
note "passed"
