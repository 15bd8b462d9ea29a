#!/usr/bin/env python3
"""Fails when a source folder includes a folder above it (each folder of src/
may include only itself and the folders listed for it), when code outside
the Windows platform layer and the dialog's window code includes windows.h,
or when a library of a build folder given after src needs a symbol that only a
library above it defines (they link downwards only: no cycle)."""
import pathlib
import re
import subprocess
import sys

MAY_INCLUDE = {
    "platform": set(),
    "core": {"platform"},
    "runtime": {"core", "platform"},
    "vm": {"runtime", "core", "platform"},
    "modes": {"vm", "core", "platform"},
    "ui": {"runtime", "core", "platform"},
    "launcher": {"modes", "ui", "vm", "runtime", "core", "platform"},
    "brand": {"platform"},
}

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
wrong = []
for path in sorted(src.rglob("*.[ch]*")):
    folder = path.relative_to(src).parts[0]
    for number, line in enumerate(path.read_text(encoding="latin-1").splitlines(), 1):
        found = re.match(r'\s*#\s*include\s+"([a-z_]+)/', line)
        if "<windows.h>" in line and path.parent.relative_to(src).as_posix() not in ("platform/win32", "ui/win32"):
            wrong.append(f"{path}:{number}: windows.h outside src/platform/win32 and src/ui/win32")
        if found and found.group(1) != folder and found.group(1) not in MAY_INCLUDE.get(folder, set()):
            wrong.append(f"{path}:{number}: {folder}/ may not include {found.group(1)}/")
LIBRARIES = ["embark_platform", "embark_core", "embark_windows"]  # lowest first


def symbols(library, which):
    lines = subprocess.run(["nm", which, "-g", library], capture_output=True, text=True, check=True).stdout
    return {line.split()[-1] for line in lines.splitlines() if line.strip()[:1] == "U" or len(line.split()) == 3}


for build in (pathlib.Path(folder) for folder in sys.argv[2:]):
    if (build / "libembark_windows.a").exists():  # a build folder that has been built
        libraries = [build / f"lib{name}.a" for name in LIBRARIES]
        for i, lower in enumerate(libraries):
            needed = symbols(lower, "--undefined-only")
            wrong += [f"{lower.name} needs {symbol} from {upper}" for upper in libraries[i + 1:]
                      for symbol in sorted(needed & symbols(upper, "--defined-only"))]
print("\n".join(wrong) or f"layering: {src} includes, and {' '.join(sys.argv[2:])} link, only downwards")
sys.exit(1 if wrong else 0)
