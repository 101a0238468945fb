#!/bin/sh
# Installs the Debian packages the build, the tests and the real-window tests need (stress-ng
# for `make e2e-under-load`); only what is missing.
set -eu

PACKAGES="cmake make g++ pkg-config libsdl1.2-compat-dev libsdl-mixer1.2-dev \
googletest libgtest-dev libvorbis-dev libx11-dev xvfb xdotool x11-utils imagemagick stress-ng"

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
