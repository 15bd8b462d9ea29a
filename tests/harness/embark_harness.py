"""Shared pieces of the integration tests. CTest sets EMBARK_SOURCE_DIR, EMBARK_BUILD_ROOT (holding build/linux,
win64, win32) and, for the Windows modules, which run once per executable, EMBARK_WINEPREFIX and EMBARK_WINDOWS_ARCH."""
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from types import SimpleNamespace as Result

SOURCE_DIR = os.environ.get("EMBARK_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD_ROOT = os.environ.get("EMBARK_BUILD_ROOT", os.path.join(SOURCE_DIR, "build"))
COMMAND_TIMEOUT = int(os.environ.get("EMBARK_COMMAND_TIMEOUT", "120"))  # raised for x86 programs under emulation
EXIT_FAILURE_SEEN = 255  # exit code -1 as a POSIX parent sees it
ARCH = os.environ.get("EMBARK_WINDOWS_ARCH", "win64")
WINDOWS_ARCHES = (ARCH,)
# Debian's `wine` script tries the 32-bit loader first, which fails where 32-bit programs cannot run: no script.
WINE64, WINE32 = "/usr/lib/wine/wine64", "/usr/lib/wine/wine"
X86_PROBE_FILE = "x86-unavailable.txt"  # in the prefix when x86 programs cannot run here: why


def linux_launcher():
    return os.path.join(BUILD_ROOT, "linux", "bin", "embark")


def windows_launcher(arch):
    return os.path.join(BUILD_ROOT, arch, "bin", "embark.exe")


def windows_helper(arch):  # reads what Windows programs see, starts one with an exact command line
    return os.path.join(BUILD_ROOT, arch, "test-bin", "test_helper.exe")


class AppFolder:
    """A temporary folder with a copy of the launcher, named as the test chooses, and its settings file."""
    def __init__(self, test_case, launcher, name):
        self.root = tempfile.mkdtemp(prefix="embark-test-")
        test_case.addCleanup(shutil.rmtree, self.root, True)
        self.executable = os.path.join(self.root, name)
        shutil.copy2(launcher, self.executable)

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def write(self, relative, text, newline="\n"):
        os.makedirs(os.path.dirname(target := self.path(relative)), exist_ok=True)
        with open(target, "wb") as f:
            f.write(text.replace("\n", newline).encode("latin-1") if isinstance(text, str) else text)
        return target

    def settings_path(self):
        return os.path.splitext(self.executable)[0] + ".ini"

    def write_settings(self, text, newline="\n"):
        return self.write(os.path.basename(self.settings_path()), text, newline)


def run(command, cwd=None, env=None):
    """Runs a program to its end; CRLF line ends (Windows console output) read as LF."""
    done = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=COMMAND_TIMEOUT)
    stdout, stderr = (out.decode("latin-1").replace("\r\n", "\n") for out in (done.stdout, done.stderr))
    return Result(code=done.returncode, stdout=stdout, stderr=stderr)


def release_archive(test, suffix):
    """The release archive of that name's end, made from this build into a folder of the test's, and unpacked there:
    the folder it unpacks to. Made twice, it must come out byte for byte the same."""
    sums = []
    for attempt in range(2):
        folder = tempfile.mkdtemp(prefix="embark-dist-")
        test.addCleanup(shutil.rmtree, folder, True)
        subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "packaging", "make_dist.py"), folder, BUILD_ROOT],
                       check=True, capture_output=True, timeout=COMMAND_TIMEOUT)
        sums.append(pathlib.Path(folder, "SHA256SUMS").read_text())
    test.assertEqual(sums[0], sums[1])
    archive = next(os.path.join(folder, name) for name in os.listdir(folder) if name.endswith(suffix))
    shutil.unpack_archive(archive, folder)
    return os.path.join(folder, os.path.basename(archive)[:-len(suffix)])


def run_native(executable, args=(), cwd=None, env=None):
    return run([executable, *args], cwd, env)


