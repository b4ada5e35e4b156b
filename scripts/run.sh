#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo home when it is not there and starts Twinleaf
# on it. Without a display it says so and shows the demo contacts on the terminal instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
bash scripts/build.sh build
home="$top/demo-home"
[ -d "$home" ] || bash scripts/make-demo-home.sh "$home"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open."
    echo "The demo contacts as 'twinleaf compare contacts' shows them:"
    echo
    exec build/twinleaf --home "$home" compare contacts
fi
exec build/twinleaf --home "$home"
