#!/usr/bin/env python3
"""Lists the lines and branches that one coverage run reached and another did not.

    scripts/coverage-lost.py BEFORE.json AFTER.json

Both files are gcovr's JSON reports (scripts/coverage.sh writes one). Used when
tests are merged or rewritten: every line and branch printed here was reached by
the tests before and is not any more. Exit status 1 when something was lost.
"""
import json
import sys


def covered(path):
    lines, branches = set(), set()
    with open(path, encoding="utf-8") as f:
        report = json.load(f)
    for entry in report["files"]:
        name = entry["file"]
        for line in entry["lines"]:
            if line.get("gcovr/noncode"):
                continue
            number = line["line_number"]
            if line["count"] > 0:
                lines.add((name, number))
            for k, branch in enumerate(line.get("branches", [])):
                if branch["count"] > 0:
                    branches.add((name, number, k))
    return lines, branches


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    before_lines, before_branches = covered(sys.argv[1])
    after_lines, after_branches = covered(sys.argv[2])
    lost_lines = sorted(before_lines - after_lines)
    lost_branches = sorted(before_branches - after_branches)
    for name, number in lost_lines:
        print(f"line   {name}:{number}")
    for name, number, k in lost_branches:
        print(f"branch {name}:{number} #{k}")
    print(f"lines: {len(before_lines)} -> {len(after_lines)} reached, {len(lost_lines)} lost; "
          f"branches: {len(before_branches)} -> {len(after_branches)} reached, {len(lost_branches)} lost")
    return 1 if lost_lines or lost_branches else 0


if __name__ == "__main__":
    sys.exit(main())
