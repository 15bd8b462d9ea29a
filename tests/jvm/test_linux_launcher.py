"""The Linux launcher as a user starts it: the settings file beside the real executable, and the runtimes
installed under /usr/lib/jvm."""
import os
import re
import unittest

from embark_harness import EXIT_FAILURE_SEEN, AppFolder, linux_launcher, run_native

JAVA_HOME = os.environ.get("EMBARK_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64")
JAVA_CLASSES = os.environ.get("EMBARK_JAVA_CLASSES", "")
INSTALLED = "/usr/lib/jvm"


def newest_installed_runtime():
    """The home of the newest runtime folder (not a link) with a release file and a server VM."""
    found = []
    for name in os.listdir(INSTALLED):
        home = os.path.join(INSTALLED, name)
        if os.path.islink(home) or not os.path.isfile(home + "/release") or not os.path.exists(home + "/lib/server"):
            continue
        with open(home + "/release") as f:
            match = re.search(r'^JAVA_VERSION="?([^"\n]*)', f.read(), re.M)
        if match:
            found.append(([int(number) for number in re.findall(r"\d+", match.group(1))[:4]], home))
    return max(found)[1]


class LinuxLauncher(unittest.TestCase):
    def test_started_through_a_link_reads_the_settings_beside_the_real_file(self):
        app = AppFolder(self, linux_launcher(), "t" * 250)  # a path longer than the first guess of its length
        app.write_settings("[Java Runtime Environment]\nMain Class=Hello\nMinimum Version=99\n")
        link = os.path.join(AppFolder(self, linux_launcher(), "unused").root, "shortcut")
        os.symlink(app.executable, link)
        result = run_native(link)
        self.assertEqual(result.code, EXIT_FAILURE_SEEN)
        self.assertEqual(result.stdout, "Error: The Java Runtime Environment (JRE) was not found. Please  download and "
                         "install a JRE (minimum version 99.0) from: https://adoptium.net/temurin/releases/ \n")

    def test_installed_runtimes_by_version(self):
        cases = [([], newest_installed_runtime()), (["Preferred versions=17"], JAVA_HOME), (["Maximum Version=17"], JAVA_HOME)]
        for lines, home in cases:
            with self.subTest(lines=lines):
                app = AppFolder(self, linux_launcher(), "hello")
                app.write_settings("\n".join(["[Java Runtime Environment]", "Main Class=Hello", *lines,
                                              "[Class Path]", f"Class Path={JAVA_CLASSES}"]) + "\n")
                result = run_native(app.executable, ["an argument"])
                self.assertEqual(result.code, 0, result.stdout + result.stderr)
                runtime, argument = result.stdout.splitlines()[:2]
                self.assertEqual(os.path.realpath(runtime.split(" ", 2)[2]), os.path.realpath(home))
                self.assertEqual(argument, "arg[0]=an argument")


if __name__ == "__main__":
    unittest.main()
