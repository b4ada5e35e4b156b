#!/usr/bin/env bash
# Configures and builds one tree: build.sh DIR [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
cmake -S "$top" -B "$dir" -G Ninja -DTWINLEAF_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -- -j"$(nproc)"
