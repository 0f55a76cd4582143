#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (no display
# and no sound card needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
# Leak reports about caches that libraries keep for the life of the process.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j2
