#!/usr/bin/env bash
# Writes the user guide's pictures into docs/screenshots/: the main window (each tab), the
# conflict alert, the list of losses before a run, the splash and the about box, taken on a fresh
# copy of the demo home under Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
bash scripts/build.sh build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash scripts/make-demo-home.sh "$work/home" >/dev/null
mkdir -p docs/screenshots
# A fixed font setting and screen, so that the pictures change only when the windows do.
TWINLEAF_SCREENSHOTS="$top/docs/screenshots" QT_QPA_PLATFORMTHEME= QT_SCALE_FACTOR=1 \
    xvfb-run -a -s "-screen 0 1280x1024x24" build/twinleaf --home "$work/home"
ls docs/screenshots/*.png
