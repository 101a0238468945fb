#!/bin/bash
# One case of the error matrix (error_case.sh CASE | --list): the real game in a damaged copy of
# the run folder (or given a damaged recording), and the answer a player gets.
set -eu

# Damage is answered within this time; a good recording replays flat out, slowly when sanitized.
FAILURE_DEADLINE_S=5 REPLAY_DEADLINE_S=60
# Address space a plain game that is to fail may use: under 100 MiB, where a loader believing a
# header of 100000 x 100000 pixels needs far more. Sanitized builds (terabytes of shadow) run free.
ADDRESS_SPACE_KB=$((256 * 1024))

# name | damage, run in the run folder | changes to the environment (env's words) | arguments |
# exit status, then the pattern of its one line: standard error's for 1 (a failure) and 2 (a
# mistyped command line), standard output's last for 0 (the game played).
CASES=$(cat <<'TABLE'
images_missing|rm -r images|||1 *images/city2.bmp*
picture_missing|rm images/sword4.bmp|||1 *images/sword4.bmp*
picture_empty|: >images/idle0.bmp|||1 *images/idle0.bmp*
picture_truncated|truncate -s $(($(stat -c %s images/health.bmp) / 2)) images/health.bmp|||1 *images/health.bmp*
picture_is_text|echo 'a note, not a picture' >images/bar.bmp|||1 *images/bar.bmp*
picture_header_enormous|bmp24 40 images/city2.bmp 100000 100000|||1 *images/city2.bmp*too large*
picture_header_large|bmp24 40 images/run3.bmp 10000 10000|||1 *images/run3.bmp*too large*
picture_header_wide|bmp24 40 images/run4.bmp 100000 1|||1 *images/run4.bmp*too large*
picture_header_tall|bmp24 40 images/run5.bmp 1 100000|||1 *images/run5.bmp*too large*
picture_header_tall_top_down|bmp24 40 images/run6.bmp 1 -100000|||1 *images/run6.bmp*too large*
picture_old_header_tall|bmp24 12 images/run7.bmp 1 40000|||1 *images/run7.bmp*too large*
pictures_unusual|bmp8 images/idle0.bmp; bmp8 images/attacker_walk0.bmp; bmp24 40 images/idle1.bmp 40 -60; bmp24 12 images/crawler_idle0.bmp 40 60||--replay "$GOOD" --headless|0 replay: * frames, state *
sfx_missing|rm -r sfx|||1 *sfx*
sfx_plain_file|rm -r sfx; echo 'not a folder' >sfx|||1 *sfx*
sfx_symlink_loop|ln -s loop sfx/loop|||1 *sfx/loop*
sample_symlink_loop|ln -s echo.wav sfx/death/echo.wav|||1 *echo.wav*
sample_empty|: >sfx/sword/slash.wav|||1 *slash.wav*
sample_corrupt|{ printf 'RIFF\240\017\0\0WAVE'; head -c 1000 "$GAME"; } >sfx/death/wilhelm.wav|||1 *wilhelm.wav*
sample_unsupported_encoding|mp3_in_wav sfx/death/gameover.wav|||1 *gameover.wav*
sample_nested_folder|mkdir sfx/sword/old.wav|||1 *old.wav*
music_missing|rm pompeii.ogg|||1 *pompeii.ogg*
music_corrupt|{ printf OggS; head -c 4000 "$GAME"; } >pompeii.ogg|||1 *pompeii.ogg*
no_audio_device|:|SDL_AUDIODRIVER=nosuchdriver||1 *Unable to init SDL: *nosuchdriver*
no_display|:|SDL_VIDEODRIVER=nosuchdriver||1 *Unable to init SDL: *nosuchdriver*
audio_device_unopenable|:|SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=no-such-folder/audio.raw||1 *Mixer could not be initialized*
no_display_server|:|-u DISPLAY SDL_VIDEODRIVER=x11||1 *Unable to init SDL: *x11*
no_display_at_all|:|-u SDL_VIDEODRIVER -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR=$PWD||1 *Unable to init SDL: *display*
replay_missing|:||--replay bad.rec --headless|1 ghoulrun: */bad.rec: No such file or directory
replay_folder|mkdir bad.rec||--replay bad.rec --headless|1 ghoulrun: */bad.rec: is a folder, not a recording
replay_empty|: >bad.rec||--replay bad.rec --headless|1 ghoulrun: */bad.rec: empty file
replay_wrong_magic|{ printf 'GHOULRUN REPLAX\n'; tail -c +17 "$GOOD"; } >bad.rec||--replay bad.rec --headless|1 ghoulrun: */bad.rec: not a Ghoulrun recording*
replay_another_version|{ head -c 16 "$GOOD"; printf '\002'; tail -c +18 "$GOOD"; } >bad.rec||--replay bad.rec --headless|1 ghoulrun: */bad.rec: recording format version 2, this game reads version 1*
replay_cut_inside_frame|{ cat "$GOOD"; printf '\001\005'; } >bad.rec||--replay bad.rec --headless|1 ghoulrun: */bad.rec: truncated in the middle of frame*
replay_garbage|head -c 65536 "$GAME" >bad.rec||--replay bad.rec --headless|1 ghoulrun: */bad.rec: not a Ghoulrun recording*
replay_of_failed_start|mkdir empty; "$GAME" --data empty --record failed.rec &>/dev/null; [ $? = 1 ]||--replay failed.rec --headless|0 replay: 0 frames, state *
option_unknown|:||--speed 3|2 ghoulrun: *--speed*; see ghoulrun --help
option_stray_word|:||foo|2 ghoulrun: *foo; see ghoulrun --help
option_missing_value|:||--fps|2 ghoulrun: --fps: *missing; see ghoulrun --help
option_fps_out_of_range|:||--fps 5|2 ghoulrun: --fps: *5 not in range 30 to 1000; see ghoulrun --help
TABLE
)

