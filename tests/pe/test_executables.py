"""The Windows executables of both machines read from Linux: machine, subsystem (console, and window-only for
embarkw.exe), system DLLs only, resources."""
import itertools
import os
import re
import struct
import subprocess
import tempfile
import unittest

from embark_harness import BUILD_ROOT, SOURCE_DIR, windows_launcher

BRAND = os.path.join(BUILD_ROOT, "linux", "bin", "embark-brand")

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
               "comctl32.dll", "gdi32.dll", "comdlg32.dll", "shlwapi.dll"}
RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 6, 14, 16, 24


def read_pe(path):
    """machine, subsystem, imported DLLs and {(type, id): data in its first language}."""
    with open(path, "rb") as f:
        data = f.read()
    u16, u32 = (lambda at: struct.unpack_from("<H", data, at)[0]), (lambda at: struct.unpack_from("<I", data, at)[0])
    optional = (header := u32(0x3C)) + 24
    # As the loader maps them: address, the bytes mapped from the file (no more than the section's size), offset.
    sections = [(address, min(size, raw_size), raw) for i in range(u16(header + 6)) for size, address, raw_size, raw
                in [struct.unpack_from("<8x 4I", data, optional + u16(header + 20) + 40 * i)]]
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


def sections_and_checksum(data):
    """{name: raw bytes} of the sections, and whether the header's checksum and the image's layout are right: the
    sections in order without overlap, aligned, and the image's size their end."""
    header = struct.unpack_from("<I", data, 0x3C)[0]
    count, optional_size = struct.unpack_from("<H", data, header + 6)[0], struct.unpack_from("<H", data, header + 20)[0]
    table, (section_alignment, file_alignment) = header + 24 + optional_size, struct.unpack_from("<II", data, header + 56)
    fields = [struct.unpack_from("<4I", data, at + 8) for at in range(table, table + 40 * count, 40)]
    end = 0
    for size, address, raw_size, raw in fields:
        if address < end or address % section_alignment or raw % file_alignment or raw_size % file_alignment:
            return {}, False
        end = address + size
    sections = {data[at:at + 8].rstrip(b"\0").decode(): data[raw:raw + raw_size]
                for at, (_, _, raw_size, raw) in zip(range(table, table + 40 * count, 40), fields)}
    if struct.unpack_from("<I", data, header + 24 + 56)[0] != -(-end // section_alignment) * section_alignment:
        return sections, False
    field, total = header + 24 + 64, 0
    for at in range(0, len(data), 2):
        total += 0 if at in (field, field + 2) else int.from_bytes(data[at:at + 2], "little")
        total = (total & 0xFFFF) + (total >> 16)
    return sections, struct.unpack_from("<I", data, field)[0] == (total & 0xFFFF) + (total >> 16) + len(data)


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

    def test_branding(self):
        folder = tempfile.mkdtemp(prefix="embark-brand-")
        self.addCleanup(__import__("shutil").rmtree, folder)
        images = [struct.pack("<IiiHHI", 40, size, 2 * size, 1, 32, 0) + bytes(20 + 5 * size * size) for size in (16, 48)]
        icon = struct.pack("<HHH", 0, 1, 2) + b"".join(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), at)
                                                       for size, image, at in ((16, images[0], 38), (48, images[1], 38 + len(images[0]))))
        with open(icon_path := os.path.join(folder, "app.ico"), "wb") as f:
            f.write(icon + b"".join(images))
        brand = lambda *arguments: subprocess.run([BRAND, *arguments], capture_output=True, text=True)
        for arch in ("win64", "win32"):
            with self.subTest(arch):
                launcher, output = os.path.join(os.path.dirname(windows_launcher(arch)), "embarkw.exe"), os.path.join(folder, "tool.exe")
                # Without options, the same resources written anew.
                self.assertEqual(brand(launcher, output).returncode, 0)
                self.assertEqual(read_pe(output), read_pe(launcher))
                done = brand(launcher, output, "--icon", icon_path, "--version", "1.2.3.65535", "--product-name", "Аcme \u6587",
                             "--file-description", "Tool", "--company", "Acme Ltd", "--copyright", "(c) 2026 Acme",
                             "--original-filename", "tool.exe", "--utf8", "--require-admin")
                self.assertEqual((done.returncode, done.stderr), (0, ""))
                with open(launcher, "rb") as f, open(output, "rb") as g:
                    (before, _), (after, checksum_right) = sections_and_checksum(f.read()), sections_and_checksum(g.read())
                self.assertTrue(checksum_right)
                self.assertEqual({name: data for name, data in after.items() if name != ".rsrc"},
                                 {name: data for name, data in before.items() if name != ".rsrc"})
                _, subsystem, _, resources = read_pe(output)
                group = resources[RT_GROUP_ICON, 1]
                self.assertEqual(group[:6], struct.pack("<HHH", 0, 1, 2))
                self.assertEqual([resources[RT_ICON, struct.unpack_from("<H", group, 6 + 14 * i + 12)[0]] for i in range(2)], images)
                self.assertEqual([group[6 + 14 * i:18 + 14 * i] for i in range(2)], [icon[6 + 16 * i:18 + 16 * i] for i in range(2)])
                self.assertEqual(len([kind for kind, _ in resources if kind == RT_ICON]), 2)
                version = resources[RT_VERSION, 1]
                fixed = version.index(struct.pack("<I", 0xFEEF04BD))
                self.assertEqual(struct.unpack_from("<4I", version, fixed + 8), (0x10002, 0x3FFFF, 0x10002, 0x3FFFF))
                texts = version.decode("utf-16-le")
                for key, value in [("ProductName", "Аcme \u6587"), ("FileDescription", "Tool"), ("CompanyName", "Acme Ltd"),
                                   ("LegalCopyright", "(c) 2026 Acme"), ("OriginalFilename", "tool.exe"),
                                   ("FileVersion", "1.2.3.65535"), ("ProductVersion", "1.2.3.65535"), ("InternalName", "embark")]:
                    self.assertRegex(texts, f"{key}\0+{re.escape(value)}\0")
                manifest = resources[RT_MANIFEST, 1].decode("utf-8")
                self.assertIn(">UTF-8</activeCodePage>", manifest)
                self.assertEqual(re.findall(r'level="(\w+)"', manifest), ["requireAdministrator"])
                self.assertEqual((subsystem, string_table(resources)), (2, catalogue()))
        with open(launcher, "rb") as f:
            signed = bytearray(f.read())
        directories = struct.unpack_from("<I", signed, 0x3C)[0] + 24 + 96  # x86: PE32
        signed[directories + 32:directories + 40] = struct.pack("<II", len(signed), 8)
        with open(signed_path := os.path.join(folder, "signed.exe"), "wb") as f:
            f.write(signed + bytes(8))
        readme, sub, cut = os.path.join(SOURCE_DIR, "README.md"), os.path.join(folder, "sub"), os.path.join(folder, "embark.cut")
        os.mkdir(sub)
        with open(launcher, "rb") as f, open(cut, "wb") as g, open(cursor := os.path.join(folder, "app.cur"), "wb") as h:
            g.write(f.read()[:100000])
            h.write(icon[:2] + b"\2\0" + icon[4:] + b"".join(images))  # a cursor file: type 2
        # (input and output when not the launcher and tool.exe, options, what the error line says)
        for files, options, message in [([readme], [], "README.md is not a Windows executable"), ([cut], [], "embark.cut is damaged"),
                                        ([signed_path], [], "is signed: brand the launcher first"),
                                        ([os.path.join(folder, "none.exe")], [], "cannot read"),
                                        ([launcher, sub], [], f"cannot write {sub}: Is a directory"),
                                        ([], ["--icon", readme], "README.md is not an icon file (.ico)\n"),
                                        ([], ["--icon", cursor], "app.cur is not an icon file (.ico)\n"),
                                        ([], ["--version", "1.2.3"], '--version "1.2.3" is not four numbers up to 65535'),
                                        ([], ["--version", "1.2.3.65536"], "not four numbers"), ([], ["--version", "1.2.3.4.5"], "not four"),
                                        ([], ["--company", "\udcff"], "--company is not UTF-8 text"), ([], ["--colour", "red"], "unknown option"),
                                        ([], ["--copyright", "x" * 40000], "at most 64 KiB"), ([], ["--utf8", "--utf8"], "given twice")]:
            with self.subTest(message):
                os.path.exists(output) and os.remove(output)
                done = subprocess.run([BRAND, *(files + [launcher, output][len(files):]), *options], capture_output=True)
                self.assertEqual((done.returncode, done.stdout, done.stderr.count(b"\n")), (1, b"", 1))
                self.assertIn(message, done.stderr.decode("utf-8"))
                self.assertEqual(sorted(os.listdir(folder)), ["app.cur", "app.ico", "embark.cut", "signed.exe", "sub"])  # no output, no part of one
