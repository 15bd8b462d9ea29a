"""Single instance through the Linux launcher and OpenJDK 17, with the fixture com.example.Forwarded."""
import os
import subprocess
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

from embark_harness import AppFolder, linux_launcher, run_native


class SingleInstance(unittest.TestCase):
    def first(self, main_class, *exit_status):  # main runs until app.end() and records to app.log
        app = AppFolder(self, linux_launcher(), "app")
        app.write_settings(f"[Java Runtime Environment]\nMain Class=com.example.{main_class}\n"
                           f"JRE Path={os.environ.get('EMBARK_JAVA_HOME', '/usr/lib/jvm/java-17-openjdk-amd64')}\n"
                           f"[Class Path]\nClass Path={os.environ.get('EMBARK_JAVA_CLASSES', '')}\n"
                           "[Application]\nSingle Instance=yes\n")
        app.log, app.err, hold = app.path("log"), app.path("err"), app.path("hold")
        with open(app.err, "w") as err:
            process = subprocess.Popen([app.executable, hold, app.log, *exit_status], stderr=err)
        app.end = lambda: (open(hold, "w").close(), process.wait(60))[1]
        self.addCleanup(app.end)
        self.wait_for(app.log, "main main ")
        return app

    def wait_for(self, path, text):
        deadline = time.monotonic() + 60
        while not (os.path.exists(path) and text in open(path).read()):
            self.assertLess(time.monotonic(), deadline, f"no {text!r} in {path}")
            time.sleep(0.02)

    def forwarded(self, app):  # (form, on a thread other than main, arguments), all arguments counted
        lines = [line.split(" ", 3) for line in open(app.log).read().splitlines()[1:]]
        return [(form, thread != "main" and len(args.split("|")) == int(n), args.split("|"))
                for form, thread, n, args in lines]

    def test_later_starts_hand_over_their_arguments(self):
        for main_class, cases in [("Forwarded$Answering", [([], 0, [""]), (["7", "", "b"], 7, ["7"]),
                                                          (["-2"], 254, ["-2"]), (["x" * 1038], 0, ["x" * 1038]),
                                                          (["x" * 1039], 255, None)]),
                                  ("Forwarded", [(["", "b"], 0, ["", "b"])])]:
            app, form = self.first(main_class), "int" if "$" in main_class else "void"
            self.assertEqual([run_native(app.executable, args).code for args, _, _ in cases], [c for _, c, _ in cases])
            self.wait_for(app.log, "|b" if form == "void" else "x" * 1038)  # the void form answers before it runs
            self.assertEqual(self.forwarded(app), [(form, True, lst) for _, _, lst in cases if lst is not None])
            self.assertEqual(app.end(), 0)

    def test_twenty_at_once_each_arrive_once_and_whole(self):
        app = self.first("Forwarded$Answering")
        with ThreadPoolExecutor(20) as pool:
            codes = [r.code for r in pool.map(lambda i: run_native(app.executable, [str(i), f"w{i}"]), range(20))]
        self.assertEqual(codes, list(range(20)))
        self.assertEqual(sorted(self.forwarded(app)), sorted(("int", True, [str(i), f"w{i}"]) for i in range(20)))

    def test_without_secondary_main_the_later_start_ends_with_the_first(self):
        app = self.first("Forwarded$Silent", "42")
        with ThreadPoolExecutor(1) as pool:
            waiting = pool.submit(run_native, app.executable, ["a"])
            self.wait_for(app.err, "java.lang.NoSuchMethodError: secondaryMain")
            self.assertEqual((app.end(), waiting.result().code), (42, 42))  # System.exit(42) in the first


if __name__ == "__main__":
    unittest.main()
