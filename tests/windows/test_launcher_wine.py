"""The settings file under Wine: the one beside the executable and named after
it, not one in the current folder or under another name."""
import unittest

from embark_harness import ARCH, AppFolder, Wine, windows_launcher


class LauncherUnderWine(unittest.TestCase):
    def test_only_the_settings_file_named_after_the_executable_is_read(self):
        app = AppFolder(self, windows_launcher(ARCH), "tool.exe")
        elsewhere = AppFolder(self, windows_launcher(ARCH), "unused.exe")
        for folder, name in ((app, "other.ini"), (app, "tool.exe.ini"), (elsewhere, "tool.ini")):
            folder.write(name, "[Java Runtime Environment]\nMain Class=App\n")
        result = Wine().run_raw(ARCH, app.executable, "tool", cwd=elsewhere.root)
        self.assertEqual((result.code, result.stdout), (-1, "Error: Main class was not specified in INI file. \n"))
