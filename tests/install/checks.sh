#!/bin/bash
# The install checks, one per ctest test: checks.sh NAME; exits 1 with the reason when one fails.
set -u -o pipefail # the game's status, too, where its output goes on down a pipe

CHECK=${1:?usage: checks.sh NAME}
PACKAGE=ghoulrun PACKAGE_DIR=$GHOULRUN_BUILD_DIR/install-check ICON_SIZES="32 64 128 256"
# What an install puts below its prefix (the Debian package below /usr).
INSTALLED="games/ghoulrun share/games/ghoulrun/pompeii.ogg share/applications/ghoulrun.desktop
    share/man/man6/ghoulrun.6.gz share/metainfo/$(basename "$GHOULRUN_METAINFO")
    share/doc/ghoulrun/copyright share/doc/ghoulrun/changelog.gz
    $(for size in $ICON_SIZES; do echo "share/icons/hicolor/${size}x$size/apps/ghoulrun.png"; done)"

# A check stopped by ctest's time limit still cleans up (its EXIT trap).
trap 'exit 1' TERM INT
fail() { echo "install.$CHECK: FAIL: $*" >&2 && exit 1; }

the_package() {
    local packages=("$PACKAGE_DIR/${PACKAGE}"_*.deb)
    [ -f "${packages[0]}" ] || fail "no package in $PACKAGE_DIR (install.package makes it)"
    echo "${packages[0]}"
}

# The validators: each must accept its file and print no line that matches its complaint.
validate() { # COMMAND COMPLAINT
    local said
    said=$(eval "$1" 2>&1) || fail "$1 refuses it: $said"
    said=$(grep -v '^running with root privileges is not recommended!$' <<<"$said")
    echo "$said"
    ! grep -q -E -e "$2" <<<"$said" || fail "$1 complains: $(grep -E -e "$2" <<<"$said")"
}
check_desktop_entry() { validate 'desktop-file-validate "$GHOULRUN_SOURCE_DIR/dist/ghoulrun.desktop"' .; }
check_metainfo() { validate 'appstreamcli validate --no-net --no-color "$GHOULRUN_METAINFO"' '^[EW]:'; }
check_lintian() { validate 'lintian --display-info --tag-display-limit 0 "$(the_package)"' '^[EW]: '; }

