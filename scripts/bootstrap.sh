#!/bin/sh
# Installs the Debian packages the build, the tests and the real-window tests need; only what is missing.
# The install and the package need libpng-dev (the icons), help2man (the manual page) and dpkg-dev
# (the changelog, the package's dependencies); man-db, desktop-file-utils, appstream and lintian
# check what they make. openbox is the window manager of the end-to-end window scenario (full
# screen and focus are a window manager's part); stress-ng serves `make e2e-under-load`.
# clang-tidy, clang-format and cppcheck serve `make lint`; gnuplot-nox draws the plot of `make bench`.
# libinih-dev reads the settings file. clang with its sanitizer and libFuzzer runtimes
# (libclang-rt-14-dev) builds the fuzz targets.
set -eu

PACKAGES="cmake make g++ pkg-config libsdl1.2-compat-dev libsdl-mixer1.2-dev \
googletest libgtest-dev libcli11-dev libxxhash-dev libvorbis-dev libx11-dev xvfb xdotool x11-utils imagemagick \
procps libpng-dev help2man dpkg-dev man-db desktop-file-utils appstream lintian openbox stress-ng \
clang-tidy clang-format cppcheck gnuplot-nox libinih-dev clang libclang-rt-14-dev"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -z "$missing" ]; then
    echo "bootstrap: all $(echo $PACKAGES | wc -w) packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
else
    as_root="sudo"
fi

echo "bootstrap: installing$missing"
export DEBIAN_FRONTEND=noninteractive
$as_root apt-get update -q </dev/null
# shellcheck disable=SC2086
$as_root apt-get install -y -q --no-install-recommends $missing </dev/null
