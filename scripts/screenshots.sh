#!/usr/bin/env bash
# Takes the game's screenshots headless, for looking at the content: every
# menu page, each map's start view and quest list (F1), a death, the victory
# and the night sky looking up, at 1024 x 768 and 1280 x 1024.
#
#   scripts/screenshots.sh [OUTPUT_DIR]      (default: $BUILD_DIR/screenshots)
#   RESOLUTIONS=1024x768 scripts/screenshots.sh   (only some resolutions)
#
# Each scene is a short demo played with --timedemo in a scratch game tree
# (links to the built maps/ and data/) on an Xvfb screen of the resolution,
# with that resolution in the options; the demo presses SysRq (the game's
# screenshot key) where a picture is wanted. The pictures are converted to PNG
# (ImageMagick) and named <resolution>-<scene>-<n>.png. Needs Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
GAME=$(realpath "$BUILD_DIR/game")
OUT=$(realpath -m "${1:-$BUILD_DIR/screenshots}")
mkdir -p "$OUT"
command -v Xvfb >/dev/null || { echo "screenshots.sh: Xvfb fehlt (apt-get install xvfb)" >&2; exit 1; }
SCRATCH=$(mktemp -d)
XVFB_PID=
cleanup() { [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; rm -rf "$SCRATCH"; }
trap cleanup EXIT

# The demos: "<frames> <ms> [keys]" lines (see engine/input/aeDemo.h).
demo() { printf 'HALVORAN-DEMO 1\n# %s\n' "$1" > "$SCRATCH/$1.demo"; cat >> "$SCRATCH/$1.demo"; }
# First a savegame, so that the load page shows its buttons: Escape, the
# cursor from the middle down onto "Spiel speichern", a click, Return.
demo save <<'EOF2'
10 50
1 50 Escape
2 50
1 50 x=0 y=250
1 50 x=0 y=83
1 50 Knopf_1
2 50
1 50 Return
4 50
EOF2
demo menu <<'EOF'
1 50 F2
40 50
1 50 SysRq
1 50 O
40 50
1 50 SysRq
1 50 Escape
40 50
1 50 C
180 50
1 50 SysRq
1 50 Escape
40 50
1 50 N
40 50
1 50 SysRq
1 50 Pfeil_rechts
4 50
1 50 SysRq
1 50 Pfeil_rechts
4 50
1 50 SysRq
1 50 Escape
40 50
1 50 L
40 50
1 50 SysRq
1 50 Escape
40 50
1 50 B
40 50
1 50 SysRq
2 50
EOF
for map in Tutorial Kerker Nachtweg; do
  demo "start-$map" <<'EOF'
20 50
1 50 SysRq
6 50 F1
1 50 F1 SysRq
2 50 F1
2 50
EOF
done
# Kerker: the spike field lies straight below the start.
demo death <<'EOF'
10 50
50 50 W
10 50
1 50 SysRq
2 50
EOF
{ tail -n +2 "$GAME/demos/Nachtweg.demo"; printf '20 50\n1 50 SysRq\n2 50\n'; } | demo victory
demo sky <<'EOF'
10 50
25 50 Bild_hoch
1 50 SysRq
1 50 Pfeil_rechts
20 50 Pfeil_rechts
1 50 SysRq
2 50
EOF

run() {  # resolution scene map...
  local res=$1 scene=$2; shift 2
  local root="$SCRATCH/tree-$res-$scene"
  mkdir -p "$root/bin" "$root/config/Kelmstone Games" "$SCRATCH/savegame-$res"
  ln -s "$SCRATCH/savegame-$res" "$root/savegame"  # shared by the scenes of a resolution
  ln -s "$GAME/maps" "$root/maps"
  ln -s "$GAME/data" "$root/data"
  ln -s "$GAME/bin/Halvoran" "$GAME/bin/libEngine.so" "$root/bin/"
  printf '"MultiSampling"=dword:00000000\n"CursorSpeed"=dword:00000001\n"3DGlasses"=dword:00000000\n"ResolutionWidth"=dword:%08x\n"ResolutionHeight"=dword:%08x\n' \
    "${res%x*}" "${res#*x}" > "$root/config/Kelmstone Games/Halvoran.reg"
  (cd "$root/bin" && XDG_CONFIG_HOME="$root/config" ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy \
     timeout 600 ./Halvoran --windowed "$@" --timedemo "$SCRATCH/$scene.demo" >/dev/null 2>&1) || true
  local n=0
  while IFS= read -r shot; do
    n=$((n + 1))
    convert "$root/bin/$shot" "$OUT/$res-$scene-$n.png"
  done < <(ls -1 "$root/bin" | grep '^Screenshot .*\.bmp$' | sort -V)
  echo "$res $scene: $n Bild(er)"
}

display=77
for res in ${RESOLUTIONS:-1024x768 1280x1024}; do
  Xvfb ":$display" -screen 0 "${res}x24" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  sleep 2
  export DISPLAY=":$display" SDL_VIDEODRIVER=x11
  run "$res" save --map Tutorial
  run "$res" menu
  for map in Tutorial Kerker Nachtweg; do run "$res" "start-$map" --map "$map"; done
  run "$res" death --map Kerker
  run "$res" victory --map Nachtweg
  run "$res" sky --map Nachtweg
  kill "$XVFB_PID"; wait "$XVFB_PID" 2>/dev/null || true; XVFB_PID=
  display=$((display + 1))
done
echo "Bilder in $OUT"
