#!/bin/bash
# The install checks, one per ctest test: checks.sh NAME. Exits 0 when the check holds, 77 when
# it cannot run here (said why), 1 otherwise with the reason on standard error.
#
# From ctest (suite.cmake): GHOULRUN_SOURCE_DIR, GHOULRUN_BUILD_DIR, GHOULRUN_GAME_DIR (the run
# folder), GHOULRUN_PACKAGE_DIR (where the package for the checks is built), the paths of the
# desktop entry, the metadata and the manual page, and GHOULRUN_REPLAYS (the golden recordings).
set -u

CHECK=${1:?usage: checks.sh NAME}
PACKAGE_NAME=ghoulrun
SKIP=77
# dpkg refuses at once while apt or another dpkg holds its lock; it is retried this long.
DPKG_LOCK_WAIT_S=120

# A check stopped by ctest's time limit still cleans up (its EXIT trap).
trap 'exit 1' TERM INT

fail() {
    echo "install.$CHECK: FAIL: $*" >&2
    exit 1
}

skip() {
    echo "install.$CHECK: skipped: $*"
    exit $SKIP
}

note() { echo "install.$CHECK: $*"; }

the_package() {
    local packages=("$GHOULRUN_PACKAGE_DIR/${PACKAGE_NAME}"_*.deb)
    [ -f "${packages[0]}" ] || fail "no package in $GHOULRUN_PACKAGE_DIR (install.package makes it)"
    echo "${packages[0]}"
}

# ---------------------------------------------------------------------------------------------

# The menu entry: not a single error or warning.
check_desktop_entry() {
    local said
    said=$(desktop-file-validate "$GHOULRUN_DESKTOP_ENTRY" 2>&1) ||
        fail "desktop-file-validate refuses the menu entry: $said"
    [ -z "$said" ] || fail "desktop-file-validate has something to say: $said"
    note "desktop-file-validate: nothing to say"
}

# The AppStream metadata: no error (nor warning) without the network.
check_metainfo() {
    local said
    said=$(appstreamcli validate --no-net --no-color "$GHOULRUN_METAINFO" 2>&1) ||
        fail "appstreamcli refuses the metadata: $said"
    note "$said"
}

