"""The Windows executables of both machines read from Linux: machine, subsystem (console, and window-only for
embarkw.exe), system DLLs only, resources."""
import itertools
import os
import re
import struct
import unittest

from embark_harness import SOURCE_DIR, windows_launcher

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
               "comctl32.dll", "gdi32.dll", "comdlg32.dll", "shlwapi.dll"}
RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 6, 14, 16, 24


def read_pe(path):
    """machine, subsystem, imported DLLs and {(type, id): data in its first language}."""
    with open(path, "rb") as f:
        data = f.read()
    u16, u32 = (lambda at: struct.unpack_from("<H", data, at)[0]), (lambda at: struct.unpack_from("<I", data, at)[0])
    optional = (header := u32(0x3C)) + 24
    sections = [struct.unpack_from("<12x 3I", data, optional + u16(header + 20) + 40 * i)  # address, raw size, offset
                for i in range(u16(header + 6))]
    offset = lambda rva: next(raw + rva - start for start, size, raw in sections if start <= rva < start + size)
    directories = optional + (112 if u16(optional) == 0x20B else 96)
    dlls, entry = set(), offset(u32(directories + 8))
    while name := u32(entry + 12) and offset(u32(entry + 12)):
        dlls.add(data[name:data.index(b"\0", name)].decode().lower())
        entry += 20
    base, resources = offset(u32(directories + 16)), {}

    def walk(directory, path):
        for entry in range(directory + 16, directory + 16 + 8 * (u16(directory + 12) + u16(directory + 14)), 8):
            if u32(entry + 4) >> 31:
                walk(base + (u32(entry + 4) & 0x7FFFFFFF), path + (u32(entry),))
            elif path not in resources:
                leaf = base + u32(entry + 4)
                resources[path] = data[offset(u32(leaf)):offset(u32(leaf)) + u32(leaf + 4)]
    walk(base, ())
    return u16(header + 4), u16(optional + 68), dlls, resources


def string_table(resources):
    """id -> text: each block holds 16 counted UTF-16 strings."""
    found = {}
    for (kind, block), data in resources.items():
        at = 0
        for number in range(block * 16 - 16, block * 16) if kind == RT_STRING else ():
            if length := struct.unpack_from("<H", data, at)[0]:
                found[number] = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            at += 2 + 2 * length
    return found


def read(*parts):
    with open(os.path.join(*parts), encoding="utf-8") as f:
        return f.read()


def catalogue():
    """id -> text, from the one header that holds the catalogue."""
    source = read(SOURCE_DIR, "src", "core", "message_texts.h")
    texts = dict(re.findall(r'#define (EMBARK_MSG_\w+) "((?:[^"\\]|\\.)*)"', source))
    return {int(number): texts[name].encode().decode("unicode_escape")
            for number, name in re.findall(r"ENTRY\((\d+), (EMBARK_MSG_\w+)\)", source)}


class WindowsExecutables(unittest.TestCase):
    def test_headers_imports_and_resources(self):
        messages = catalogue()
        for (arch, machine), (name, kind) in itertools.product((("win64", 0x8664), ("win32", 0x14C)),
                                                               (("embark.exe", 3), ("embarkw.exe", 2))):
            with self.subTest(arch=arch, name=name):
                found_machine, subsystem, dlls, resources = read_pe(os.path.join(os.path.dirname(windows_launcher(arch)), name))
                self.assertEqual((found_machine, subsystem), (machine, kind))  # 3: console, 2: windows
                self.assertTrue(dlls and dlls <= SYSTEM_DLLS, dlls)
                self.assertEqual(string_table(resources), messages)
                manifest = resources[RT_MANIFEST, 1].decode("utf-8")
                self.assertRegex(manifest, r'name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0"')
                self.assertIn('level="asInvoker"', manifest)
                version = re.search(r"project\(embark VERSION ([0-9.]+)", read(SOURCE_DIR, "CMakeLists.txt")).group(1)
                self.assertRegex(resources[RT_VERSION, 1].decode("utf-16-le"), f"OriginalFilename\0+{name}\0.*"
                                 f"ProductName\0+embark\0.*ProductVersion\0+{version}\0")
                self.assertLessEqual({RT_ICON, RT_GROUP_ICON}, {kind for kind, _ in resources})
                self.assertIn((RT_DIALOG, 201), resources.keys())  # the missing-runtime dialog
                self.assertIn("MS Shell Dlg", resources[RT_DIALOG, 201].decode("utf-16-le", "replace"))
