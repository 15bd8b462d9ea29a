#!/usr/bin/env python3
"""Makes the Wine prefix of a test run and keeps its wineserver alive
(`setup`), or stops the server and removes the prefix (`cleanup`)."""
import os
import shutil
import subprocess
import sys

from embark_harness import WINE32, WINE64, X86_PROBE_FILE, windows_helper


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
    subprocess.run([WINE64, "wineboot", "--init"], env=env, check=True, timeout=300, **quiet)
    print(f"Wine prefix ready: {prefix}")
    reason = probe_x86(env)
    if reason:
        with open(os.path.join(prefix, X86_PROBE_FILE), "w") as f:
            f.write(reason)
        print(f"x86 programs cannot run here, the x86 tests will be skipped: {reason}")


def probe_x86(env):
    """None when a small x86 Windows program runs here, else why it does not."""
    helper = windows_helper("win32")
    try:
        completed = subprocess.run([WINE32, helper, "env", "SystemRoot"], env=env, capture_output=True,
                                   timeout=120, stdin=subprocess.DEVNULL)
    except OSError as error:
        return f"{WINE32}: {error.strerror}"
    except subprocess.TimeoutExpired:
        return "the x86 probe did not end within 120 s"
    if completed.returncode != 0 or not completed.stdout.strip():
        detail = completed.stderr.decode("latin-1").strip().splitlines()
        return f"the x86 probe ended with {completed.returncode}" + (f": {detail[-1]}" if detail else "")
    return None


def cleanup(prefix):
    env = environment(prefix)
    subprocess.run(["wineserver", "--kill"], env=env, timeout=60)
    subprocess.run(["wineserver", "--wait"], env=env, timeout=60)
    shutil.rmtree(prefix, ignore_errors=True)
    print(f"Wine prefix removed: {prefix}")


if __name__ == "__main__":
    action, prefix = sys.argv[1], sys.argv[2]
    {"setup": setup, "cleanup": cleanup}[action](prefix)
