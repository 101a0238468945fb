# The real game on an X server of its own, for the end-to-end scenarios, the endings and the soak:
# the game stands frozen with its clock (game_freeze.cpp) while a scenario types and looks, and runs
# only for the stretches it asks for, so what it checks does not hang on the machine's speed.
# From ctest: GHOULRUN_GAME_DIR, E2E_TOOLS, E2E_ARTIFACTS (a failed test's files), E2E_LIMIT (s).
set -u

NAME=${NAME:-$(basename "$0" .sh)}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-$NAME.XXXXXX")
STARTED=""    # stopped on exit: X servers, window managers, other windows
STATUS_PID="" # whose exit status is the game's, when something runs it (script(1))
GAME_PID="" GAME_FOLDER="$WORK/run" GAME_ENV=() AUDIO_FILE="" FRAME_FILE=""

# The game keeps its best runs and settings here, never in the machine's own home.
export XDG_DATA_HOME="$WORK/data" XDG_CONFIG_HOME="$WORK/config"
BEST_RUNS="$XDG_DATA_HOME/ghoulrun/best-runs"

now_ms() { local t=${EPOCHREALTIME/./} && echo $((10#$t / 1000)); }
T0=$(now_ms)
note() { printf '[%s +%6d ms] %s\n' "$NAME" $(($(now_ms) - T0)) "$*"; }
fail() { printf '[%s] FAIL: %s\n' "$NAME" "$*" >&2; exit 1; }

cleanup() {
    local status=$? into="${E2E_ARTIFACTS:-}/$NAME"
    kill -CONT $GAME_PID 2>/dev/null
    kill -KILL $GAME_PID $STATUS_PID 2>/dev/null
    kill -TERM $STARTED 2>/dev/null
    wait 2>/dev/null
    if [ "$status" -ne 0 ] && [ -n "${E2E_ARTIFACTS:-}" ]; then
        rm -rf "$into" && mkdir -p "$into"
        cp "$WORK"/*.png "$WORK"/*.txt "$WORK"/*.log "$WORK"/*.raw "$WORK"/std* "$into"/ 2>/dev/null
        tail -n 8 "$WORK"/stdout "$WORK"/stderr >&2 2>/dev/null
        echo "files kept in $into" >&2
    fi
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Gives up, cleaning up, before ctest's limit kills it; its sleep holds none of ctest's pipes.
if [ -n "${E2E_LIMIT:-}" ]; then
    (sleep "$E2E_LIMIT" >/dev/null 2>&1 && echo "[$NAME] FAIL: running after $E2E_LIMIT s" >&2 && kill $$) </dev/null &
    STARTED="$STARTED $!"
fi

# Polls COMMAND... until it succeeds; fails with MESSAGE after LIMIT ms of the wall clock.
wait_for() { # LIMIT_MS MESSAGE COMMAND...
    local limit=$1 message=$2 start
    start=$(now_ms) && shift 2
    until "$@"; do [ $(($(now_ms) - start)) -lt "$limit" ] && sleep 0.02 || fail "$message"; done
}

# Starts Xvfb with a screen of SIZE (default 1024x768x24) on a display it picks; exports DISPLAY.
start_xvfb() {
    local number="$WORK/display.$BASHPID" # the soak starts one for each player at once
    Xvfb -displayfd 5 -screen 0 "${1:-1024x768x24}" -nolisten tcp -noreset 5>"$number" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$! STARTED="$STARTED $!"
    wait_for 10000 "Xvfb did not start (xvfb.log)" grep -qs '^[0-9]' "$number"
    export DISPLAY=":$(head -n 1 "$number")"
}

# Stops the X server start_xvfb started, and whatever ran on it.
stop_xvfb() { kill -TERM "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=""; }

# Starts GAME_CMD (default ./ghoulrun) with the arguments, GAME_ENV, GAME_FILE_LIMIT KiB, in
# GAME_FOLDER (default: a copy of the run folder), reading GAME_IN or nothing, writing GAME_OUT and
# GAME_ERR ("closed": closed) or $WORK's.
launch() {
    local out=${GAME_OUT:-$WORK/stdout} err=${GAME_ERR:-$WORK/stderr}
    [ -d "$GAME_FOLDER" ] || cp -R "${GHOULRUN_GAME_DIR:?no run folder}" "$GAME_FOLDER"
    : >"$WORK/stdout" && : >"$WORK/stderr"
    (
        cd "$GAME_FOLDER" || exit 127
        if [ "$out" = closed ]; then exec >&-; else exec >"$out"; fi
        exec 2>"$err" <"${GAME_IN:-/dev/null}"
        [ -z "${GAME_FILE_LIMIT:-}" ] || ulimit -f "$GAME_FILE_LIMIT"
        exec env "${GAME_ENV[@]}" "${GAME_CMD:-./ghoulrun}" "$@"
    ) &
    GAME_PID=$! NOT_GAME_MS=$(now_ms)
    note "game started (pid $GAME_PID): ${GAME_CMD:-./ghoulrun} $*"
}

running() { [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; }
count_lines() { grep -a -c -E "$1" "$WORK/stdout"; }
# The last line of start-up: the roster is built, the first frame comes.
wait_started() { wait_for 30000 "the game did not start" grep -q '^Loading Player' "$WORK/stdout"; }

# Lets the game run up to LIMIT ms to end (else false); sets STATUS, ENDED_AFTER_MS, GAME_END_MS
# (on the game's clock) and AUDIO_END.
wait_exit() {
    local start
    thaw_game && start=$(now_ms)
    while running; do [ $(($(now_ms) - start)) -lt "$1" ] && sleep 0.01 || return 1; done
    ENDED_AFTER_MS=$(($(now_ms) - start)) GAME_END_MS=$(run_clock) AUDIO_END=$(audio_size)
    wait "${STATUS_PID:-$GAME_PID}"
    STATUS=$? GAME_PID="" STATUS_PID=""
}

expect_status() { [[ " $* " == *" $STATUS "* ]] || fail "ended with status $STATUS, not $*"; }

# Standard error must be exactly LINE, or empty; the disk audio driver's notices are ours.
expect_stderr() {
    local got=$(grep -a -v -e '^CRITICAL: You are using the SDL disk i/o audio driver!$' \
        -e '^CRITICAL:  Writing to file \[.*\]\.$' "$WORK/stderr")
    [ "$got" = "${1:-}" ] || fail "standard error is \"$got\", not \"${1:-}\""
}

expect_report() { # the end-of-run report, three lines; sets SURVIVED
    local report=$(tr -d '\r' <"$WORK/stdout" | grep -a -A 2 'You completed [0-9][0-9]* of the endurance$')
    SURVIVED=$(sed -n 's/^You survived for \([0-9][0-9]*\) seconds$/\1/p' <<<"$report")
    [ -n "$SURVIVED" ] && [ "$(sed -n 3p <<<"$report")" = "GAME OVER" ] || fail "no end-of-run report: $report"
}

# Freezing: run_clock is the time the game has been let run since its launch, as it counts it.

FROZEN="" NOT_GAME_MS=0 # wall-clock time that is not the game's: before its launch, and while frozen
run_clock() { echo $((${FROZEN:-$(now_ms)} - NOT_GAME_MS)); }

# Every thread's state follows its name in brackets: T once stopped, Z once the game has ended.
all_threads_stopped() {
    case "$(sed -E 's/^.*\) (.) .*$/\1/' /proc/"$GAME_PID"/task/*/stat 2>/dev/null | tr -d '\n')" in
        "" | *[ZX]*) GAME_ENDED=1 ;;
        *[!Tt]*) return 1 ;;
    esac
}

