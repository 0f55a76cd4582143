#!/usr/bin/env bash
# Measures the game as a player would feel it, headless on the software
# renderer: the Tutorial timedemo at 1024 x 768 with the standard options and
# the whole campaign, the time from start to the first intro frame, the
# time to load a map, and the peak memory. Build first (scripts/build.sh).
# On a software renderer the standard options have no anti-aliasing (it is
# not offered there).
set -euo pipefail
cd "$(dirname "$0")/.."
GAME=${BUILD_DIR:-build}/game
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/bin" "$WORK/config" "$WORK/runtime"
cp "$GAME"/bin/* "$WORK/bin/"
for d in maps data demos; do cp -r "$GAME/$d" "$WORK/$d"; done
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime"
run() { (cd "$WORK/bin" && /usr/bin/time -f "%e s, höchstens %M KiB" ./Halvoran --windowed "$@" 2>&1 | grep -E "Timedemo|Bildzeiten|höchstens") }

echo "Start bis zum ersten Bild des Intros (Start, ein Bild, Beenden):"
run --quit-after 0.001
echo "Start bis zum ersten Bild der Karte Tutorial (mit Laden der Karte):"
run --map Tutorial --quit-after 0.001
echo "Timedemo Tutorial, Standardoptionen:"
run --map Tutorial --timedemo ../demos/Tutorial.demo
echo "Timedemo Kampagne (Tutorial, Kerker, Nachtweg):"
cat "$GAME"/demos/{Tutorial,Kerker,Nachtweg}.demo > "$WORK/campaign.demo"
run --map Tutorial --timedemo ../campaign.demo
