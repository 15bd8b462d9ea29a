"""Settings a careless installer writes, for the x64 and the x86 launcher under
Wine with the stand-in jvm.dll, which records what reached it."""
import os
import shutil
import unittest

from embark_harness import ARCH, BUILD_ROOT, AppFolder, Wine, windows_launcher


class HostileSettingsUnderWine(unittest.TestCase):
    def start(self, settings, env=None):
        """The record lines of one start, which must end with 0."""
        app = AppFolder(self, windows_launcher(ARCH), "tool.exe")
        os.makedirs(app.path("runtime", "bin", "server"))
        shutil.copy2(os.path.join(BUILD_ROOT, ARCH, "test-bin", "jvm-double", "full", "bin", "server", "jvm.dll"),
                     app.path("runtime", "bin", "server", "jvm.dll"))
        app.write_settings(f"[Java Runtime Environment]\nJRE Path={Wine.windows_path(app.path('runtime'))}\n"
                           f"Main Class=App\n{settings}")
        env = dict(env or {}, EMBARK_JVM_DOUBLE_RECORD=Wine.windows_path(app.path("record.txt")))
        result = Wine().run(app.executable, cwd=app.root, extra_env=env)
        self.assertEqual(result.code, 0, result.stdout)
        with open(app.path("record.txt"), encoding="latin-1") as f:
            return f.read().splitlines()

    def test_long_and_percent_heavy_options_reach_the_machine(self):
        libraries = "a" * (32749 - len("C:\\libs\\"))  # an option of 32,767 characters once expanded
        percents = "%" * 33000
        record = self.start(f"Virtual Machine Parameters={percents} -Dundefined=%EMBARK_UNSET%\n"
                            f"[Class Path]\nClass Path=%EMBARK_LIBS%\\{libraries}\n", {"EMBARK_LIBS": "C:\\libs"})
        options = [line[len("option "):] for line in record if line.startswith("option ")]
        self.assertEqual(options, [f"-Djava.class.path=C:\\libs\\{libraries}", percents, "-Dundefined=%EMBARK_UNSET%"])

    def test_one_file_for_both_streams_is_opened_once(self):
        record = self.start("[Class Path]\nClass Path=app.jar\n"
                            "[Application]\nOutput File=Both.log\nError File=.\\logs\\..\\BOTH.LOG\n")
        streams = [line for line in record if line.startswith(("call java/lang/System.set", "stream "))]
        self.assertEqual(streams, ["call java/lang/System.setOut", "stream Both.log",
                                   "call java/lang/System.setErr", "stream Both.log"])
