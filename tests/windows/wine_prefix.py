#!/usr/bin/env python3
"""Makes the Wine prefix of a test run and keeps its wineserver alive
(`setup`), or stops the server and removes the prefix (`cleanup`)."""
import os
import shutil
import subprocess
import sys


def environment(prefix):
    env = dict(os.environ)
    env.update({"WINEPREFIX": prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="})
    env.pop("DISPLAY", None)
    return env


def setup(prefix):
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(prefix)
    env = environment(prefix)
    # A persistent server spares every start the server's own start-up; it is
    # stopped by `cleanup`. The server and the programs wineboot leaves running
    # outlive this script, so none of them may hold the test runner's output
    # pipe: the runner would wait for it to close.
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    subprocess.run(["wineserver", "--persistent"], env=env, check=True, timeout=60, **quiet)
    subprocess.run(["wineboot", "--init"], env=env, check=True, timeout=300, **quiet)
    print(f"Wine prefix ready: {prefix}")


def cleanup(prefix):
    env = environment(prefix)
    subprocess.run(["wineserver", "--kill"], env=env, timeout=60)
    subprocess.run(["wineserver", "--wait"], env=env, timeout=60)
    shutil.rmtree(prefix, ignore_errors=True)
    print(f"Wine prefix removed: {prefix}")


if __name__ == "__main__":
    action, prefix = sys.argv[1], sys.argv[2]
    {"setup": setup, "cleanup": cleanup}[action](prefix)
