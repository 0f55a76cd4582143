#!/usr/bin/env bash
# Compares what two builds draw, for changes that must keep every picture (a
# faster way to draw the same frame): the pictures of scripts/screenshots.sh
# (every menu page, each map's start view and quest list, a death, the
# victory, the sky; 1024 x 768 unless RESOLUTIONS says otherwise) and pictures
# at fixed frames of each map's demo (the demo played as a timedemo with SysRq
# pressed in those frames, the walk unchanged). Prints the largest difference
# of any channel of any pixel for every pair and fails when one is above
# LIMIT of 255 (default 2) or a picture is missing. FRAMES_<map> (for example
# FRAMES_Tutorial="10 20 30") replaces the frames taken of that map's demo.
#
#   scripts/compare-pictures.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR [OUTPUT_DIR]
#
# Both builds must be built (scripts/build.sh). Needs Xvfb and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 2 ] || { echo "Aufruf: $0 BUILD_VORHER BUILD_NACHHER [AUSGABE]" >&2; exit 2; }
OUT=$(realpath -m "${3:-build/compare-pictures}")
LIMIT=${LIMIT:-2}
export RESOLUTIONS=${RESOLUTIONS:-1024x768}
rm -rf "$OUT"
mkdir -p "$OUT"

# Frames of each map's demo to take, spread over the walk.
declare -A FRAMES=([Tutorial]="60 200 330 375 430 520 640 760 880 1000 1060 1100 1250 1300"
                   [Kerker]="40 100 160 220 280 340 400 460"
                   [Nachtweg]="40 120 200 280 360 440 520 600 680 740")
# FRAMES_Tutorial="5 10 15 …" (and so on) takes other frames of that demo.
for map in "${!FRAMES[@]}"; do
  var=FRAMES_$map
  [ -n "${!var:-}" ] && FRAMES[$map]=${!var}
done

# demo_shots IN OUT FRAME...: IN with SysRq added in the given frames.
demo_shots() {
  python3 - "$@" <<'EOF'
import sys
src, dst, frames = sys.argv[1], sys.argv[2], sorted(int(f) for f in sys.argv[3:])
out, n = [], 0
for line in open(src, encoding='latin-1'):
    p = line.split()
    if not p or not p[0].isdigit():
        out.append(line.rstrip('\n'))
        continue
    count, rest = int(p[0]), p[1:]
    first, last = n + 1, n + count
    cur = first
    for f in (f for f in frames if first <= f <= last):
        if f > cur:
            out.append(' '.join([str(f - cur)] + rest))
        out.append(' '.join(['1'] + rest + ['SysRq']))
        cur = f + 1
    if cur <= last:
        out.append(' '.join([str(last - cur + 1)] + rest))
    n = last
open(dst, 'w', encoding='latin-1').write('\n'.join(out) + '\n')
EOF
}

take() {  # take BUILD_DIR OUTPUT_DIR
  local game dir scratch
  game=$(realpath "$1/game")
  dir=$2
  mkdir -p "$dir"
  BUILD_DIR=$1 scripts/screenshots.sh "$dir" >/dev/null
  for map in "${!FRAMES[@]}"; do
    scratch=$(mktemp -d)
    mkdir -p "$scratch/bin" "$scratch/config" "$scratch/runtime"
    cp "$game"/bin/* "$scratch/bin/"
    ln -s "$game/maps" "$scratch/maps"
    ln -s "$game/data" "$scratch/data"
    # shellcheck disable=SC2086
    demo_shots "$game/demos/$map.demo" "$scratch/shots.demo" ${FRAMES[$map]}
    (cd "$scratch/bin" && SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null XDG_CONFIG_HOME="$scratch/config" \
       XDG_RUNTIME_DIR="$scratch/runtime" timeout 600 ./Halvoran --windowed --map "$map" \
       --timedemo ../shots.demo >/dev/null 2>&1) || true
    local n=0
    for frame in ${FRAMES[$map]}; do
      n=$((n + 1))
      [ -f "$scratch/bin/Screenshot $n.bmp" ] && convert "$scratch/bin/Screenshot $n.bmp" "$dir/demo-$map-$frame.png"
    done
    rm -rf "$scratch"
  done
}

take "$1" "$OUT/before"
take "$2" "$OUT/after"

worst=0
missing=0
for before in "$OUT"/before/*.png; do
  name=${before##*/}
  after="$OUT/after/$name"
  if [ ! -f "$after" ]; then
    echo "$name: fehlt im zweiten Build"
    missing=1
    continue
  fi
  # PAE: the largest difference of one channel, as a fraction of 1; AE: the
  # number of pixels that differ. (compare answers 1 when the pictures differ.)
  diff=$( (compare -metric PAE "$before" "$after" null: 2>&1 || true) | sed -n 's/.*(\([0-9.e+-]*\)).*/\1/p')
  level=$(python3 -c "print(round(float('${diff:-1}') * 255))")
  pixels=$( (compare -metric AE "$before" "$after" null: 2>&1 || true) | sed 's/ .*//')
  echo "$name: $level/255, $pixels Pixel verschieden"
  [ "$level" -gt "$worst" ] && worst=$level
done
count=$(find "$OUT/before" -name '*.png' | wc -l)
echo "$count Bilder verglichen, größter Unterschied $worst/255 (erlaubt $LIMIT/255)"
[ "$missing" -eq 0 ] && [ "$count" -gt 0 ] && [ "$worst" -le "$LIMIT" ]
