"""Shared pieces of the integration tests: application folders, running the
launcher natively and under Wine, and reading what it printed.

Environment (set by CTest):
  EMBARK_SOURCE_DIR   the checkout
  EMBARK_BUILD_ROOT   the folder that holds build/linux, build/win64, build/win32
  EMBARK_WINEPREFIX   the Wine prefix of this test run (Windows tests only)
"""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest
from dataclasses import dataclass

SOURCE_DIR = os.environ.get("EMBARK_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD_ROOT = os.environ.get("EMBARK_BUILD_ROOT", os.path.join(SOURCE_DIR, "build"))
COMMAND_TIMEOUT = 120

# Exit code -1 as a POSIX parent sees it: only the low eight bits arrive.
EXIT_FAILURE_SEEN = 255


@dataclass
class Result:
    code: int
    stdout: str
    stderr: str


def linux_launcher():
    return os.path.join(BUILD_ROOT, "linux", "bin", "embark")


def windows_launcher(arch):
    return os.path.join(BUILD_ROOT, arch, "bin", "embark.exe")


def windows_helper(arch):
    return os.path.join(BUILD_ROOT, arch, "test-bin", "test_helper.exe")


# Each Windows test process checks one executable: CTest runs every module once
# for win64 and once for win32.
ARCH = os.environ.get("EMBARK_WINDOWS_ARCH", "win64")
WINDOWS_ARCHES = (ARCH,)

# Debian's `wine` script starts the 32-bit loader first, even for a 64-bit
# program, and that fails where the kernel cannot run 32-bit programs: x64
# programs go straight to the 64-bit loader.
WINE64 = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"
PE_MACHINE_I386 = 0x14C


def pe_machine(path):
    with open(path, "rb") as f:
        header = f.read(4096)
    offset = struct.unpack_from("<I", header, 0x3C)[0]
    return struct.unpack_from("<H", header, offset + 4)[0]


def wine_loader(executable):
    return WINE32 if pe_machine(executable) == PE_MACHINE_I386 else WINE64


class AppFolder:
    """A temporary folder holding a copy of the launcher under a name of the
    test's choosing, and its settings file."""

    def __init__(self, test_case, launcher, name):
        self.root = tempfile.mkdtemp(prefix="embark-test-")
        test_case.addCleanup(shutil.rmtree, self.root, True)
        self.executable = os.path.join(self.root, name)
        shutil.copy2(launcher, self.executable)

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def write(self, relative, text, newline="\n"):
        target = self.path(relative)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        data = text.replace("\n", newline) if isinstance(text, str) else text
        with open(target, "wb") as f:
            f.write(data.encode("latin-1") if isinstance(data, str) else data)
        return target

    def settings_path(self):
        base, ext = os.path.splitext(self.executable)
        return base + ".ini"

    def write_settings(self, text, newline="\n"):
        return self.write(os.path.basename(self.settings_path()), text, newline)


def normalise(text):
    return text.replace("\r\n", "\n")


def run_native(executable, args=(), cwd=None, env=None):
    completed = subprocess.run([executable, *args], cwd=cwd, env=env, capture_output=True,
                               timeout=COMMAND_TIMEOUT)
    return Result(completed.returncode, completed.stdout.decode("latin-1"),
                  completed.stderr.decode("latin-1"))


class Wine:
    """One Wine prefix for the whole test run (made by wine_prefix.py), whose
    wineserver stays alive between starts.

    Traps this knows about: Wine sets APPDATA and TEMP itself whatever the Linux
    environment says (read them with `windows_environment`); `wine prog args`
    re-quotes the arguments (use `run_raw` for an exact command line); the exit
    code -1 arrives as 255; console output has CRLF line ends.
    """

    def __init__(self):
        self.prefix = os.environ.get("EMBARK_WINEPREFIX")
        if not self.prefix or not os.path.isdir(self.prefix):
            raise unittest.SkipTest("no Wine prefix: run the Windows tests through CTest")
        self.x86_unavailable = x86_unavailable_reason(self.prefix)

    def environment(self, extra=None):
        env = dict(os.environ)
        env.update({"WINEPREFIX": self.prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="})
        env.pop("DISPLAY", None)
        if extra:
            env.update(extra)
        return env

    @staticmethod
    def windows_path(unix_path):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

    def run(self, executable, args=(), cwd=None, extra_env=None):
        completed = subprocess.run([wine_loader(executable), executable, *args], cwd=cwd,
                                   env=self.environment(extra_env),
                                   capture_output=True, timeout=COMMAND_TIMEOUT)
        return Result(completed.returncode, normalise(completed.stdout.decode("latin-1")),
                      normalise(completed.stderr.decode("latin-1")))

    def run_raw(self, arch, executable, command_line, cwd=None, extra_env=None):
        """Starts `executable` with exactly `command_line`; the code is the full
        32-bit exit code as a signed number."""
        exit_file = tempfile.NamedTemporaryFile(prefix="embark-exit-", delete=False)
        exit_file.close()
        try:
            env = {
                "EMBARK_RAW_APPLICATION": self.windows_path(executable),
                "EMBARK_RAW_COMMAND_LINE": command_line,
                "EMBARK_RAW_EXIT_FILE": self.windows_path(exit_file.name),
            }
            env.update(extra_env or {})
            result = self.run(windows_helper(arch), ["run"], cwd=cwd, extra_env=env)
            with open(exit_file.name) as f:
                text = f.read().strip()
            if not text:
                raise AssertionError(f"the helper did not start {executable}: {result.stderr}")
            result.code = int(text)
            return result
        finally:
            os.unlink(exit_file.name)

    def reg(self, *arguments):
        """The 64-bit `reg`, which reaches both registry views (/reg:64, /reg:32)."""
        return subprocess.run([WINE64, "reg", *arguments], env=self.environment(), capture_output=True,
                              timeout=COMMAND_TIMEOUT)

    def windows_environment(self, arch, name):
        result = self.run(windows_helper(arch), ["env", name])
        return result.stdout if result.code == 0 else None


X86_PROBE_FILE = "x86-unavailable.txt"
SKIP_EXIT_CODE = 77


def x86_unavailable_reason(prefix):
    """Why x86 programs cannot run here (found once per run by the prefix
    setup), or None when they can."""
    try:
        with open(os.path.join(prefix, X86_PROBE_FILE)) as f:
            return f.read().strip() or None
    except FileNotFoundError:
        return None


def main(module):
    """Runs a Windows test module for ARCH; an x86 run where x86 programs
    cannot start is reported to CTest as skipped, with the reason."""
    prefix = os.environ.get("EMBARK_WINEPREFIX", "")
    reason = x86_unavailable_reason(prefix) if ARCH == "win32" else None
    if reason:
        print(f"SKIPPED: x86 programs cannot run on this machine: {reason}")
        raise SystemExit(SKIP_EXIT_CODE)
    unittest.main(module=module, argv=[module], verbosity=2)


if __name__ == "__main__":
    import sys
    main(sys.argv[1])
