#!/usr/bin/env python3
"""Reads what each test reaches on its own (scripts/coverage-per-test.sh) and answers:

    scripts/coverage-who.py alone          every test with the lines and branches only it reaches
    scripts/coverage-who.py who TEST...    which other tests reach the same code, and what TEST alone reaches
    scripts/coverage-who.py check TEST...  what the suite loses if all these tests go (exit 1 if anything)

BUILD_DIR (default build-coverage) names the build the measurements are in.
Coverage is engine/, game/ and tools/, as in scripts/coverage.sh. The campaign
and content runs reach most of what the unit tests reach, so "alone: 0" is a
place to look, not a verdict: see TESTING.md for faults that only such tests
catch.
"""
import json
import os
import sys
from collections import Counter

OUT = os.path.join(os.environ.get("BUILD_DIR", "build-coverage"), "per-test")


def load():
    tests = {}
    with open(os.path.join(OUT, "names.txt"), encoding="utf-8") as f:
        for line in f:
            number, name = line.split(None, 1)
            path = os.path.join(OUT, number + ".json")
            if not os.path.exists(path):
                continue
            reached = set()
            with open(path, encoding="utf-8") as report:
                for entry in json.load(report)["files"]:
                    for ln in entry["lines"]:
                        if ln.get("gcovr/noncode"):
                            continue
                        if ln["count"] > 0:
                            reached.add((entry["file"], ln["line_number"]))
                        for k, branch in enumerate(ln.get("branches", [])):
                            if branch["count"] > 0:
                                reached.add((entry["file"], ln["line_number"], k))
            tests[name.strip()] = reached
    return tests


def main():
    if len(sys.argv) < 2 or sys.argv[1] not in ("alone", "who", "check"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    tests = load()
    command, names = sys.argv[1], sys.argv[2:]
    unknown = [n for n in names if n not in tests]
    if unknown:
        print("Unbekannte Tests: " + ", ".join(unknown), file=sys.stderr)
        return 2
    if command == "check":
        kept = Counter()
        for name, reached in tests.items():
            if name not in names:
                kept.update(reached)
        lost = sorted(set().union(*(tests[n] for n in names)) - set(kept), key=str)
        for item in lost:
            print("lost", item)
        print(f"{len(lost)} lines and branches lost")
        return 1 if lost else 0
    count = Counter()
    for reached in tests.values():
        count.update(reached)
    if command == "alone":
        rows = sorted((sum(1 for x in r if count[x] == 1), n) for n, r in tests.items())
        for alone, name in rows:
            print(f"{alone:5d}  {name}")
        return 0
    for name in names:
        reached = tests[name]
        print(f"{name}: {len(reached)} lines and branches")
        shares = sorted(((len(reached & r), n) for n, r in tests.items() if n != name), reverse=True)[:6]
        for shared, other in shares:
            print(f"  {shared * 100 // max(1, len(reached)):3d} %  {other}")
        alone = sorted((x for x in reached if count[x] == 1), key=str)
        print(f"  alone: {len(alone)}", *alone[:10])
    return 0


if __name__ == "__main__":
    sys.exit(main())