def wine_environment(prefix, extra=None):
    env = {name: value for name, value in os.environ.items() if name != "DISPLAY"}
    return {**env, "WINEPREFIX": prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=", **(extra or {})}


def wine_loader(executable):
    """The loader of the program's machine type: Debian's `wine` script would try the 32-bit one first."""
    with open(executable, "rb") as f:
        header = f.read(4096)
    x86 = struct.unpack_from("<H", header, struct.unpack_from("<I", header, 0x3C)[0] + 4)[0] == 0x14C
    return WINE32 if x86 else WINE64


class Wine:
    """The run's Wine prefix (`prepare_prefix`). Wine sets APPDATA and TEMP itself (see `windows_environment`),
    `wine prog args` re-quotes the arguments (`run_raw` does not)."""
    prefix = os.environ.get("EMBARK_WINEPREFIX", "")

    @staticmethod
    def windows_path(unix_path):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

    def environment(self, extra=None):
        return wine_environment(self.prefix, extra)

    def run(self, executable, args=(), cwd=None, extra_env=None):
        return run([wine_loader(executable), executable, *args], cwd, wine_environment(self.prefix, extra_env))

    def run_raw(self, arch, executable, command_line, cwd=None, extra_env=None):
        """Starts `executable` with exactly `command_line`; the code is the full 32-bit exit code, signed."""
        with tempfile.TemporaryDirectory() as folder:
            code_file = os.path.join(folder, "code")
            result = self.run(windows_helper(arch), ["run"], cwd, {
                "EMBARK_RAW_APPLICATION": self.windows_path(executable), "EMBARK_RAW_COMMAND_LINE": command_line,
                "EMBARK_RAW_EXIT_FILE": self.windows_path(code_file), **(extra_env or {})})
            if not os.path.exists(code_file):
                raise AssertionError(f"the helper did not start {executable}: {result.stderr}")
            with open(code_file) as f:
                result.code = int(f.read())
        return result

    def reg(self, *arguments):  # the 64-bit `reg` reaches both registry views (/reg:64, /reg:32)
        return subprocess.run([WINE64, "reg", *arguments], env=wine_environment(self.prefix), capture_output=True,
                              timeout=COMMAND_TIMEOUT)

    def windows_environment(self, arch, name):
        result = self.run(windows_helper(arch), ["env", name])
        if result.code not in (0, 1):  # 1: unset; anything else is Wine's own failure, said as it is
            raise AssertionError(f"test_helper env {name} ended with {result.code}: {result.stderr}")
        return result.stdout if result.code == 0 else None


def restart_wine(prefix, display=None):
    """The prefix's programs anew under a lasting server, on the display when one is given. A plain boot: one
    begun with --init while a server runs leaves two service control managers."""
    env = wine_environment(prefix, {"DISPLAY": display} if display else {})
    for step in (["wineserver", "--kill"], ["wineserver", "--wait"], ["wineserver", "--persistent"], [WINE64, "wineboot"]):
        subprocess.run(step, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=max(300, COMMAND_TIMEOUT))


def prepare_prefix(action, prefix):
    """setup: a fresh prefix with a lasting wineserver, noting when x86 programs cannot run; cleanup: undoes it."""
    env = wine_environment(prefix)
    if action == "cleanup":
        for step in ("--kill", "--wait"):
            subprocess.run(["wineserver", step], env=env, timeout=60)
        return shutil.rmtree(prefix, ignore_errors=True)
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(prefix)
    # The server and what wineboot leaves running outlive this process: none may hold the runner's output pipe.
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    subprocess.run(["wineserver", "--persistent"], env=env, check=True, timeout=60, **quiet)
    subprocess.run([WINE64, "wineboot", "--init"], env=env, check=True, timeout=max(300, COMMAND_TIMEOUT), **quiet)
    # The first boot leaves two service control managers, each with part of the services: a restart has one.
    restart_wine(prefix)
    try:  # Whether the kernel runs the 32-bit loader at all; later x86 failures are test failures.
        probe = run([WINE32, "--version"])
        reason = "" if probe.code == 0 else f"{WINE32} --version ended with {probe.code}: {probe.stderr.strip()}"
    except OSError as error:  # "Exec format error" where the kernel has no 32-bit support
        reason = str(error)
    if reason:
        with open(os.path.join(prefix, X86_PROBE_FILE), "w") as f:
            f.write(reason)
        print(f"x86 programs cannot run here, the x86 tests and benchmarks will be skipped: {reason}")


def main(module):
    """Runs a Windows module for ARCH. An x86 run exits 77 (CTest: skipped) when the prefix setup found that x86
    programs cannot run. EMBARK_TEST_SELECTION keeps the tests whose names hold one of its blank-separated words."""
    if ARCH == "win32" and os.path.exists(reason_file := os.path.join(Wine.prefix, X86_PROBE_FILE)):
        with open(reason_file) as f:
            print(f"Skipped: x86 programs cannot run on this machine: {f.read().strip()}")
        raise SystemExit(77)
    patterns = [word for pattern in os.environ.get("EMBARK_TEST_SELECTION", "").split() for word in ("-k", pattern)]
    result = unittest.main(module=module, argv=[module, *patterns], verbosity=2, exit=False).result
    if not result.testsRun:
        print(f"No test of {module} matches EMBARK_TEST_SELECTION.")
    raise SystemExit(0 if result.testsRun and result.wasSuccessful() else 1)


if __name__ == "__main__":
    prepare_prefix(*sys.argv[2:]) if sys.argv[1] == "prefix" else main(sys.argv[1])
