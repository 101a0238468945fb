# Shared driver for the real-window scenarios, sourced by each of them (bash).
#
# A scenario gets its own Xvfb on a free display, a fresh copy of the run folder, and runs the
# real game there with SDL's disk audio driver, so what the player would hear lands in a file.
# Keys go to the game window with xdotool; screenshots come from ImageMagick's import.
# Everything it starts is stopped on exit, whatever happens.
#
# The game runs only when the scenario lets it. Once it plays, it stands frozen (game_freeze.cpp:
# the process and its clock stop together) while the scenario sends keys, takes screenshots and
# looks at them, and runs for the stretches the scenario asks for (run_game_for, run_until_lines).
# So nothing the game does depends on how fast this machine runs xdotool, import or convert: the
# keys are all there on the game's first frame after a freeze, and an enemy walks only through
# the time the game was let run. The audio file stops with the game, so its bytes count the time
# the game ran.
#
# From ctest (suite.cmake): GHOULRUN_GAME_DIR (the run folder), E2E_TOOLS (our helper programs),
# E2E_ARTIFACTS (where a failed scenario leaves its screenshots, audio and console output).

set -u

E2E_NAME=${E2E_NAME:-$(basename "$0" .sh)}
E2E_TITLE="Ghoulrun"
E2E_WIDTH=800
E2E_HEIGHT=600

E2E_WORK=""
XVFB_PID=""
GAME_PID=""
GAME_STATUS=""
WIN=""

# ---------------------------------------------------------------------------------------------
# Reporting and cleanup

now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

E2E_T0=$(now_ms)

note() {
    printf '[%s +%5d ms] %s\n' "$E2E_NAME" $(($(now_ms) - E2E_T0)) "$*"
}

fail() {
    printf '[%s] FAIL: %s\n' "$E2E_NAME" "$*" >&2
    E2E_FAILED=1
    exit 1
}

E2E_FAILED=0

e2e_cleanup() {
    local status=$?
    [ -z "$WATCHDOG_PID" ] || kill -TERM "$WATCHDOG_PID" 2>/dev/null
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill -CONT "$GAME_PID" 2>/dev/null
        kill -TERM "$GAME_PID" 2>/dev/null
        sleep 0.2
        kill -KILL "$GAME_PID" 2>/dev/null
    fi
    if [ -n "$XVFB_PID" ]; then
        kill -TERM "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    if [ -n "$E2E_WORK" ] && [ -d "$E2E_WORK" ]; then
        if [ "$status" -ne 0 ] || [ "$E2E_FAILED" -ne 0 ]; then
            keep_artifacts
        fi
        rm -rf "$E2E_WORK"
    fi
    exit "$status"
}

