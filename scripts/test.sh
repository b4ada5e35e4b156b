#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: in the normal build and in an
# AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh

jobs=$(nproc)
echo "== build"
bash scripts/build.sh build
echo "== tests"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build"
ASAN_OPTIONS=detect_leaks=1 bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug \
    -DTWINLEAF_SANITIZE=ON -DTWINLEAF_BENCH=OFF
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
