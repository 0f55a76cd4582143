#!/usr/bin/env python3
"""Writes the campaign's demos: scripted walks from each map's start field to
its exit (or to victory), as readable demo text.

A script is a list of steps: walk N fields (W held), strafe, turn left or
right by a quarter (arrow keys), use (E), wait. Times are split into frames
of 50 ms with one shorter frame for the remainder, so that distances and
angles come out as exact as the millisecond grid allows.

    python3 make_demos.py [OUTPUT_DIR]
"""
import math
import os
import sys

FRAME_MS = 50
FIELD = 20.0
TURN_SPEED = 2.0  # radians per second with an arrow key


class Demo:
    def __init__(self, title):
        self.lines = ["HALVORAN-DEMO 1", "# " + title, "# Bilder Millisekunden Tasten/Maus"]

    def hold(self, ms_total, keys=""):
        """Holds keys for ms_total milliseconds (rounded to whole ms)."""
        ms_total = int(round(ms_total))
        frames, rest = divmod(ms_total, FRAME_MS)
        suffix = (" " + keys) if keys else ""
        if frames:
            self.lines.append(f"{frames} {FRAME_MS}{suffix}")
        if rest:
            self.lines.append(f"1 {rest}{suffix}")

    def comment(self, text):
        self.lines.append("# " + text)

    def wait(self, seconds):
        self.hold(seconds * 1000)

    def walk(self, fields, speed, keys="W"):
        self.hold(fields * FIELD / speed * 1000, keys)
        self.wait(0.1)

    def turn(self, quarters):
        key = "Pfeil_rechts" if quarters > 0 else "Pfeil_links"
        self.hold(abs(quarters) * (math.pi / 2) / TURN_SPEED * 1000, key)
        self.wait(0.1)

    def press(self, key):
        self.lines.append(f"1 {FRAME_MS} {key}")
        self.wait(0.1)

    def text(self):
        return "\n".join(self.lines) + "\n"


# Headings: 0 faces down the plan (row + 1), a quarter to the right faces
# column + 1, two quarters face row - 1.
def tutorial(d):
    s = 9.0
    d.comment("Tutorial: den Gang hinunter, durch die Tür, Hebel, Gitter, an der Glut vorbei zur Rune")
    d.wait(0.5)
    d.turn(-1); d.walk(1, s)           # from the sign at (1,0) west to (0,0)
    d.turn(1); d.walk(3, s)            # down the corridor to (0,3)
    d.turn(1); d.walk(2, s)            # east to (2,3)
    d.turn(1); d.walk(1.7, s)          # north into (2,1), up to the door
    d.press("E"); d.wait(4)            # the door opens
    d.walk(1.3, s)                     # on to (2,0)
    d.turn(-1); d.walk(1, s)           # east to (3,0)
    d.turn(-1); d.walk(2, s)           # south into the niche (3,2)
    d.press("E"); d.wait(3)            # the lever
    d.turn(2); d.walk(2, s)            # back north to (3,0)
    d.turn(-1); d.walk(1, s)           # east to (4,0)
    d.turn(-1); d.walk(1.2, s)         # south into (4,1): the portcullis opens
    d.wait(4)
    d.walk(2.175, s)                   # on to (4,3)
    d.turn(1); d.walk(0.55, s)         # east onto the rune (5,3): on to the next map
    d.wait(1)


def kerker(d):
    s = 10.0
    d.comment("Kerker: nach Osten zum Hebel, dann durch die Barriere zur Rune")
    d.wait(0.5)
    d.turn(1); d.walk(4, s)            # east to (4,0)
    d.press("E"); d.wait(3)            # the lever
    d.turn(-1); d.walk(2, s)           # south up to the barrier in (4,2)
    d.wait(4)                          # the barrier dissolves
    d.walk(0.7, s)                     # on to the rune (4,3): on to the next map
    d.wait(1)


def nachtweg(d):
    s = 11.0
    d.comment("Nachtweg: die drei Kristalle")
    d.wait(0.5)
    d.turn(1); d.walk(2, s)            # east to (2,0)
    d.turn(-1); d.walk(1, s)           # south to (2,1)
    d.turn(-1); d.walk(0.8, s)         # west to the first crystal (1,1)
    d.wait(1)
    d.turn(2); d.walk(2.8, s)          # east to (4,1)
    d.turn(-1); d.walk(1, s)           # south to (4,2)
    d.walk(0.6, s)                     # up to the second crystal (4,3)
    d.wait(1)
    d.hold(6.5 / s * 1000, "A")        # round the crystal
    d.walk(1.4, s)                     # to (4,4)
    d.hold(6.5 / s * 1000, "D")
    d.turn(-1); d.walk(3.8, s)         # west to the last crystal (0,4)
    d.wait(2)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, script in (("Tutorial", tutorial), ("Kerker", kerker), ("Nachtweg", nachtweg)):
        demo = Demo(f"{name}: vom Start bis zum Ausgang")
        script(demo)
        with open(os.path.join(out, name + ".demo"), "w", encoding="utf-8") as f:
            f.write(demo.text())


if __name__ == "__main__":
    main()
