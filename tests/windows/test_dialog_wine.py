"""The missing-runtime dialog on a virtual X display, driven by display_driver.exe, with the stand-in jvm.dll."""
import os, pathlib, shutil, struct, subprocess, tempfile, threading, time, unittest, zlib

from embark_harness import (ARCH, BUILD_ROOT, COMMAND_TIMEOUT, AppFolder, Wine, restart_wine, wine_loader, windows_helper,
                            windows_launcher)

ADDRESS = "https://adoptium.net/temurin/releases/"
TEST_BIN, OTHER_BIN = (os.path.join(BUILD_ROOT, arch, "test-bin") for arch in (ARCH, {"win64": "win32"}.get(ARCH, "win64")))
MESSAGE = "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE {} from:"
CONTROLS = "1 Button 58010001 2 Button 50010000 205 Static 50030100 201 Edit 50010880 -1 Static 50020000 202 Button 50010000 " \
           "-1 Button 50000007 203 Static 50020000 204 Static 50000003 206 Static 50020000"  # in tab order
CLIENT, OTHER = "C:\\embark-dialog\\client", "C:\\embark-dialog\\other"  # OTHER: a library of the other machine only
ESCAPE, CLOSE, ALT_C = "post 0 0x100 27 0", "post 0 0x112 0xF060 0", "post 0 0x104 67 0x202E0001"
# On the link: a press, a release below it, the character "a", the Enter key; later the Space key.
KEYS_AND_CLICKS = ("send 205 0x201 1 0x50005", "send 205 0x202 0 0xC80005", "send 205 0x102 97 0", "post 205 0x100 13 0x1C0001")
BLUE, PURPLE = (0, 0, 255), (128, 0, 128)
read = lambda path: pathlib.Path(path).read_text("latin-1")


