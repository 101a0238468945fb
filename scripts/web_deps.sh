#!/bin/sh
# Installs what the browser build needs and builds its libraries once, into a cache outside the
# clone: Debian's emscripten and Chromium, and SDL 2, SDL2_mixer and inih built for WebAssembly
# from Debian's source packages. Each library is built once per version (a stamp file says it is
# done); a second run only checks. Prints the lines a build sources to use the cache (see
# `make web`).
#
# The sources come through private apt configurations in the cache: deb-src lines for the archive
# this machine already uses, and one for inih from the next release (the archive no longer serves
# all of this release's inih source), so the machine's own package lists are left as they were.
# apt checks each archive's signature with the keyring this machine has, which knows both releases.
#
# WEB_CACHE overrides where the cache lives.
set -eu

WEB_CACHE="${WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/ghoulrun-web}"
SYSROOT="$WEB_CACHE/sysroot"
STAMPS="$WEB_CACHE/stamps"
# The SDL versions the web layer is written against; Debian's source must match them.
SDL2_VERSION=2.26.5
MIXER_VERSION=2.6.2
# The settings file's reader, from the release after this machine's, with the release it is
# fetched from.
INIH_VERSION=59-1
INIH_SUITE=trixie
DEBIAN_ARCHIVE=http://deb.debian.org/debian
DEBIAN_KEYRING=/usr/share/keyrings/debian-archive-keyring.gpg
# Debian keeps the Node modules emscripten runs with here, not where node looks by default.
DEBIAN_NODE_MODULES=/usr/share/nodejs
JOBS="${JOBS:-$(nproc)}"

say() { echo "web_deps: $*" >&2; }

install_packages() {
    missing=""
    for package in emscripten chromium libcli11-dev libxxhash-dev dpkg-dev cmake make; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $package"
        fi
    done
    [ -z "$missing" ] && return 0
    say "installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q </dev/null >&2
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing </dev/null >&2
}

# emscripten's own cache, seeded from the one Debian ships (which is frozen: nothing may be built
# into it), so that what the game needs beyond it can be built once and kept.
seed_emscripten_cache() {
    [ -f "$STAMPS/em-cache" ] && return 0
    say "seeding emscripten's cache in $WEB_CACHE/em-cache"
    rm -rf "$WEB_CACHE/em-cache"
    cp -a /usr/share/emscripten/cache "$WEB_CACHE/em-cache"
    rm -f "$WEB_CACHE/em-cache/cache.lock"
    touch "$STAMPS/em-cache"
}

# deb-src twins of the machine's deb lines, in both of apt's formats.
write_source_lines() {
    apt_dir="$1"
    mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial"
    : >"$apt_dir/sources.list"
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$apt_dir/sources.list"
    fi
    rm -f "$apt_dir/parts/"*
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        sed 's/^Types: deb$/Types: deb-src/' "$file" >"$apt_dir/parts/$(basename "$file")"
    done
    for file in /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        sed -n 's/^deb \(.*\)/deb-src \1/p' "$file" >"$apt_dir/parts/$(basename "$file")"
    done
}

# The deb-src line for inih alone: apt would otherwise take the next release's SDL over ours.
write_inih_source_line() {
    apt_dir="$1"
    mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial"
    : >"$apt_dir/sources.list"
    rm -f "$apt_dir/parts/"*
    cat >"$apt_dir/parts/inih.sources" <<EOF
Types: deb-src
URIs: $DEBIAN_ARCHIVE
Suites: $INIH_SUITE
Components: main
Signed-By: $DEBIAN_KEYRING
EOF
}

