#!/bin/sh
# Serves the browser build in $1/web on this machine and drives it with tests/web/smoke.mjs in
# Debian's headless Chromium; puppeteer-core is installed from tests/web's lockfile into
# $1/web-test. Screenshots go to $2 (/tmp unless given).
set -eu

build_dir="$(cd "$1" && pwd)"
shots="${2:-/tmp}"
port="${WEB_TEST_PORT:-8047}"
tests="$(cd "$(dirname "$0")" && pwd)"
runner="$build_dir/web-test"

mkdir -p "$runner"
if ! cmp -s "$tests/package-lock.json" "$runner/package-lock.json" || [ ! -d "$runner/node_modules" ]; then
    cp "$tests/package.json" "$tests/package-lock.json" "$runner/"
    (cd "$runner" && npm ci --no-audit --no-fund >/dev/null)
fi
cp "$tests/smoke.mjs" "$runner/"

python3 "$tests/../../scripts/serve_web.py" "$build_dir/web" "$port" >/dev/null &
server=$!
trap 'kill "$server"' EXIT
sleep 1
node "$runner/smoke.mjs" "http://127.0.0.1:$port/" "$shots"