# The manual page renders with its sections, and lists every option --help lists.
check_man_page() {
    local rendered options listed missing
    rendered=$(LC_ALL=C MANWIDTH=100 man -l "$GHOULRUN_MAN_PAGE" 2>&1) || fail "man -l: $rendered"
    # --help's option column; the page's own list, the first word of each entry under OPTIONS.
    options=$("$GHOULRUN_GAME_DIR/ghoulrun" --help | awk '/^ +-/ { print $1 }' | tr ',' '\n') ||
        fail "ghoulrun --help ended with status $?"
    [ -n "$options" ] || fail "--help lists no option"
    listed=$(awk '/^OPTIONS$/ { on = 1; next } /^[A-Z]/ { on = 0 }
        on && /^       [^ ]/ { print $1 }' <<<"$rendered" | tr ',' '\n')
    missing=$(printf '%s\n' NAME SYNOPSIS DESCRIPTION OPTIONS CONTROLS FILES "EXIT STATUS" $options |
        grep -v -x -F -f <(printf '%s\n' "$rendered" "$listed"))
    [ -z "$missing" ] || fail "the manual page lacks: $missing"
}

# The package, made by CPack from the finished build without building the game again: it depends on
# SDL and lays the game out as a Debian game, nothing in /usr/bin.
check_package() {
    local built deb version listing
    rm -rf "$PACKAGE_DIR" && mkdir -p "$PACKAGE_DIR"
    built=$(stat -c %Y "$GHOULRUN_GAME_DIR/ghoulrun")
    (cd "$GHOULRUN_BUILD_DIR" && cpack -G DEB -B "$PACKAGE_DIR") >"$PACKAGE_DIR/cpack.log" 2>&1 ||
        fail "cpack failed: $(tail -n 20 "$PACKAGE_DIR/cpack.log")"
    [ "$built" = "$(stat -c %Y "$GHOULRUN_GAME_DIR/ghoulrun")" ] || fail "it built the game again"
    deb=$(the_package)
    grep -q 'libsdl1.2' <<<"$(dpkg-deb --field "$deb" Depends)" || fail "its dependencies do not name SDL"
    version=$(dpkg-deb --field "$deb" Version)
    [ "$("$GHOULRUN_GAME_DIR/ghoulrun" --version)" = "ghoulrun $version" ] ||
        fail "the game's --version is not the package's version, $version"
    listing=$(dpkg-deb --contents "$deb" | awk '{ print $6 }') || fail "dpkg-deb --contents failed"
    for path in $INSTALLED; do
        grep -q -x -F "./usr/$path" <<<"$listing" || fail "the package lacks /usr/$path"
    done
    ! grep '^\./usr/bin/' <<<"$listing" || fail "the package puts the above in /usr/bin"
}

# The package unpacked anywhere: its game, started elsewhere, finds its data and replays a run.
check_unpacked() {
    root=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-unpacked.XXXXXX")
    trap 'rm -rf "$root"' EXIT
    dpkg-deb -x "$(the_package)" "$root" || fail "dpkg-deb -x failed"
    cp "$GHOULRUN_SOURCE_DIR/tests/data/replays/sword.rec" "$root"
    (cd "$root" && timeout 50 usr/games/ghoulrun --replay sword.rec --headless) 2>&1 |
        grep -v $'^\t' | diff -u "$GHOULRUN_SOURCE_DIR/tests/data/replays/sword.expected" - ||
        fail "the unpacked game's replay of sword.rec failed or differs from the golden output"
}

# make install into a staging DESTDIR under a prefix with a space, then make uninstall, which takes
# back all it put there, the game's folders too, and leaves other programs' files.
check_make_install() {
    local stage prefix root others drawn left
    stage=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-make-install.XXXXXX")
    trap 'rm -rf "$stage"' EXIT
    prefix="/opt/ghoulrun check"
    root="$stage$prefix"
    others=$(printf "./${prefix#/}/%s\n" bin/other share/applications/other.desktop)
    mkdir -p "$root/share/applications" "$root/bin"
    touch "$root/share/applications/other.desktop" "$root/bin/other"
    in_project() {
        make -s -C "$GHOULRUN_SOURCE_DIR" -o build "$@" BUILD_DIR="$GHOULRUN_BUILD_DIR" \
            DESTDIR="$stage" PREFIX="$prefix" >"$stage/$1.log" 2>&1
    }
    in_project install || fail "make install failed: $(cat "$stage/install.log")"
    for path in $INSTALLED; do
        [ -f "$root/$path" ] || fail "make install did not install $path"
    done
    for size in $ICON_SIZES; do
        drawn=$(identify -format %wx%h "$root/share/icons/hicolor/${size}x$size/apps/$PACKAGE.png")
        [ "$drawn" = "${size}x$size" ] || fail "the ${size}x$size icon is $drawn"
    done
    [ "$(readlink "$root/bin/ghoulrun")" = ../games/ghoulrun ] || fail "no bin/ghoulrun link"
    diff -r "$GHOULRUN_GAME_DIR/images" "$root/share/games/ghoulrun/images" >&2 &&
        diff -r "$GHOULRUN_GAME_DIR/sfx" "$root/share/games/ghoulrun/sfx" >&2 || fail "data differs"
    in_project uninstall || fail "make uninstall failed: $(cat "$stage/uninstall.log")"
    left=$(cd "$stage" && find . \( -type f -o -type l \) ! -name '*.log' | sort)
    [ "$left" = "$others" ] || fail "after make uninstall there are: $left"
    [ ! -e "$root/share/games/ghoulrun" ] && [ ! -e "$root/share/doc/ghoulrun" ] ||
        fail "make uninstall left the game's data or documentation folder"
    ! in_project uninstall || fail "a second make uninstall found something to do"
}

[ "$(type -t "check_$CHECK")" = function ] || fail "no check named $CHECK"
"check_$CHECK"