fail() { echo "FAULT: $*" && exit 1; }

# Little-endian bytes: le SIZE VALUE [SIZE VALUE]..., each SIZE at most 8.
le() {
    perl -e 'for (my $i = 0; $i < @ARGV; $i += 2) {
        print substr(pack("q<", eval $ARGV[$i + 1]), 0, $ARGV[$i]) }' -- "$@"
}

# A 24-bit bitmap $2 whose info header ($1 bytes: 12, the old kind, or 40) gives $3 x $4 pixels
# (negative: top row first), other sizes as large as can be; of the pixels, at most 8 KiB are there.
bmp24() {
    local side=$(($1 == 12 ? 2 : 4)) bytes=$((($3 * 3 + 3) / 4 * 4 * ${4#-}))
    { printf BM; le 4 -1 4 0 4 $((14 + $1)) 4 "$1" $side "$3" $side "$4" 2 1 2 24
        [ "$1" = 12 ] || le 4 0 4 -1 8 0 8 0
        head -c $((bytes < 8192 ? bytes : 8192)) /dev/zero; } >"$2"
}

# A valid 40 x 60 bitmap of 8-bit colour indices into a 256-grey palette.
bmp8() {
    { printf BM; le 4 $((1078 + 2400)) 4 0 4 1078 4 40 4 40 4 60 2 1 2 8 4 0 4 2400 4 2835 4 2835
        le 4 256 4 0 && perl -e 'print pack("V", $_ * 0x10101) for 0 .. 255'
        head -c 2400 /dev/zero | tr '\0' '\100'; } >"$1"
}

# A WAV whose samples are MPEG layer 3 (format tag 0x55), which the mixer cannot decode from WAV.
mp3_in_wav() {
    { printf RIFF; le 4 1074; printf 'WAVEfmt '; le 4 30 2 0x55 2 1 4 22050 4 4000 2 1 2 0 2 12
        le 2 1 4 2 2 104 2 1 2 1393 && printf data && le 4 1024
        head -c 1024 /dev/zero | tr '\0' U; } >"$1"
}

[ "${1:-}" != --list ] || { cut -d '|' -f 1 <<<"$CASES" && exit 0; }
row=$(grep "^${1:?usage: error_case.sh CASE | --list}|" <<<"$CASES") || fail "no case named $1"
IFS='|' read -r _ damage environment arguments expected <<<"$row"
GAME=$GHOULRUN_GAME_DIR/ghoulrun GOOD=$GOOD_RECORDING want=${expected%% *} pattern=${expected#* }
run=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-errors.XXXXXX")
trap 'rm -rf "$run"' EXIT
cp -r "$GHOULRUN_GAME_DIR/images" "$GHOULRUN_GAME_DIR/sfx" "$GHOULRUN_GAME_DIR/pompeii.ogg" "$run"
cd "$run" && eval "$damage" || fail "could not damage the run folder: $damage"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
eval "set -- $environment \"\$GAME\" $arguments"
ulimit -c 0

deadline=$((want != 0 ? FAILURE_DEADLINE_S : REPLAY_DEADLINE_S)) status=0
(
    [ "$want" = 0 ] || [ -n "${GHOULRUN_SANITIZED:-}" ] || ulimit -v $ADDRESS_SPACE_KB
    exec timeout -k 1 $deadline env "$@" >stdout.txt 2>stderr.txt </dev/null
) || status=$?
sed 's/^/  stderr: /' stderr.txt
[ $status -ne 124 ] || fail "still running after $deadline s"
[ $status -le 128 ] || fail "ended by signal $((status - 128)) ($(kill -l $status))"
[ $status -eq "$want" ] || fail "ended with status $status, not $want"
# A recording is refused before anything else starts: nothing on standard output then.
if [ "$want" != 0 ]; then
    [ "$(wc -l <stderr.txt)" -eq 1 ] && line=$(cat stderr.txt) || fail "standard error is not one line"
    [ -z "$arguments" ] || [ ! -s stdout.txt ] || fail "printed on standard output"
else
    [ ! -s stderr.txt ] && line=$(tail -n 1 stdout.txt) || fail "wrote to standard error"
fi
# shellcheck disable=SC2053 # the pattern is a pattern
[[ "$line" == $pattern ]] || fail "\"$line\" does not match \"$pattern\""