# Until every thread stands still (or fail if the game ends); notes its clock MARK_MS and MARK_SIZE.
await_freeze() { # LIMIT_MS MESSAGE
    GAME_ENDED=""
    wait_for "$1" "$2" all_threads_stopped
    [ -z "$GAME_ENDED" ] || fail "the game ended by itself"
    FROZEN=$(now_ms) MARK_MS=$(od -An -t u8 -j 8 -N 8 "$FRAME_FILE" | tr -d ' ') MARK_SIZE=$(audio_size)
}

freeze_game() {
    [ -z "$FROZEN" ] || return 0
    running && kill -USR1 "$GAME_PID" 2>/dev/null || fail "the game ended by itself"
    await_freeze 10000 "the game did not stop within 10 s of being asked to"
}

thaw_game() { # [MS]: the game freezes itself on the first frame after that much of its time
    [ -n "$FROZEN" ] || return 0
    echo "${1:-0}" >"$WORK/run_for"
    kill -CONT "$GAME_PID" 2>/dev/null
    NOT_GAME_MS=$((NOT_GAME_MS + $(now_ms) - FROZEN)) FROZEN=""
}

# Lets the game run for MS of its own time; it freezes itself on the first frame after them.
run_game_for() { freeze_game; thaw_game "$1"; await_freeze $(($1 + 30000)) "the game did not stop after $1 ms of play"; }

