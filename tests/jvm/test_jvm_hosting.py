"""The Linux launcher hosting Debian's OpenJDK 17: arguments, options, environment, the outcomes of main,
the standard streams and the machine's end."""
import os
import unittest

from embark_harness import EXIT_FAILURE_SEEN, AppFolder, linux_launcher, run_native

JAVA_HOME = os.environ.get("EMBARK_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64")
JAVA_CLASSES = os.environ.get("EMBARK_JAVA_CLASSES", "")
OUTCOME = "com.example.Outcome"


def properties(stdout):
    return dict(line.split("=", 1) for line in stdout.splitlines() if "=" in line)


class JvmHosting(unittest.TestCase):
    def app(self, main_class="Probe", lines=(), extra=""):
        app = AppFolder(self, linux_launcher(), "app")
        app.write_settings("\n".join(["[Java Runtime Environment]", f"Main Class={main_class}", f"JRE Path={JAVA_HOME}",
                                      *lines, "[Class Path]", f"Class Path={JAVA_CLASSES}"]) + "\n" + extra)
        return app

    def test_arguments_options_and_environment_reach_the_machine(self):
        args = ["plain", "with blank", "", 'quo"te', "tab\tinside", "caf\u00e9"]
        parameters = ('-Xmx50P -Dprobe.a="C:\\Program Files\\App"   -Dprobe.b=%EMBARK_SPACED% '
                      '-Dprobe.c=%EMBARK_UNDEFINED_REFERENCE% "-Dprobe.d=say ""hi"""')
        app = self.app(lines=[f"Virtual Machine Parameters={parameters}", "System Path=/opt/tools",
                              "Library Path=/opt/native:"], extra="[Application]\nOverride WorkingDir=yes\n")
        result = run_native(app.executable, args, cwd="/", env=dict(os.environ, PATH="/usr/bin", EMBARK_SPACED="a b"))
        self.assertEqual(result.code, 0, result.stderr)
        found = properties(result.stdout)
        self.assertEqual([found[f"arg[{i}]"].encode("latin-1").decode() for i in range(int(found["args"]))], args)
        self.assertEqual([found[f"probe.{name}"] for name in "abcd"],
                         ["C:\\Program Files\\App", "a b", "%EMBARK_UNDEFINED_REFERENCE%", 'say "hi"'])
        half = os.sysconf("SC_PHYS_PAGES") * os.sysconf("SC_PAGE_SIZE") // 2
        self.assertLess(abs(int(found["maxMemory"]) - half) / half, 0.03, found["maxMemory"])
        self.assertEqual([found["env.JX_JVM_PATH"], found["env.JX_JVM_HOME"], os.path.realpath(found["java.home"])],
                         [f"{JAVA_HOME}/lib/server/libjvm.so", JAVA_HOME, os.path.realpath(JAVA_HOME)])
        self.assertEqual(found["env.PATH"], f"/opt/tools:/usr/bin:{JAVA_HOME}/bin")
        self.assertEqual(found["java.library.path"], f"/opt/native:{app.root}/:.:/usr/bin:{JAVA_HOME}/lib")
        self.assertEqual(found["cwd"], app.root)

    def test_outcomes_of_main(self):
        runs = "out: main runs\n"
        cases = [  # main class, settings lines, arguments; exit code, standard output, text on standard error
            (OUTCOME, [], ["return"], 0, runs + "out: main returns\n", "err: main runs"),
            (OUTCOME, [], ["throw"], 0, runs, "IllegalStateException: thrown by Outcome\n\tat com.example.Outcome.main"),
            (OUTCOME, [], ["exit", "7"], 7, runs, ""),
            (OUTCOME, [], ["linger"], 0, runs + "out: main returns\nworker done\n", ""),  # the end waits for it
            ("does.not.Exist", [], [], EXIT_FAILURE_SEEN, "Error: Could not find the main class does/not/Exist.\n \n",
             "NoClassDefFoundError"),
            ("java.lang.Object", [], [], EXIT_FAILURE_SEEN, "", "NoSuchMethodError"),  # no static main
            ("Probe", ["Virtual Machine Parameters=-Xunrecognised-by-the-vm"], [], EXIT_FAILURE_SEEN,
             "Error: JNI exception: failed to create the Java VM\nReason: unknown.\n \n", ""),
        ]
        for main_class, lines, args, code, stdout, stderr in cases:
            with self.subTest(main_class=main_class, args=args):
                result = run_native(self.app(main_class, lines).executable, args)
                self.assertEqual((result.code, result.stdout), (code, stdout), result.stderr)
                self.assertIn(stderr, result.stderr)

    def test_output_and_error_files(self):
        app = self.app(OUTCOME, extra="[Application]\nOutput File=out.txt\nError File=logs/err.txt\n")
        os.makedirs(app.path("logs"))
        app.write("out.txt", "old content that must go\n" * 10)
        result = run_native(app.executable, ["throw"], cwd=app.root)
        # The machine names the thread on its native stream; the trace goes through System.err, into the file.
        self.assertEqual((result.code, result.stdout), (0, ""))
        self.assertNotIn("IllegalStateException", result.stderr)
        with open(app.path("out.txt")) as out, open(app.path("logs", "err.txt")) as err:
            self.assertEqual(out.read(), "out: main runs\n")
            self.assertIn("err: main runs\njava.lang.IllegalStateException: thrown by Outcome", err.read())
        missing = self.app(OUTCOME, extra="[Application]\nOutput File=no/such/folder/out.txt\n")
        result = run_native(missing.executable, cwd=missing.root)
        self.assertEqual(result.code, 0)
        self.assertIn("out: main returns", result.stdout)
        self.assertIn("java.io.FileNotFoundException", result.stderr)


if __name__ == "__main__":
    unittest.main()
