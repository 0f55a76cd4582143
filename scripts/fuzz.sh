#!/usr/bin/env bash
# Builds the fuzz targets (clang++, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ (FUZZ_BUILD_DIR overrides) and
# runs each for SECONDS (default 600), all targets or the ones named:
#   scripts/fuzz.sh [SECONDS] [TARGET...]      e.g. scripts/fuzz.sh 60 map savegame
# Seeds come from fuzz/corpus/<target>/ and from the content of the normal build
# (build/, SEED_BUILD_DIR overrides; missing content is skipped). What a target
# learns stays in <fuzz build>/corpus/<target>/; an input that crashes is kept
# as <fuzz build>/crashes/<target>-crash-… and the script ends with an error.
# FUZZ_RUNS=N ends a target earlier, after N executions.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-600}
shift || true
FUZZ=$(realpath -m "${FUZZ_BUILD_DIR:-build-fuzz}")  # absolute: some targets work in a directory of their own
CONTENT=$(realpath -m "${SEED_BUILD_DIR:-build}")

CC=clang CXX=clang++ cmake -S . -B "$FUZZ" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORAN_FUZZ=ON >/dev/null
cmake --build "$FUZZ" -j2
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
  for f in "$FUZZ"/fuzz/fuzz_*; do
    name=${f##*/fuzz_}
    if [ "$name" != seeds ]; then TARGETS+=("$name"); fi
  done
fi

# Seeds from the shipped content, made fresh on every run.
SEEDS=$FUZZ/seeds
rm -rf "$SEEDS"
mkdir -p "$SEEDS"/{map,model,animation,sound,archive,image,maptext}
copy() { local dir=$1; shift; for f in "$@"; do [ -f "$f" ] && cp "$f" "$SEEDS/$dir/" || true; done; }
shopt -s nullglob
copy map "$CONTENT"/game/maps/*.hwm
copy model "$CONTENT"/game/data/*/models/*.rvm engine/resources/data/Sprite.rvm
copy animation "$CONTENT"/game/data/*/animations/*.ran
copy sound "$CONTENT"/game/data/*/sounds/*.rvs
copy maptext "$CONTENT"/content/work/maps/*.txt
for z in "$CONTENT"/game/data/*/*/*.zip; do
  if [ "$(stat -c %s "$z")" -le 65536 ]; then cp "$z" "$SEEDS/archive/"; fi
done
# Small pictures in every format the texture loader reads.
n=0
for b in "$CONTENT"/game/data/*/textures/*.bmp "$CONTENT"/game/maps/*.bmp; do
  n=$((n + 1)); [ $n -gt 3 ] && break
  for ext in bmp tga png jpg; do
    convert "$b" -resize 8x8 "$SEEDS/image/seed$n.$ext" 2>/dev/null || true
  done
done
"$FUZZ"/fuzz/fuzz_seeds "$SEEDS" "$CONTENT"/game/maps/*.hwm

mkdir -p "$FUZZ"/crashes
printf '%-10s %8s %12s %8s %8s\n' target seconds executions exec/s corpus
status=0
for t in "${TARGETS[@]}"; do
  corpus=$FUZZ/corpus/$t
  mkdir -p "$corpus"
  dirs=("$corpus")
  for d in "$SEEDS/$t" "$PWD/fuzz/corpus/$t"; do [ -d "$d" ] && dirs+=("$d"); done
  log=$FUZZ/$t.log
  if ! "$FUZZ/fuzz/fuzz_$t" -max_total_time="$SECONDS_PER_TARGET" -runs="${FUZZ_RUNS:--1}" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$FUZZ/crashes/$t-" "${dirs[@]}" >"$log" 2>&1; then
    echo "fuzz_$t hat einen Fehler gefunden (siehe $log):" >&2
    grep -E "ERROR|SUMMARY|Bedingung|Test unit written" "$log" >&2 || tail -20 "$log" >&2
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  printf '%-10s %8s %12s %8s %8s\n' "$t" "${time:--}" "${runs:--}" "${rate:--}" "$(ls "$corpus" | wc -l)"
done
exit $status