# Lets the game run until COMMAND... succeeds; the limit is its time too, which then keeps pace.
run_until() { thaw_game; wait_for "$@"; freeze_game; } # LIMIT_MS MESSAGE COMMAND...

# A paused game shows no frames to freeze on: it runs for SECONDS of the wall clock instead.
run_paused_game_for() { thaw_game; sleep "$1"; freeze_game; }

frames_shown() { od -An -t u8 -N 8 "$FRAME_FILE" 2>/dev/null | tr -d ' ' | grep . || echo 0; } # as the freeze library counts

# The game in a window, heard through the disk audio driver.

use_window() {
    AUDIO_FILE="$WORK/audio.raw" FRAME_FILE="$WORK/frames"
    GAME_ENV=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO_FILE" LD_PRELOAD="${E2E_TOOLS:-}/libghoulrun_game_freeze.so"
        GHOULRUN_FRAME_FILE="$FRAME_FILE" GHOULRUN_RUN_FOR_FILE="$WORK/run_for" GHOULRUN_FREEZE_AT_FIRST_FRAME=1)
}

window_size() { xwininfo -id "$WIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
find_window() {
    WIN=$(xdotool search --name '^Ghoulrun$' 2>/dev/null | head -n 1)
    [ -n "$WIN" ] || { running || fail "the game ended before it opened its window"; false; }
}

# Waits for the "Ghoulrun" window (800 x 600, or WINDOW_SIZE), the game frozen on its first frame
# and on until the screen is neither black nor the blue fill; PLAYING_OFFSET: the audio's size.
wait_playing() {
    wait_for 15000 "no window titled Ghoulrun" find_window
    [ "$(window_size)" = "${WINDOW_SIZE:-800x600}" ] || fail "the window is $(window_size), not ${WINDOW_SIZE:-800x600}"
    wait_started
    await_freeze 20000 "the game did not stop on its first frame"
    wait_for 20000 "the game did not start playing" frame_shown
    PLAYING_OFFSET=$MARK_SIZE FIRST_MARK_MS=$MARK_MS
}
frame_shown() {
    shot ready
    [ "$(colour_share ready '#000000')" -lt 50 ] && [ "$(colour_share ready "$FILL_BLUE")" -lt 50 ] || { thaw_game && false; }
}

# Xvfb of SIZE, what COMMAND... starts on it, the game playing, frozen; the shot "city": its scene.
start_game() { # [SIZE [COMMAND...]]; GAME_ARGS: the game's own arguments
    start_xvfb "${1:-}" && "${@:2}"
    use_window && launch ${GAME_ARGS:-} && wait_playing && expected_scene city city2 0
}

# Keys go to the frozen game and wait for it: it takes one event a frame when it runs on.
press_keys() { freeze_game && xdotool key --delay 0 --window "$WIN" "$@" || fail "xdotool could not send $*"; }
hold_key() { freeze_game && xdotool "key$2" --window "$WIN" "$1" || fail "xdotool could not send $1 $2"; } # KEY down|up

# Sends KEY... and p, and runs the game until the p has printed the hero's position: all taken.
settle_keys() {
    local reports=$(count_lines '^WORLD : ')
    press_keys "$@" p
    run_until 3000 "the game did not take its keys within 3 s" eval "[ \$(count_lines '^WORLD : ') -gt $reports ]"
}

# Where the hero is once it has taken KEY...: HERO_X, HERO_Y as printed, HERO_PX, HERO_PY its pixel
# and SCROLL_X the world's scroll (screen x less world x).
hero_report() {
    settle_keys "$@"
    read -r HERO_X HERO_Y HERO_PX HERO_PY SCROLL_X < <(awk -F '[:,] *' '/^SCREEN: / { x = $2; y = $3 }
        /^WORLD : / { w = $2 } END { printf "%s %s %d %d %.0f\n", x, y, int(x), int(y), x - w }' "$WORK/stdout")
    note "hero at $HERO_X,$HERO_Y on the screen, world scrolled by $SCROLL_X"
}

# Pictures: screenshots of the frozen game, against scenes built from the game's own pictures.

HERO_KEY='#001EFF'  # colour key of the backgrounds, the bar and the hero's pictures
ENEMY_KEY='#00FFFF' # colour key of the enemies' pictures and the two meters
FILL_BLUE='#0000FF' # what the frame loop paints before anything is drawn
# Where no piece is ever drawn: above the tallest piece atop the street, and below the street.
SKY_STRIP=800x30+0+0
KERB_STRIP=800x28+0+486
STRIP_TOLERANCE=5   # per mille of the piece-free strips
FIGURES_BOX=184x12+580+576 # the run's clock and enemies defeated, written into the bar
HERO_TOLERANCE=20   # per mille of the hero's opaque pixels: what may differ from its picture
HERO_DIFFERENT=150  # per mille of the hero's opaque pixels: what tells two pictures apart
SCENE_DIFFERENT=100 # per mille of the strips: what tells two backgrounds (or scrolls) apart

# Screenshot NAME of the game's window or WINDOW; import may hang on a window that goes away.
shot() { freeze_game && timeout 20 import -window "${2:-$WIN}" "$WORK/$1.png" 2>>"$WORK/import.log" || fail "no screenshot $1"; }

picture() { echo "$GAME_FOLDER/images/$1.bmp"; }
picture_size() { identify -format '%w %h' "$(picture "$1")"; }
per_mille() { convert "$@" -format '%[fx:int(1000*mean+0.5)]' info:; }

# Per mille of a screenshot's pixels that are exactly COLOUR, in REGION if given.
colour_share() { # SHOT COLOUR [REGION]
    per_mille "$WORK/$1.png" ${3:+-crop "$3" +repage} -alpha off \( +clone -fill "$2" -colorize 100 \) \
        -compose difference -composite -colorspace gray -threshold 0 -negate
}

# Per mille of the pixels that differ between two shots, in REGION, leaving out the box BLANK.
changed() { # A B [REGION [BLANK]]
    per_mille "$WORK/$1.png" "$WORK/$2.png" ${4:+-region "$4" -fill black -colorize 100 +region} ${3:+-crop "$3" +repage} \
        -compose difference -composite -colorspace gray -threshold 1%
}

strips_changed() { # A B: the larger share of the two strips
    printf '%s\n' "$(changed "$1" "$2" "$SKY_STRIP")" "$(changed "$1" "$2" "$KERB_STRIP")" | sort -n | tail -n 1
}

# The scene without any piece: background NAME with its left edge at X, the bar, full meters.
expected_scene() { # OUT NAME X
    convert -size 800x600 "xc:$FILL_BLUE" \
        \( "$(picture "$2")" -alpha set -transparent "$HERO_KEY" \) -geometry "$(printf '%+d+0' "$3")" -composite \
        \( "$(picture bar)" -alpha set -transparent "$HERO_KEY" \) -geometry +10+514 -composite \
        \( "$(picture health)" -alpha set -transparent "$ENEMY_KEY" \) -geometry +220+538 -composite \
        \( "$(picture ammo)" -alpha set -transparent "$ENEMY_KEY" \) -geometry +220+560 -composite \
        -alpha off "$WORK/$1.png"
}

# A screenshot SHOT shows background NAME with its left edge at X, in the piece-free strips.
expect_background() { # SHOT NAME X
    local off
    shot "$1"
    expected_scene "bg-$2" "$2" "$3"
    off=$(strips_changed "$1" "bg-$2")
    [ "$off" -le "$STRIP_TOLERANCE" ] || fail "$1 does not show $2 at x $3 ($off per mille off)"
}

# The box "WxH+X+Y" that PICTURE covers standing on (X, Y).
hero_box() { picture_size "$1" | { read -r w h; echo "${w}x${h}+$2+$(($3 - h))"; }; } # PICTURE X Y

# Per mille of the opaque pixels of OVERLAY (a PNG) a shot does not show, its corner at (X, Y).
overlay_off() { # SHOT OVERLAY X Y
    local w h opaque differ
    read -r w h opaque < <(convert "$2" -alpha extract -format '%w %h %[fx:int(mean*w*h+0.5)]' info:)
    differ=$(convert "$WORK/$1.png" -crop "${w}x${h}+$3+$4" +repage \( +clone "$2" -composite \) \
        -alpha off -compose difference -composite -colorspace gray -threshold 1% -format '%[fx:int(mean*w*h+0.5)]' info:)
    echo $((1000 * differ / opaque))
}

# overlay_off for a hero picture standing on (X, Y), drawn WAY (plain or mirrored), over all.
hero_off() { # SHOT PICTURE X Y WAY
    local sprite="$WORK/sprite-$2-$5.png"
    [ -f "$sprite" ] || convert "$(picture "$2")" -alpha set -transparent "$HERO_KEY" $([ "$5" = mirrored ] && echo -flop) "$sprite"
    overlay_off "$1" "$sprite" "$3" $(($4 - $(identify -format %h "$sprite")))
}

# hero_off at the best of x - 1, x and x + 1: a printed 495.99996 reads 496, drawn at 495.
hero_off_near() { for dx in 0 -1 1; do hero_off "$1" "$2" $(($3 + dx)) "$4" "$5"; done | sort -n | head -n 1; }

# A screenshot must show the hero as PICTURE drawn WAY, and clearly unlike the other way round.
expect_hero() { # SHOT PICTURE X Y WAY
    local other=mirrored off against
    [ "$5" = mirrored ] && other=plain
    shot "$1"
    off=$(hero_off_near "$@")
    against=$(hero_off_near "$1" "$2" "$3" "$4" "$other")
    [ "$off" -le "$HERO_TOLERANCE" ] || fail "$1: the hero is not drawn as $5 $2 at ($3, $4) ($off per mille off)"
    [ "$against" -ge "$HERO_DIFFERENT" ] || fail "$1: the hero looks as much $other ($against per mille off) as $5 ($off)"
}

# Sound: the disk driver writes the mix as the game runs, so the file's bytes count its time.

audio_size() { stat -c %s "$AUDIO_FILE" 2>/dev/null || echo 0; }
audio_ms() { echo $(($1 * 1000 / $2)); } # BYTES RATE

# Bytes of sound a second since the first frame, snapped to the nearest common device rate.
audio_byte_rate() {
    awk -v t="$((MARK_MS - FIRST_MARK_MS))" -v s="$((MARK_SIZE - PLAYING_OFFSET))" 'BEGIN {
        for (i = split("11025 22050 44100 48000", rates, " "); t >= 500 && i > 0; i--) {
            d = s * 1000 / t - 4 * rates[i]
            if (best == "" || d * d < bestd) { best = 4 * rates[i]; bestd = d * d } }
        print best + 0 }'
}

# Loudness of the mono mix, window after window from byte FROM, into $WORK/levels.txt as "<ms from
# FROM> <rms> <edge rms>": the rms of neighbours' differences weighs the slash over the music.
audio_levels() { # RATE WINDOW_MS FROM
    od -An -v -t d2 -w4 -j $(($3 - $3 % 4)) "$AUDIO_FILE" | awk -v n=$(($1 / 4 * $2 / 1000)) -v rate=$(($1 / 4)) '
        { m = ($1 + $2) / 2; sq += m * m; if (i % n) ed += (m - p) ^ 2; p = m; i++ }
        i % n == 0 { printf "%d %.1f %.1f\n", (i - n) * 1000 / rate, sqrt(sq / n), sqrt(ed / n); sq = ed = 0 }' \
        >"$WORK/levels.txt"
}

# Lettering: text as the game writes it from its glyph strip (src/sprites/glyph_strip.h).

GLYPH_CHARACTERS=' 0123456789:.-/!+<>%ABCDEFGHIJKLMNOPQRSTUVWXYZ'

# Game time in ms as the game's clock shows it, m:ss.t with the tenths cut.
clock_text() { awk -v ms="$1" 'BEGIN { t = int(ms / 100); s = int(t / 10); printf "%d:%02d.%d\n", int(s / 60), s % 60, t % 10 }'; }

# TEXT drawn from the glyph strip, its see-through pixels transparent, into $WORK/text-N.png.
text_picture() { # OUT TEXT
    local strip cw h i c cells=()
    strip=$(picture glyphs)
    read -r cw h < <(identify -format "%[fx:w/${#GLYPH_CHARACTERS}] %h" "$strip")
    for ((i = 0; i < ${#2}; i++)); do
        c=${2:i:1} && c=${GLYPH_CHARACTERS%%"$c"*}
        cells+=("(" "$strip" -crop "${cw}x${h}+$((${#c} * cw))+0" +repage ")")
    done
    convert "${cells[@]}" +append -alpha set -transparent "$HERO_KEY" "$1"
}

# A screenshot must show TEXT as the game writes it, its top-left corner at (X, Y).
expect_text() { # SHOT TEXT X Y
    local off
    text_picture "$WORK/text.png" "$2"
    off=$(overlay_off "$1" "$WORK/text.png" "$3" "$4")
    [ "$off" -le "$HERO_TOLERANCE" ] || fail "$1 does not show \"$2\" at ($3, $4) ($off per mille off)"
}
