"""The missing-runtime dialog on a virtual X display, driven by dialog_driver.exe, with the stand-in jvm.dll."""
import os, pathlib, shutil, struct, subprocess, tempfile, time, unittest, zlib

from embark_harness import ARCH, BUILD_ROOT, WINE64, AppFolder, Wine, restart_wine, wine_loader, windows_launcher

ADDRESS = "https://adoptium.net/temurin/releases/"
TEST_BIN = os.path.join(BUILD_ROOT, ARCH, "test-bin")
MESSAGE = "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE {}(latest version) from:"
CONTROLS = ["1 Button 58010001 OK", "2 Button 50010000 Cancel", "201 Edit 50010880 ", "-1 Static 50020000 JRE Path:",
            "202 Button 50010000 Browse...", "-1 Button 50000007 Missing JRE", "203 Static 50020000 " + MESSAGE.format(""),
            "205 Static 50020100 " + ADDRESS, "204 Static 50000003 ",
            "206 Static 50020000 If you have a JRE installed you can browse for it below:"]
CLIENT, EMPTY = "C:\\embark-dialog\\client", "C:\\embark-dialog\\empty"
CANCEL, ESCAPE, CLOSE, OK = "post 0 0x111 2 0", "post 0 0x100 27 0", "post 0 0x112 0xF060 0", "post 0 0x111 1 0"
# On the link: a press, a release below it, the character "a", Enter; later Space.
KEYS_AND_CLICKS = "send 205 0x201 1 0x50005 send 205 0x202 0 0xC80005 send 205 0x102 97 0 send 205 0x102 13 0"
BLUE, PURPLE = (0, 0, 255), (128, 0, 128)
read = lambda path: pathlib.Path(path).read_text("latin-1")


class OnVirtualDisplay(unittest.TestCase):
    """A private Xvfb display whose frame buffer the tests read, with the prefix's programs started anew on it."""
    @classmethod
    def setUpClass(cls):
        cls.wine, cls.frames = Wine(), tempfile.mkdtemp()
        read_end, write_end = os.pipe()  # Xvfb writes its display number there
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-fbdir", cls.frames, "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.addClassCleanup(lambda: xvfb.terminate() or xvfb.wait() or shutil.rmtree(cls.frames))
        os.close(write_end)
        with os.fdopen(read_end) as display:  # read to the line's end, or Xvfb dies of SIGPIPE
            cls.display = ":" + display.readline().strip()
        cls.restart_wine(cls.display)
        cls.addClassCleanup(cls.restart_wine, None)

    @classmethod
    def restart_wine(cls, display):  # a desktop begun without a display shows no windows on one
        restart_wine(cls.wine.prefix, display)

    def screen(self, left, top, right, bottom):  # the RGB rows of the area
        data = pathlib.Path(self.frames, "Xvfb_screen0").read_bytes()  # an X window dump
        header = struct.unpack(">25I", data[:100])
        start, line = header[0] + header[19] * 12, header[12]
        return [bytes(data[start + y * line + x * 4 + i] for x in range(left, right) for i in (2, 1, 0))
                for y in range(top, bottom)]

    def record_opened(self):  # a line for each address that Wine's shell opens: winebrowser runs its "Browsers"
        opened, browser = os.path.join(self.frames, "opened"), os.path.join(self.frames, "browser")
        pathlib.Path(browser).write_text(f'#!/bin/sh\necho "$1" >> {opened}\n'), os.chmod(browser, 0o755)
        self.wine.reg("add", "HKCU\\Software\\Wine\\WineBrowser", "/v", "Browsers", "/d", browser, "/f")
        self.addCleanup(self.wine.reg, "delete", "HKCU\\Software\\Wine\\WineBrowser", "/f")
        return opened


