"""Choosing among the runtimes listed in the registry under Wine: the x64
launcher reads the 64-bit view, the x86 launcher the 32-bit view."""
import os
import tempfile
import unittest

from embark_harness import ARCH, AppFolder, Wine, windows_launcher
from test_vm_wine import install_double, start

JRE = "Software\\JavaSoft\\Java Runtime Environment"
VIEW, OTHER_VIEW = ("/reg:64", "/reg:32") if ARCH == "win64" else ("/reg:32", "/reg:64")


class RegistryUnderWine(unittest.TestCase):
    def register(self, view, entries):
        """Replaces the runtime keys of both vendors in the view by (entry name, home folder) pairs."""
        for vendor in ("HKLM\\Software\\JavaSoft", "HKLM\\Software\\JRockit"):
            self.wine.reg("delete", vendor, "/f", view)
        with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as f:
            f.write("REGEDIT4\r\n" + "".join(f'[HKEY_LOCAL_MACHINE\\{JRE}\\{name}]\r\n"JavaHome"="%s"\r\n'
                                             % Wine.windows_path(home).replace("\\", "\\\\") for name, home in entries))
        self.addCleanup(os.remove, f.name)
        self.assertEqual(self.wine.reg("import", Wine.windows_path(f.name), view).returncode, 0)

    def test_runtime_choice(self):
        self.wine = Wine()
        # In the other view, a runtime that would be chosen were that view read.
        decoy = AppFolder(self, windows_launcher(ARCH), "unused.exe").root
        install_double(decoy, "client")
        self.register(OTHER_VIEW, [("1.6.0_30", decoy)])
        # (registry entries, or None for the private runtime beside the executable; the folder chosen)
        for entries, chosen in [({"1.6.0_20": "jre6", "1.7.0": "jre7"}, "jre6"), ({"1.7.0": "jre7", None: "."}, ".")]:
            with self.subTest(entries=entries):
                app = AppFolder(self, windows_launcher(ARCH), "tool.exe")
                app.write_settings("[Java Runtime Environment]\nMain Class=App\nPreferred versions=1.6\n"
                                   "Minimum Version=1.6.0_20\n[Class Path]\nClass Path=app.jar\n")
                libraries = {folder: install_double(app.path(folder), "client") for folder in entries.values()}
                if None in entries:
                    app.write("bin/java.dll", "marks the private runtime")
                self.register(VIEW, [(name, app.path(folder)) for name, folder in entries.items() if name])
                result, record = start(self.wine, app)
                self.assertEqual((result.code, record[:1]), (0, ["library " + libraries[chosen]]), result.stdout)
