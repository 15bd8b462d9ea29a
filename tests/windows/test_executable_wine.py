"""What the Windows executables carry: system DLLs only, the string table,
the manifest and the version resource."""
import os
import re
import subprocess
import unittest

from embark_harness import SOURCE_DIR, WINDOWS_ARCHES, Wine, windows_helper, windows_launcher

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
               "comctl32.dll", "gdi32.dll", "comdlg32.dll", "shlwapi.dll"}
OBJDUMP = {"win64": "x86_64-w64-mingw32-objdump", "win32": "i686-w64-mingw32-objdump"}


def catalogue():
    """id -> text, read from the one header that holds the catalogue."""
    with open(os.path.join(SOURCE_DIR, "src", "launcher", "message_texts.h"), encoding="utf-8") as f:
        source = f.read()
    texts = dict(re.findall(r'#define (EMBARK_MSG_\w+) "((?:[^"\\]|\\.)*)"', source))
    entries = re.findall(r"ENTRY\((\d+), (EMBARK_MSG_\w+)\)", source)
    return {int(number): texts[name].encode().decode("unicode_escape") for number, name in entries}


class WindowsExecutable(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine()

    def test_needs_only_system_dlls(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                dump = subprocess.run([OBJDUMP[arch], "-p", windows_launcher(arch)], capture_output=True,
                                      text=True, check=True).stdout
                dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
                self.assertTrue(dlls, "no imports found")
                self.assertLessEqual(dlls, SYSTEM_DLLS)
                self.assertIn("(Windows CUI)", dump)

    def test_string_table_holds_exactly_the_catalogue(self):
        expected = catalogue()
        self.assertEqual(sorted(expected), [202, 203, *range(206, 223), *range(225, 231)])
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                exe = Wine.windows_path(windows_launcher(arch))
                result = self.wine.run(windows_helper(arch), ["strings", exe, "1", "1000"])
                found = {}
                for line in result.stdout.splitlines():
                    number, text = line.split("\t")
                    found[int(number)] = bytes.fromhex(text).decode("utf-8")
                self.assertEqual(found, expected)

    def test_manifest_asks_for_common_controls_6_and_as_invoker(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                exe = Wine.windows_path(windows_launcher(arch))
                manifest = self.wine.run(windows_helper(arch), ["resource", exe, "24", "1"]).stdout
                self.assertRegex(manifest, r'name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0"')
                self.assertIn('level="asInvoker"', manifest)

    def test_version_resource_names_the_product(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                exe = Wine.windows_path(windows_launcher(arch))
                result = self.wine.run(windows_helper(arch), ["version", exe, "ProductName"])
                self.assertEqual(result.stdout.strip(), "embark")


if __name__ == "__main__":
    unittest.main()
