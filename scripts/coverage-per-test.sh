#!/usr/bin/env bash
# Measures what each test reaches on its own: every CTest test runs alone with
# its gcov counters written to a tree of its own (GCOV_PREFIX, inherited by the
# programs it starts), and gcovr turns each tree into
# $BUILD_DIR/per-test/NUMBER.json (same filters as scripts/coverage.sh).
# scripts/coverage-who.py reads them. Takes about 30-40 minutes for the whole
# suite on two cores; "FIRST LAST" limits it to those CTest numbers.
#
#   scripts/coverage-per-test.sh [FIRST LAST]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
source scripts/coverage-common.sh
BUILD_DIR=$(realpath -m "${BUILD_DIR:-build-coverage}")
coverage_build "$BUILD_DIR"
OUT=$BUILD_DIR/per-test
mkdir -p "$OUT"
(cd "$BUILD_DIR" && ctest -N) | sed -nE 's/^ *Test *#([0-9]+): (.*)$/\1 \2/p' >"$OUT/names.txt"
first=${1:-1}
last=${2:-$(wc -l <"$OUT/names.txt")}
for n in $(seq "$first" "$last"); do
  tree=$(mktemp -d)
  (cd "$BUILD_DIR" && SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null GCOV_PREFIX=$tree \
    ctest -I "$n,$n" --timeout 600 >"$OUT/$n.log" 2>&1) || echo "Test $n schlug fehl (siehe $OUT/$n.log)" >&2
  counted=$tree$BUILD_DIR
  if [ -d "$counted" ]; then
    # gcov wants each counter file next to the notes file the compiler wrote.
    (cd "$BUILD_DIR" && find . -name '*.gcno') | while read -r f; do
      if [ -d "$counted/$(dirname "$f")" ]; then ln -f "$BUILD_DIR/$f" "$counted/$(dirname "$f")/"; fi
    done
    (cd "$tree" && gcovr -r "$ROOT" "$counted" "${COVERAGE_FILTERS[@]}" --json "$OUT/$n.json" >"$OUT/$n.gcovr" 2>&1)
  else
    echo '{"files": []}' >"$OUT/$n.json"   # a test that runs no program of this build
  fi
  rm -rf "$tree"
done
