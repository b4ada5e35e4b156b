#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo home when it is not there and starts Twinleaf
# on it. Without a display it says so and shows the demo contacts on the terminal instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
# Only the program, not the tests and benchmarks; the build's log goes to a file and the terminal
# gets one line. On failure the end of the log says what went wrong.
log="$top/build/run-build.log"
mkdir -p "$top/build"
printf 'Building twinleaf ...'
if ! { cmake -S "$top" -B build -G Ninja -DTWINLEAF_WERROR=ON >"$log" 2>&1 &&
       cmake --build build --target twinleaf -- -j"$(nproc)" >>"$log" 2>&1; }; then
    printf ' failed; the end of %s:\n' "$log"
    tail -n 30 "$log"
    exit 1
fi
printf ' done\n'
home="$top/demo-home"
[ -d "$home" ] || bash scripts/make-demo-home.sh "$home"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open."
    echo "The demo contacts as 'twinleaf compare contacts' shows them:"
    echo
    exec build/twinleaf --home "$home" compare contacts
fi
exec build/twinleaf --home "$home"