# The manual page renders, and lists every option --help lists.
check_man_page() {
    local rendered options missing=""
    rendered=$(LC_ALL=C MANWIDTH=100 man -l "$GHOULRUN_MAN_PAGE" 2>&1) ||
        fail "man -l failed: $rendered"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS CONTROLS FILES "EXIT STATUS"; do
        grep -q "^$section\$" <<<"$rendered" || missing="$missing [$section]"
    done
    # The option column of --help: "  -h,--help   Print this help...", "  --record FILE ...".
    options=$("$GHOULRUN_GAME_DIR/ghoulrun" --help | awk '/^ +-/ { print $1 }' | tr ',' '\n')
    [ -n "$options" ] || fail "--help lists no option"
    # The page's own list: the first word of each entry under OPTIONS, which stands less indented
    # than the entry's description.
    local listed
    listed=$(awk '/^OPTIONS$/ { on = 1; next } /^[A-Z]/ { on = 0 }
        on && /^       [^ ]/ { print $1 }' <<<"$rendered" | tr ',' '\n')
    for option in $options; do
        grep -q -x -F -e "$option" <<<"$listed" || missing="$missing $option"
    done
    [ -z "$missing" ] || fail "the manual page lacks:$missing"
    note "sections and options present:" "$(tr '\n' ' ' <<<"$options")"
}

# The package, built from the finished build by CPack as make package builds it, into a folder
# of its own. It must not build the game again.
check_package() {
    rm -rf "$GHOULRUN_PACKAGE_DIR"
    mkdir -p "$GHOULRUN_PACKAGE_DIR"
    local before after
    before=$(stat -c %Y "$GHOULRUN_GAME_DIR/ghoulrun")
    (cd "$GHOULRUN_BUILD_DIR" && cpack -G DEB -B "$GHOULRUN_PACKAGE_DIR") \
        >"$GHOULRUN_PACKAGE_DIR/cpack.log" 2>&1 ||
        fail "cpack failed: $(tail -n 20 "$GHOULRUN_PACKAGE_DIR/cpack.log")"
    after=$(stat -c %Y "$GHOULRUN_GAME_DIR/ghoulrun")
    [ "$before" = "$after" ] ||
        fail "making the package built the game again (was the build not finished?)"
    local deb
    deb=$(the_package)
    note "$(basename "$deb"): $(stat -c %s "$deb") bytes"
    dpkg-deb --field "$deb" Depends | grep -q 'libsdl1.2' ||
        fail "the package's dependencies do not name SDL: $(dpkg-deb --field "$deb" Depends)"
    # The layout a Debian game has.
    local listing
    listing=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
    for path in ./usr/games/ghoulrun ./usr/share/games/ghoulrun/pompeii.ogg \
        ./usr/share/games/ghoulrun/images/city2.bmp ./usr/share/games/ghoulrun/sfx/sword/slash.wav \
        ./usr/share/applications/ghoulrun.desktop ./usr/share/man/man6/ghoulrun.6.gz \
        ./usr/share/icons/hicolor/32x32/apps/ghoulrun.png \
        ./usr/share/icons/hicolor/256x256/apps/ghoulrun.png \
        "./usr/share/metainfo/$(basename "$GHOULRUN_METAINFO")" \
        ./usr/share/doc/ghoulrun/copyright ./usr/share/doc/ghoulrun/changelog.gz; do
        grep -q -x -F "$path" <<<"$listing" || fail "the package lacks $path"
    done
    if grep -q '^\./usr/bin/' <<<"$listing"; then
        fail "the package puts something in /usr/bin: $(grep '^\./usr/bin/' <<<"$listing")"
    fi
}

# lintian: no error and no warning. Its notes, at info level, are printed for the reader.
check_lintian() {
    local deb said
    deb=$(the_package)
    said=$(lintian --display-info --tag-display-limit 0 "$deb" 2>&1 |
        grep -v '^running with root privileges is not recommended!$')
    echo "$said"
    if grep -q -E '^[EW]: ' <<<"$said"; then
        fail "lintian finds errors or warnings: $(grep -E '^[EW]: ' <<<"$said")"
    fi
}

# The package unpacked anywhere plays: its game finds its data through the relative path.
check_unpacked() {
    exec bash "$(dirname "$0")/unpacked.sh"
}

# Runs dpkg, waiting while another dpkg or apt holds its lock.
dpkg_waiting() {
    local waited=0 said
    while :; do
        said=$(dpkg "$@" 2>&1) && return 0
        grep -q -i 'lock' <<<"$said" || {
            echo "$said" >&2
            return 1
        }
        [ $waited -lt $DPKG_LOCK_WAIT_S ] || {
            echo "$said" >&2
            return 1
        }
        sleep 2
        waited=$((waited + 2))
    done
}

package_installed() {
    dpkg-query -W -f='${db:Status-Abbrev}' "$PACKAGE_NAME" 2>/dev/null | grep -q '^.[iUFHWt]'
}

# dpkg -i, then dpkg -r: the package's files and the folders it made are gone, and dpkg no longer
# knows it. Only as root, and never where a ghoulrun package is installed already (a player's).
check_dpkg() {
    [ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
    package_installed && skip "a $PACKAGE_NAME package is installed on this machine; left alone"
    local deb work
    deb=$(the_package)
    work=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-dpkg.XXXXXX")
    # Whatever happens, the package goes again.
    trap 'package_installed && dpkg_waiting --remove "$PACKAGE_NAME" >/dev/null; rm -rf "$work"' EXIT
    dpkg-deb --contents "$deb" | awk '{ print substr($6, 2) }' | sed 's|/$||' | grep -v '^$' \
        >"$work/paths"
    while read -r path; do
        [ -d "$path" ] && [ ! -L "$path" ] && echo "$path"
    done <"$work/paths" >"$work/folders-before"

    dpkg_waiting --install "$deb" || fail "dpkg --install failed"
    package_installed || fail "dpkg does not list the package as installed"
    local version
    version=$(/usr/games/ghoulrun --version) || fail "/usr/games/ghoulrun --version failed"
    [ "$version" = "ghoulrun $(dpkg-deb --field "$deb" Version)" ] || fail "--version says: $version"
    # A slimmed system may tell dpkg to leave manual pages out (path-exclude).
    if [ -f /usr/share/man/man6/ghoulrun.6.gz ]; then
        [ "$(man -w "$PACKAGE_NAME" 2>/dev/null)" = /usr/share/man/man6/ghoulrun.6.gz ] ||
            fail "man does not find the manual page: $(man -w "$PACKAGE_NAME" 2>&1)"
        note "man ghoulrun finds its page"
    fi
    note "installed; $version"

    dpkg_waiting --remove "$PACKAGE_NAME" || fail "dpkg --remove failed"
    package_installed && fail "dpkg still lists the package after removing it"
    local left=""
    while read -r path; do
        if [ -e "$path" ] || [ -L "$path" ]; then
            if ! { [ -d "$path" ] && grep -q -x -F "$path" "$work/folders-before"; }; then
                left="$left $path"
            fi
        fi
    done <"$work/paths"
    [ -z "$left" ] || fail "dpkg --remove left behind:$left"
    compgen -G "/var/lib/dpkg/info/$PACKAGE_NAME.*" >/dev/null &&
        fail "dpkg keeps records of it: $(ls /var/lib/dpkg/info/$PACKAGE_NAME.*)"
    note "removed; nothing left behind"
}

# make install into a staging DESTDIR, under a prefix with a space, then make uninstall: every
# file it put there goes, the game's own folders too, and nothing else is touched.
check_make_install() {
    local stage prefix root
    stage=$(mktemp -d "${TMPDIR:-/tmp}/ghoulrun-make-install.XXXXXX")
    trap 'rm -rf "$stage"' EXIT
    prefix="/opt/ghoulrun check"
    root="$stage$prefix"
    # Files of other programs, which make uninstall must leave where they are.
    mkdir -p "$root/share/applications" "$root/bin"
    echo "[Desktop Entry]" >"$root/share/applications/other.desktop"
    echo "#!/bin/sh" >"$root/bin/other"
    make_in_project() {
        make -s -C "$GHOULRUN_SOURCE_DIR" -o build "$@" BUILD_DIR="$GHOULRUN_BUILD_DIR" \
            DESTDIR="$stage" PREFIX="$prefix"
    }
    make_in_project install >"$stage/install.log" 2>&1 ||
        fail "make install failed: $(cat "$stage/install.log")"

    local expected=(games/ghoulrun share/games/ghoulrun/pompeii.ogg
        share/applications/ghoulrun.desktop share/man/man6/ghoulrun.6.gz
        "share/metainfo/$(basename "$GHOULRUN_METAINFO")" share/doc/ghoulrun/copyright
        share/doc/ghoulrun/changelog.gz)
    for size in 32 64 128 256; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/ghoulrun.png")
    done
    for path in "${expected[@]}"; do
        [ -f "$root/$path" ] || fail "make install did not install $path"
    done
    for size in 32 64 128 256; do
        local drawn
        drawn=$(identify -format '%wx%h' "$root/share/icons/hicolor/${size}x${size}/apps/ghoulrun.png")
        [ "$drawn" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $drawn"
    done
    [ -x "$root/games/ghoulrun" ] || fail "the installed game is not executable"
    [ "$(readlink "$root/bin/ghoulrun")" = ../games/ghoulrun ] ||
        fail "bin/ghoulrun is not a link to ../games/ghoulrun"
    for folder in images sfx; do
        [ "$(find "$root/share/games/ghoulrun/$folder" -type f | wc -l)" -eq \
            "$(find "$GHOULRUN_GAME_DIR/$folder" -type f | wc -l)" ] ||
            fail "share/games/ghoulrun/$folder is not the whole $folder of the run folder"
    done
    note "make install put the game, its data, menu entry, icons, manual and metadata in place"

    make_in_project uninstall >"$stage/uninstall.log" 2>&1 ||
        fail "make uninstall failed: $(cat "$stage/uninstall.log")"
    local left
    left=$(cd "$stage" && find . \( -type f -o -type l \) ! -name '*.log' | sort)
    [ "$left" = "$(printf '%s\n' "./${prefix#/}/bin/other" "./${prefix#/}/share/applications/other.desktop")" ] ||
        fail "after make uninstall there are: $left"
    for own in share/games/ghoulrun share/doc/ghoulrun; do
        [ ! -e "$root/$own" ] || fail "make uninstall left the game's folder $own"
    done
    make_in_project uninstall >/dev/null 2>&1 && fail "a second make uninstall found something to do"
    note "make uninstall took back every file, and left the other programs' files"
}

case "$CHECK" in
desktop_entry | metainfo | man_page | package | lintian | unpacked | dpkg | make_install)
    "check_$CHECK"
    ;;
*) fail "no check named $CHECK" ;;
esac
