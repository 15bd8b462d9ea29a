"""Choosing among the runtimes registered in the real registry under Wine:
each registered home holds the stand-in jvm.dll, whose record names the
library the launcher loaded. The x64 launcher reads the 64-bit view, the x86
launcher the 32-bit view, as on Windows."""
import os
import shutil
import subprocess
import tempfile
import unittest

from embark_harness import COMMAND_TIMEOUT, WINDOWS_ARCHES, AppFolder, Wine, windows_launcher
from test_vm_wine import Start, double_dll

JAVASOFT_JRE = "Software\\JavaSoft\\Java Runtime Environment"
JAVASOFT_JDK = "Software\\JavaSoft\\Java Development Kit"
JROCKIT_JRE = "Software\\JRockit\\Java Runtime Environment"
REGISTRY_VIEW = {"win64": "/reg:64", "win32": "/reg:32"}


class RegistryUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine()

    def reg(self, *arguments):
        return self.wine.reg(*arguments)

    def register(self, arch, entries):
        """entries: (key, subkey name, home folder) in the view of `arch`, after
        removing what earlier tests registered."""
        view = REGISTRY_VIEW[arch]
        for vendor in ("HKLM\\Software\\JavaSoft", "HKLM\\Software\\JRockit"):
            self.reg("delete", vendor, "/f", view)
        lines = ["REGEDIT4", ""]
        for key, name, home in entries:
            lines.append(f"[HKEY_LOCAL_MACHINE\\{key}\\{name}]")
            lines.append('"JavaHome"="' + Wine.windows_path(home).replace("\\", "\\\\") + '"')
            lines.append("")
        handle, path = tempfile.mkstemp(suffix=".reg")
        with os.fdopen(handle, "w") as f:
            f.write("\r\n".join(lines))
        self.addCleanup(os.remove, path)
        completed = self.reg("import", Wine.windows_path(path), view)
        self.assertEqual(completed.returncode, 0, completed.stderr)

    def runtime(self, app, arch, name, kinds=("client",), jre_folder=False):
        """A runtime folder holding the stand-in library for each VM kind."""
        home = app.path("runtimes", name)
        library_home = os.path.join(home, "jre") if jre_folder else home
        for kind in kinds:
            library = os.path.join(library_home, "bin", kind, "jvm.dll")
            os.makedirs(os.path.dirname(library))
            shutil.copy2(double_dll(arch), library)
        return home

    def app(self, arch, runtime_lines=()):
        app = AppFolder(self, windows_launcher(arch), "tool.exe")
        app.write_settings("\n".join(["[Java Runtime Environment]", "Main Class=App", *runtime_lines,
                                      "[Class Path]", "Class Path=app.jar"]) + "\n")
        return app

    def start(self, arch, app):
        record = app.path("record.txt")
        env = {"EMBARK_JVM_DOUBLE_RECORD": Wine.windows_path(record)}
        return Start(self.wine.run_raw(arch, app.executable, "tool", extra_env=env), record)

    def assert_loaded(self, start, home, kind="client", jre_folder=False):
        self.assertEqual(start.code, 0, start.stdout + start.stderr)
        parts = [home, "jre"] if jre_folder else [home]
        expected = Wine.windows_path(os.path.join(*parts, "bin", kind, "jvm.dll"))
        self.assertEqual(start.value("library ").lower(), expected.lower())

    def test_preferred_versions_outrank_the_order(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, ["Preferred versions=1.5;1.6"])
                newer = self.runtime(app, arch, "jre6")
                older = self.runtime(app, arch, "jre5")
                self.register(arch, [(JAVASOFT_JRE, "1.6.0_20", newer), (JAVASOFT_JRE, "1.5.0_22", older)])
                self.assert_loaded(self.start(arch, app), older)

    def test_without_a_matching_preference_the_newest_wins(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, ["Preferred versions=1.4"])
                jre6 = self.runtime(app, arch, "jre6")
                jre7 = self.runtime(app, arch, "jre7")
                self.register(arch, [(JAVASOFT_JRE, "1.6.0_20", jre6), (JAVASOFT_JRE, "1.7.0", jre7)])
                self.assert_loaded(self.start(arch, app), jre7)

    def test_favor_jrockit_picks_jrockit_over_a_newer_javasoft(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, ["VM Provider=favor_jrockit"])
                javasoft = self.runtime(app, arch, "javasoft")
                jrockit = self.runtime(app, arch, "jrockit", kinds=("jrockit",))
                self.register(arch, [(JAVASOFT_JRE, "1.7.0", javasoft), (JROCKIT_JRE, "1.5.0", jrockit)])
                self.assert_loaded(self.start(arch, app), jrockit, kind="jrockit")

    def test_favor_jdk_picks_a_jdk_and_its_jre_folder(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, ["JVM Source=favor_JDK"])
                jre = self.runtime(app, arch, "jre7")
                jdk = self.runtime(app, arch, "jdk5", jre_folder=True)
                self.register(arch, [(JAVASOFT_JRE, "1.7.0", jre), (JAVASOFT_JDK, "1.5.0", jdk)])
                self.assert_loaded(self.start(arch, app), jdk, jre_folder=True)

    def test_only_jre_never_uses_a_jdk(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, ["JVM Source=only_JRE"])
                jre = self.runtime(app, arch, "jre5")
                jdk = self.runtime(app, arch, "jdk7", jre_folder=True)
                self.register(arch, [(JAVASOFT_JRE, "1.5.0", jre), (JAVASOFT_JDK, "1.7.0", jdk)])
                self.assert_loaded(self.start(arch, app), jre)

    def test_modern_jdk_without_a_jre_folder_is_found(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, ["JVM Source=only_JDK"])
                jdk = self.runtime(app, arch, "jdk17", kinds=("server",))
                self.register(arch, [(JAVASOFT_JDK, "17.0.2", jdk)])
                self.assert_loaded(self.start(arch, app), jdk, kind="server")

    def test_unrecognised_jvm_source_searches_nothing(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, ["JVM Source=JRE_only"])
                self.register(arch, [(JAVASOFT_JRE, "1.7.0", self.runtime(app, arch, "jre7"))])
                start = self.start(arch, app)
                self.assertEqual((start.code, start.stdout, start.record), (-1, "", []))

    def test_version_limits(self):
        cases = [
            (["Minimum Version=1.6.0_10"], [("1.6", "jre6"), ("1.6.0_20", "jre620")], "jre620"),
            (["Minimum Version=1.6.0_10"], [("1.6", "jre6")], None),
            (["Maximum Version=1.6"], [("1.6.0_20", "jre620"), ("1.7", "jre7")], "jre620"),
            (["Maximum Version=1.6"], [("1.7", "jre7")], None),
        ]
        for arch in WINDOWS_ARCHES:
            for settings, entries, expected in cases:
                with self.subTest(arch=arch, settings=settings, entries=entries):
                    app = self.app(arch, settings)
                    homes = {folder: self.runtime(app, arch, folder) for _, folder in entries}
                    self.register(arch, [(JAVASOFT_JRE, name, homes[folder]) for name, folder in entries])
                    start = self.start(arch, app)
                    if expected:
                        self.assert_loaded(start, homes[expected])
                    else:
                        self.assertEqual((start.code, start.stdout), (-1, ""))

    def test_favor_server_prefers_a_server_library_within_a_class(self):
        # The same two runtimes under both vendors: 1.7 with a client and a
        # server library, 1.6 with a server library only. A JRockit entry is
        # probed server first, so both carry the server flag and the newer
        # wins; a JavaSoft runtime entry is probed in the plain order, so 1.7
        # counts as a client runtime and 1.6 comes first.
        cases = [(JROCKIT_JRE, "VM Provider=jrockit", "both7"), (JAVASOFT_JRE, "VM Provider=favor_sun", "server6")]
        for arch in WINDOWS_ARCHES:
            for key, provider, expected in cases:
                with self.subTest(arch=arch, key=key):
                    app = self.app(arch, ["JVM Type=favor_server", provider])
                    homes = {"both7": self.runtime(app, arch, "both7", kinds=("client", "server")),
                             "server6": self.runtime(app, arch, "server6", kinds=("server",))}
                    self.register(arch, [(key, "1.7.0", homes["both7"]), (key, "1.6.0", homes["server6"])])
                    # The final lookup takes the server library under favor_server.
                    self.assert_loaded(self.start(arch, app), homes[expected], kind="server")

    def test_remembered_folder_beats_private_runtime_beats_registry(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch)
                registered = self.runtime(app, arch, "registered")
                self.register(arch, [(JAVASOFT_JRE, "1.9.0", registered)])
                self.assert_loaded(self.start(arch, app), registered)

                # A private runtime beside the executable: bin\java.dll marks it.
                self.runtime(app, arch, "..")
                app.write("bin/java.dll", "marker")
                os.remove(app.path("record.txt"))
                self.assert_loaded(self.start(arch, app), app.path("runtimes", ".."))

                remembered = self.runtime(app, arch, "remembered")
                app.write_settings("[Java Runtime Environment]\nMain Class=App\n"
                                   f"JRE Path={Wine.windows_path(remembered)}\n[Class Path]\nClass Path=app.jar\n")
                os.remove(app.path("record.txt"))
                self.assert_loaded(self.start(arch, app), remembered)


if __name__ == "__main__":
    unittest.main()
