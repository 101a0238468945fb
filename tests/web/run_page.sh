#!/bin/sh
# Serves the browser build in $1/web on this machine and runs the page script tests/web/$2 in
# Debian's headless Chromium, with the page's address and the rest of the arguments; puppeteer-core
# is installed from tests/web's lockfile into $1/web-test.
# Usage: run_page.sh BUILD_DIR SCRIPT [ARGUMENT...]
set -eu

build_dir="$(cd "$1" && pwd)"
script="$2"
shift 2
port="${WEB_TEST_PORT:-8047}"
tests="$(cd "$(dirname "$0")" && pwd)"
runner="$build_dir/web-test"

mkdir -p "$runner"
if ! cmp -s "$tests/package-lock.json" "$runner/package-lock.json" || [ ! -d "$runner/node_modules" ]; then
    cp "$tests/package.json" "$tests/package-lock.json" "$runner/"
    (cd "$runner" && npm ci --no-audit --no-fund >/dev/null)
fi
# The script runs beside the installed modules; the module the scripts share goes with it.
cp "$tests/$script" "$tests/browser.mjs" "$runner/"

# The page is asked for once the server says it is listening (or the server has given up).
ready="$runner/server-$port.out"
: >"$ready"
python3 "$tests/../../scripts/serve_web.py" "$build_dir/web" "$port" >"$ready" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null' EXIT
until grep -q "^serving" "$ready"; do
    if ! kill -0 "$server" 2>/dev/null; then
        cat "$ready" >&2
        exit 1
    fi
    sleep 0.1
done
node "$runner/$script" "http://127.0.0.1:$port/" "$@"
