"""The launcher's profile readers against Windows' own: each file of a corpus
of tricky and hostile settings files reads the same through one
GetPrivateProfileStringA call with a large buffer under Wine, through the
growing-buffer reader of the Windows build and through the project's own
reader on Linux (ini_query.cpp)."""
import os
import shutil
import subprocess
import tempfile
import unittest

from embark_harness import ARCH, BUILD_ROOT, Wine

LINUX_QUERY = os.path.join(os.environ.get("EMBARK_LINUX_BUILD", BUILD_ROOT + "/linux"), "test-bin", "ini_query")
WINDOWS_QUERY = os.path.join(BUILD_ROOT, ARCH, "test-bin", "ini_query.exe")
JRE = "Java Runtime Environment"
KEYS = [(JRE, "Main Class"), (JRE, "JRE Path"), (JRE, "Mixed"), (JRE, "Missing"), ("Application", "Single Instance"),
        ("Class Path", "Class Path")]


def corpus():
    """name -> file bytes (each character a byte)."""
    jre = "[Java Runtime Environment]\n"
    basic = jre + "Main Class=com.example.App\nJRE Path=C:\\Java\\jre\\\n[Application]\nSingle Instance=yes\n" \
                  "[Class Path]\nClass Path=a.jar;b.jar\n"
    files = {
        "basic-lf": basic, "basic-crlf": basic.replace("\n", "\r\n"), "basic-cr": basic.replace("\n", "\r"),
        "blanks": "  [Java Runtime Environment]  \n \t Main Class \t =  \t com.example.App \t \n"
                  "JRE Path=   \n[ Application ]\nSingle Instance =yes\n",
        "case": "[JAVA runtime ENVIRONMENT]\nmain CLASS=Upper\n[application]\nSINGLE INSTANCE=YES\n",
        "duplicates": jre + "Main Class=first\nMain Class=second\n" + jre + "Main Class=third\nJRE Path=second\n",
        "quotes": jre + "Main Class=\"quoted value\"\nJRE Path='single'\n[Application]\nSingle Instance=\"\n"
                        "[Class Path]\nClass Path=\"a\" and \"b\"\n",
        "quotes-more": jre + "Main Class=\"unbalanced\nJRE Path=\"mixed'\nMixed=\"\"\n",
        "comments": "; comment\n" + jre + ";Main Class=commented\nMain Class=real\n# JRE Path=hash\n;[Application]\n"
                    "[Application]\nSingle Instance=yes ; trailing\n",
        "missing-equals": jre + "Main Class\nJRE Path=x\n[Application]\nSingle Instance\n",
        "empty-values": jre + "Main Class=\nJRE Path=\n", "equals-in-value": jre + "Main Class=a=b=c\nJRE Path==lead\n",
        "no-section": "Main Class=orphan\n" + jre + "JRE Path=kept\n",
        "bad-header": "[Java Runtime Environment\nMain Class=no-close\n[Application]x\nSingle Instance=yes\n"
                      "[Class Path]]\nClass Path=double\n",
        "blank-lines": "\n\n" + jre + "\n\nMain Class=after blanks\n\n",
        "no-final-newline": jre + "Main Class=end", "ctrl-z": jre + "Main Class=x\x1a\n\x1aJRE Path=y\n",
        "utf8-bom": "\xef\xbb\xbf" + jre + "Main Class=bom\n", "empty": "",
        "high-bytes": jre + "Main Class=caf\xe9 \xfc\xdf\nJRE Path=C:\\\xc4pfel\\\n",
        # Values around the reader's buffer sizes, and one of 1 MiB.
        "long-values": jre + "Main Class=" + "x" * (1 << 20) + "\nJRE Path=\"" + "q" * 255 + "\"\n[Application]\n"
                       "Single Instance=" + "y" * 255 + "\n[Class Path]\nClass Path=" + "z" * 254 + "\n",
        # Hostile files, the main class last: 10 MiB, binary bytes and NULs, 100,000 keys.
        "ten-mebibytes": "[Filler]\n" + ("k=" + "v" * 1021 + "\n") * 10240 + jre + "Main Class=App\n",
        "binary-and-nuls": jre + "".join(chr(b) for b in range(256) if chr(b) not in "[\r\n") * 64 + "\n\0\0\0\n"
                           "Main Class=App\n",
        "many-keys": jre + "".join(f"key{i}={i}\n" for i in range(100000)) + "Main Class=App\n",
    }
    return {name: text.encode("latin-1") for name, text in files.items()}


class ProfileReaderMatchesWindows(unittest.TestCase):
    def test_corpus_reads_the_same(self):
        folder = tempfile.mkdtemp(prefix="embark-ini-")
        self.addCleanup(shutil.rmtree, folder, True)
        labels, queries = [], ""
        for name, data in corpus().items():
            with open(os.path.join(folder, name + ".ini"), "wb") as f:
                f.write(data)
            for section, key in KEYS:
                labels.append(f"{name}: [{section}] {key}")
                queries += f"./{name}.ini\t{section}\t{key}\n"  # in the current folder, on both systems
        with open(os.path.join(folder, "queries"), "w") as f:
            f.write(queries)
        subprocess.run([LINUX_QUERY, "queries", "linux"], cwd=folder, check=True)
        result = Wine().run(WINDOWS_QUERY, ["queries", "windows"], cwd=folder)
        self.assertEqual(result.code, 0, result.stderr)
        answers = []
        for side in ("linux", "windows"):
            with open(os.path.join(folder, side)) as f:
                answers.append([[bytes.fromhex(value) for value in line.split("\t")] for line in f.read().splitlines()])
        self.assertEqual([len(side) for side in answers], [len(labels)] * 2)
        for label, [linux], [launcher, windows] in zip(labels, *answers):
            with self.subTest(label):
                self.assertEqual([launcher, linux], [windows, windows], "the launcher on Windows and on Linux")
