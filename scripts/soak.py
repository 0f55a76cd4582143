#!/usr/bin/env python3
"""Soak run: plays the game headless for a given time with random input and
reports crashes, errors in the log and memory growth.

The input is a demo made up here from random scenes that a player goes
through: new games on every map, walking, turning, using, quests on F1,
saving, loading, the campaign's own demos (which switch maps), the options,
credits and quit pages (answered with "Nein"), back to the main menu through
the in-game menu. The graphics device is lost every few seconds on purpose.
The game runs as a timedemo (as fast as it draws) and ends with --quit-after.

    scripts/soak.py [SECONDS] [--seed N]

Exit code 0 when the run ended normally, without an error line in the log
(the deliberate device losses are not errors) and with memory at the end
within 10 % of memory after the first minute (or after a sixth of a shorter
run).
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MS = 30  # milliseconds per demo frame


class Script:
    """Demo text with a model of where the cursor stands."""

    def __init__(self, rng):
        self.rng = rng
        self.lines = ["HALVORAN-DEMO 1"]
        self.frames = 0
        self.saved = 0

    def add(self, frames, keys=""):
        if frames > 0:
            self.lines.append(f"{frames} {MS}" + (f" {keys}" if keys else ""))
            self.frames += frames

    def wait(self, seconds):
        self.add(max(1, int(seconds * 1000 / MS)))

    def press(self, key):
        self.add(1, key)
        self.add(2)

    def cursor(self, x, y):
        """Moves the menu cursor to (x, y): first into the top left corner
        (it stops at the screen's edge), then 250 counts per 0.3 of the
        screen at the middle cursor speed."""
        self.add(5, "x=-250 y=-250")
        cx, cy = round(x / 0.3 * 250), round(y / 0.3 * 250)
        while cx or cy:
            sx, sy = min(cx, 250), min(cy, 250)
            self.add(1, f"x={sx} y={sy}")
            cx, cy = cx - sx, cy - sy

    def click(self, x, y, button="Knopf_1"):
        self.cursor(x, y)
        self.press(button)

    # ---- scenes; each starts and ends on the main page, faded in ----------

    def walk(self, seconds):
        """Random walking in the game (the menu of the game stays closed)."""
        moves = ["W", "S", "A", "D", "W Shift_links", "Pfeil_hoch", "Pfeil_runter", "W D", "S A"]
        extras = ["", "", "", "Pfeil_links", "Pfeil_rechts", "Bild_hoch", "Bild_runter", "F1"]
        end = self.frames + int(seconds * 1000 / MS)
        while self.frames < end:
            keys = " ".join(k for k in (self.rng.choice(moves), self.rng.choice(extras)) if k)
            if self.rng.random() < 0.3:
                keys += f" x={self.rng.randint(-200, 200)} y={self.rng.randint(-40, 40)}"
            self.add(self.rng.randint(3, 60), keys)
            if self.rng.random() < 0.3:
                self.press(self.rng.choice(["E", "Leertaste", "Return"]))

    def save_in_game(self):
        self.press("Escape")
        self.click(0.5, 0.9)
        self.press("Return")
        self.saved += 1

    def leave_game(self):
        self.press("Escape")
        self.click(0.84, 0.9)
        self.wait(0.3)

    def new_game(self):
        self.press("N")
        self.wait(1.2)
        for _ in range(self.rng.randint(0, 4)):
            self.press(self.rng.choice(["Pfeil_links", "Pfeil_rechts"]))
        self.press("Return")
        self.walk(self.rng.uniform(3, 30))
        if self.rng.random() < 0.5:
            self.save_in_game()
            self.walk(self.rng.uniform(1, 5))
        self.leave_game()

    def campaign(self, demos):
        """The Tutorial from the menu, played by its demo into the Kerker."""
        self.press("N")
        self.wait(1.2)
        self.press("Return")  # the Tutorial is chosen first
        for line in demos["Tutorial"]:
            self.lines.append(line)
            self.frames += int(line.split()[0])
        self.walk(self.rng.uniform(2, 10))
        self.leave_game()

    def load_game(self):
        if not self.saved:
            return
        self.press("L")
        self.wait(1.2)
        for _ in range(self.rng.randint(0, 3)):
            self.press(self.rng.choice(["Pfeil_links", "Pfeil_rechts"]))
        self.press("Return")
        self.walk(self.rng.uniform(2, 15))
        self.leave_game()

    def options(self):
        self.press("O")
        self.wait(1.2)
        for _ in range(self.rng.randint(1, 4)):  # the glasses, forwards and back
            self.click(0.6, 0.65, self.rng.choice(["Knopf_1", "Knopf_2"]))
        if self.rng.random() < 0.5:  # another resolution and "Übernehmen": the game starts anew
            self.click(0.6, 0.35)
            self.click(0.35, 0.9)
            self.wait(1.5)
        self.press("Escape")
        self.wait(1.2)

    def credits(self):
        self.press("C")
        self.wait(self.rng.uniform(1.5, 8))
        self.press("Escape")
        self.wait(1.2)

    def quit_no(self):
        self.press("B")
        self.wait(1.2)
        self.click(0.6, 0.55)
        self.wait(1.2)


def make_demo(rng, frames_wanted):
    with open(os.path.join(ROOT, "content", "demos", "Tutorial.demo"), encoding="utf-8") as f:
        tutorial = [l.strip() for l in f if l.strip() and not l.startswith(("#", "HALVORAN"))]
    s = Script(rng)
    s.wait(0.2)
    s.press("Escape")  # past the intro
    s.wait(1.2)
    scenes = [s.new_game, s.new_game, s.load_game, s.options, s.credits, s.quit_no,
              lambda: s.campaign({"Tutorial": tutorial})]
    while s.frames < frames_wanted:
        rng.choice(scenes)()
    return "\n".join(s.lines) + "\n"


def rss_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("seconds", nargs="?", type=float, default=600)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--build", default=os.environ.get("BUILD_DIR", os.path.join(ROOT, "build")))
    args = parser.parse_args()

    game = os.path.join(args.build, "game")
    work = tempfile.mkdtemp(prefix="halvoran-soak-")
    try:
        for d in ("bin", "config", "runtime", "home"):
            os.makedirs(os.path.join(work, d))
        for name in os.listdir(os.path.join(game, "bin")):
            shutil.copy(os.path.join(game, "bin", name), os.path.join(work, "bin"))
        # Copies, not links: a build running meanwhile rewrites the game tree.
        for d in ("maps", "data", "demos"):
            shutil.copytree(os.path.join(game, d), os.path.join(work, d))
        rng = random.Random(args.seed)
        # More frames than the run can draw (a timedemo ends with its demo).
        demo = make_demo(rng, int(args.seconds * 400))
        with open(os.path.join(work, "soak.demo"), "w", encoding="utf-8") as f:
            f.write(demo)
        env = dict(os.environ, SDL_VIDEODRIVER=os.environ.get("SDL_VIDEODRIVER", "offscreen"),
                   ALSOFT_DRIVERS=os.environ.get("ALSOFT_DRIVERS", "null"), HOME=os.path.join(work, "home"),
                   XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_RUNTIME_DIR=os.path.join(work, "runtime"),
                   UserName="Soak")
        print(f"Soak: {args.seconds:.0f} s, Startwert {args.seed}, Arbeitsordner {work}", flush=True)
        start = time.time()
        proc = subprocess.Popen(["./Halvoran", "--windowed", "--timedemo", "../soak.demo", "--quit-after",
                                 str(args.seconds), "--lose-device-every", "7"],
                                cwd=os.path.join(work, "bin"), env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True, errors="replace")
        mark = min(60.0, args.seconds / 6)
        samples = []
        while proc.poll() is None:
            time.sleep(1)
            kib = rss_kib(proc.pid)
            if kib:
                samples.append((time.time() - start, kib))
        output = proc.stdout.read()
        code = proc.returncode
        with open(os.path.join(work, "bin", "Halvoran.log"), encoding="utf-8", errors="replace") as f:
            log = f.read()
        errors = [l for l in log.splitlines() if re.search(r"\bFehler\b", l) and "Ende des Logbuches" not in l]
        losses = log.count("Das Grafikgerät wird absichtlich verloren")
        maps = len(re.findall(r"Karte \".*\" wird geladen", log))
        saves = log.count("wurde als")
        reinits = log.count("--- Reinitialisierung")
        early = [kib for t, kib in samples if t <= mark]
        at_mark = early[-1] if early else (samples[0][1] if samples else 0)
        at_end = samples[-1][1] if samples else 0
        peak = max((kib for _, kib in samples), default=0)
        growth = (at_end - at_mark) / at_mark * 100 if at_mark else 0.0
        print(f"Dauer {time.time() - start:.0f} s, Exit-Code {code}, Karten geladen {maps}, gespeichert {saves}, "
              f"Reinitialisierungen {reinits}, Geräteverluste {losses}")
        print(f"Speicher nach {mark:.0f} s: {at_mark} KiB, am Ende: {at_end} KiB ({growth:+.1f} %), "
              f"höchstens {peak} KiB")
        minutes = [f"{t / 60:.0f} min {kib // 1024} MiB" for t, kib in samples if int(t) % 60 == 0 and t >= 59]
        print("Speicher je Minute:", ", ".join(minutes))
        timedemo = [l for l in output.splitlines() if l.startswith("Timedemo")]
        if timedemo:
            print(timedemo[-1])
        for line in errors[:20]:
            print("Fehlerzeile:", line)
        ok = code == 0 and not errors and abs(growth) <= 10.0
        print("Ergebnis:", "bestanden" if ok else "NICHT bestanden")
        if not ok:
            print("Log und Demo bleiben in", work)
            return 1
        shutil.rmtree(work)
        return 0
    except BaseException:
        print("Log und Demo bleiben in", work)
        raise


if __name__ == "__main__":
    sys.exit(main())
