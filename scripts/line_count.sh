#!/bin/sh
# Non-blank lines of C++, headers, shell, Python and CMake files: the tests against the code they
# test (src, tools, bench, scripts), per folder, and the ratio the project keeps between them.
set -eu
cd "$(dirname "$0")/.."

count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.cc' -o -name '*.h' -o -name '*.sh' \
        -o -name '*.py' -o -name '*.cmake' -o -name CMakeLists.txt \) -print0 |
        xargs -0 cat | grep -cv '^[[:space:]]*$' || true
}

for folder in src/* tools bench scripts tests/*; do
    [ -d "$folder" ] && printf '%-20s %6d\n' "$folder" "$(count "$folder")"
done
tests=$(count tests)
code=$(count src tools bench scripts)
printf '%-20s %6d\n%-20s %6d\n' tests "$tests" code "$code"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio                %6.2f (at most 0.35)\n", t / c }'
