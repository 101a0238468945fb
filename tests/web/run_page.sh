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
cp "$tests/$script" "$runner/"

python3 "$tests/../../scripts/serve_web.py" "$build_dir/web" "$port" >/dev/null 2>&1 &
server=$!
trap 'kill "$server"' EXIT
sleep 1
node "$runner/$script" "http://127.0.0.1:$port/" "$@"
