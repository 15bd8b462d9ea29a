"""Starting a Java application under Wine, for the x64 and the x86 launcher,
with the project's stand-in jvm.dll, which records what the launcher asked of
it: library, options, environment, current folder, classes, arguments."""
import os
import shutil
import unittest

from embark_harness import BUILD_ROOT, WINDOWS_ARCHES, AppFolder, Wine, windows_helper, windows_launcher


def double_dll(arch, variant="full/bin/server"):
    return os.path.join(BUILD_ROOT, arch, "test-bin", "jvm-double", variant, "jvm.dll")


class Start:
    """One start's outcome: exit code, console text and the double's record."""

    def __init__(self, result, record_path):
        self.code = result.code
        self.stdout = result.stdout
        self.stderr = result.stderr
        self.record = []
        if os.path.exists(record_path):
            with open(record_path, encoding="latin-1") as f:
                self.record = f.read().splitlines()

    def lines(self, prefix):
        return [line[len(prefix):] for line in self.record if line.startswith(prefix)]

    def options(self):
        return self.lines("option ")

    def arguments(self):
        return [line.split("=", 1)[1] for line in self.record if line.startswith("arg[")]

    def value(self, prefix):
        found = self.lines(prefix)
        return found[0] if found else None


class VmUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine()

    def app(self, arch, settings="", class_path="app.jar", main_class="com.example.App", runtime="server",
            variant="full/bin/server", runtime_lines=()):
        app = AppFolder(self, windows_launcher(arch), "tool.exe")
        runtime_home = app.path("runtime")
        library = os.path.join(runtime_home, "bin", runtime, "jvm.dll")
        os.makedirs(os.path.dirname(library))
        shutil.copy2(double_dll(arch, variant), library)
        app.runtime_home = runtime_home
        app.library = library
        lines = ["[Java Runtime Environment]", f"JRE Path={Wine.windows_path(runtime_home)}"]
        if main_class:
            lines.append(f"Main Class={main_class}")
        lines += runtime_lines
        if class_path:
            lines += ["[Class Path]", f"Class Path={class_path}"]
        app.write_settings("\n".join(lines) + "\n" + settings)
        return app

    def start(self, arch, app, arguments="", scenario="returns", extra_env=None):
        record = app.path("record.txt")
        env = {"EMBARK_JVM_DOUBLE_RECORD": Wine.windows_path(record), "EMBARK_JVM_DOUBLE_SCENARIO": scenario}
        env.update(extra_env or {})
        line = '"' + Wine.windows_path(app.executable) + '"' + (" " + arguments if arguments else "")
        return Start(self.wine.run_raw(arch, app.executable, line, extra_env=env), record)

    def test_main_receives_the_arguments_split_by_the_launchers_rules(self):
        cases = [
            ("", []),
            ('"My File.txt"', ["My File.txt"]),
            ('x"y z"', ['x"y', 'z"']),
            ('a "" b', ["a", "", "b"]),
            ('"a"b', ["a", "b"]),
            ('one "unclosed rest  of line', ["one", "unclosed rest  of line"]),
            ("tab\tinside   spaced", ["tab\tinside", "spaced"]),
            ("-nosplash /nosplash", ["-nosplash", "/nosplash"]),
        ]
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch)
                for arguments, expected in cases:
                    with self.subTest(arguments=arguments):
                        start = self.start(arch, app, arguments)
                        self.assertEqual(start.code, 0, start.stdout + start.stderr)
                        self.assertEqual(start.arguments(), expected)
                        os.remove(app.path("record.txt"))

    def test_quoted_program_name_with_blanks_is_dropped_whole(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch)
                folder = app.path("my app")
                os.makedirs(folder)
                for name in ("tool.exe", "tool.ini"):
                    shutil.copy2(app.path(name), os.path.join(folder, name))
                app.executable = os.path.join(folder, "tool.exe")
                self.assertEqual(self.start(arch, app, "a b").arguments(), ["a", "b"])

    def test_unquoted_program_name_with_blanks_leaves_its_tail_as_arguments(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch)
                record = app.path("record.txt")
                env = {"EMBARK_JVM_DOUBLE_RECORD": Wine.windows_path(record)}
                result = self.wine.run_raw(arch, app.executable, "C:\\Program Files\\tool.exe more", extra_env=env)
                self.assertEqual(Start(result, record).arguments(), ["Files\\tool.exe", "more"])

    def test_creation_arguments_and_option_order(self):
        runtime_lines = ["Library Path=C:\\Native;",
                         'Virtual Machine Parameters=-Xms64m   -Xmx512m "-Dapp.home=C:\\Program Files\\App" '
                         '-xmx50P -Dtemp=%TEMP%\\app -Dnone=%EMBARK_NOT_DEFINED% "-Dq=say ""hi"""']
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, runtime_lines=runtime_lines)
                start = self.start(arch, app)
                self.assertEqual(start.code, 0, start.stdout)
                self.assertIn("create version=0x10002 options=9 ignoreUnrecognized=0", start.record)
                temp = self.wine.windows_environment(arch, "TEMP")
                executable_folder = Wine.windows_path(app.root) + "\\"
                home = Wine.windows_path(app.runtime_home)
                options = start.options()
                self.assertTrue(options[0].startswith("-Djava.library.path=C:\\Native;" + executable_folder + ";.;"),
                                options[0])
                self.assertTrue(options[0].endswith(";" + home + "\\lib"), options[0])
                self.assertEqual(options[1:], [
                    "-Djava.class.path=app.jar", "-Xms64m", "-Xmx512m", "-Dapp.home=C:\\Program Files\\App",
                    "-xmx50P", f"-Dtemp={temp}\\app", "-Dnone=%EMBARK_NOT_DEFINED%", '-Dq=say "hi"'])

    def test_percentage_memory_options(self):
        runtime_lines = ["Virtual Machine Parameters=-Xmx50P -Xmx50:64:512P -Xms10:128P -Xss50T"]
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                physical, _ = self.memory(arch)
                start = self.start(arch, self.app(arch, runtime_lines=runtime_lines))
                half = int((physical >> 10) * 0.5)
                tenth = int((physical >> 10) * 0.1)
                options = start.options()
                self.assertEqual(options[1], f"-Xmx{half}K")
                self.assertEqual(options[2], f"-Xmx{min(half, 512 * 1024)}K")
                self.assertEqual(options[3], f"-Xms{max(tenth, 128 * 1024)}K")
                self.assertRegex(options[4], r"^-Xss\d+K$")

    def memory(self, arch):
        result = self.wine.run(windows_helper(arch), ["memory"])
        physical, available = result.stdout.split()
        return int(physical), int(available)

    def test_environment_and_library_choice(self):
        runtime_lines = ["System Path=C:\\Tools"]
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch, runtime="client", runtime_lines=runtime_lines)
                start = self.start(arch, app)
                library = Wine.windows_path(app.library)
                home = Wine.windows_path(app.runtime_home)
                self.assertEqual(start.value("library ").lower(), library.lower())
                self.assertEqual(start.value("env JX_JVM_PATH="), library)
                self.assertEqual(start.value("env JX_JVM_HOME="), home)
                path = start.value("env Path=")
                self.assertTrue(path.startswith("C:\\Tools;"), path)
                self.assertTrue(path.endswith(";" + home + "\\bin"), path)

    def test_main_class_lookup_and_string_conversion(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                start = self.start(arch, self.app(arch), '"an arg"')
                self.assertIn("FindClass com/example/App", start.record)
                self.assertIn("GetStaticMethodID main ([Ljava/lang/String;)V", start.record)
                self.assertIn("call com/example/App.main", start.record)
                self.assertEqual(start.record[-2:], ["detach", "destroy"])

    def test_outcomes_of_main(self):
        cases = [
            ("returns", 0, ""),
            ("throws", 0, ""),
            ("exit:7", 7, ""),
            ("exit:0", 0, ""),
            ("no-class", -1, "Error: Could not find the main class com/example/App.\n \n"),
            ("no-method", -1, "Error: No main method found in specified class.\n \n"),
            ("no-method-exception", -1, ""),
            ("detach-fails", -1, ""),
            ("no-string", -1, "Error: Failed to load Main Class: com/example/App.\n \n"),
        ]
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch)
                for scenario, code, stdout in cases:
                    with self.subTest(scenario=scenario):
                        start = self.start(arch, app, scenario=scenario)
                        self.assertEqual((start.code, start.stdout), (code, stdout), start.stderr)
                        if scenario in ("no-class", "no-method", "no-method-exception"):
                            # A failed start still detaches, so the machine's end does not wait for it.
                            self.assertEqual(start.record[-2:], ["detach", "destroy"])
                    os.remove(app.path("record.txt"))
                thrown = self.start(arch, app, scenario="throws")
                self.assertIn("java.lang.RuntimeException: thrown by main", thrown.stderr)

    def test_creation_failures_and_their_reasons(self):
        reasons = {-1: "unknown", -2: "thread detached from VM", -3: "JNI version error", -4: "not enough memory",
                   -5: "VM already created", -6: "invalid arguments", 7: "", -7: ""}
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                app = self.app(arch)
                for result, reason in reasons.items():
                    with self.subTest(result=result):
                        start = self.start(arch, app, scenario=f"create:{result}")
                        self.assertEqual(start.code, -1)
                        self.assertEqual(start.stdout,
                                         f"Error: JNI exception: failed to create the Java VM\nReason: {reason}.\n \n")
                        self.assertNotIn("destroy", start.record)

    def test_unrecognised_option_is_not_ignored(self):
        runtime_lines = ["Virtual Machine Parameters=-Xunknown-option"]
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                start = self.start(arch, self.app(arch, runtime_lines=runtime_lines))
                self.assertEqual(start.code, -1)
                self.assertIn("Reason: unknown.", start.stdout)

    def test_library_load_failures(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                with self.subTest(case="missing file"):
                    app = self.app(arch)
                    os.remove(app.library)
                    os.makedirs(os.path.join(app.runtime_home, "bin", "client"))
                    with open(os.path.join(app.runtime_home, "bin", "client", "jvm.dll"), "wb") as f:
                        f.write(b"MZ not really a library")
                    start = self.start(arch, app)
                    library = Wine.windows_path(os.path.join(app.runtime_home, "bin", "client", "jvm.dll"))
                    self.assertEqual(start.code, -1)
                    self.assertRegex(start.stdout, r"^Error: Failed to load Java VM library: " +
                                     library.replace("\\", "\\\\") + r" \(errno = \d+\)\.\n \n$")
                for variant in ("no-exports", "create-only"):
                    with self.subTest(case=variant):
                        start = self.start(arch, self.app(arch, variant=variant))
                        self.assertEqual(start.code, -1)
                        self.assertRegex(start.stdout,
                                         r"^Error: Windows exception: cannot find CreateJavaVM JNI \(errno = \d+\)\.\n \n$")

    def test_class_path_is_required(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                start = self.start(arch, self.app(arch, class_path=""))
                self.assertEqual(start.stdout, "Error: Java Class Path was not specified in INI file. \n")
                self.assertEqual(start.code, -1)
                self.assertNotIn("create", " ".join(start.record))

    def test_output_and_error_files_are_handed_to_the_machine(self):
        settings = "[Application]\nOutput File=%TEMP%\\out.txt\nError File=err.txt\n"
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                start = self.start(arch, self.app(arch, settings))
                self.assertIn("setOut %TEMP%\\out.txt", start.record)
                self.assertIn("setErr err.txt", start.record)
                failed = self.start(arch, self.app(arch, settings), scenario="no-file")
                self.assertEqual(failed.code, 0)
                self.assertIn("call com/example/App.main", failed.record)
                self.assertIn("FileNotFoundException", failed.stderr)

    def test_default_stack_size_is_asked_for(self):
        for arch in WINDOWS_ARCHES:
            with self.subTest(arch=arch):
                start = self.start(arch, self.app(arch))
                self.assertTrue(any(line.startswith("default-args version=0x10001") for line in start.record),
                                start.record)


if __name__ == "__main__":
    unittest.main()
