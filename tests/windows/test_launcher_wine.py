"""The launcher spine under Wine, for the x64 and the x86 executable."""
import unittest

from embark_harness import EXIT_FAILURE_SEEN, WINDOWS_ARCHES, AppFolder, Wine, windows_helper, windows_launcher

MAIN_CLASS_MISSING = "Error: Main class was not specified in INI file. \n"


class LauncherSpineUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine()

    def test_without_settings_file_prints_the_main_class_error(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = AppFolder(self, windows_launcher(arch), "tool.exe")
                result = self.wine.run(app.executable)
                self.assertEqual(result.stdout, MAIN_CLASS_MISSING)
                self.assertEqual(result.code, EXIT_FAILURE_SEEN)

    def test_exit_code_is_minus_one_in_full(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = AppFolder(self, windows_launcher(arch), "tool.exe")
                result = self.wine.run_raw(arch, app.executable, "tool")
                self.assertEqual(result.code, -1)
                self.assertEqual(result.stdout, MAIN_CLASS_MISSING)

    def test_only_main_class_set_exits_quietly_when_no_runtime_is_found(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                for newline in ("\n", "\r\n"):
                    app = AppFolder(self, windows_launcher(arch), "tool.exe")
                    app.write_settings("[Java Runtime Environment]\nMain Class=com.example.App\n", newline)
                    result = self.wine.run(app.executable)
                    self.assertEqual(result.stdout, "")
                    self.assertEqual(result.code, EXIT_FAILURE_SEEN)

    def test_settings_file_is_named_after_the_executable(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = AppFolder(self, windows_launcher(arch), "other.exe")
                app.write("tool.ini", "[Java Runtime Environment]\nMain Class=App\n")
                self.assertEqual(self.wine.run(app.executable).stdout, MAIN_CLASS_MISSING)
                app.write_settings("[java runtime environment]\n  main class  =  App  \n")
                self.assertEqual(self.wine.run(app.executable).stdout, "")

    def test_settings_are_read_from_the_executable_folder_not_the_current_one(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = AppFolder(self, windows_launcher(arch), "tool.exe")
                elsewhere = AppFolder(self, windows_helper(arch), "unused.exe")
                elsewhere.write("tool.ini", "[Java Runtime Environment]\nMain Class=App\n")
                result = self.wine.run(app.executable, cwd=elsewhere.root)
                self.assertEqual(result.stdout, MAIN_CLASS_MISSING)

    def test_hostile_settings_files_neither_crash_nor_hang(self):
        # Read through Windows' own profile functions: a 10 MiB file, binary
        # bytes and NULs, 100,000 keys, a value of 1 MiB. The main class comes
        # last, so the start reaches the runtime search and, finding none,
        # ends quietly; had it not been read, its error would be printed.
        section = b"[Java Runtime Environment]\n"
        binary = bytes(byte for byte in range(256) if byte not in b"[\r\n") * 64
        files = {
            "ten-mebibytes": b"[Filler]\n" + (b"k=" + b"v" * 1021 + b"\n") * 10240 + section,
            "binary-and-nuls": section + binary + b"\n\0\0\0\n",
            "many-keys": section + b"".join(b"key%d=%d\n" % (i, i) for i in range(100000)),
            "long-value": section + b"JRE Path=" + b"p" * (1 << 20) + b"\n",
        }
        for arch in WINDOWS_ARCHES:
            for name, text in files.items():
                with self.subTest(arch=arch, file=name):
                    app = AppFolder(self, windows_launcher(arch), "tool.exe")
                    app.write_settings(text + b"Main Class=App\n")
                    result = self.wine.run(app.executable)
                    self.assertEqual((result.code, result.stdout), (EXIT_FAILURE_SEEN, ""))

    def test_wine_sets_appdata_itself(self):
        # The per-user settings file lies under APPDATA as Windows programs see
        # it, which is Wine's own value, not the Linux environment's.
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                value = self.wine.windows_environment(arch, "APPDATA")
                self.assertTrue(value and value.startswith("C:\\"), value)


if __name__ == "__main__":
    unittest.main()