# On failure: the console output, the screenshots and the audio go to E2E_ARTIFACTS/<scenario>.
keep_artifacts() {
    local into=${E2E_ARTIFACTS:-}
    [ -n "$into" ] || return 0
    into="$into/$E2E_NAME"
    rm -rf "$into"
    mkdir -p "$into"
    cp "$E2E_WORK"/*.png "$E2E_WORK"/*.txt "$E2E_WORK"/*.log "$E2E_WORK"/*.raw "$into"/ 2>/dev/null
    for console in stdout stderr; do
        if [ -f "$E2E_WORK/$console" ]; then
            cp "$E2E_WORK/$console" "$into/game.$console"
            echo "---- game $console (last lines) ----" >&2
            tail -n 15 "$E2E_WORK/$console" >&2
        fi
    done
    echo "artifacts kept in $into" >&2
}

trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# ---------------------------------------------------------------------------------------------
# Set-up

need_tools() {
    local missing=""
    for tool in Xvfb xdotool xwininfo import convert identify awk timeout; do
        command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
    done
    for tool in ghoulrun_close_window ghoulrun_audio_probe; do
        [ -x "$E2E_TOOLS/$tool" ] || missing="$missing $E2E_TOOLS/$tool"
    done
    [ -f "$FREEZE_LIBRARY" ] || missing="$missing $FREEZE_LIBRARY"
    [ -z "$missing" ] || fail "missing tools:$missing (scripts/bootstrap.sh installs them)"
}

# Sets up the work folder and a watchdog: after E2E_LIMIT seconds (default 50) the scenario
# fails and cleans up on its own, before ctest's harder time limit strikes.
WATCHDOG_PID=""
e2e_begin() {
    : "${GHOULRUN_GAME_DIR:?run folder not given}"
    : "${E2E_TOOLS:?helper folder not given}"
    need_tools
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-e2e-$E2E_NAME.XXXXXX")
    note "work folder $E2E_WORK"
    (
        trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
        sleep "${E2E_LIMIT:-50}" &
        sleeper=$!
        wait "$sleeper" || exit 0
        echo "[$E2E_NAME] FAIL: still running after ${E2E_LIMIT:-50} s" >&2
        kill -TERM $$
    ) &
    WATCHDOG_PID=$!
}

# Starts Xvfb on a display number it picks itself (its screen E2E_SCREEN, by default 1024x768x24)
# and waits until it takes connections.
start_xvfb() {
    local fifo="$E2E_WORK/display.txt"
    : >"$fifo"
    Xvfb -displayfd 5 -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -noreset 5>"$fifo" \
        >"$E2E_WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local waited=0
    while ! grep -q '^[0-9][0-9]*$' "$fifo" 2>/dev/null; do
        kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
        [ $waited -lt 100 ] || fail "Xvfb gave no display number within 10 s"
        sleep 0.1
        waited=$((waited + 1))
    done
    export DISPLAY=":$(head -n 1 "$fifo")"
    note "Xvfb on $DISPLAY"
}

# Copies the run folder (binary, images/, sfx/, pompeii.ogg) into the work folder.
copy_run_folder() {
    [ -x "$GHOULRUN_GAME_DIR/ghoulrun" ] || fail "no game binary in $GHOULRUN_GAME_DIR"
    mkdir -p "$E2E_WORK/run"
    cp -R "$GHOULRUN_GAME_DIR"/. "$E2E_WORK/run/"
}

AUDIO_FILE=""
GAME_LAUNCH_MS=0
FREEZE_LIBRARY="${E2E_TOOLS:-}/libghoulrun_game_freeze.so"

# Runs a game command (default: ./ghoulrun in the copied run folder) with the disk audio driver,
# the freezing library preloaded, stdin closed, stdout and stderr into files. The game runs until
# the scenario first freezes it. Usage: launch_game [folder [command...]]
launch_game() {
    local folder=${1:-$E2E_WORK/run}
    shift || true
    [ $# -gt 0 ] || set -- ./ghoulrun
    AUDIO_FILE="$E2E_WORK/audio.raw"
    rm -f "$AUDIO_FILE"
    GAME_LAUNCH_MS=$(run_clock)
    (
        cd "$folder" || exit 127
        exec env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO_FILE" \
            LD_PRELOAD="$FREEZE_LIBRARY${LD_PRELOAD:+:$LD_PRELOAD}" "$@" \
            </dev/null >"$E2E_WORK/stdout" 2>"$E2E_WORK/stderr"
    ) &
    GAME_PID=$!
    note "game started (pid $GAME_PID)"
}

game_running() { [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; }

# ---------------------------------------------------------------------------------------------
# Freezing and running

GAME_FROZEN=""
FROZEN_SINCE=0
FROZEN_TOTAL_MS=0

# The time the game has been let run, in ms of the wall clock less the time it stood frozen: the
# game's own clock, as the scenario counts it. Stands still while the game is frozen.
run_clock() {
    if [ -n "$GAME_FROZEN" ]; then
        echo $((FROZEN_SINCE - FROZEN_TOTAL_MS))
    else
        echo $(($(now_ms) - FROZEN_TOTAL_MS))
    fi
}

# Freezes the game: asks the preloaded library to stop the process with its clock, and waits until
# every thread stands still. Returns 1 if the game has ended (or ends meanwhile).
freeze_game() {
    [ -z "$GAME_FROZEN" ] || return 0
    game_running || return 1
    kill -USR1 "$GAME_PID" 2>/dev/null || return 1
    FROZEN_SINCE=$(now_ms)
    GAME_FROZEN=1
    local waited=0 states
    while :; do
        # Each thread's state is the field after its name in brackets: T once it has stopped, Z
        # once the game has ended.
        states=$(sed -E 's/^.*\) (.) .*$/\1/' /proc/"$GAME_PID"/task/*/stat 2>/dev/null | tr -d '\n')
        case "$states" in
            "" | *Z* | *X*) return 1 ;;
            *[!Tt]*) ;;
            *) break ;;
        esac
        [ $waited -lt 1000 ] || fail "the game did not stop within 10 s of being asked to"
        sleep 0.01
        waited=$((waited + 1))
    done
    audio_mark
}