class DialogUnderWine(OnVirtualDisplay):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.app_data = cls.unix(cls.wine.windows_environment(ARCH, "APPDATA").strip())
        # Wine's folder browser finds new folders on drive C: reliably; C:\bin makes C:\ a runtime folder.
        for library in (CLIENT + "\\bin\\client\\jvm.dll", "C:\\bin\\client\\jvm.dll", EMPTY + "\\none"):
            cls.addClassCleanup(shutil.rmtree, cls.unix(library[:library.index("\\", 3)]), True)
            os.makedirs(os.path.dirname(cls.unix(library)), exist_ok=True)
            shutil.copy2(os.path.join(TEST_BIN, "jvm-double", "full", "bin", "server", "jvm.dll"), cls.unix(library))

    @classmethod
    def unix(cls, windows_path):  # on drive C:
        return os.path.join(cls.wine.prefix, "drive_c", *windows_path[3:].split("\\"))

    def start(self, settings, *steps):
        """Runs the steps (driver steps or functions) on a start: its exit code and first record line."""
        self.app, self.lines = AppFolder(self, windows_launcher(ARCH), "tool.exe"), []
        self.per_user = os.path.join(self.app_data, "Embark Dialog", code := self.app.root[-8:], "tool.ini")
        self.addCleanup(shutil.rmtree, os.path.dirname(self.per_user), True)
        self.app.write_settings(f"[Java Runtime Environment]\nMain Class=App\n{settings}[Class Path]\nClass Path=a\n"
                                f"[Product Information]\nProduct Name=Embark Dialog\nProduct Code={code}\n")
        env = self.wine.environment({"DISPLAY": self.display, "EMBARK_JVM_DOUBLE_RECORD": "record"})
        launcher = subprocess.Popen([wine_loader(self.app.executable), self.app.executable], env=env,
                                    cwd=self.app.root, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: launcher.kill() or launcher.wait())
        for step in steps:
            step() if callable(step) else self.drive(*step.split())
        record = self.app.path("record")
        return launcher.wait(timeout=120), read(record).split("\n")[0] if os.path.exists(record) else None

    def drive(self, *steps):
        result = self.wine.run(os.path.join(TEST_BIN, "dialog_driver.exe"), steps, extra_env={"DISPLAY": self.display})
        self.assertEqual(result.code, 0, result.stderr)
        self.lines += [line.split(" ", 1) for line in result.stdout.splitlines()]

    def last(self, kind, fields=-1):
        return [line[1] for line in self.lines if line[0] == kind][-1].split(" ", fields)

    def drawn(self, colour, area=None):
        """The screen's RGB rows in the area (else the link's) once it shows an underline in the colour."""
        link = next(line[1] for line in reversed(self.lines) if line[1].startswith("205 ")).split(" ")[3:7]
        left, top, right, bottom = map(int, area or link)
        for _ in range(100):
            rows = self.screen(left, top, right, bottom)
            marks = " ".join("".join(" x"[row[i:i + 3] == bytes(colour)] for i in range(0, len(row), 3)) for row in rows)
            if max(map(len, marks.split()), default=0) >= 50 or time.sleep(0.2):
                return rows
        self.fail(f"no underline in {colour}")

    def screenshot(self, name):  # the dialog as a PNG beside the test programs
        self.drive("controls")
        rows = self.drawn(BLUE, self.last("dialog")[:4])
        chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        header = struct.pack(">IIBBBBB", len(rows[0]) // 3, len(rows), 8, 2, 0, 0, 0)
        pathlib.Path(TEST_BIN, name + ".png").write_bytes(
            b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(b"\0" + row for row in rows)))
            + chunk(b"IEND", b""))

    def assert_cancelled(self, code):
        self.assertEqual(code, 255)
        self.assertNotIn("JRE Path", read(self.app.settings_path()))
        self.assertFalse(os.path.exists(self.per_user))

    def test_controls_and_the_ends_without_a_runtime(self):
        self.assert_cancelled(self.start("", "controls", CANCEL)[0])
        self.assertEqual([" ".join(line[1].split(" ", 7)[i] for i in (0, 1, 2, 7)) for line in self.lines[1:11]], CONTROLS)
        left, top, right, bottom, work_left, work_top, work_right, work_bottom = map(int, self.last("dialog")[:4] + self.last("dialog")[5:])
        self.assertEqual((left, top), ((work_left + work_right) // 2 - (right - left) // 2,
                                       (work_top + work_bottom) // 2 - (bottom - top) // 2))
        self.assert_cancelled(self.start("", CLOSE)[0])
        self.assert_cancelled(self.start("JVM Type=server\n", "controls", f"browse {CLIENT}", ESCAPE)[0])
        self.assertEqual(self.lines[7][1].split(" ", 7)[7], MESSAGE.format("with a server JVM "))
        self.assertEqual(self.last("state", 1), ["0", CLIENT])

    def test_a_picked_runtime_starts_the_application_and_is_remembered(self):
        result = self.start("", lambda: self.screenshot("dialog-open"), f"browse {CLIENT}",
                            lambda: self.screenshot("dialog-runtime-picked"), f"browse {EMPTY} browse C:\\", OK)
        self.assertEqual([line[1] for line in self.lines if line[0] == "state"], ["1 " + CLIENT, "0 " + EMPTY, "1 C:\\"])
        self.assertEqual(result, (0, "library C:\\bin\\client\\jvm.dll"))
        self.assertEqual(read(self.per_user).split(), ["[Java", "Runtime", "Environment]", "JRE", "Path=C:\\"])
        again = self.wine.run(self.app.executable, cwd=self.app.root, extra_env={"EMBARK_JVM_DOUBLE_RECORD": "again"})
        self.assertEqual((again.code, read(self.app.path("again")).split("\n")[0]), (0, "library C:\\bin\\client\\jvm.dll"))

    def test_the_link_colours_cursor_tooltip_and_opening(self):
        opened = self.record_opened()
        settings = "HKCU\\Software\\Microsoft\\Internet Explorer\\Settings"
        self.addCleanup(self.wine.reg, "delete", settings, "/f")
        grey = lambda: self.drawn(tuple(int(self.last("grey")[0]) >> shift & 255 for shift in (0, 8, 16)))
        for link, visited, colours in ((BLUE, PURPLE, ()), ((0, 128, 255), PURPLE, ("0,128,255", "1,2,")),
                                       (BLUE, (10, 20, 30), ("255, 255, 255", "10,20,30"))):
            for name, value in zip(("Anchor Color", "Anchor Color Visited"), colours):
                self.wine.reg("add", settings, "/v", name, "/d", value, "/f")
            self.assert_cancelled(self.start("", "controls", lambda: self.drawn(link), "hover", KEYS_AND_CLICKS,
                                             lambda: self.drawn(visited), "send 205 0x102 32 0 disable", grey, CANCEL)[0])
            # The control's own cursor every time; the tooltip's text is read on the first start only, since
            # Wine's tooltip sometimes clears its current tool before a later start's driver asks.
            self.assertEqual(self.last("hover", 1)[:1 if colours else 2], ["1", ADDRESS][:1 if colours else 2], colours)
        for _ in range(100):  # winebrowser may still be on its way
            if os.path.exists(opened) and read(opened).count("\n") >= 6 or time.sleep(0.2):
                break
        self.assertEqual(read(opened), (ADDRESS + "\n") * 6)
