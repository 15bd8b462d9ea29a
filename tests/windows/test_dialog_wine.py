"""The missing-runtime dialog on a virtual X display, with the stand-in jvm.dll
and no runtime in the registry, driven by dialog_driver.exe."""
import os, shutil, struct, subprocess, tempfile, time, unittest, zlib

from embark_harness import ARCH, BUILD_ROOT, SOURCE_DIR, AppFolder, Wine, windows_launcher

ADDRESS = "https://adoptium.net/temurin/releases/"
TEST_BIN = os.path.join(BUILD_ROOT, ARCH, "test-bin")
MESSAGE = "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE {}(latest version) from:"
CONTROLS = [("1", "Button", "58010001", "OK"), ("2", "Button", "50010000", "Cancel"), ("201", "Edit", "50010880", ""),
            ("-1", "Static", "50020000", "JRE Path:"), ("202", "Button", "50010000", "Browse..."),
            ("-1", "Button", "50000007", "Missing JRE"), ("203", "Static", "50020000", MESSAGE.format("")),
            ("205", "Static", "50020100", ADDRESS), ("204", "Static", "50000003", ""),
            ("206", "Static", "50020000", "If you have a JRE installed you can browse for it below:")]
CLIENT, EMPTY = "C:\\embark-dialog\\client", "C:\\embark-dialog\\empty"
CANCEL, ESCAPE, CLOSE, OK = ("post 0 0x111 2 0", "post 0 0x100 27 0", "post 0 0x112 0xF060 0", "post 0 0x111 1 0")


class DialogUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine, cls.frames = Wine(), tempfile.mkdtemp()
        read, write = os.pipe()
        cls.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-fbdir", cls.frames, "-screen", "0",
                                     "1024x768x24", "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as display:  # closed only after the whole line, or Xvfb gets SIGPIPE
            cls.display = ":" + display.readline().strip()
        # The folder browser finds folders of drive C: reliably; C:\bin makes C:\ a runtime folder.
        for library in (CLIENT + "\\bin\\client\\jvm.dll", "C:\\bin\\client\\jvm.dll", EMPTY + "\\none"):
            os.makedirs(os.path.dirname(cls.unix(library)), exist_ok=True)
            shutil.copy2(os.path.join(TEST_BIN, "jvm-double", "full", "bin", "server", "jvm.dll"), cls.unix(library))

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.terminate()
        cls.xvfb.wait()
        for folder in (cls.frames, cls.unix("C:\\embark-dialog"), cls.unix("C:\\bin")):
            shutil.rmtree(folder)

    @classmethod
    def unix(cls, windows_path):
        return os.path.join(cls.wine.prefix, "drive_c", *windows_path[3:].split("\\"))

    def start(self, settings="", *steps):
        """Starts the launcher, runs each list of steps in the driver, then
        waits for the launcher; the exit code, the driver's lines and the record."""
        self.app = AppFolder(self, windows_launcher(ARCH), "tool.exe")
        self.app.write_settings("[Java Runtime Environment]\nMain Class=App\n" + settings + "[Class Path]\n"
                                f"Class Path=app.jar\n[Product Information]\nProduct Name=Embark Dialog\nProduct Code={self.app.root[-8:]}\n")
        self.addCleanup(shutil.rmtree, os.path.dirname(self.per_user_file()), True)
        record = self.app.path("record.txt")
        env = self.wine.environment({"DISPLAY": self.display, "EMBARK_JVM_DOUBLE_RECORD": Wine.windows_path(record)})
        launcher = subprocess.Popen(["/usr/lib/wine/wine64" if ARCH == "win64" else "/usr/lib/wine/wine", self.app.executable],
                                    env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(launcher.wait)
        self.addCleanup(launcher.kill)
        lines = []
        for step in steps:
            lines += step() if callable(step) else self.drive(*step.split())
        code = launcher.wait(timeout=120)
        with open(record) if os.path.exists(record) else open(os.devnull) as f:
            return code, lines, f.read().splitlines()

    def drive(self, *steps):
        result = self.wine.run(os.path.join(TEST_BIN, "dialog_driver.exe"), steps, extra_env={"DISPLAY": self.display})
        self.assertEqual(result.code, 0, result.stderr)
        return [line.split(" ", 1) for line in result.stdout.splitlines()]

    def pixels(self, left, top, right, bottom, wanted=None):
        """Rows of RGB bytes of the screen, once the area shows the colour wanted."""
        for _ in range(100):
            with open(os.path.join(self.frames, "Xvfb_screen0"), "rb") as f:
                data = f.read()
            header = struct.unpack(">25I", data[:100])
            start, line = header[0] + header[19] * 12, header[12]
            rows = [bytes(data[start + y * line + x * 4 + i] for x in range(left, right) for i in (2, 1, 0))
                    for y in range(top, bottom)]
            if wanted is None or any(bytes(wanted) in (row[i:i + 3] for i in range(0, len(row), 3)) for row in rows):
                return rows
            time.sleep(0.2)
        self.fail(f"no {wanted} on the screen")

    def screenshot(self, name):
        """The dialog as a PNG beside the build's other test output."""
        rows = self.pixels(*map(int, self.drive("controls")[0][1].split()[:4]), (0, 0, 255))
        chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        os.makedirs(os.path.join(BUILD_ROOT, ARCH, "screenshots"), exist_ok=True)
        with open(os.path.join(BUILD_ROOT, ARCH, "screenshots", name + ".png"), "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]) // 3, len(rows), 8, 2, 0, 0, 0))
                    + chunk(b"IDAT", zlib.compress(b"".join(b"\0" + row for row in rows), 9)) + chunk(b"IEND", b""))
        return []

    def per_user_file(self):
        app_data = self.wine.windows_environment(ARCH, "APPDATA").strip()
        return os.path.join(self.unix(app_data), "Embark Dialog", self.app.root[-8:], "tool.ini")

    def assert_cancelled(self, code):
        self.assertEqual(code, 255)
        with open(self.app.settings_path()) as f:
            self.assertNotIn("JRE Path", f.read())
        self.assertFalse(os.path.exists(self.per_user_file()))

    def test_controls_and_the_ends_without_a_runtime(self):
        code, lines, _ = self.start("", "controls state", CANCEL)
        controls = [tuple(line[1].split(" ", 7)[i] for i in (0, 1, 2, 7)) for line in lines if line[0] == "control"]
        self.assertEqual(controls, CONTROLS)
        self.assertIn(["state", "0 "], lines)
        left, top, right, bottom, work_left, work_top, work_right, work_bottom = map(int, lines[0][1].replace("work ", "").split())
        self.assertEqual((left, top), ((work_left + work_right) // 2 - (right - left) // 2,
                                       (work_top + work_bottom) // 2 - (bottom - top) // 2))
        self.assert_cancelled(code)
        self.assert_cancelled(self.start("", CLOSE)[0])
        code, lines, _ = self.start("JVM Type=server\n", "controls", f"browse {CLIENT} state", ESCAPE)
        self.assertTrue(lines[7][1].endswith(" " + MESSAGE.format("with a server JVM ")), lines[7])
        self.assertEqual(lines[-1], ["state", "0 " + CLIENT])
        self.assert_cancelled(code)

    def test_a_picked_runtime_starts_the_application_and_is_remembered(self):
        code, lines, record = self.start("", lambda: self.screenshot("dialog-open"), f"browse {CLIENT} state",
                                         lambda: self.screenshot("dialog-runtime-picked"),
                                         f"browse {EMPTY} state browse C:\\ state", OK)
        self.assertEqual([line[1] for line in lines], ["1 " + CLIENT, "0 " + EMPTY, "1 C:\\"])
        self.assertEqual((code, record[0]), (0, "library C:\\bin\\client\\jvm.dll"))
        with open(self.per_user_file()) as f:
            self.assertEqual(f.read().split(), ["[Java", "Runtime", "Environment]", "JRE", "Path=C:\\"])
        again = self.wine.run(self.app.executable, extra_env={"EMBARK_JVM_DOUBLE_RECORD": Wine.windows_path(self.app.path("again.txt"))})
        with open(self.app.path("again.txt")) as f:
            self.assertEqual((again.code, f.readline()), (0, "library C:\\bin\\client\\jvm.dll\n"))