# Lets a frozen game run on from where it stopped.
thaw_game() {
    [ -n "$GAME_FROZEN" ] || return 0
    kill -CONT "$GAME_PID" 2>/dev/null
    FROZEN_TOTAL_MS=$((FROZEN_TOTAL_MS + $(now_ms) - FROZEN_SINCE))
    GAME_FROZEN=""
}

# Lets the game run for the given seconds, then freezes it again. Returns 1 if it ended meanwhile.
run_game_for() {
    thaw_game
    sleep "$1"
    freeze_game
}

# Lines of the game's standard output that match a pattern (grep -E).
count_lines() { grep -a -c -E "$1" "$E2E_WORK/stdout" 2>/dev/null; }

# Lets the game run until its standard output holds COUNT lines matching PATTERN, then freezes it.
# Returns 1 if that takes more than LIMIT ms of the game's time (default 3000), or the game ends.
# Usage: run_until_lines PATTERN COUNT [LIMIT_MS]
run_until_lines() {
    local pattern=$1 count=$2 limit=${3:-3000} start
    start=$(run_clock)
    thaw_game
    while [ "$(count_lines "$pattern")" -lt "$count" ]; do
        game_running || return 1
        [ $(($(run_clock) - start)) -lt "$limit" ] || { freeze_game; return 1; }
        sleep 0.02
    done
    freeze_game
}

# Waits for the window titled "Ghoulrun"; sets WIN.
wait_window() {
    local limit_ms=${1:-15000}
    local start
    start=$(now_ms)
    WIN=""
    while [ -z "$WIN" ]; do
        WIN=$(xdotool search --name "^${E2E_TITLE}\$" 2>/dev/null | head -n 1)
        [ -n "$WIN" ] && break
        game_running || fail "the game ended before it opened its window"
        [ $(($(now_ms) - start)) -lt "$limit_ms" ] || fail "no window titled $E2E_TITLE"
        sleep 0.1
    done
    note "window $WIN"
}

# Waits until the frame loop runs: the hero is built and the screen is no longer black or blue.
# The game is frozen when it returns; PLAYING_OFFSET is the audio file's size then.
PLAYING_OFFSET=0
wait_playing() {
    local limit_ms=${1:-20000}
    local start
    start=$(now_ms)
    while :; do
        game_running || fail "the game ended during start-up"
        if grep -q '^Loading Player' "$E2E_WORK/stdout" 2>/dev/null; then
            freeze_game || fail "the game ended during start-up"
            shot ready
            if [ "$(share_of_colour ready '#000000')" -lt 50 ] &&
                [ "$(share_of_colour ready '#0000FF')" -lt 50 ]; then
                break
            fi
            thaw_game
        fi
        [ $(($(now_ms) - start)) -lt "$limit_ms" ] || fail "the game did not start playing"
        sleep 0.05
    done
    PLAYING_OFFSET=$(audio_size)
    note "playing"
}

# Starts Xvfb and the game from a fresh run folder and waits until it plays; it is then frozen.
start_game() {
    start_xvfb
    copy_run_folder
    launch_game
    wait_window
    wait_playing
}

# ---------------------------------------------------------------------------------------------
# Input

# Keys are sent to a frozen game (it is frozen first if need be) and stay frozen: the game finds
# them all waiting when it runs next, and takes one event per frame, in order.

# Presses and lets go of each key in turn. Usage: press_keys KEY...
press_keys() {
    freeze_game || fail "the game ended by itself"
    xdotool key --delay 0 --window "$WIN" "$@" || fail "xdotool could not send $*"
}

key_down() {
    freeze_game || fail "the game ended by itself"
    xdotool keydown --window "$WIN" "$1" || fail "xdotool could not press $1"
}

key_up() {
    freeze_game || fail "the game ended by itself"
    xdotool keyup --window "$WIN" "$1" || fail "xdotool could not let go of $1"
}

close_window() {
    freeze_game || fail "the game ended by itself"
    "$E2E_TOOLS/ghoulrun_close_window" --id "$WIN" || fail "could not ask the window to close"
}

# Lets the game run until it has taken every key sent so far: p goes after them, and its position
# report shows it was taken, so the frames of the keys before it have been shown. Frozen again
# on return. (The hero takes no key while it swings or dies.)
settle_keys() {
    local before
    before=$(count_lines '^WORLD : ')
    press_keys p
    run_until_lines '^WORLD : ' $((before + 1)) || fail "p printed no position"
}

