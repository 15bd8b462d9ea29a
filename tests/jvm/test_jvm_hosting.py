"""The Linux launcher hosting Debian's OpenJDK 17: arguments, options, environment, the outcomes of main,
the standard streams and the machine's end, settings a careless installer writes; and the launcher as a user starts
it: the settings file beside the real executable, the runtimes installed under /usr/lib/jvm."""
import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import unittest

from embark_harness import COMMAND_TIMEOUT, EXIT_FAILURE_SEEN, AppFolder, linux_launcher, release_archive, run_native

JAVA_HOME = os.environ.get("EMBARK_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64")
JAVA_CLASSES = os.environ.get("EMBARK_JAVA_CLASSES", "")
OUTCOME = "com.example.Outcome"
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


def properties(stdout):
    return dict(line.split("=", 1) for line in stdout.splitlines() if "=" in line)


class JvmHosting(unittest.TestCase):
    def app(self, main_class="Probe", lines=(), extra="", home=JAVA_HOME):  # home "": the installed runtimes
        app = AppFolder(self, linux_launcher(), "app")
        app.write_settings("\n".join(["[Java Runtime Environment]", f"Main Class={main_class}", f"JRE Path={home}",
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


    def test_too_small_thread_stack_is_refused_by_the_machine(self):
        result = run_native(self.app(lines=["Virtual Machine Parameters=-Xss16k"]).executable)
        self.assertEqual(result.code, EXIT_FAILURE_SEEN, result)
        self.assertIn("stack size specified is too small", result.stdout + result.stderr)

    def test_output_and_error_in_one_file_keep_their_order(self):
        for error_file in ("both.log", "./both.log"):
            app = self.app(OUTCOME, extra=f"[Application]\nOutput File=both.log\nError File={error_file}\n")
            app.write("both.log", "old content that must go\n" * 10)
            self.assertEqual(run_native(app.executable, cwd=app.root).code, 0)
            with open(app.path("both.log")) as f:
                self.assertEqual(f.read(), "out: main runs\nerr: main runs\nout: main returns\n", error_file)

    def test_only_folders_with_a_library_and_a_version_are_runtimes(self):
        if subprocess.run(["unshare", "--mount", "true"], capture_output=True).returncode != 0:
            self.skipTest("no private mount namespace here")
        with open(os.path.join(JAVA_HOME, "release")) as f:
            version = next(line for line in f if line.startswith("JAVA_VERSION="))
        app = self.app(lines=["Preferred versions=0"], home="")  # what a version without digits would match
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

    def test_java_home_after_the_installed_runtimes_with_the_trace(self):
        home = tempfile.mkdtemp(prefix="embark-java-home-")  # a runtime of its own version, the real one's library
        self.addCleanup(subprocess.run, ["rm", "-rf", home])
        os.symlink(JAVA_HOME + "/lib", home + "/lib")
        with open(home + "/release", "w") as f:
            f.write('IMPLEMENTOR="test"\nJAVA_VERSION="42.0.1"\n')
        app = self.app(lines=["Minimum Version=42"], home="")
        for trace in ("", "1"):
            result = run_native(app.executable, env=dict(os.environ, JAVA_HOME=home, EMBARK_TRACE=trace))
            self.assertEqual((result.code, properties(result.stdout)["env.JX_JVM_HOME"]), (0, home), result.stderr)
            lines = result.stderr.splitlines()
            if not trace:
                self.assertEqual(lines, [])
                continue
            taken = lines.index(f"embark: runtime JAVA_HOME={home} (version 42.0.1) in {home}/: fits") + 1
            self.assertEqual(lines[taken], f"embark: runtime in {home}/ (version 42.0.1): taken")
            passed = [i for i, line in enumerate(lines) if line.endswith("passed over, outside the version range")]
            none = lines.index("embark: classic installed runtimes: none fits")
            self.assertTrue(passed and max(passed) < none < taken < lines.index("embark: main class Probe"), result.stderr)
        # Without an error stream the lines go to the file that the variable names.
        log = os.path.join(home, "trace.log")
        subprocess.run([app.executable], env=dict(os.environ, JAVA_HOME=home, EMBARK_TRACE=log), check=True,
                       stdout=subprocess.DEVNULL, preexec_fn=lambda: os.close(2), timeout=COMMAND_TIMEOUT)
        with open(log) as f:
            self.assertEqual(f.read().splitlines()[taken], lines[taken])


    def test_class_path_wildcards_beside_the_executable_from_another_folder(self):
        app = AppFolder(self, linux_launcher(), "app")
        lib = app.path("lib")
        os.makedirs(lib + "/empty")
        for jar, member in (("probe.JAR", "Probe.class"), ("a.jar", "Hello.class")):
            subprocess.run([JAVA_HOME + "/bin/jar", "cf", f"{lib}/{jar}", "-C", JAVA_CLASSES, member], check=True)
        app.write("lib/notes.txt", "not a jar")
        app.write_settings(f"[Java Runtime Environment]\nMain Class=Probe\nJRE Path={JAVA_HOME}\n"
                           "[Class Path]\nClass Path=%EMBARK_APP_DIR%/lib/*:%EMBARK_APP_DIR%/lib/empty/*\n")
        result = run_native(app.executable, cwd="/", env=dict(os.environ, EMBARK_APP_DIR="/elsewhere", EMBARK_TRACE="1"))
        self.assertEqual((result.code, properties(result.stdout)["cwd"]), (0, "/"), result.stderr)
        self.assertIn(f"embark: VM option -Djava.class.path={lib}/a.jar:{lib}/probe.JAR", result.stderr.splitlines())
    @unittest.skipUnless(os.path.isdir("/usr/share/ant/lib"), "Debian's ant is not installed")
    def test_ant_packaged_beside_the_launcher_starts_from_any_folder(self):
        app = AppFolder(self, linux_launcher(), "ant")
        os.symlink("/usr/share/ant/lib", app.path("lib"))
        app.write_settings(f"[Java Runtime Environment]\nMain Class=org.apache.tools.ant.launch.Launcher\n"
                           f"JRE Path={JAVA_HOME}\nVirtual Machine Parameters=-Dant.home=%EMBARK_APP_DIR%\n"
                           "[Class Path]\nClass Path=%EMBARK_APP_DIR%/lib/*\n")
        result = run_native(app.executable, ["-version"], cwd="/")
        debian = subprocess.run(["ant", "-version"], cwd="/", capture_output=True, text=True, timeout=COMMAND_TIMEOUT)
        self.assertEqual((result.code, result.stdout[:11], result.stdout), (0, "Apache Ant(", debian.stdout), result.stderr)

    def test_the_release_archive_starts_its_sample_from_any_folder(self):
        hello = os.path.join(release_archive(self, ".tar.gz"), "examples", "hello")
        shutil.copy2(os.path.join(hello, "..", "..", "embark"), launcher := os.path.join(hello, "hello"))
        subprocess.run([JAVA_HOME + "/bin/javac", "-d", os.path.join(hello, "classes"), os.path.join(hello, "Hello.java")],
                       check=True)
        result = run_native(launcher, ["first", "second argument"], cwd="/")
        self.assertEqual((result.code, result.stdout.splitlines()[1:]), (0, ["arg[0]=first", "arg[1]=second argument"]),
                         result.stderr)
        self.assertEqual(run_native(os.path.join(hello, "..", "..", "embark-brand"), ["--help"]).code, 0)

    def test_hints_after_a_main_class_not_found(self):
        app = AppFolder(self, linux_launcher(), "app")
        probe = bytearray(pathlib.Path(JAVA_CLASSES, "Probe.class").read_bytes())
        probe[6:8] = (70).to_bytes(2, "big")  # the class file version of Java 26
        app.write("newer/Probe.class", bytes(probe))
        app.write_settings(f"[Java Runtime Environment]\nMain Class=Probe\nJRE Path={JAVA_HOME}\n"
                           "[Class Path]\nClass Path=newer:gone.jar:%EMBARK_APP_DIR%/lib/*\n")
        result = run_native(app.executable, cwd=app.root)
        self.assertRegex(result.stdout, r"\AError: Could not find the main class Probe.\n \nClass path entry not found: "
                         rf"gone.jar\nClass path entry not found: {re.escape(app.root)}/lib/\*\nThe class needs Java 26; the runtime is "
                         r"Java (8|9|[1-2]\d)\.\n\Z")
        self.assertIn("UnsupportedClassVersionError", result.stderr)

if __name__ == "__main__":
    unittest.main()
