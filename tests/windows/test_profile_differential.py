"""The launcher's profile readers against Windows' own: every file of a corpus
of tricky settings files is read through one GetPrivateProfileStringA call with
a large buffer under Wine, and through the launcher's readers (its own on
Linux, the growing-buffer one of the x64 and x86 executables), and the values
must be the same."""
import os
import shutil
import subprocess
import tempfile
import unittest

from embark_harness import BUILD_ROOT, WINDOWS_ARCHES, Wine, windows_helper

LINUX_QUERY = os.path.join(os.environ.get("EMBARK_LINUX_BUILD", os.path.join(BUILD_ROOT, "linux")),
                           "test-bin", "ini_query")

SECTION = "Java Runtime Environment"


def corpus():
    """name -> (file text as bytes, [(section, key), ...])."""
    files = {}
    common = [(SECTION, "Main Class"), (SECTION, "JRE Path"), ("Application", "Single Instance"),
              ("Class Path", "Class Path"), (SECTION, "Missing")]

    def add(name, text, queries=common):
        data = text if isinstance(text, bytes) else text.encode("latin-1")
        files[name] = (data, queries)

    for newline_name, newline in (("lf", "\n"), ("crlf", "\r\n"), ("cr", "\r")):
        add(f"basic-{newline_name}", newline.join([
            "[Java Runtime Environment]", "Main Class=com.example.App", "JRE Path=C:\\Java\\jre\\",
            "[Application]", "Single Instance=yes", "[Class Path]", "Class Path=a.jar;b.jar", ""]))
    add("blanks", "  [Java Runtime Environment]  \n \t Main Class \t =  \t com.example.App \t \n"
                  "JRE Path=   \n[ Application ]\nSingle Instance =yes\n")
    add("case", "[JAVA runtime ENVIRONMENT]\nmain CLASS=Upper\n[application]\nSINGLE INSTANCE=YES\n")
    add("duplicates", "[Java Runtime Environment]\nMain Class=first\nMain Class=second\n"
                      "[Java Runtime Environment]\nMain Class=third\nJRE Path=only-in-second\n")
    add("quotes", "[Java Runtime Environment]\nMain Class=\"quoted value\"\nJRE Path='single'\n"
                  "[Application]\nSingle Instance=\"\n[Class Path]\nClass Path=\"a\" and \"b\"\n",
        common + [(SECTION, "Mixed")])
    add("quotes-more", "[Java Runtime Environment]\nMain Class=\"unbalanced\nJRE Path=\"mixed'\nMixed=\"\"\n",
        common + [(SECTION, "Mixed")])
    add("comments", "; comment\n[Java Runtime Environment]\n;Main Class=commented\nMain Class=real\n"
                    "# JRE Path=hash\n;[Application]\n[Application]\nSingle Instance=yes ; trailing\n")
    add("missing-equals", "[Java Runtime Environment]\nMain Class\nJRE Path=x\n[Application]\nSingle Instance\n")
    add("empty-values", "[Java Runtime Environment]\nMain Class=\nJRE Path=\n")
    add("equals-in-value", "[Java Runtime Environment]\nMain Class=a=b=c\nJRE Path==lead\n")
    add("no-section", "Main Class=orphan\n[Java Runtime Environment]\nJRE Path=kept\n")
    add("bad-header", "[Java Runtime Environment\nMain Class=no-close\n[Application]x\nSingle Instance=yes\n"
                      "[Class Path]]\nClass Path=double\n")
    add("blank-lines", "\n\n[Java Runtime Environment]\n\n\nMain Class=after blanks\n\n")
    add("no-final-newline", "[Java Runtime Environment]\nMain Class=end")
    add("ctrl-z", "[Java Runtime Environment]\nMain Class=x\x1a\n\x1aJRE Path=y\n")
    add("utf8-bom", b"\xef\xbb\xbf[Java Runtime Environment]\nMain Class=bom\n")
    add("high-bytes", b"[Java Runtime Environment]\nMain Class=caf\xe9 \xfc\xdf\nJRE Path=C:\\\xc4pfel\\\n")
    add("empty", "")
    long_value = "x" * (1 << 20)
    add("long-values", "[Java Runtime Environment]\nMain Class=" + long_value + "\n"
                       "JRE Path=\"" + "q" * 255 + "\"\n[Application]\nSingle Instance=" + "y" * 255 + "\n"
                       "[Class Path]\nClass Path=" + "z" * 254 + "\n")
    return files


class ProfileReaderMatchesWindows(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine()
        if not os.path.exists(LINUX_QUERY):
            raise AssertionError(f"missing {LINUX_QUERY}: build the linux preset")

    def test_corpus_reads_the_same(self):
        folder = tempfile.mkdtemp(prefix="embark-ini-")
        self.addCleanup(shutil.rmtree, folder, True)
        windows_lines, linux_lines, labels = [], [], []
        for name, (data, queries) in corpus().items():
            path = os.path.join(folder, name + ".ini")
            with open(path, "wb") as f:
                f.write(data)
            for section, key in queries:
                encoded = [section.encode().hex(), key.encode().hex()]
                windows_lines.append("\t".join([Wine.windows_path(path).encode("latin-1").hex(), *encoded]))
                linux_lines.append("\t".join([path.encode().hex(), *encoded]))
                labels.append(f"{name}: [{section}] {key}")
        def write_queries(side, lines):
            queries_file = os.path.join(folder, side + ".queries")
            with open(queries_file, "w") as f:
                f.write("\n".join(lines) + "\n")
            return queries_file, os.path.join(folder, side + ".out")

        def read_answers(output_file):
            with open(output_file) as f:
                return [bytes.fromhex(line) for line in f.read().splitlines()]

        answers = {}
        queries_file, output_file = write_queries("windows", windows_lines)
        result = self.wine.run(windows_helper("win64"), ["profile", Wine.windows_path(queries_file),
                                                         Wine.windows_path(output_file)])
        self.assertEqual(result.code, 0, result.stderr)
        answers["windows"] = read_answers(output_file)
        for arch in WINDOWS_ARCHES:
            _, output_file = write_queries("launcher-" + arch, [])
            query_tool = os.path.join(os.path.dirname(windows_helper(arch)), "ini_query.exe")
            result = self.wine.run(query_tool, [Wine.windows_path(queries_file), Wine.windows_path(output_file)])
            self.assertEqual(result.code, 0, result.stderr)
            answers["launcher-" + arch] = read_answers(output_file)
        queries_file, output_file = write_queries("linux", linux_lines)
        subprocess.run([LINUX_QUERY, queries_file, output_file], check=True, timeout=60)
        answers["linux"] = read_answers(output_file)

        for side, values in answers.items():
            self.assertEqual(len(values), len(labels), side)
        for index, label in enumerate(labels):
            with self.subTest(label):
                for side in answers:
                    self.assertEqual(answers[side][index], answers["windows"][index], side)
