#!/usr/bin/env python3
"""Reads each NAME.json in a folder as a standard parser does (the bytes
strictly as UTF-8, then JSON) and checks the values NAME.expect lists, one
"PATH<TAB>VALUE" a line.  PATH is object keys and list indexes joined by
"/"; a "key=value" step picks the list item holding that pair.  A string
is compared as it is, anything else as JSON; "<none>" is no such item."""
import json
import pathlib
import sys


def step(node, key):
    if isinstance(node, list) and "=" in key:
        name, value = key.split("=", 1)
        return next(i for i in node if isinstance(i, dict) and i.get(name) == value)
    return node[int(key)] if isinstance(node, list) else node[key]


def value(report, path):
    node = report
    try:
        for key in path.split("/"):
            node = step(node, key)
    except (KeyError, IndexError, StopIteration, TypeError):
        return "<none>"
    return node if isinstance(node, str) else json.dumps(node)


def check(json_file):
    try:
        report = json.loads(json_file.read_bytes().decode("utf-8"))
    except ValueError as e:  # UnicodeDecodeError and JSONDecodeError
        return [f"{json_file.name}: {e}"]
    expect = json_file.with_suffix(".expect")
    lines = expect.read_text(encoding="utf-8").splitlines() if expect.exists() else []
    failures = []
    for line in lines:
        path, want = line.split("\t", 1)
        got = value(report, path)
        if got != want:
            failures.append(f"{json_file.name}: {path} is {got!r}, expected {want!r}")
    return failures


def main(folder):
    reports = sorted(pathlib.Path(folder).glob("*.json"))
    failures = [f for r in reports for f in check(r)]
    print("\n".join(failures + [f"JSON: {len(reports)} reports read, {len(failures)} failed"]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
