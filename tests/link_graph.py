#!/usr/bin/env python3
"""Fails when a library of the launcher needs a symbol that only a library
above it defines: each library links downwards only (platform, then core, then
the window code), so the link graph has no cycle."""
import pathlib
import subprocess
import sys

ORDER = ["embark_platform", "embark_core", "embark_windows"]  # lowest first


def symbols(library):
    lines = subprocess.run(["nm", "--defined-only", "-g", library], capture_output=True, text=True,
                           check=True).stdout.splitlines()
    defined = {line.split()[-1] for line in lines if len(line.split()) == 3}
    lines = subprocess.run(["nm", "--undefined-only", "-g", library], capture_output=True, text=True,
                           check=True).stdout.splitlines()
    return defined, {line.split()[-1] for line in lines if line.strip().startswith("U")}


wrong = []
for build in map(pathlib.Path, sys.argv[1:]):  # each build folder that has been built
    if (build / "libembark_windows.a").exists():
        found = {name: symbols(build / f"lib{name}.a") for name in ORDER}
        wrong += [f"{build}: {lower} needs {symbol} from {upper}"
                  for i, lower in enumerate(ORDER) for upper in ORDER[i + 1:]
                  for symbol in sorted(found[lower][1] & found[upper][0])]
print("\n".join(wrong) or f"link graph: {' -> '.join(reversed(ORDER))}, downwards only")
sys.exit(1 if wrong else 0)
