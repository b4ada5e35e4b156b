#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo home when it is not there and runs Twinleaf on it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
bash scripts/build.sh build
home="$top/demo-home"
[ -d "$home" ] || bash scripts/make-demo-home.sh "$home"
exec build/twinleaf users --home "$home"
