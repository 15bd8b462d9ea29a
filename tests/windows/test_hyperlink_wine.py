"""The hyperlink control's options on a virtual X display, shown and driven by link_driver.exe."""
import os, subprocess, threading, time

from embark_harness import COMMAND_TIMEOUT, wine_loader
from test_dialog_wine import BLUE, TEST_BIN, OnVirtualDisplay, read

GREEN = (0, 160, 0)  # the helper's icon
underlined = lambda part: part[2] >= 0.9 * (part[1] - part[0] + 1)
is_hand = lambda cursor: cursor[:6] == ["0", "32", "64", "5", "0", "0"]  # not a system cursor; 32x32, AND over XOR


def span(rows, colour, low=0, high=10 ** 4):
    """Of the colour's pixels in columns low to high - 1: the first and last column, and the longest run in a row."""
    marks = ["".join(" x"[low <= x < high and row[3 * x:3 * x + 3] == bytes(colour)] for x in range(len(row) // 3))
             for row in rows]
    columns = [x for line in marks for x, mark in enumerate(line) if mark == "x"]
    return (min(columns), max(columns), max(len(run) for line in marks for run in line.split())) if columns else None


class LinkOptionsUnderWine(OnVirtualDisplay):
    def setUp(self):
        helper = os.path.join(TEST_BIN, "link_driver.exe")
        self.helper = subprocess.Popen([wine_loader(helper), helper], env=self.wine.environment({"DISPLAY": self.display}),
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, encoding="latin-1")
        watchdog = threading.Timer(COMMAND_TIMEOUT, self.helper.kill)  # ends the reads from a helper that hangs
        self.addCleanup(self.helper.__exit__, None, None, None), watchdog.start()
        self.addCleanup(lambda: watchdog.cancel() or self.helper.kill())
        lines = self.step()
        self.text = tuple(int(lines[0][1]) >> shift & 255 for shift in (0, 8, 16))
        self.controls = {int(line[1]): tuple(map(int, line[2:])) for line in lines[1:]}

    def step(self, *steps):
        """The helper's lines, split into words, up to its "ok" after each step."""
        lines = []
        for step in steps or [""]:
            step and (self.helper.stdin.write(step + "\n"), self.helper.stdin.flush())
            while (line := self.helper.stdout.readline()) and line.split() != ["ok"]:
                lines.append(line.split())
            self.assertTrue(line, f"the helper ended at {step}")
        return lines

    def probe(self, control, x, y):
        return self.step(f"cursor {control} {x} {y}")[-1][1:]

    def painted(self, control, check):
        """The control's rows on the screen once they pass the check (the frame buffer catches up)."""
        for _ in range(100):
            if check(rows := self.screen(*self.controls[control])) or time.sleep(0.2):
                return rows
        self.fail(f"control {control} is not drawn as expected")

    def test_the_markup_link_between_plain_parts_underlined_or_bold(self):
        widths = {}
        for control, underline in ((101, True), (102, False)):  # options 0x10, 0x30
            parts = lambda rows: ((blue := span(rows, BLUE)) and span(rows, self.text, 0, blue[0]), blue,
                                  blue and span(rows, self.text, blue[1] + 1))
            before, link, after = parts(self.painted(control, lambda rows: all(parts(rows))))
            self.assertEqual([underlined(part) for part in (before, link, after)], [False, underline, False], control)
            widths[control] = link[1] - link[0]
            for part, hand in ((before, False), (link, True), (after, False)):  # the hand over the link part only
                self.assertEqual(is_hand(self.probe(control, (part[0] + part[1]) // 2, 8)), hand, (control, part))
        self.assertGreater(widths[102], widths[101])  # bold, wider even than the underline

    def test_underline_on_hover_and_tooltips(self):
        blue_underlined = lambda rows: (blue := span(rows, BLUE)) and underlined(blue)
        self.painted(103, lambda rows: blue_underlined(rows) is False)
        self.assertEqual(self.step("hover 106"), [["tooltip", "0"]])  # 0x40: none
        self.assertEqual(self.step("hover 103")[-1], "tooltip 1 hover over this link".split())
        self.painted(103, blue_underlined)
        self.step("away")
        self.painted(103, lambda rows: blue_underlined(rows) is False)

    def test_the_cursor_is_the_controls_own_hand_over_links_and_all_of_an_icon(self):
        cursor = self.probe(103, 5, 8)
        self.assertTrue(is_hand(cursor), cursor[:6])
        bits = int(cursor[6], 16)  # 64 rows of 32 bits, the AND plane's first, column 0 the highest bit
        pixel = lambda plane, x, y: bits >> (2047 - (plane * 32 + y) * 32 - x) & 1
        drawn = [(x, y) for y in range(32) for x in range(32) if not pixel(0, x, y)]
        width = lambda row: 1 + max(x for x, y in drawn if y == row) - min(x for x, y in drawn if y == row)
        self.assertEqual([(min(axis), max(axis)) for axis in zip(*drawn)], [(0, 16), (0, 21)])  # the rest clear:
        self.assertFalse([(x, y) for y in range(32) for x in range(32) if (x, y) not in drawn and pixel(1, x, y)])
        self.assertTrue(0 < sum(pixel(1, *p) for p in drawn) < len(drawn))  # black and white
        self.assertTrue(all(width(y) <= 4 for y in range(5)) and all(width(y) >= 10 for y in range(10, 21)))  # a
        self.assertIn((5, 0), drawn)  # finger above a palm, the hot spot on its tip
        self.assertFalse(is_hand(self.probe(103, 300, 8)))  # behind the text
        for control in (107, 108):  # their own painting
            self.painted(control, lambda rows: sum(row.count(bytes(GREEN)) for row in rows) >= 32 * 32)
        for control in (107, 108):  # with a target, and a command button without any
            left, top, right, bottom = self.controls[control]
            for x, y in ((0, 0), (right - left - 1, 0), (0, bottom - top - 1), (right - left - 1, bottom - top - 1)):
                self.assertTrue(is_hand(self.probe(control, x, y)), (control, x, y))

    def test_command_buttons_tell_the_parent_and_open_nothing(self):
        opened = self.record_opened()
        for control, told in ((104, "command 104 0 1"), (105, "notify 105 -2 1"), (108, "command 108 0 1")):
            for steps in (["send {} 0x102 13 0"], ["send {} 0x201 1 0x50005", "send {} 0x202 0 0x50005"]):  # -2: NM_CLICK
                self.assertEqual(self.step(*(step.format(control) for step in steps)), [told.split()], steps)
        self.step("send 106 0x102 13 0")  # a link the shell opens, after them
        for _ in range(100):
            if os.path.exists(opened) or time.sleep(0.2):
                break
        self.assertEqual(read(opened), "https://localhost/quiet\n")
