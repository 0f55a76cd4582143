#!/usr/bin/env bash
# Builds with gcov counters into build-coverage/ (BUILD_DIR overrides), runs the
# tests (all, or those matching the ctest regex given as $1) and prints the line
# and branch coverage of engine/, game/ and tools/. The full report goes to
# $BUILD_DIR/coverage.txt, the counts per line and branch to coverage.json
# (scripts/coverage-lost.py compares two of those).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
source scripts/coverage-common.sh
BUILD_DIR=${BUILD_DIR:-build-coverage}
coverage_build "$BUILD_DIR"
find "$BUILD_DIR" -name '*.gcda' -delete
(cd "$BUILD_DIR" && ctest -j2 --timeout 600 ${1:+-R "$1"} >ctest.log 2>&1) ||
  { tail -30 "$BUILD_DIR/ctest.log"; echo "Tests failed; coverage not measured." >&2; exit 1; }
tail -3 "$BUILD_DIR/ctest.log"
gcovr -r . "$BUILD_DIR" "${COVERAGE_FILTERS[@]}" --txt "$BUILD_DIR/coverage.txt" --json "$BUILD_DIR/coverage.json" --print-summary
