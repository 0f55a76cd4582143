#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (no display
# and no sound card needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j2
