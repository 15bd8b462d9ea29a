"""The Linux launcher as a user starts it: its settings file, the runtimes
installed under /usr/lib/jvm, and the JVM harness the other tests build on."""
import os
import re
import subprocess
import unittest

from embark_harness import EXIT_FAILURE_SEEN, AppFolder, linux_launcher, run_native

MAIN_CLASS_MISSING = "Error: Main class was not specified in INI file. \n"
NO_RUNTIME = ("Error: The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
              "(minimum version 99.0) from: https://adoptium.net/temurin/releases/ \n")
JAVA_HOME = os.environ.get("EMBARK_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64")
JAVA_CLASSES = os.environ.get("EMBARK_JAVA_CLASSES", "")
INSTALLED = "/usr/lib/jvm"


def installed_runtimes():
    """(version numbers, home) of each runtime folder that is not a link."""
    found = []
    for name in sorted(os.listdir(INSTALLED)):
        home = os.path.join(INSTALLED, name)
        if os.path.islink(home) or not os.path.isdir(home):
            continue
        try:
            with open(os.path.join(home, "release")) as f:
                match = re.search(r'^JAVA_VERSION="?([^"\n]*)', f.read(), re.M)
        except OSError:
            continue
        if match and os.path.exists(os.path.join(home, "lib", "server", "libjvm.so")):
            numbers = [int(group) for group in re.findall(r"\d+", match.group(1))[:4]]
            found.append((numbers + [0] * (4 - len(numbers)), home))
    return found


class LinuxLauncher(unittest.TestCase):
    def hello(self, name="hello", runtime_lines=()):
        app = AppFolder(self, linux_launcher(), name)
        app.write_settings("\n".join(["[Java Runtime Environment]", "Main Class=Hello", *runtime_lines,
                                      "[Class Path]", f"Class Path={JAVA_CLASSES}"]) + "\n")
        return app

    def test_without_settings_file_prints_the_main_class_error(self):
        app = AppFolder(self, linux_launcher(), "tool")
        result = run_native(app.executable)
        self.assertEqual(result.stdout, MAIN_CLASS_MISSING)
        self.assertEqual(result.code, EXIT_FAILURE_SEEN)

    def test_settings_file_name_follows_the_executable_name(self):
        cases = [("tool", "tool.ini"), ("tool.bin", "tool.ini"), ("my.tool.run", "my.tool.ini")]
        for executable, settings in cases:
            with self.subTest(executable=executable):
                app = AppFolder(self, linux_launcher(), executable)
                app.write(settings, "[Java Runtime Environment]\nMain Class=Hello\nMinimum Version=99\n")
                self.assertEqual(run_native(app.executable).stdout, NO_RUNTIME)

    def test_started_through_a_link_reads_the_settings_beside_the_real_file(self):
        app = AppFolder(self, linux_launcher(), "tool")
        app.write_settings("[Java Runtime Environment]\nMain Class=Hello\nMinimum Version=99\n")
        link_folder = AppFolder(self, linux_launcher(), "unused")
        link = link_folder.path("shortcut")
        os.symlink(app.executable, link)
        self.assertEqual(run_native(link).stdout, NO_RUNTIME)

    def test_no_installed_runtime_fits(self):
        result = run_native(self.hello(runtime_lines=["Minimum Version=99"]).executable)
        self.assertEqual((result.code, result.stdout), (EXIT_FAILURE_SEEN, NO_RUNTIME))

    def test_the_newest_installed_runtime_runs_the_application(self):
        newest = max(installed_runtimes())[1]
        result = run_native(self.hello().executable, ["an argument"])
        self.assertEqual(result.code, 0, result.stdout + result.stderr)
        runtime_line = result.stdout.splitlines()[0]
        self.assertEqual(os.path.realpath(runtime_line.split(" ", 2)[2]), os.path.realpath(newest))
        self.assertIn("arg[0]=an argument", result.stdout)

    def test_preferred_version_picks_openjdk_17(self):
        result = run_native(self.hello(runtime_lines=["Preferred versions=17"]).executable)
        self.assertEqual(result.code, 0, result.stdout + result.stderr)
        self.assertRegex(result.stdout, r"^runtime 17\.")
        self.assertEqual(os.path.realpath(result.stdout.split()[2]), os.path.realpath(JAVA_HOME))

    def test_maximum_version_excludes_newer_runtimes(self):
        result = run_native(self.hello(runtime_lines=["Maximum Version=17"]).executable)
        self.assertRegex(result.stdout, r"^runtime 17\.")


class JvmHarness(unittest.TestCase):
    def test_fixtures_run_on_the_test_jdk(self):
        self.assertTrue(os.path.isfile(os.path.join(JAVA_CLASSES, "Hello.class")), JAVA_CLASSES)
        completed = subprocess.run([os.path.join(JAVA_HOME, "bin", "java"), "-cp", JAVA_CLASSES, "Hello", "x y"],
                                   capture_output=True, text=True, timeout=120)
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertRegex(completed.stdout, r"^runtime 17\.")
        self.assertIn("arg[0]=x y", completed.stdout)


if __name__ == "__main__":
    unittest.main()