# Unpacks Debian's source of package $1 into $WEB_CACHE/src and prints its folder. $2 names the
# private apt configuration ("apt" unless given) and $3 the function that writes its lines; $4 is
# the version to fetch, the newest the lines list unless given.
debian_source() {
    package="$1"
    apt_name="${2:-apt}"
    write_lines="${3:-write_source_lines}"
    version="${4:-}"
    apt_dir="$WEB_CACHE/$apt_name"
    set -- -o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=$apt_dir/parts" \
        -o "Dir::State::Lists=$apt_dir/lists"
    if [ ! -f "$STAMPS/$apt_name-lists" ]; then
        "$write_lines" "$apt_dir"
        apt-get "$@" update -q </dev/null >&2
        touch "$STAMPS/$apt_name-lists"
    fi
    mkdir -p "$WEB_CACHE/src/$package"
    (cd "$WEB_CACHE/src/$package" &&
        apt-get "$@" source -q "$package${version:+=$version}" </dev/null >&2)
    find "$WEB_CACHE/src/$package" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

# Builds Debian's source package $2, which must be at version $3, with CMake for WebAssembly into
# the sysroot, once (the stamp $1-$3 says it is done); the other arguments go to CMake's configure.
build_cmake_library() {
    name="$1"
    package="$2"
    version="$3"
    shift 3
    stamp="$STAMPS/$name-$version"
    [ -f "$stamp" ] && return 0
    source_dir="$(debian_source "$package")"
    case "$source_dir" in *"$version"*) ;; *)
        say "Debian's $package source is $source_dir, not $version"
        exit 1
        ;;
    esac
    say "building $package $version"
    log="$WEB_CACHE/build-$name.log"
    rm -rf "$WEB_CACHE/build/$name"
    emcmake cmake -S "$source_dir" -B "$WEB_CACHE/build/$name" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$SYSROOT" -DCMAKE_C_FLAGS="-pthread" "$@" >"$log" 2>&1
    cmake --build "$WEB_CACHE/build/$name" -j "$JOBS" >>"$log" 2>&1
    cmake --install "$WEB_CACHE/build/$name" >>"$log" 2>&1
    touch "$stamp"
}

build_sdl2() {
    build_cmake_library sdl2 libsdl2 "$SDL2_VERSION" \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=ON -DSDL_PTHREADS=ON
}

# Ogg Vorbis through the decoder SDL2_mixer carries (stb_vorbis), WAV for the effects; the other
# formats the game never uses are left out.
build_mixer() {
    build_cmake_library sdl2-mixer libsdl2-mixer "$MIXER_VERSION" \
        -DCMAKE_PREFIX_PATH="$SYSROOT" -DCMAKE_FIND_ROOT_PATH="$SYSROOT" \
        -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF \
        -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON \
        -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF \
        -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_CMD=OFF
}

# Debian's library passes no INI_* option to ini.c (debian/rules asks for the distribution's
# install, which leaves each at the header's default), so none is passed here either and a browser
# reads a settings file line for line as the desktop does. One flag differs on purpose: Debian
# builds its library with INI_HANDLER_LINENO=1 but installs the header without it, so a desktop
# handler written to the header is called with a line number it never reads. WebAssembly checks
# every call through a pointer against the callee's parameters and traps on that extra one, so
# here the library keeps the header's setting.
build_inih() {
    stamp="$STAMPS/inih-$INIH_VERSION"
    [ -f "$stamp" ] && return 0
    source_dir="$(debian_source libinih apt-inih write_inih_source_line "$INIH_VERSION")"
    case "$source_dir" in *"libinih-${INIH_VERSION%-*}") ;; *)
        say "Debian's libinih source is $source_dir, not $INIH_VERSION"
        exit 1
        ;;
    esac
    say "building inih $INIH_VERSION"
    objects="$WEB_CACHE/build/inih"
    rm -rf "$objects"
    mkdir -p "$objects" "$SYSROOT/lib" "$SYSROOT/include/inih"
    emcc -O2 -pthread -Wall -pedantic -c "$source_dir/ini.c" -o "$objects/ini.o" \
        >"$WEB_CACHE/build-inih.log" 2>&1
    rm -f "$SYSROOT/lib/libinih.a"
    emar rcs "$SYSROOT/lib/libinih.a" "$objects/ini.o" >>"$WEB_CACHE/build-inih.log" 2>&1
    # Its own folder, so that the game sees this header and no other of the sysroot's.
    cp "$source_dir/ini.h" "$SYSROOT/include/inih/ini.h"
    touch "$stamp"
}

install_packages
mkdir -p "$STAMPS" "$SYSROOT"
export NODE_PATH="$DEBIAN_NODE_MODULES"
export EM_CACHE="$WEB_CACHE/em-cache"
export EM_FROZEN_CACHE=0
seed_emscripten_cache
build_sdl2
build_mixer
build_inih

# What a build needs to find all of it.
echo "export NODE_PATH='$DEBIAN_NODE_MODULES'"
echo "export EM_CACHE='$EM_CACHE'"
echo "export EM_FROZEN_CACHE=0"
echo "export GHOULRUN_WEB_SYSROOT='$SYSROOT'"
