"""The hyperlink control's options on a virtual X display, shown and driven by display_driver.exe."""
import os

from test_dialog_wine import BLUE, OnVirtualDisplay, read, span

GREEN = (0, 160, 0)  # the driver's icon
underlined = lambda part: part[2] >= 0.9 * (part[1] - part[0] + 1)
is_hand = lambda cursor: cursor[:6] == ["0", "32", "64", "5", "0", "0"]  # not a system cursor; 32x32, AND over XOR


class LinkOptionsUnderWine(OnVirtualDisplay):
    def setUp(self):
        self.start_driver("links")
        self.text = tuple(int(self.last("colours")[0]) >> shift & 255 for shift in (0, 8, 16))

    probe = lambda self, control, x, y: self.step(f"point {control} {x} {y}")[-1].split()[1:]

    def test_the_markup_link_between_plain_parts_underlined_or_bold(self):
        widths = {}
        for control, underline in ((101, True), (102, False)):  # options 0x10, 0x30
            parts = lambda rows: ((blue := span(rows, BLUE)) and span(rows, self.text, 0, blue[0]), blue,
                                  blue and span(rows, self.text, blue[1] + 1))
            before, link, after = parts(self.painted(self.area(control), lambda rows: all(parts(rows))))
            self.assertEqual([underlined(part) for part in (before, link, after)], [False, underline, False], control)
            widths[control] = link[1] - link[0]
            for part, hand in ((before, False), (link, True), (after, False)):  # the hand over the link part only
                self.assertEqual(is_hand(self.probe(control, (part[0] + part[1]) // 2, 8)), hand, (control, part))
        self.assertGreater(widths[102], widths[101])  # bold, wider even than the underline

    def test_underline_on_hover_and_tooltips(self):
        blue_underlined = lambda rows: (blue := span(rows, BLUE)) and underlined(blue)
        self.painted(self.area(103), lambda rows: blue_underlined(rows) is False)
        self.assertEqual([line for line in self.step("hover 106") if not line.startswith("cursor ")], ["tooltip 0 "])  # 0x40
        self.assertEqual(self.step("hover 103")[-1], "tooltip 1 hover over this link")
        self.painted(self.area(103), blue_underlined)
        self.step("away")
        self.painted(self.area(103), lambda rows: blue_underlined(rows) is False)

    def test_the_cursor_is_the_controls_own_hand_over_links_and_all_of_an_icon(self):
        self.assertTrue(is_hand(cursor := self.probe(103, 5, 8)), cursor[:6])
        bits = int(cursor[6], 16)  # 64 rows of 32 bits, the AND plane's first, column 0 the highest bit
        pixel = lambda plane, x, y: bits >> (2047 - (plane * 32 + y) * 32 - x) & 1
        drawn = [(x, y) for y in range(32) for x in range(32) if not pixel(0, x, y)]
        self.assertFalse([(x, y) for y in range(32) for x in range(32) if (x, y) not in drawn and pixel(1, x, y)])  # clear around
        self.assertTrue(0 < sum(pixel(1, *p) for p in drawn) < len(drawn) and (5, 0) in drawn)  # black and white, hot spot on
        self.assertFalse(is_hand(self.probe(103, 300, 8)))  # behind the text
        for control in (107, 108):  # their own painting; with a target, and a command button without any
            self.painted(self.area(control), lambda rows: sum(row.count(bytes(GREEN)) for row in rows) >= 32 * 32)
            left, top, right, bottom = self.area(control)
            for x, y in ((0, 0), (right - left - 1, 0), (0, bottom - top - 1), (right - left - 1, bottom - top - 1)):
                self.assertTrue(is_hand(self.probe(control, x, y)), (control, x, y))

    def test_command_buttons_tell_the_parent_and_open_nothing(self):
        opened = self.record_opened()
        for control, told in ((104, "command 104 0 1"), (105, "notify 105 -2 1"), (108, "command 108 0 1")):
            for steps in (["send {} 0x102 13 0"], ["send {} 0x201 1 0x50005", "send {} 0x202 0 0x50005"]):  # -2: NM_CLICK
                self.assertEqual(self.step(*(step.format(control) for step in steps)), [told], steps)
        self.step("send 106 0x102 13 0")  # a link the shell opens, after them
        self.assertEqual(self.until(lambda: os.path.exists(opened) and read(opened)), "https://localhost/quiet\n")
