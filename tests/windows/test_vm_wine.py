"""Starting a Java application under Wine with the stand-in jvm.dll, whose
record (jvm_double/jvm_double.cpp) shows what the launcher asked of it; the
settings file read is the one beside the executable and named after it,
settings a careless installer writes, and the choice among the runtimes in the
registry (the x64 launcher reads the 64-bit view, the x86 launcher the 32-bit one)."""
import os
import pathlib
import shutil
import struct
import tempfile
import unittest

from types import SimpleNamespace

from embark_harness import ARCH, BUILD_ROOT, AppFolder, Wine, release_archive, windows_launcher

DOUBLES = os.path.join(BUILD_ROOT, ARCH, "test-bin", "jvm-double")
BRAND = os.path.join(BUILD_ROOT, "win64", "bin", "embark-brand.exe")  # the x64 tool brands either machine's launcher
JRE = "Software\\JavaSoft\\Java Runtime Environment"
ROOTS = ("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER")
VENDORS = ("JavaSoft", "JRockit", "Eclipse Adoptium", "AdoptOpenJDK", "Eclipse Foundation", "Microsoft\\JDK",
           "Microsoft\\JRE", "Semeru", "Azul Systems", "BellSoft", "SapMachine")
VIEW, OTHER_VIEW = ("/reg:64", "/reg:32") if ARCH == "win64" else ("/reg:32", "/reg:64")


def install_double(home, kind="server"):
    library = os.path.join(home, "bin", kind, "jvm.dll")
    os.makedirs(os.path.dirname(library), exist_ok=True)
    shutil.copy2(os.path.join(DOUBLES, "full", "bin", "server", "jvm.dll"), library)
    return Wine.windows_path(library)


def start(wine, app, line="tool", scenario="", **env):
    """Starts the launcher with the raw command line: the result and the record."""
    record = pathlib.Path(app.path(f"record-{scenario}.txt"))
    record.unlink(missing_ok=True)  # the stand-in appends
    env.update(EMBARK_JVM_DOUBLE_RECORD=Wine.windows_path(record), EMBARK_JVM_DOUBLE_SCENARIO=scenario)
    result = wine.run_raw(ARCH, app.executable, line, cwd=BUILD_ROOT, extra_env=env)
    return result, record.read_text("latin-1").splitlines() if record.exists() else []


def solid_icon(colour):
    """An icon file of one 32-pixel 32-bit image, all of one colour (0xRRGGBB)."""
    pixels = struct.pack("<I", 0xFF000000 | colour) * 32 * 32 + bytes(4 * 32)  # the colours, then the mask
    image = struct.pack("<IiiHHI", 40, 32, 64, 1, 32, 0) + bytes(20) + pixels
    return struct.pack("<HHHBBBBHHII", 0, 1, 1, 32, 32, 0, 0, 1, 32, len(image), 22) + image


class VmUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine()

    def app(self, parameters="", jre_path=None, extra="", class_path="app.jar"):  # extra: lines of [Application]
        app = AppFolder(self, windows_launcher(ARCH), "tool.exe")
        app.home, app.library = Wine.windows_path(app.path("runtime")), install_double(app.path("runtime"))
        app.write_settings(f"[Java Runtime Environment]\nJRE Path={jre_path or app.home}\nMain Class=com.example.App\n"
                           f"Library Path=C:\\Native;\nSystem Path=C:\\Tools\nVirtual Machine Parameters={parameters}\n"
                           f"[Class Path]\nClass Path={class_path}\n[Application]\nOverride WorkingDir=yes\n{extra}")
        return app

    def test_start_hands_over_the_options_environment_and_arguments(self):
        # The runtime folder comes from the per-user settings file: <APPDATA>\<product name without
        # \?"|><:/*>\<product code>\<executable name>.ini.
        app = self.app('"-Dapp.home=C:\\Program Files\\App"  -Dvar=%EMBARK_VARIABLE%\\app '
                       '-Dnone=%EMBARK_UNDEFINED% "-Dq=say ""hi""" -Xmx50P -Xms1T', "C:\\nowhere",
                       "[Product Information]\nProduct Name=Acme: Tool\nProduct Code=T1\n")
        appdata = self.wine.windows_environment(ARCH, "APPDATA").split("\\")  # C:, users, ...
        product = pathlib.Path(self.wine.prefix, "drive_c", *appdata[1:], "Acme Tool")
        (product / "T1").mkdir(parents=True)
        self.addCleanup(shutil.rmtree, product)
        (product / "T1" / "tool.ini").write_text(f"[Java Runtime Environment]\nJRE Path={app.home}\n")
        # The raw command line as given: an unquoted program name ends at its first blank.
        result, record = start(self.wine, app, 'C:\\Program Files\\tool.exe x"y z" a "" "My File.txt" tab\tin\xe9',
                               EMBARK_VARIABLE="C:\\var")
        self.assertEqual((result.code, result.stdout), (0, ""), result.stderr)
        # Values that vary: half the physical memory, 1% of the free address space, the reserved
        # stack of the Java thread, which the stand-in's default arguments ask to be 8 MiB.
        half, virtual, stack = (next((line for line in record if line.startswith(prefix)), prefix)
                                for prefix in ("option -Xmx", "option -Xms", "stack "))
        physical = os.sysconf("SC_PHYS_PAGES") * os.sysconf("SC_PAGE_SIZE")
        self.assertAlmostEqual(int(half[11:-1]) * 2048 / physical, 1, places=3)
        self.assertRegex(virtual, r"^option -Xms[1-9]\d*K$")
        self.assertGreaterEqual(int(stack[6:]), 8 << 20)
        path, folder = self.wine.windows_environment(ARCH, "Path"), Wine.windows_path(app.root)
        self.assertEqual(record, [
            f"library {app.library}", "create 0x10002 0",
            f"option -Djava.library.path=C:\\Native;{folder}\\;.;{path};{app.home}\\lib",
            "option -Djava.class.path=app.jar", "option -Dapp.home=C:\\Program Files\\App",
            "option -Dvar=C:\\var\\app", "option -Dnone=%EMBARK_UNDEFINED%", 'option -Dq=say "hi"', half, virtual,
            f"env JX_JVM_PATH={app.library}", f"env JX_JVM_HOME={app.home}",
            f"env Path=C:\\Tools;{path};{app.home}\\bin", f"cwd {folder}", stack,
            "class com/example/App", "method main ([Ljava/lang/String;)V", "call com/example/App.main",
            "arg Files\\tool.exe", 'arg x"y', 'arg z"', "arg a", "arg ", "arg My File.txt", "arg tab\tin\xe9",
            "leaks 0", "detach", "destroy"])

    def test_failures_of_the_machine(self):
        # Each with the end of its record: a machine that was made is ended, also after a failed start.
        ended = r"\nleaks 0\ndetach\ndestroy"
        cases = [("throws", 0, "", r"describe java.lang.RuntimeException: thrown by main" + ended),
                 ("no-method", -1, "Error: No main method found in specified class.\n \n", "method .*" + ended),
                 ("no-string", -1, "Error: Failed to load Main Class: com/example/App.\n \n", r"stack \d+" + ended),
                 ("no-array", -1, "", r"method main .*" + ended),
                 ("no-class", -1, "Error: Could not find the main class com/example/App.\n \nClass path entry not found: "
                  "app.jar\n", r"class java/lang/System" + ended),
                 ("detach-fails", -1, "", "call .*" + ended)]
        reasons = ["unknown", "thread detached from VM", "JNI version error", "not enough memory",
                   "VM already created", "invalid arguments", "", ""]
        for result, reason in zip([*range(-1, -8, -1), 7], reasons):
            cases.append((f"create:{result}", -1, "Error: JNI exception: failed to create the Java VM\n"
                                                  f"Reason: {reason}.\n \n", r"stack \d+"))
        app = self.app()
        for scenario, code, stdout, end_of_record in cases:
            with self.subTest(scenario):
                result, record = start(self.wine, app, scenario=scenario)
                self.assertEqual((result.code, result.stdout), (code, stdout), result.stderr)
                self.assertRegex("\n".join(record), "\n" + end_of_record + r"\Z")

    def test_library_that_cannot_be_used(self):
        cut_off = b"MZ" + bytes(0x3A) + b"@" + bytes(3) + b"PE\0\0"  # no machine word: it is tried, as is any file
        for library, message in [(pathlib.Path(__file__).read_bytes(), "Failed to load Java VM library: {} (errno = 193)"),
                                 (cut_off, "Failed to load Java VM library: {} (errno = 193)"),
                                 (pathlib.Path(DOUBLES, "create-only", "jvm.dll").read_bytes(),
                                  "Windows exception: cannot find CreateJavaVM JNI (errno = 127)")]:
            with self.subTest(message, size=len(library)):
                app = self.app()
                with open(app.path("runtime", "bin", "server", "jvm.dll"), "wb") as file:
                    file.write(library)
                result, _ = start(self.wine, app)
                self.assertEqual((result.code, result.stdout), (-1, f"Error: {message.format(app.library)}.\n \n"))

    def test_the_release_archive_starts_its_sample_with_a_private_runtime(self):
        release = release_archive(self, ".zip")
        hello = os.path.join(release, "examples", "hello")
        # Branded by the archive's own tool, as the README's first steps say.
        launcher = os.path.join(release, {"win64": "x64", "win32": "x86"}[ARCH], "embark.exe")
        branded = self.wine.run(os.path.join(release, "embark-brand.exe"), [Wine.windows_path(launcher),
                                Wine.windows_path(hello + "/hello.exe"), "--product-name", "Hello"])
        self.assertEqual(branded.code, 0, branded.stderr)
        install_double(hello), pathlib.Path(hello, "bin", "java.dll").write_text("marks the private runtime")
        app = SimpleNamespace(executable=hello + "/hello.exe", path=lambda name: os.path.join(hello, name))
        result, record = start(self.wine, app, "hello first")
        self.assertEqual(result.code, 0, result.stdout)
        self.assertIn(f"option -Djava.class.path={Wine.windows_path(hello)}/classes", record)
        self.assertEqual([line for line in record if line.startswith(("class Hello", "arg "))], ["class Hello", "arg first"])

    def test_branded_launchers(self):
        app = self.app()
        icon = app.write("app.ico", solid_icon(0x2080C0))
        brand = lambda output, *options: self.wine.run(BRAND, [Wine.windows_path(windows_launcher(ARCH)),
                                                               Wine.windows_path(output), *options])
        done = brand(app.executable, "--icon", Wine.windows_path(icon), "--version", "2.3.4.5", "--company", "Acme",
                     "--product-name", "Acme Tool", "--original-filename", "tool.exe")
        self.assertEqual((done.code, done.stderr), (0, ""))
        seen = self.wine.run(BUILD_ROOT + f"/{ARCH}/test-bin/test_helper.exe", ["version", Wine.windows_path(app.executable)])
        self.assertEqual(seen.stdout.splitlines(), [
            "fixed 2.3.4.5", "ProductName Acme Tool", "FileDescription embark Java application launcher",
            "CompanyName Acme", "LegalCopyright The embark developers", "OriginalFilename tool.exe",
            "FileVersion 2.3.4.5", "ProductVersion 2.3.4.5", "icons 1 pixel 2080c0"])
        result, record = start(self.wine, app)
        self.assertEqual((result.code, record[-4:-1]), (0, ["call com/example/App.main", "leaks 0", "detach"]))
        # A folder outside the system's code page (Western): only the UTF-8 launcher finds its settings there.
        folder = app.path("\u041f\u0440\u0438\u043b\u043e\u0436\u0435\u043d\u0438\u0435")
        os.makedirs(folder)
        shutil.copy2(app.settings_path(), folder)
        for options, code, stdout in [(["--utf8"], 0, ""), ([], 255, "Error: Main class was not specified in INI file. \n")]:
            with self.subTest(options):
                self.assertEqual(brand(app.path("branded.exe"), *options).code, 0)
                shutil.copy2(app.path("branded.exe"), os.path.join(folder, "tool.exe"))
                record = pathlib.Path(app.path("record.txt"))
                record.unlink(missing_ok=True)
                result = self.wine.run(os.path.join(folder, "tool.exe"), cwd=BUILD_ROOT, extra_env={
                    "EMBARK_JVM_DOUBLE_RECORD": Wine.windows_path(record)})
                self.assertEqual((result.code, result.stdout), (code, stdout))
                self.assertEqual(record.exists() and "call com/example/App.main" in record.read_text(), code == 0)

    def test_startup_cache(self):
        # The stand-in writes an archive where it is asked to record one: the cache's folder, lock, names and
        # publication as Windows has them.
        local = self.wine.windows_environment(ARCH, "LOCALAPPDATA")
        cache = pathlib.Path(self.wine.prefix, "drive_c", *local.split("\\")[1:], "embark", "cache")
        for parameters, scenario, code in [("", "", 0), ("-Dcase=exit", "exit:3", 3)]:
            app = self.app(parameters)
            app.write("runtime/release", 'JAVA_VERSION="21.0.1"\n')
            archives = lambda: list(next(key.parent for key in cache.glob("*/key") if app.home in key.read_text()).glob("classes-*"))
            for step in ("records", "uses", "finds it damaged and records", "is off"):
                with self.subTest(scenario=scenario, step=step):
                    if step == "is off":
                        app.write_settings(pathlib.Path(app.settings_path()).read_text().replace("Main", "Startup Cache=NO\nMain"))
                    elif step.startswith("finds"):
                        archives()[0].write_bytes(b"\xa8\xab\x0b\xf0 cut short")
                    result, record = start(self.wine, app, scenario=scenario)
                    self.assertEqual(result.code, code, result.stdout)
                    options = [line[7:] for line in record if line.startswith("option -X") or line == "option exit"]
                    archive, = archives()
                    uses = f"-XX:SharedArchiveFile={local}\\embark\\cache\\{archive.parent.name}\\{archive.name}"
                    expected = {"records": ["-XX:+AutoCreateSharedArchive", "exit"], "uses": [uses], "is off": []}
                    self.assertEqual([option for option in options if option.startswith(("-XX:+Auto", "exit", "-XX:Shared"))
                                      and not option.endswith(".part")], expected.get(step, expected["records"]))
                    self.assertEqual(archive.read_bytes()[:4], b"\xa8\xab\x0b\xf0")

    def test_only_the_settings_file_named_after_the_executable_is_read(self):
        app = AppFolder(self, windows_launcher(ARCH), "tool.exe")
        elsewhere = AppFolder(self, windows_launcher(ARCH), "unused.exe")
        for folder, name in ((app, "other.ini"), (app, "tool.exe.ini"), (elsewhere, "tool.ini")):
            folder.write(name, "[Java Runtime Environment]\nMain Class=App\n")
        result = self.wine.run_raw(ARCH, app.executable, "tool", cwd=elsewhere.root)
        self.assertEqual((result.code, result.stdout), (-1, "Error: Main class was not specified in INI file. \n"))

    def test_long_and_percent_heavy_options_reach_the_machine(self):
        libraries, percents = "a" * (32749 - len("C:\\libs\\")), "%" * 33000  # 32,767 characters once expanded
        app = self.app(f"{percents} -Dundefined=%EMBARK_UNSET%", class_path=f"%EMBARK_LIBS%\\{libraries}")
        result, record = start(self.wine, app, EMBARK_LIBS="C:\\libs")
        options = [line[len("option "):] for line in record if line.startswith("option ")]
        self.assertEqual((result.code, options[1:]), (0, [f"-Djava.class.path=C:\\libs\\{libraries}", percents,
                                                           "-Dundefined=%EMBARK_UNSET%"]))

    def test_class_path_wildcards_beside_the_executable(self):
        app = self.app(class_path="%EMBARK_APP_DIR%\\lib\\*;%EMBARK_APP_DIR%\\none\\*;x*.jar")
        for name in ("b.jar", "A.JAR", "c.txt", "sub/d.jar"):
            app.write(f"lib/{name}", "")
        _, record = start(self.wine, app, EMBARK_APP_DIR="C:\\caller")
        lib = Wine.windows_path(app.path("lib"))
        self.assertIn(f"option -Djava.class.path={lib}\\A.JAR;{lib}\\b.jar;x*.jar", record)

    def test_one_file_for_both_streams_is_opened_once(self):
        _, record = start(self.wine, self.app(extra="Output File=Both.log\nError File=.\\logs\\..\\BOTH.LOG\n"))
        self.assertEqual([line for line in record if line.startswith(("call java/lang/System.set", "stream "))],
                         ["call java/lang/System.setOut", "stream Both.log", "call java/lang/System.setErr", "stream Both.log"])

    def register(self, view, entries):
        """Replaces every vendor's runtime keys in the view by (key, home folder[, value]) entries: a key without a
        root is below the JavaSoft runtime key of HKLM, and the value is "JavaHome" unless named."""
        with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as f:
            f.write("REGEDIT4\r\n" + "".join(f"[-{root}\\SOFTWARE\\{vendor}]\r\n" for root in ROOTS for vendor in VENDORS))
            for key, home, value in (entry + ("JavaHome",) * (3 - len(entry)) for entry in entries):
                key = key if key.startswith("HKEY") else f"HKEY_LOCAL_MACHINE\\{JRE}\\{key}"
                f.write(f'[{key}]\r\n"{value}"="{Wine.windows_path(home).replace(chr(92), chr(92) * 2)}"\r\n')
        self.addCleanup(os.remove, f.name)
        self.assertEqual(self.wine.reg("import", Wine.windows_path(f.name), view).returncode, 0)

    def test_runtime_choice_in_the_registry(self):
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

    def test_modern_sources_after_the_classic_ones(self):
        # (key, value, version): one runtime per source, each of its own version; JAVA_HOME's and SapMachine's from
        # their release files; 31 is uninstalled, its folder gone.
        lm, cu = "HKEY_LOCAL_MACHINE\\SOFTWARE\\", "HKEY_CURRENT_USER\\SOFTWARE\\"
        sources = [(lm + "JavaSoft\\JDK\\30.1", "JavaHome", "30.1"), (lm + "JavaSoft\\JRE\\29.1", "JavaHome", "29.1"),
                   (lm + "Eclipse Adoptium\\JDK\\28.0.1.1\\hotspot\\MSI", "Path", "28.0.1.1"),
                   (cu + "AdoptOpenJDK\\JRE\\27.0.1.1\\openj9\\EXE", "Path", "27.0.1.1"),
                   (lm + "Eclipse Foundation\\JDK\\26.0.1.1\\hotspot\\MSI", "Path", "26.0.1.1"),
                   (cu + "Microsoft\\JDK\\25.0.1.1\\hotspot\\MSI", "Path", "25.0.1.1"),
                   (lm + "Semeru\\JRE\\24.0.1.1\\openj9\\MSI", "Path", "24.0.1.1"),
                   (lm + "Azul Systems\\Zulu\\zulu-23-jre", "InstallationPath", "23"),
                   (cu + "BellSoft\\Liberica\\jdk-22", "InstallationPath", "22"), (lm + "SapMachine\\JDK\\ea", "JavaHome", "21.0.2"),
                   ("JAVA_HOME", "", "20.0.1"), (lm + "JavaSoft\\JDK\\31", "JavaHome", None), ("1.6", "JavaHome", "1.6")]
        app = AppFolder(self, windows_launcher(ARCH), "tool.exe")
        libraries, entries = {}, []
        # The remembered folder holds the stand-in with the other processor in its header: passed over, and said so
        # after the message.
        other = bytearray(pathlib.Path(DOUBLES, "full", "bin", "server", "jvm.dll").read_bytes())
        header = int.from_bytes(other[0x3C:0x40], "little")
        other[header + 4:header + 6] = (0x14C if ARCH == "win64" else 0x8664).to_bytes(2, "little")
        other_home, other_library = Wine.windows_path(app.path("other")), app.write("other/bin/server/jvm.dll", bytes(other))
        for i, (key, value, version) in enumerate(sources):
            home = app.path(f"rt{i}")
            if version:
                libraries[version] = install_double(home)
                app.write(f"rt{i}/release", f'JAVA_VERSION="{version}"\n' if key in ("JAVA_HOME", sources[9][0]) else "")
            entries.append((key, home + "\\" * (value == "Path"), value))
        self.register(VIEW, [entry for entry in entries if entry[0] != "JAVA_HOME"])
        java_home = Wine.windows_path(app.path("rt10"))
        for lines, chosen in [*((f"Minimum Version={v}\nMaximum Version={v}", v) for v in libraries if v != "1.6"),
                              ("", "1.6"), ("JVM Source=only_JRE\nMinimum Version=20", "29.1"),
                              (f"Minimum Version=20\nModern Runtime Search=no\nJRE Path={other_home}", None)]:
            with self.subTest(lines):
                app.write_settings(f"[Java Runtime Environment]\nMain Class=App\n{lines}\n[Class Path]\nClass Path=app.jar\n")
                result, record = start(self.wine, app, JAVA_HOME=java_home)
                self.assertEqual((result.code, record[:1]), (0, [f"library {libraries[chosen]}"]) if chosen else (-1, []))
        # Without a desktop the dialog cannot be made: the message is printed instead, as on Linux.
        self.assertEqual(result.stdout, "Error: The Java Runtime Environment (JRE) was not found. Please  download and "
                         "install a JRE (minimum version 20.0) from: https://adoptium.net/temurin/releases/ \n"
                         f"{Wine.windows_path(other_library)} is built for another processor: a 32-bit launcher needs a "
                         "32-bit Java, a 64-bit launcher a 64-bit Java.\n")
        app.write_settings("[Java Runtime Environment]\nMain Class=App\nMinimum Version=30\nMinimum Versoin=31\n"
                           f"{'K' * 300}=a list of names longer than the first read\n[Class Path]\nClass Path=app.jar\n")
        result, _ = start(self.wine, app, JAVA_HOME=java_home, EMBARK_TRACE="1")
        lines = result.stderr.splitlines()
        said = [next((i for i, line in enumerate(lines) if line.startswith(f"embark: runtime {text}")), -1) for text in
                (f"JAVA_HOME={java_home} (version 20.0.1): passed over, outside",
                 "HKLM\\SOFTWARE\\JavaSoft\\JDK\\31 (version 31.0): passed over, folder gone",
                 f"in {Wine.windows_path(app.path('rt0'))}\\ (version 30.1): taken")]
        self.assertTrue(0 <= said[0] < said[1] < said[2], result.stderr)
        self.assertLess({f'embark: settings: unknown key "{key}" in [Java Runtime Environment], not read'
                         for key in ("Minimum Versoin", "K" * 300)}, set(lines))

