#!/usr/bin/env python3
"""Reads each NAME.json in a folder as a standard parser does (the bytes
strictly as UTF-8, then JSON) and checks what NAME.expect lists, one
"PATH<TAB>VALUE" a line.  PATH joins keys and list indexes with "/"; a
"key=value" step picks the list item holding that pair.  A string is
compared as it is, anything else as JSON; "<none>" is no such item."""
import json, pathlib, sys


def value(node, path):
    try:
        for key in path.split("/"):
            if isinstance(node, list) and "=" in key:
                name, want = key.split("=", 1)
                node = next(i for i in node if i.get(name) == want)
            else:
                node = node[int(key) if isinstance(node, list) else key]
    except (KeyError, IndexError, StopIteration, TypeError, AttributeError):
        return "<none>"
    return node if isinstance(node, str) else json.dumps(node)


failures, reports = [], sorted(pathlib.Path(sys.argv[1]).glob("*.json"))
for report in reports:
    try:
        data = json.loads(report.read_bytes().decode("utf-8"))
    except ValueError as e:  # UnicodeDecodeError and JSONDecodeError
        failures.append(f"{report.name}: {e}")
        continue
    for line in report.with_suffix(".expect").read_text("utf-8").splitlines():
        path, want = line.split("\t", 1)
        if (got := value(data, path)) != want:
            failures.append(f"{report.name}: {path} is {got!r}, expected {want!r}")
print("\n".join(failures + [f"JSON: {len(reports)} reports read, {len(failures)} failed"]))
sys.exit(1 if failures else 0)