def span(rows, colour, low=0, high=10 ** 4):
    """Of the colour's pixels in columns low to high - 1: the first and last column, and the longest run in a row."""
    marks = ["".join(" x"[low <= x < high and row[3 * x:3 * x + 3] == bytes(colour)] for x in range(len(row) // 3))
             for row in rows]
    columns = [x for line in marks for x, mark in enumerate(line) if mark == "x"]
    return (min(columns), max(columns), max(len(run) for line in marks for run in line.split())) if columns else None


class OnVirtualDisplay(unittest.TestCase):
    """A private Xvfb display whose frame buffer the tests read, the prefix's programs on it, display_driver.exe there."""
    @classmethod
    def setUpClass(cls):
        cls.wine, cls.frames = Wine(), tempfile.mkdtemp()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-fbdir", cls.frames, "-screen", "0", "1024x768x24", "-nolisten",
                                 "tcp"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        # The pipe stays open, or Xvfb dies of SIGPIPE.
        cls.addClassCleanup(lambda: xvfb.terminate() or xvfb.communicate() or shutil.rmtree(cls.frames))
        cls.display = ":" + xvfb.stdout.readline().strip()
        restart_wine(cls.wine.prefix, cls.display)  # a desktop begun without a display shows no windows on one
        cls.addClassCleanup(restart_wine, cls.wine.prefix)

    def start_driver(self, role):
        """display_driver.exe in the role, read up to its first "ok"; a watchdog ends the reads from one that hangs."""
        driver = self.driver = subprocess.Popen([wine_loader(program := os.path.join(TEST_BIN, "display_driver.exe")), program, role],
                                                stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, encoding="latin-1",
                                                env=self.wine.environment({"DISPLAY": self.display}))
        (watchdog := threading.Timer(COMMAND_TIMEOUT, driver.kill)).start()
        self.addCleanup(lambda: watchdog.cancel() or driver.kill() or driver.communicate())
        self.lines = []
        self.step()

    def step(self, *steps):  # the driver's lines up to its "ok" after each step, all of them kept in self.lines too
        lines = []
        for step in steps or [""]:
            step and (self.driver.stdin.write(step + "\n"), self.driver.stdin.flush())
            while (line := self.driver.stdout.readline()) and line != "ok\n":
                lines.append(line.rstrip("\n"))
            self.assertTrue(line, f"the driver ended at {step}")
        self.lines += lines
        return lines

    def last(self, kind, splits=-1):  # the words after the kind in its last line
        return next(line for line in reversed(self.lines) if line.startswith(kind + " "))[len(kind) + 1:].split(" ", splits)

    area = lambda self, control: tuple(map(int, self.last(f"control {control}")[2:6]))  # on the screen

    def screen(self, left, top, right, bottom):  # the RGB rows of the area
        data = pathlib.Path(self.frames, "Xvfb_screen0").read_bytes()  # an X window dump
        header = struct.unpack(">25I", data[:100])
        start, line = header[0] + header[19] * 12, header[12]
        return [bytes(data[start + y * line + x * 4 + i] for x in range(left, right) for i in (2, 1, 0))
                for y in range(top, bottom)]

    def until(self, check):  # its first true value, or its last one after 20 s (the screen and the shell catch up)
        return next((result for _ in range(100) if (result := check()) or time.sleep(0.2)), None) or check()

    def painted(self, area, check):  # the area's rows on the screen once they pass the check
        rows = self.until(lambda: check(rows := self.screen(*area)) and rows)
        return rows or self.fail(f"{area} is not drawn as expected")

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
        for home, kind, built in ((CLIENT, "client", TEST_BIN), ("C:", "client", TEST_BIN), (OTHER, "server", OTHER_BIN)):
            cls.addClassCleanup(shutil.rmtree, cls.unix("\\".join((home + "\\bin").split("\\")[:2])), True)
            os.makedirs(cls.unix(f"{home}\\bin\\{kind}"), exist_ok=True)
            shutil.copy2(os.path.join(built, "jvm-double", "full", "bin", "server", "jvm.dll"), cls.unix(f"{home}\\bin\\{kind}"))

    unix = classmethod(lambda cls, windows_path: os.path.join(cls.wine.prefix, "drive_c", *windows_path[3:].split("\\")))  # on C:

    def start(self, settings, *steps, launcher=windows_launcher(ARCH)):  # the steps on a start: exit code, first record
        self.app = AppFolder(self, launcher, "tool.exe")
        self.per_user = os.path.join(self.app_data, "Embark", code := self.app.root[-8:], "tool.ini")
        self.addCleanup(shutil.rmtree, os.path.dirname(self.per_user), True)
        self.settings = read(self.app.write_settings(f"[Class Path]\nClass Path=a\n[Product Information]\nProduct Name=Embark\n"
                                                     f"Product Code={code}\n[Java Runtime Environment]\nMain Class=App\n{settings}"))
        launcher = subprocess.Popen([wine_loader(self.app.executable), self.app.executable], cwd=self.app.root,
                                    env=self.wine.environment({"DISPLAY": self.display, "EMBARK_JVM_DOUBLE_RECORD": "record"}),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: launcher.kill() or launcher.wait())
        self.start_driver("dialog")
        for step in steps:
            step() if callable(step) else self.step(step)
        return launcher.wait(timeout=120), os.path.exists(record := self.app.path("record")) and read(record).split("\n")[0]

    def drawn(self, colour, area=None):  # the area's (else the link's) rows once it shows an underline in the colour
        return self.painted(area or self.area(205), lambda rows: (span(rows, colour) or (0, 0, 0))[2] >= 50)

    def screenshot(self, name):  # the dialog as a PNG beside the test programs
        rows = self.drawn(BLUE, tuple(map(int, self.last("window"))))
        chunks = [(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]) // 3, len(rows), 8, 2, 0, 0, 0)),
                  (b"IDAT", zlib.compress(b"".join(b"\0" + row for row in rows))), (b"IEND", b"")]
        pathlib.Path(TEST_BIN, name + ".png").write_bytes(b"\x89PNG\r\n\x1a\n" + b"".join(
            struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data)) for kind, data in chunks))

    def assert_cancelled(self, code):  # the start failed and wrote no settings
        self.assertEqual((code, read(self.app.settings_path()), os.path.exists(self.per_user)), (255, self.settings, False))

    def test_the_window_only_launcher(self):
        window_only = os.path.join(BUILD_ROOT, ARCH, "bin", "embarkw.exe")
        # Without a runtime it shows the dialog as embark.exe does; cancelled, it says nothing more.
        self.assert_cancelled(self.start("", CLOSE, launcher=window_only)[0])
        # An error: on the console it was started from, else in a message box named after the executable.
        app, error = AppFolder(self, window_only, "toolw.exe"), "Error: Main class was not specified in INI file."
        app.write_settings("[Java Runtime Environment]\n")
        start = lambda handles: self.wine.run_raw(ARCH, app.executable, "toolw",
                                                  extra_env={"EMBARK_RAW_HANDLES": handles, "DISPLAY": self.display})
        result = start("console")
        self.assertEqual((result.code, result.stdout.strip()), (-1, error))
        box = subprocess.Popen([wine_loader(helper := windows_helper(ARCH)), helper, "box", "toolw.exe"], text=True,
                               stdout=subprocess.PIPE, env=self.wine.environment({"DISPLAY": self.display}))
        result = start("detached")
        self.assertEqual((result.code, box.communicate(timeout=COMMAND_TIMEOUT)[0]), (-1, error + "\n"))

    def test_controls_keyboard_and_the_ends_without_a_runtime(self):
        self.assert_cancelled(self.start("", *["post 0 0x100 9 0xF0001"] * 5, CLOSE)[0])  # Tab 5 times
        focus = "".join(line + " " for line in self.lines if line.startswith("focus "))  # round the enabled ones, a caret in 201
        self.assertIn(focus[:focus.rindex("focus")], "focus 2 0 focus 205 0 focus 201 201 focus 202 0 " * 3)
        self.assertEqual(" ".join(" ".join(line.split()[1:4]) for line in self.lines if line.startswith("control ")), CONTROLS)
        left, top, right, bottom, *w = map(int, self.last("window") + self.last("work"))  # centred in the work area
        self.assertEqual((left, top), ((w[0] + w[2]) // 2 - (right - left) // 2, (w[1] + w[3]) // 2 - (bottom - top) // 2))
        # A remembered folder of another machine is passed over; the longest requirement is shown whole, as every text.
        self.assert_cancelled(self.start(f"JRE Path={OTHER}\nJVM Type=server\nMinimum Version=1.8.0_402\n"
                                         "Maximum Version=21.0.10.100\n", f"browse {CLIENT}", ESCAPE)[0])
        self.assertEqual(self.last("control 203", 8)[-1],
                         MESSAGE.format("with a server JVM (version between 1.8.0.402 and 21.0.10.100)"))
        self.assertEqual(self.last("state", 1), ["0", CLIENT])
        for left, top, right, bottom, width, height in (map(int, l.split()[4:10]) for l in self.lines if " Static " in l):
            self.assertTrue(width <= right - left and height <= bottom - top, (left, top, width, height))

    def test_a_picked_runtime_starts_the_application_and_is_remembered(self):
        result = self.start("", lambda: self.screenshot("dialog-open"), f"browse {CLIENT}",
                            lambda: self.screenshot("dialog-runtime-picked"), f"browse {OTHER}", "browse C:\\",
                            "post 0 0x104 79 0x20180001")  # Alt+O
        self.assertEqual([l for l in self.lines if l.startswith("state ")], ["state 1 " + CLIENT, "state 0 " + OTHER, "state 1 C:\\"])
        self.assertEqual(result, (0, "library C:\\bin\\client\\jvm.dll"))
        self.assertEqual(read(self.per_user).split(), ["[Java", "Runtime", "Environment]", "JRE", "Path=C:\\"])
        again = self.wine.run(self.app.executable, cwd=self.app.root, extra_env={"EMBARK_JVM_DOUBLE_RECORD": "again"})
        self.assertEqual((again.code, read(self.app.path("again")).split("\n")[0]), (0, "library C:\\bin\\client\\jvm.dll"))

    def test_the_link_colours_and_opening(self):
        opened = self.record_opened()
        self.addCleanup(self.wine.reg, "delete", settings := "HKCU\\Software\\Microsoft\\Internet Explorer\\Settings", "/f")
        grey = lambda: self.drawn(tuple(int(self.last("colours")[1]) >> shift & 255 for shift in (0, 8, 16)))
        for link, visited, colours in ((BLUE, PURPLE, ()), ((0, 128, 255), PURPLE, ("0,128,255", "1,2,")),
                                       (BLUE, (10, 20, 30), ("255, 255, 255", "10,20,30"))):
            for name, value in zip(("Anchor Color", "Anchor Color Visited"), colours):
                self.wine.reg("add", settings, "/v", name, "/d", value, "/f")
            self.assert_cancelled(self.start("", lambda: self.drawn(link), *KEYS_AND_CLICKS, lambda: self.drawn(visited),
                                             "post 205 0x100 32 0x390001", "disable 205", grey, ALT_C)[0])
        self.until(lambda: os.path.exists(opened) and read(opened).count("\n") >= 6)  # winebrowser may be on its way
        self.assertEqual(read(opened), (ADDRESS + "\n") * 6)
