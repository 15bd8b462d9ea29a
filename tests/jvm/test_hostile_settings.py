"""Settings a careless installer writes, through the Linux launcher and OpenJDK 17."""
import os
import subprocess
import unittest

from embark_harness import EXIT_FAILURE_SEEN, AppFolder, linux_launcher, run_native

JAVA_HOME = os.environ.get("EMBARK_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64")


class HostileSettings(unittest.TestCase):
    def app(self, *lines, main_class="Probe"):
        app = AppFolder(self, linux_launcher(), "app")
        app.write_settings("\n".join([f"[Class Path]\nClass Path={os.environ.get('EMBARK_JAVA_CLASSES', '')}",
                                      f"[Java Runtime Environment]\nMain Class={main_class}", *lines, ""]))
        return app

    def test_too_small_thread_stack_is_refused_by_the_machine(self):
        result = run_native(self.app(f"JRE Path={JAVA_HOME}", "Virtual Machine Parameters=-Xss16k").executable)
        self.assertEqual(result.code, EXIT_FAILURE_SEEN, result)
        self.assertIn("stack size specified is too small", result.stdout + result.stderr)

    def test_output_and_error_in_one_file_keep_their_order(self):
        for error_file in ("both.log", "./both.log"):
            app = self.app(f"JRE Path={JAVA_HOME}", "[Application]\nOutput File=both.log",
                           f"Error File={error_file}", main_class="com.example.Outcome")
            app.write("both.log", "old content that must go\n" * 10)
            self.assertEqual(run_native(app.executable, cwd=app.root).code, 0)
            with open(app.path("both.log")) as f:
                self.assertEqual(f.read(), "out: main runs\nerr: main runs\nout: main returns\n", error_file)

    def test_only_folders_with_a_library_and_a_version_are_runtimes(self):
        if subprocess.run(["unshare", "--mount", "true"], capture_output=True).returncode != 0:
            self.skipTest("no private mount namespace here")
        with open(os.path.join(JAVA_HOME, "release")) as f:
            version = next(line for line in f if line.startswith("JAVA_VERSION="))
        app = self.app("Preferred versions=0")  # what a version without digits would match
        # a-empty: the same version without a library; c-none: a runtime whose version has no digits.
        app.write("jvm/a-empty/release", version)
        app.write("jvm/c-none/release", 'JAVA_VERSION="none"\n')
        os.makedirs(app.path("jvm", "b-real"))
        # The launcher sees only these folders as /usr/lib/jvm, in a mount namespace of its own.
        script = ('mount --bind "$1" "$2/b-real" && mkdir "$2/c-none/lib" && mount --bind "$1/lib" "$2/c-none/lib" '
                  '&& mount --rbind "$2" /usr/lib/jvm && exec "$3"')
        completed = subprocess.run(["unshare", "--mount", "sh", "-c", script, "sh", JAVA_HOME, app.path("jvm"),
                                    app.executable], capture_output=True, text=True)
        self.assertEqual(completed.returncode, 0, completed)
        self.assertIn("java.home=/usr/lib/jvm/b-real\n", completed.stdout)
