#!/usr/bin/env python3
"""Seeds known faults into the source one at a time and says which tests catch each.

    scripts/seeded-faults.py [-E REGEX] [ID ...]

For every fault below (or those named): the line is changed in the working
tree, build/ is rebuilt, the suite runs (without the tests matching -E REGEX),
the failing tests are listed, and the file is put back, also when the run is
stopped with Ctrl-C or SIGTERM (build/ then wants one more build). Exits 1
when a fault is caught by no test, or when a fault no longer applies to the
source (the table wants updating).

Coverage says which code a test runs, not what it checks: a test whose lines
others reach as well may still be the only one to see that the result is
wrong. Before tests are merged or dropped, this run shows whether every fault
is still caught. The suite first runs once without a fault and must pass. A
race is not in the table: whether a missing lock shows depends on how the
threads happen to run. About a minute per fault on two cores.
BUILD_DIR (default build) names the build; it must be configured already.
"""
import argparse
import os
import pathlib
import re
import signal
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# (id, file, text, faulty text, what goes wrong). The text must stand exactly
# once in the file.
FAULTS = [
    ("quest-win", "engine/maze/Maze.cpp",
     "!(field.m_byActivated & g_abySlotBits[slot]))\n                m_bWon = 0;",
     "!(field.m_byActivated & g_abySlotBits[slot]))\n                {}",
     "victory after one of several win triggers"),
    ("wall2-mirror", "engine/maze/MazeRender.cpp",
     "am[AE_SLOT_WALL2] = MatrixScaling(Vector3(1.0f, 1.0f, -1.0f)) * MatrixTranslation",
     "am[AE_SLOT_WALL2] = MatrixRotationY(2.0f * kHalfPi) * MatrixTranslation",
     "wall 2 turned instead of mirrored"),
    ("listener-axes", "engine/platform/aeAudioDevice.cpp",
     "    ToAl(front, orientation);\n",
     "    orientation[0] = front[0], orientation[1] = front[1], orientation[2] = front[2];\n",
     "the listener's front handed to OpenAL unconverted: left and right swapped"),
    ("half-pixel", "engine/platform/d3d9/Shader.cpp",
     "vec2 ndc = vec2((aPos.x + 0.5 - uScreen.x)",
     "vec2 ndc = vec2((aPos.x - uScreen.x)",
     "no half-pixel shift across for pre-transformed vertices"),
    ("receive-bound", "engine/net/PacketStream.cpp",
     "while (total < AE_MAX_RECEIVE_PER_CALL)",
     "while (total >= 0)",
     "no bound on what one call reads from a peer"),
    ("volume-scale", "engine/audio/Sound.cpp",
     "static_cast<float>(volume) / 2000.0f",
     "static_cast<float>(volume) / 1000.0f",
     "hundredths of a decibel taken as tenths"),
    ("speed-of-sound", "engine/platform/aeAudioDevice.cpp",
     "alSpeedOfSound(343.3f)",
     "alSpeedOfSound(686.6f)",
     "the Doppler shift halved"),
    ("click-edge", "game/states/GameState.cpp",
     "return p.x > x0 && p.x < x1",
     "return p.x >= x0 && p.x < x1",
     "a click on a button's left edge counts as inside"),
    ("count-fits", "engine/files/BoundedReader.h",
     "count <= GetRemaining() / (minBytes > 0 ? minBytes : 1)",
     "count <= GetRemaining()",
     "a count checked against the bytes left, not against the elements they can hold"),
    ("rotation-order", "engine/math/Matrix.cpp",
     "return MatrixRotationZ(z) * MatrixRotationX(x) * MatrixRotationY(y);",
     "return MatrixRotationZ(z) * MatrixRotationY(y) * MatrixRotationX(x);",
     "yaw before pitch"),
    ("log-repeats", "engine/core/aeLog.cpp",
     "    WriteLine(note);\n    repeat.iRepeats = 0;\n",
     "    WriteLine(note);\n",
     "a repeated message's count not restarted after it is written"),
    ("occlusion-margin", "engine/maze/Occlusion.cpp",
     "return 0.02f + depth * depth",
     "return 0.0f + depth * depth",
     "no fixed depth margin behind an occluding face"),
    ("wall-clearance", "engine/maze/Collision.cpp",
     "kClearance = 2.0f;",
     "kClearance = 1.0f;",
     "the player stops one unit short of a wall instead of two"),
    ("compressed-entry", "engine/files/Archive.cpp",
     "else if (method != 0)",
     "else if (method > 8)",
     "a compressed archive entry handed on as if stored"),
    ("cull-winding", "engine/platform/d3d9/CullState.cpp",
     "mode == D3DCULL_CCW ? GL_CW : GL_CCW",
     "mode == D3DCULL_CCW ? GL_CCW : GL_CW",
     "the other side of every triangle culled"),
    ("fog-with-sky", "engine/maze/MazeRender.cpp",
     "!m_SkyAnimation.GetAnimation() && density > 0.0f && SUCCEEDED",
     "density > 0.0f && SUCCEEDED",
     "fields deep in the fog left out although a sky shows behind them"),
    ("faces-unjoined", "engine/maze/Occlusion.cpp",
     "if (Continue(other.world, face, &joined) && Project(joined, &larger))",
     "if (false && Continue(other.world, face, &joined) && Project(joined, &larger))",
     "faces that continue each other in one plane not joined"),
    ("marker-ignored", "engine/platform/aeUserFolders.cpp",
     "AE_INSTALLED_MARKER).c_str(), F_OK) == 0)",
     "AE_INSTALLED_MARKER).c_str(), F_OK) == 0 && false)",
     "the installed tree's marker file not taken as installed"),
    ("parent-writable", "engine/platform/aeUserFolders.cpp",
     " || access((work + \"/..\").c_str(), W_OK) != 0;",
     ";",
     "a working folder whose parent cannot be written taken for a portable tree"),
    ("vanish-still-sounding", "engine/maze/MazeField.cpp",
     "        sound->Stop(0);\n        return 1;",
     "        return 1;",
     "a vanishing opening's loop goes on after it is fired"),
    ("vanish-silent", "engine/maze/MazeField.cpp",
     "PlaySound(slot, AE_DSBPLAY_LOOPING);",
     "PlaySound(slot, 0);",
     "a vanishing opening's loop never starts"),
    ("mirror-winding", "engine/resources/ModelShape.cpp",
     "return bClockwise == (det > 0.0f) ? -1 : 1;",
     "return bClockwise ? -1 : 1;",
     "a mirroring transform not taken to turn a closed model's winding over"),
    ("closed-model-culls-front", "engine/resources/Model.cpp",
     "    case 1:\n        return D3DCULL_CW;\n    case -1:\n        return D3DCULL_CCW;",
     "    case 1:\n        return D3DCULL_CCW;\n    case -1:\n        return D3DCULL_CW;",
     "a closed model drawn without its fronts instead of its backs"),
    ("one-voice-per-sound", "engine/audio/Sound.cpp",
     "PlayVoice(m_uiSampleBlock, setup, &m_auiVoices[i])",
     "PlayVoice(m_uiSampleBlock, setup, &m_auiVoices[0])",
     "the buffers of one sound share one voice"),
]


