"""The Linux launcher hosting Debian's OpenJDK 17: arguments, options,
environment, exit codes, streams and the machine's end."""
import os
import re
import subprocess
import unittest

from embark_harness import EXIT_FAILURE_SEEN, AppFolder, linux_launcher, run_native

JAVA_HOME = os.environ.get("EMBARK_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64")
JAVA_CLASSES = os.environ.get("EMBARK_JAVA_CLASSES", "")
ANT_HOME = "/usr/share/ant"


def physical_memory():
    return os.sysconf("SC_PHYS_PAGES") * os.sysconf("SC_PAGE_SIZE")


def properties(stdout):
    return dict(line.split("=", 1) for line in stdout.splitlines() if "=" in line)


class JvmHosting(unittest.TestCase):
    def app(self, main_class="Probe", parameters="", extra="", class_path=None, jre_path=JAVA_HOME,
            runtime_lines=()):
        app = AppFolder(self, linux_launcher(), "app")
        lines = ["[Java Runtime Environment]", f"Main Class={main_class}", *runtime_lines]
        if jre_path:
            lines.append(f"JRE Path={jre_path}")
        if parameters:
            lines.append(f"Virtual Machine Parameters={parameters}")
        lines += ["[Class Path]", f"Class Path={JAVA_CLASSES if class_path is None else class_path}"]
        app.write_settings("\n".join(lines) + "\n" + extra)
        return app

    def run_app(self, app, args=(), env=None, cwd=None):
        return run_native(app.executable, args, env=env, cwd=cwd)

    def test_arguments_reach_main_unchanged(self):
        args = ["plain", "with blank", "", 'quo"te', "tab\tinside", "-nosplash", "/nosplash", "caf\u00e9"]
        result = self.run_app(self.app(), args)
        self.assertEqual(result.code, 0, result.stderr)
        found = properties(result.stdout)
        self.assertEqual(found["args"], str(len(args)))
        for index, expected in enumerate(args):
            self.assertEqual(found[f"arg[{index}]"].encode("latin-1").decode("utf-8"), expected)

    def test_no_arguments_give_an_empty_array(self):
        result = self.run_app(self.app())
        self.assertEqual(properties(result.stdout)["args"], "0")

    def test_parameters_are_split_unquoted_and_expanded_per_option(self):
        env = dict(os.environ, EMBARK_SPACED="one two")
        parameters = ('-Dprobe.a="C:\\Program Files\\App"   -Dprobe.b=%EMBARK_SPACED% '
                      '-Dprobe.c=%EMBARK_UNDEFINED_REFERENCE% "-Dprobe.d=say ""hi"""')
        result = self.run_app(self.app(parameters=parameters), env=env)
        self.assertEqual(result.code, 0, result.stderr)
        found = properties(result.stdout)
        self.assertEqual(found["property.probe.a"], "C:\\Program Files\\App")
        self.assertEqual(found["property.probe.b"], "one two")
        self.assertEqual(found["property.probe.c"], "%EMBARK_UNDEFINED_REFERENCE%")
        self.assertEqual(found["property.probe.d"], 'say "hi"')

    def test_percentage_heap_is_half_the_physical_memory(self):
        result = self.run_app(self.app(parameters="-Xmx50P"))
        self.assertEqual(result.code, 0, result.stderr)
        expected = physical_memory() // 2
        actual = int(properties(result.stdout)["maxMemory"])
        self.assertLess(abs(actual - expected) / expected, 0.03, (actual, expected))

    def test_percentage_heap_respects_its_maximum(self):
        result = self.run_app(self.app(parameters="-Xmx50:16:64P"))
        actual = int(properties(result.stdout)["maxMemory"])
        self.assertLessEqual(actual, 64 * 1024 * 1024)
        self.assertGreater(actual, 48 * 1024 * 1024)

    def test_environment_names_the_runtime(self):
        env = dict(os.environ, PATH="/usr/bin:/bin")
        result = self.run_app(self.app(), env=env)
        found = properties(result.stdout)
        self.assertEqual(found["env.JX_JVM_PATH"], os.path.join(JAVA_HOME, "lib", "server", "libjvm.so"))
        self.assertEqual(found["env.JX_JVM_HOME"], JAVA_HOME)
        self.assertEqual(found["env.PATH"], f"/usr/bin:/bin:{JAVA_HOME}/bin")
        self.assertEqual(os.path.realpath(found["java.home"]), os.path.realpath(JAVA_HOME))

    def test_system_and_library_paths(self):
        app = self.app(runtime_lines=["System Path=/opt/tools", "Library Path=/opt/native:"])
        result = self.run_app(app, env=dict(os.environ, PATH="/usr/bin"))
        found = properties(result.stdout)
        self.assertEqual(found["env.PATH"], f"/opt/tools:/usr/bin:{JAVA_HOME}/bin")
        self.assertEqual(found["java.library.path"], f"/opt/native:{app.root}/:.:/usr/bin:{JAVA_HOME}/lib")

    def test_class_path_is_required(self):
        app = self.app(class_path="")
        result = self.run_app(app)
        self.assertEqual(result.stdout, "Error: Java Class Path was not specified in INI file. \n")
        self.assertEqual(result.code, EXIT_FAILURE_SEEN)

    def test_main_class_with_dots(self):
        result = self.run_app(self.app(main_class="com.example.Packaged"))
        self.assertEqual((result.code, result.stdout), (0, "packaged main runs\n"))

    def test_exit_codes_of_main(self):
        cases = [
            (["return"], 0),
            (["throw"], 0),
            (["exit", "7"], 7),
            (["exit", "0"], 0),
            (["exit", "-1"], 255),
        ]
        for args, expected in cases:
            with self.subTest(args=args):
                result = self.run_app(self.app(main_class="Outcome"), args)
                self.assertEqual(result.code, expected, result.stderr)
        thrown = self.run_app(self.app(main_class="Outcome"), ["throw"])
        self.assertIn("java.lang.IllegalStateException: thrown by Outcome", thrown.stderr)
        self.assertIn("at Outcome.main", thrown.stderr)

    def test_missing_class_and_missing_main(self):
        missing = self.run_app(self.app(main_class="does.not.Exist"))
        self.assertEqual(missing.code, EXIT_FAILURE_SEEN)
        self.assertEqual(missing.stdout, "Error: Could not find the main class does/not/Exist.\n \n")
        self.assertIn("NoClassDefFoundError", missing.stderr)
        no_main = self.run_app(self.app(main_class="NoMain"))
        self.assertEqual(no_main.code, EXIT_FAILURE_SEEN)
        self.assertIn("NoSuchMethodError", no_main.stderr)
        self.assertEqual(no_main.stdout, "")

    def test_unrecognised_option_fails_creation(self):
        result = self.run_app(self.app(parameters="-Xunrecognised-by-the-vm"))
        self.assertEqual(result.code, EXIT_FAILURE_SEEN)
        self.assertEqual(result.stdout,
                         "Error: JNI exception: failed to create the Java VM\nReason: unknown.\n \n")

    def test_library_that_cannot_be_loaded(self):
        runtime = AppFolder(self, linux_launcher(), "unused")
        library = runtime.write("lib/server/libjvm.so", "not a library")
        result = self.run_app(self.app(jre_path=runtime.root))
        self.assertEqual(result.code, EXIT_FAILURE_SEEN)
        self.assertRegex(result.stdout, r"^Error: Failed to load Java VM library: " + re.escape(library) +
                         r" \(errno = -?\d+\)\.\n \n$")

    def test_output_and_error_files(self):
        app = self.app(main_class="Outcome", extra="[Application]\nOutput File=out.txt\nError File=logs/err.txt\n")
        os.makedirs(app.path("logs"))
        app.write("out.txt", "old content that must go\n" * 10)
        result = self.run_app(app, ["throw"], cwd=app.root)
        self.assertEqual(result.code, 0)
        self.assertEqual(result.stdout, "")
        # The virtual machine names the thread on its native stream; the trace
        # itself goes through System.err, into the file.
        self.assertNotIn("IllegalStateException", result.stderr)
        with open(app.path("out.txt")) as f:
            self.assertEqual(f.read(), "out: main runs\n")
        with open(app.path("logs", "err.txt")) as f:
            err = f.read()
        self.assertTrue(err.startswith("err: main runs\n"), err)
        self.assertIn("IllegalStateException: thrown by Outcome", err)

    def test_output_file_in_a_missing_folder_leaves_the_console(self):
        app = self.app(main_class="Outcome", extra="[Application]\nOutput File=no/such/folder/out.txt\n")
        result = self.run_app(app, cwd=app.root)
        self.assertEqual(result.code, 0)
        self.assertIn("out: main returns", result.stdout)
        self.assertIn("java.io.FileNotFoundException", result.stderr)

    def test_process_waits_for_non_daemon_threads(self):
        result = self.run_app(self.app(main_class="Lingers"))
        self.assertEqual(result.code, 0, result.stderr)
        self.assertEqual(result.stdout, "main returns\nworker done\n")

    def test_remembered_runtime_beats_a_private_runtime(self):
        app = self.app()
        # A broken private runtime beside the executable would fail the start.
        app.write("lib/libjava.so", "marker")
        app.write("lib/server/libjvm.so", "not a library")
        result = self.run_app(app)
        self.assertEqual(result.code, 0, result.stdout)

    def test_private_runtime_beside_the_executable(self):
        for subfolder in ("", "jre"):
            with self.subTest(subfolder=subfolder or "."):
                app = self.app(jre_path="")
                home = app.path(subfolder) if subfolder else app.root
                os.makedirs(home, exist_ok=True)
                os.symlink(os.path.join(JAVA_HOME, "lib"), os.path.join(home, "lib"))
                result = self.run_app(app)
                self.assertEqual(result.code, 0, result.stdout + result.stderr)
                self.assertEqual(properties(result.stdout)["env.JX_JVM_PATH"],
                                 os.path.join(home, "lib", "server", "libjvm.so"))

    def test_override_working_dir(self):
        app = self.app(extra="[Application]\nOverride WorkingDir=yes\n")
        result = self.run_app(app, cwd="/")
        self.assertEqual(properties(result.stdout)["cwd"], app.root)

    def test_apache_ant_runs(self):
        app = AppFolder(self, linux_launcher(), "ant")
        app.write_settings(
            "[Java Runtime Environment]\n"
            "Main Class=org.apache.tools.ant.launch.Launcher\n"
            f"JRE Path={JAVA_HOME}\n"
            f"Virtual Machine Parameters=-Dant.home={ANT_HOME}\n"
            "[Class Path]\n"
            f"Class Path={ANT_HOME}/lib/ant-launcher.jar\n")
        result = self.run_app(app, ["-version"])
        self.assertEqual(result.code, 0, result.stdout + result.stderr)
        self.assertRegex(result.stdout, r"Apache Ant\(TM\) version 1\.\d+")


if __name__ == "__main__":
    unittest.main()
