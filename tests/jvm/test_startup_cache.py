"""The startup cache with the real machines: OpenJDK 17 (dynamic archive after a start that shows the machine shares
class data) and Temurin 25 where it is installed (dynamic archive from the first start). The application's output and
exit code are those of a start without the cache, whatever the cache's state."""
import glob
import os
import pathlib
import shutil
import subprocess
import time
import unittest
import zipfile

from embark_harness import AppFolder, linux_launcher, run_native

JAVA_CLASSES = os.environ.get("EMBARK_JAVA_CLASSES", "")
RUNTIMES = [(os.environ.get("EMBARK_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64"), 2),  # starts before one uses it
            ("/usr/lib/jvm/temurin-25-jdk-amd64", 1)]
OUTCOME = pathlib.Path(JAVA_CLASSES, "com", "example", "Outcome.class")


class StartupCache(unittest.TestCase):
    def settings(self, app, setting="", parameters=""):
        app.write_settings(f"[Java Runtime Environment]\nMain Class=com.example.Outcome\nJRE Path={app.home}\n"
                           f"Startup Cache={setting}\nVirtual Machine Parameters={parameters}\n"
                           f"[Class Path]\nClass Path={app.path('app.jar')}\n")

    def start(self, app, args=(), setting="", parameters="", cache=None, **env):
        self.settings(app, setting, parameters)
        env = dict(os.environ, XDG_CACHE_HOME=cache or app.path("cache"), EMBARK_TRACE="1", **env)
        result = run_native(app.executable, args, env=env)
        result.cache_lines = [line[23:] for line in result.stderr.splitlines() if line.startswith("embark: startup cache")]
        result.stderr = "\n".join(line for line in result.stderr.splitlines() if not line.startswith("embark: "))
        return result

    def entry(self, app, text):  # the cache entry whose key holds the text
        return next(key.parent for key in pathlib.Path(app.path("cache")).glob("embark/*/key") if text in key.read_text())

    def archives(self, app):
        return glob.glob(app.path("cache", "embark", "*", "classes-*.jsa"))

    def test_the_cache_of_each_runtime(self):
        for home, starts_before_use in RUNTIMES:
            with self.subTest(home):
                if not os.path.isdir(home):
                    self.skipTest(f"no runtime in {home}")
                self.check_runtime(home, starts_before_use)

    def check_runtime(self, home, starts_before_use):
        app = AppFolder(self, linux_launcher(), "app")
        app.home = home
        jar = lambda patch=b"": zipfile.ZipFile(app.path("app.jar"), "w").writestr(
            "com/example/Outcome.class", OUTCOME.read_bytes().replace(b"main returns", patch or b"main returns"))
        jar()
        # Each way main ends, on the starts that record and those that use the archive; another option each, so
        # another key.
        for case, args, code in [("return", ["return"], 0), ("exit", ["exit", "3"], 3), ("throw", ["throw"], 0),
                                 ("linger", ["linger"], 0)]:
            plain = self.start(app, args, "No", f"-Dcase={case}")
            self.assertEqual((plain.code, plain.cache_lines), (code, ["off, as the settings say"]))
            for start in range(starts_before_use + 1):
                cached = self.start(app, args, parameters=f"-Dcase={case}")
                self.assertEqual((cached.code, cached.stdout, cached.stderr), (plain.code, plain.stdout, plain.stderr))
            self.assertTrue(cached.cache_lines[0].startswith("using "), cached.cache_lines)
        self.assertEqual(len(self.archives(app)), 3)  # at most three entries per application: the oldest went
        # The archive's classes are the ones that run: a log of the machine shows where each came from.
        log = app.path("load.log")
        for start in range(starts_before_use + 1):
            self.start(app, parameters=f"-Xlog:class+load=info:file={log}::filecount=0")
        self.assertIn("com.example.Outcome source: shared objects file (top)", pathlib.Path(log).read_text())
        # A jar replaced by another of the same size and time: its code runs, not the archive's.
        times = os.stat(app.path("app.jar"))
        jar(b"main RETURNS")
        os.utime(app.path("app.jar"), ns=(times.st_atime_ns, times.st_mtime_ns))
        self.assertEqual(os.stat(app.path("app.jar")).st_size, times.st_size)
        self.assertIn("out: main RETURNS", self.start(app).stdout)
        # Damaged archives: one cut short after its header, one with bytes overwritten. Dropped, and the start runs.
        for damage in ("cut", "overwritten"):
            for start in range(starts_before_use):
                self.start(app, parameters=f"-Dcase={damage}")
            archive, = self.entry(app, f"-Dcase={damage}").glob("classes-*.jsa")
            with open(archive, "r+b") as f:
                f.truncate(4096) if damage == "cut" else (f.seek(20000), f.write(b"\xff" * 64))
            damaged = self.start(app, ["exit", "3"], parameters=f"-Dcase={damage}")
            self.assertEqual((damaged.code, damaged.stdout, damaged.cache_lines[0]),
                             (3, "out: main runs\n", f"{archive} is damaged, removed"))
        # Entries of other applications: one unused for 31 days goes when an archive is published, one used lately stays.
        for name, days in (("00000000-old", 31), ("00000000-recent", 29)):
            key = pathlib.Path(app.path("cache", "embark", name, "key"))
            key.parent.mkdir()
            key.write_text("another application's key\n")
            os.utime(key, (time.time() - days * 86400,) * 2)
        # Two first starts at once: both run, one records, and one archive comes of it.
        for start in range(starts_before_use - 1):
            self.start(app, parameters="-Dcase=together")
        self.settings(app, parameters="-Dcase=together")
        together = [subprocess.Popen([app.executable], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     env=dict(os.environ, XDG_CACHE_HOME=app.path("cache"))) for _ in range(2)]
        self.assertEqual([process.communicate()[0] for process in together], [b"out: main runs\nout: main RETURNS\n"] * 2)
        self.assertEqual(len(list(self.entry(app, "-Dcase=together").glob("classes-*.jsa"))), 1)
        self.assertEqual([os.path.exists(app.path("cache", "embark", name)) for name in ("00000000-old", "00000000-recent")],
                         [False, True])
        # Without a cache: a cache folder that cannot be made, the application's own class-data option.
        app.write("not-a-folder", "")
        for setting, parameters, cache, line in [("", "", app.path("not-a-folder"), "off, no cache folder can be made"),
                                                 ("yes", "-Xshare:auto", None, "off, the application's options handle class data themselves")]:
            result = self.start(app, ["exit", "3"], setting, parameters, cache)
            self.assertEqual((result.code, result.stdout, result.cache_lines), (3, "out: main runs\n", [line]))