def run(args, cwd):
    return subprocess.run(args, cwd=cwd, capture_output=True, text=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-E", dest="exclude", help="leave out the tests matching this CTest regex")
    parser.add_argument("ids", nargs="*", help="only these faults")
    args = parser.parse_args()
    build = ROOT / os.environ.get("BUILD_DIR", "build")
    unknown = set(args.ids) - {f[0] for f in FAULTS}
    if unknown:
        print("unbekannte Fehler: " + ", ".join(sorted(unknown)), file=sys.stderr)
        return 2
    ctest = ["ctest", "-j2", "--timeout", "600"] + (["-E", args.exclude] if args.exclude else [])

    def failing():
        return re.findall(r"^\s*\d+ - (\S+) \(", run(ctest, build).stdout, re.M)

    # A test that fails without any fault would seem to catch every one.
    built = run(["cmake", "--build", str(build)], ROOT)
    if built.returncode:
        print("Build schon ohne Fehler fehlgeschlagen\n" + built.stdout[-2000:], file=sys.stderr)
        return 1
    failed = failing()
    if failed:
        print("Schon ohne Fehler schlagen fehl: " + ", ".join(failed), file=sys.stderr)
        return 1
    uncaught, stale = [], []
    for fault_id, path, text, faulty, what in FAULTS:
        if args.ids and fault_id not in args.ids:
            continue
        source = ROOT / path
        original = source.read_text(encoding="utf-8")
        if original.count(text) != 1:
            print(f"{fault_id}: passt nicht mehr auf {path} ({original.count(text)} Stellen)", flush=True)
            stale.append(fault_id)
            continue
        try:
            source.write_text(original.replace(text, faulty), encoding="utf-8")
            built = run(["cmake", "--build", str(build)], ROOT)
            if built.returncode:
                print(f"{fault_id}: Build fehlgeschlagen\n{built.stdout[-2000:]}", flush=True)
                stale.append(fault_id)
                continue
            failed = failing()
            print(f"{fault_id}: {what}\n    " + (", ".join(failed) if failed else "VON KEINEM TEST BEMERKT"), flush=True)
            if not failed:
                uncaught.append(fault_id)
        finally:
            source.write_text(original, encoding="utf-8")
    run(["cmake", "--build", str(build)], ROOT)
    if uncaught or stale:
        print("unbemerkt: " + ", ".join(uncaught) + ("; veraltet: " + ", ".join(stale) if stale else ""))
        return 1
    return 0


if __name__ == "__main__":
    # SIGTERM ends the run like Ctrl-C, so the seeded file is put back.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    sys.exit(main())
