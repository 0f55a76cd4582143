#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from its bin/ directory.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd "${BUILD_DIR:-build}/game/bin"
exec ./Halvoran "$@"
