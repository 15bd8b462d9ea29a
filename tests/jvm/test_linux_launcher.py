"""The Linux launcher as a user starts it, and the JVM harness that the
virtual machine tests build on."""
import os
import subprocess
import unittest

from embark_harness import EXIT_FAILURE_SEEN, AppFolder, linux_launcher, run_native

MAIN_CLASS_MISSING = "Error: Main class was not specified in INI file. \n"
JAVA_HOME = os.environ.get("EMBARK_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64")
JAVA_CLASSES = os.environ.get("EMBARK_JAVA_CLASSES", "")


class LinuxLauncher(unittest.TestCase):
    def test_without_settings_file_prints_the_main_class_error(self):
        app = AppFolder(self, linux_launcher(), "tool")
        result = run_native(app.executable)
        self.assertEqual(result.stdout, MAIN_CLASS_MISSING)
        self.assertEqual(result.code, EXIT_FAILURE_SEEN)

    def test_only_main_class_set_exits_quietly_when_no_runtime_is_found(self):
        app = AppFolder(self, linux_launcher(), "tool")
        app.write_settings("[Java Runtime Environment]\nMain Class=Hello\n")
        result = run_native(app.executable, ["an", "argument"])
        self.assertEqual((result.code, result.stdout, result.stderr), (EXIT_FAILURE_SEEN, "", ""))

    def test_settings_file_name_follows_the_executable_name(self):
        cases = [("tool", "tool.ini"), ("tool.bin", "tool.ini"), ("my.tool.run", "my.tool.ini")]
        for executable, settings in cases:
            with self.subTest(executable=executable):
                app = AppFolder(self, linux_launcher(), executable)
                app.write(settings, "[Java Runtime Environment]\nMain Class=Hello\n")
                self.assertEqual(run_native(app.executable).stdout, "")

    def test_started_through_a_link_reads_the_settings_beside_the_real_file(self):
        app = AppFolder(self, linux_launcher(), "tool")
        app.write_settings("[Java Runtime Environment]\nMain Class=Hello\n")
        link_folder = AppFolder(self, linux_launcher(), "unused")
        link = link_folder.path("shortcut")
        os.symlink(app.executable, link)
        self.assertEqual(run_native(link).stdout, "")


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
