"""Single instance under Wine with the stand-in jvm.dll: later starts hand their arguments to secondaryMain. What
the arguments and answers become is proven with the real machine on Linux; here, the Windows channel."""
import pathlib
import subprocess
import threading
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

from embark_harness import ARCH, AppFolder, Wine, windows_helper, windows_launcher, wine_loader
from test_vm_wine import install_double


class SingleInstanceUnderWine(unittest.TestCase):
    def first(self, scenario="int", ready="call com/example/App.main", squatted=False):  # main runs until app.end()
        app = AppFolder(self, windows_launcher(ARCH), "tool.exe")
        if squatted:  # another user's block under this instance's name, made first
            squatter = subprocess.Popen([wine_loader(app.executable), windows_helper(ARCH), "squat", Wine.windows_path(
                app.executable).replace("\\", "_")], stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=Wine().environment())
            self.addCleanup(squatter.wait, 60), self.addCleanup(squatter.stdin.close)
            self.assertEqual(squatter.stdout.readline().strip(), b"held")
        install_double(app.path("jre"))
        app.write_settings(f"[Java Runtime Environment]\nJRE Path={Wine.windows_path(app.path('jre'))}\nMain Class="
                           "com.example.App\n[Class Path]\nClass Path=app.jar\n[Application]\nSingle Instance=yes\n")
        app.record, hold, app.created = (pathlib.Path(app.path(name)) for name in ("record", "hold", "created"))
        end = self.background(app, "tool", EMBARK_JVM_DOUBLE_RECORD=Wine.windows_path(app.record),
                              EMBARK_JVM_DOUBLE_SCENARIO=f"{scenario} hold:{Wine.windows_path(hold)}".replace(
                                  "{created}", Wine.windows_path(app.created)))  # hold-create:{created}
        app.end = lambda: (hold.touch(), end())[1]
        self.addCleanup(app.end)
        self.wait_for(app, ready)
        return app

    def background(self, app, line, **env):  # gives the function that waits for the exit code
        outcome, thread = {}, threading.Thread(target=lambda: outcome.update(code=self.start(app, line, env)))
        thread.start()
        return lambda: (thread.join(), outcome.get("code"))[1]

    def start(self, app, line, env=None):
        return Wine().run_raw(ARCH, app.executable, line, extra_env=env).code & 0xFFFFFFFF

    def wait_for(self, app, text):
        deadline = time.monotonic() + 120
        while text not in (app.record.read_text("latin-1") if app.record.exists() else ""):
            self.assertLess(time.monotonic(), deadline, f"no {text!r} in the record")
            time.sleep(0.05)

    def forwarded(self, app):  # the lists that reached secondaryMain, each on a thread attached for it
        lists, record = [], app.record.read_text("latin-1").splitlines()
        for at, (_, form, thread, count, args) in ((at, line.split(" ", 4)) for at, line in enumerate(record)
                                                   if line.startswith("secondary ")):
            lists.append((form, args.split("|")))
            self.assertEqual((len(lists[-1][1]), record.index(f"attach {thread}") < at < record.index(
                f"detach {thread}"), f"leaks 0 {thread}" in record), (int(count), True, True))
        return lists

    def test_twenty_at_once_each_arrive_once_and_whole(self):
        app = self.first()
        with ThreadPoolExecutor(20) as pool:
            self.assertEqual(list(pool.map(lambda i: self.start(app, f"tool {i} w{i}"), range(20))), list(range(20)))
        self.assertEqual(sorted(self.forwarded(app)), sorted(("I", [str(i), f"w{i}"]) for i in range(20)))

    def test_without_secondary_main_the_later_start_ends_with_the_first(self):
        app = self.first("no-secondary exit:42")
        waiting = self.background(app, "tool a")
        self.wait_for(app, "describe java.lang.NoSuchMethodError: secondaryMain")
        self.assertEqual((app.end(), waiting()), (42, 42))

    def test_request_before_the_machine_exists_waits_for_it(self):
        app = self.first("int hold-create:{created}", ready="create ")
        waiting = self.background(app, "tool 5")
        time.sleep(2)  # the request arrives meanwhile, as a rule; the outcome is the same either way
        app.created.touch()
        self.assertEqual(waiting(), 5)
        self.assertLess(app.record.read_text().index("created"), app.record.read_text().index("attach"))

    def test_a_block_another_user_made_leaves_every_start_on_its_own(self):
        app = self.first(squatted=True)  # main runs: no later start waits on the other user's block
        self.assertEqual((self.start(app, "tool 5"), self.forwarded(app)), (0, []))


if __name__ == "__main__":
    unittest.main()
