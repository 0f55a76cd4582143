#!/usr/bin/env bash
# Builds with gcov counters into build-coverage/ (BUILD_DIR overrides), runs the
# tests (all, or those matching the ctest regex given as $1) and prints the line
# and branch coverage of engine/ and game/. The full report goes to
# $BUILD_DIR/coverage.txt, the counts per line and branch to coverage.json
# (scripts/coverage-lost.py compares two of those).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build-coverage}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORAN_COVERAGE=ON \
  -DHALVORAN_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD_DIR"
find "$BUILD_DIR" -name '*.gcda' -delete
(cd "$BUILD_DIR" && ctest -j2 --timeout 600 ${1:+-R "$1"} >ctest.log 2>&1) ||
  { tail -30 "$BUILD_DIR/ctest.log"; echo "Tests failed; coverage not measured." >&2; exit 1; }
tail -3 "$BUILD_DIR/ctest.log"
# Branches the compiler adds for exceptions and unreachable code are not the
# code's own decisions; they are left out of the branch figure.
gcovr -r . "$BUILD_DIR" --filter 'engine/' --filter 'game/' \
  --exclude-unreachable-branches --exclude-throw-branches \
  --txt "$BUILD_DIR/coverage.txt" --json "$BUILD_DIR/coverage.json" --print-summary
