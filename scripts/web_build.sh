#!/bin/sh
# Builds the browser build into $1/web (see `make web`) from the data the desktop build generated
# in $1/game: emscripten's CMake build in $1/web-build, with the libraries scripts/web_deps.sh
# keeps in its cache. Any further arguments name targets left out of the default build, built
# after it (bench's web_frame_times, for one).
set -eu

build_dir="$(cd "$1" && pwd)"
shift
environment="$(scripts/web_deps.sh)"
eval "$environment"
emcmake cmake -S . -B "$build_dir/web-build" -DCMAKE_BUILD_TYPE=Release \
    -DGHOULRUN_WERROR="${WERROR:-OFF}" \
    -DGHOULRUN_WEB_DIR="$build_dir/web" -DGHOULRUN_WEB_DATA="$build_dir/game" >/dev/null
cmake --build "$build_dir/web-build" -j "${JOBS:-$(nproc)}"
for target in "$@"; do
    cmake --build "$build_dir/web-build" -j "${JOBS:-$(nproc)}" --target "$target"
done
echo "web: $build_dir/web (make serve-web serves it)"