# ---------------------------------------------------------------------------------------------
# Pictures

# Screenshot of the game window into $E2E_WORK/NAME.png, taken with the game frozen (it stays so).
# (import can wait for ever on a window that goes away while it grabs, hence the time limit.)
shot() {
    freeze_game || fail "the game ended by itself"
    timeout 20 import -window "$WIN" "$E2E_WORK/$1.png" 2>>"$E2E_WORK/import.log" ||
        fail "could not take screenshot $1"
}

# Per mille of a screenshot's pixels that are exactly the given colour (optionally in a region).
share_of_colour() {
    local crop=()
    [ $# -ge 3 ] && crop=(-crop "$3" +repage)
    convert "$E2E_WORK/$1.png" "${crop[@]}" -alpha off \( +clone -fill "$2" -colorize 100 \) \
        -compose difference -composite -colorspace gray -threshold 0 -negate \
        -format '%[fx:int(1000*mean+0.5)]' info:
}

# Per mille of the pixels that differ between two screenshots (optionally in a region).
share_changed() {
    local crop=()
    [ $# -ge 3 ] && crop=(-crop "$3" +repage)
    convert "$E2E_WORK/$1.png" "$E2E_WORK/$2.png" "${crop[@]}" -compose difference -composite \
        -colorspace gray -threshold 1% -format '%[fx:int(1000*mean+0.5)]' info:
}

# Per mille of the pixels that differ between two screenshots, leaving out a box "WxH+X+Y"
# (where a piece stands) from both; optionally only within a region.
share_changed_outside() {
    local w h x y crop=()
    IFS='x+' read -r w h x y <<<"$3"
    [ $# -ge 4 ] && crop=(-crop "$4" +repage)
    convert "$E2E_WORK/$1.png" "$E2E_WORK/$2.png" -fill black \
        -draw "rectangle $x,$y $((x + w - 1)),$((y + h - 1))" "${crop[@]}" \
        -compose difference -composite -colorspace gray -threshold 1% \
        -format '%[fx:int(1000*mean+0.5)]' info:
}

# ---------------------------------------------------------------------------------------------
# Sound: the disk driver writes the mix as the game runs, and stops with it when it is frozen, so
# byte offsets map to the time the game ran (run_clock).

AUDIO_MARKS=""

audio_size() { stat -c %s "$AUDIO_FILE" 2>/dev/null || echo 0; }

# Remembers "run_clock ms, audio file size" now (also in MARK_MS and MARK_SIZE); the marks give
# the file's byte rate. Every freeze makes one.
MARK_MS=0
MARK_SIZE=0
audio_mark() {
    MARK_SIZE=$(audio_size)
    MARK_MS=$(run_clock)
    AUDIO_MARKS="$AUDIO_MARKS$MARK_MS $MARK_SIZE
"
}

# Milliseconds of sound in a number of bytes of the file. Usage: audio_ms BYTES RATE
audio_ms() { echo $(($1 * 1000 / $2)); }

# Bytes of audio per second, measured from the first and last marks and snapped to the nearest
# common device rate (the compatibility layer may run the device faster than the game asked).
audio_byte_rate() {
    printf '%s' "$AUDIO_MARKS" | awk '
        NF == 2 && $2 > 0 { if (t0 == "") { t0 = $1; s0 = $2 } t1 = $1; s1 = $2 }
        END {
            if (t1 - t0 < 500) { print 0; exit }
            measured = (s1 - s0) * 1000 / (t1 - t0)
            best = 0
            split("11025 22050 44100 48000", rates, " ")
            for (i = 1; i <= 4; i++) {
                r = rates[i] * 4
                d = measured - r; if (d < 0) d = -d
                if (best == 0 || d < bestd) { best = r; bestd = d }
            }
            print best
        }'
}

# Loudness windows of the audio file: "<ms since byte FROM> <rms> <peak> <edge rms>" lines.
audio_levels() {
    local rate=$1 window_ms=$2 from=${3:-0}
    "$E2E_TOOLS/ghoulrun_audio_probe" "$AUDIO_FILE" --rate $((rate / 4)) --window "$window_ms" \
        --from "$from"
}

# ---------------------------------------------------------------------------------------------
# The end of the game

# Lets the game run and waits for it to end within the limit (ms); sets GAME_STATUS, GAME_END_MS
# (on the run clock) and AUDIO_END (the audio file's final size).
wait_exit() {
    local limit_ms=$1
    local start
    thaw_game
    start=$(now_ms)
    while game_running; do
        if [ $(($(now_ms) - start)) -ge "$limit_ms" ]; then
            return 1
        fi
        sleep 0.05
    done
    GAME_END_MS=$(run_clock)
    wait "$GAME_PID"
    GAME_STATUS=$?
    GAME_PID=""
    AUDIO_END=$(audio_size)
    return 0
}

# Standard error, less the two notices SDL's disk audio driver always prints (the test's doing).
game_stderr() {
    grep -v -e '^CRITICAL: You are using the SDL disk i/o audio driver!$' \
        -e '^CRITICAL:  Writing to file \[.*\]\.$' "$E2E_WORK/stderr"
}

expect_no_stderr() {
    local extra
    extra=$(game_stderr)
    [ -z "$extra" ] || fail "the game wrote to standard error: $extra"
}

# ---------------------------------------------------------------------------------------------
# What the screen should show, built from the game's own pictures in the run folder.

HERO_KEY='#001EFF'  # colour key of the backgrounds, the bar and the hero's pictures
ENEMY_KEY='#00FFFF' # colour key of the enemies' pictures and the two meters
FILL_BLUE='#0000FF' # what the frame loop paints before anything is drawn

picture() { echo "$E2E_WORK/run/images/$1.bmp"; }

# "width height" of one of the game's pictures.
picture_size() {
    local size="$E2E_WORK/size-$1.txt"
    [ -f "$size" ] || identify -format '%w %h' "$(picture "$1")" >"$size"
    cat "$size"
}

# The scene without any piece: background NAME with its left edge at X, the status bar and the
# two full meters. Written to OUT.png. Usage: expected_scene OUT NAME X
expected_scene() {
    local out=$1 background=$2 x=$3
    convert -size ${E2E_WIDTH}x${E2E_HEIGHT} "xc:$FILL_BLUE" \
        \( "$(picture "$background")" -alpha set -transparent "$HERO_KEY" \) \
        -geometry "$(printf '%+d+0' "$x")" -composite \
        \( "$(picture bar)" -alpha set -transparent "$HERO_KEY" \) -geometry +10+514 -composite \
        \( "$(picture health)" -alpha set -transparent "$ENEMY_KEY" \) -geometry +220+538 -composite \
        \( "$(picture ammo)" -alpha set -transparent "$ENEMY_KEY" \) -geometry +220+560 -composite \
        -alpha off "$E2E_WORK/$out.png"
}

# The box "WxH+X+Y" a hero picture covers when standing on (X, Y).
hero_box() {
    local w h
    read -r w h < <(picture_size "$1")
    echo "${w}x${h}+$2+$(($3 - h))"
}

# Asks the hero where it is with the p key. Sets HERO_X, HERO_Y (screen, as printed), HERO_WORLD_X
# and SCROLL_X (the world's scroll: screen x minus world x), and HERO_PX/HERO_PY, the whole pixel
# it is drawn at.
HERO_X=""
HERO_Y=""
HERO_WORLD_X=""
SCROLL_X=""
hero_report() {
    settle_keys
    IFS=, read -r HERO_X HERO_Y < <(grep -a '^SCREEN: ' "$E2E_WORK/stdout" | tail -n 1 | sed 's/^SCREEN: //')
    IFS=, read -r HERO_WORLD_X _ < <(grep -a '^WORLD : ' "$E2E_WORK/stdout" | tail -n 1 | sed 's/^WORLD : //')
    SCROLL_X=$(awk -v s="$HERO_X" -v w="$HERO_WORLD_X" 'BEGIN { printf "%.0f", s - w }')
    HERO_PX=$(awk -v v="$HERO_X" 'BEGIN { printf "%d", int(v) }')
    HERO_PY=$(awk -v v="$HERO_Y" 'BEGIN { printf "%d", int(v) }')
    note "hero at $HERO_X,$HERO_Y on the screen, world scrolled by $SCROLL_X"
}

# Where the background's left edge is for a scroll: the world clamps it between 803 - width and 0.
background_x() {
    local width
    read -r width _ < <(picture_size "$1")
    awk -v s="$2" -v w="$width" 'BEGIN { x = int(s); if (x > 0) x = 0; if (803 - w > x) x = 803 - w; print x }'
}

# Where no piece is ever drawn: above the tallest piece standing at the top of the street, and
# between the street's lower edge and the status bar. The background there is exactly visible.
SKY_STRIP=800x30+0+0
KERB_STRIP=800x28+0+486

# Tolerances of the picture checks, in per mille.
STRIP_TOLERANCE=5  # of the piece-free strips
HERO_TOLERANCE=20  # of the hero's opaque pixels: what may differ from its picture
HERO_DIFFERENT=150 # of the hero's opaque pixels: what tells two pictures apart
SCENE_DIFFERENT=100 # of the strips: what tells two backgrounds (or scrolls) apart

# Per mille of the piece-free strips that differ between two screenshots (the larger of the two).
strips_changed() {
    local sky kerb
    sky=$(share_changed "$1" "$2" "$SKY_STRIP")
    kerb=$(share_changed "$1" "$2" "$KERB_STRIP")
    echo $((sky > kerb ? sky : kerb))
}

# Per mille of a hero picture's opaque pixels that a screenshot does not show as they are, for
# the picture standing on (X, Y), "plain" or "mirrored". The hero is drawn over every other
# piece, so enemies behind it do not count. Usage: hero_off SHOT PICTURE X Y WAY
hero_off() {
    local shot=$1 name=$2 x=$3 y=$4 flip=() w h
    local sprite="$E2E_WORK/sprite-$2-$5.png"
    read -r w h < <(picture_size "$name")
    # The picture as drawn, and the count of its opaque pixels, are made once per scenario.
    if [ ! -f "$sprite.opaque" ]; then
        [ "$5" = mirrored ] && flip=(-flop)
        convert "$(picture "$name")" -alpha set -transparent "$HERO_KEY" "${flip[@]}" "$sprite"
        convert "$sprite" -alpha extract -format '%[fx:int(mean*w*h+0.5)]' info: >"$sprite.opaque"
    fi
    local opaque differ
    opaque=$(cat "$sprite.opaque")
    differ=$(convert "$E2E_WORK/$shot.png" -crop "${w}x${h}+${x}+$((y - h))" +repage \
        \( +clone "$sprite" -composite \) -alpha off -compose difference -composite \
        -colorspace gray -threshold 1% -format '%[fx:int(mean*w*h+0.5)]' info:)
    [ "$opaque" -gt 0 ] || fail "picture $name is all transparent"
    echo $((1000 * differ / opaque))
}

# hero_off at the best of x - 1, x and x + 1: the position report prints six significant
# digits, so 495.99996 reads as 496 while the hero is drawn at 495.
hero_off_near() {
    local shot=$1 name=$2 x=$3 y=$4 way=$5 best=1001 off
    for dx in 0 -1 1; do
        off=$(hero_off "$shot" "$name" $((x + dx)) "$y" "$way")
        [ "$off" -lt "$best" ] && best=$off
        [ "$best" -eq 0 ] && break
    done
    echo "$best"
}

# The hero standing on (x, y) must look like PICTURE drawn "plain" or "mirrored", and clearly
# unlike the other way round. Usage: expect_hero SHOT PICTURE X Y WAY
expect_hero() {
    local shot=$1 name=$2 x=$3 y=$4 way=$5 other=mirrored off against
    [ "$way" = mirrored ] && other=plain
    off=$(hero_off_near "$shot" "$name" "$x" "$y" "$way")
    against=$(hero_off_near "$shot" "$name" "$x" "$y" "$other")
    note "$shot: hero on ($x, $y) $off per mille off $way $name, $against off $other"
    [ "$off" -le "$HERO_TOLERANCE" ] || fail "the hero is not drawn as $way $name ($off per mille off)"
    [ "$against" -ge "$HERO_DIFFERENT" ] || fail "the hero looks as much $other as $way"
}

# The background NAME at SCROLL (clamped as the world clamps it) must show in the piece-free
# strips of a screenshot.
expect_background() {
    local shot=$1 name=$2 scroll=$3 x off
    x=$(background_x "$name" "$scroll")
    expected_scene "bg-$name" "$name" "$x"
    off=$(strips_changed "$shot" "bg-$name")
    note "$shot: $off per mille off $name at x $x"
    [ "$off" -le "$STRIP_TOLERANCE" ] || fail "$shot does not show $name at x $x ($off per mille off)"
}
