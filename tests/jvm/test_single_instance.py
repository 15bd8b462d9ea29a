"""Single instance through the Linux launcher and OpenJDK 17, with the fixture com.example.Forwarded."""
import glob
import os
import resource
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

from embark_harness import AppFolder, linux_launcher, run, run_native

NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]


class SingleInstance(unittest.TestCase):
    def first(self, main_class, *exit_status, env=None):  # main runs until app.end() and records to app.log
        app = AppFolder(self, linux_launcher(), "app")
        app.env = env or {**os.environ, "XDG_RUNTIME_DIR": tempfile.mkdtemp(dir=app.root)}
        app.start = lambda args: run_native(app.executable, args, env=app.env)
        app.write_settings(f"[Java Runtime Environment]\nMain Class=com.example.{main_class}\n"
                           f"JRE Path={os.environ.get('EMBARK_JAVA_HOME', '/usr/lib/jvm/java-17-openjdk-amd64')}\n"
                           f"[Class Path]\nClass Path={os.environ.get('EMBARK_JAVA_CLASSES', '')}\n"
                           "[Application]\nSingle Instance=yes\n")
        app.log, app.err, hold = app.path("log"), app.path("err"), app.path("hold")
        with open(app.err, "w") as err:
            process = subprocess.Popen([app.executable, hold, app.log, *exit_status], stderr=err, env=app.env)
        app.pid, app.end = process.pid, lambda: (open(hold, "w").close(), process.wait(60))[1]
        self.addCleanup(app.end)
        self.wait_for(app.log, "main main ")
        return app

    def wait_for(self, path, text):
        self.wait_until(lambda: os.path.exists(path) and text in open(path).read(), f"no {text!r} in {path}")

    def wait_until(self, condition, message):
        deadline = time.monotonic() + 60
        while not condition():
            self.assertLess(time.monotonic(), deadline, message)
            time.sleep(0.02)

    def sockets(self, app):  # how many sockets the first instance holds open (a descriptor may close meanwhile)
        def link(fd):
            try:
                return os.readlink(f"/proc/{app.pid}/fd/{fd}")
            except FileNotFoundError:
                return ""
        return sum(link(fd).startswith("socket:") for fd in os.listdir(f"/proc/{app.pid}/fd"))

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
            self.assertEqual([app.start(args).code for args, _, _ in cases], [c for _, c, _ in cases])
            self.wait_for(app.log, "|b" if form == "void" else "x" * 1038)  # the void form answers before it runs
            self.assertEqual(self.forwarded(app), [(form, True, lst) for _, _, lst in cases if lst is not None])
            self.assertEqual(app.end(), 0)

    def test_twenty_at_once_each_arrive_once_and_whole(self):
        app = self.first("Forwarded$Answering")
        with ThreadPoolExecutor(20) as pool:
            codes = [r.code for r in pool.map(lambda i: app.start([str(i), f"w{i}"]), range(20))]
        self.assertEqual(codes, list(range(20)))
        self.assertEqual(sorted(self.forwarded(app)), sorted(("int", True, [str(i), f"w{i}"]) for i in range(20)))

    def test_without_secondary_main_the_later_start_ends_with_the_first(self):
        app = self.first("Forwarded$Silent", "42")
        with ThreadPoolExecutor(1) as pool:
            waiting = pool.submit(app.start, ["a"])
            self.wait_for(app.err, "java.lang.NoSuchMethodError: secondaryMain")
            self.assertEqual((app.end(), waiting.result().code), (42, 42))  # System.exit(42) in the first

    def test_starved_idle_or_stopped_first_instances_hold_no_later_start_for_ever(self):
        app = self.first("Forwarded$Answering")
        before = self.sockets(app)  # the machine has what forwarding takes before it runs short:
        self.assertEqual(app.start(["1"]).code, 1)
        self.wait_until(lambda: self.sockets(app) == before, "the first request's connection was kept")
        fds = {int(fd) for fd in os.listdir(f"/proc/{app.pid}/fd")}
        limits = resource.prlimit(app.pid, resource.RLIMIT_NOFILE)
        resource.prlimit(app.pid, resource.RLIMIT_NOFILE, (min(set(range(len(fds) + 1)) - fds), limits[1]))
        with ThreadPoolExecutor(1) as pool:  # out of descriptors a while: accept fails, and the listener lives on
            later = pool.submit(app.start, ["7"])
            time.sleep(1)
            resource.prlimit(app.pid, resource.RLIMIT_NOFILE, limits)
            self.assertEqual(later.result().code, 7)
        idle = [socket.socket(socket.AF_UNIX) for _ in range(30)]  # each held the listener 5 s
        for connection in idle:
            self.addCleanup(connection.close)
            connection.connect(glob.glob(os.path.join(app.env["XDG_RUNTIME_DIR"], "embark", "*.socket"))[0])
        self.assertEqual(app.start(["5"]).code, 5)
        self.wait_until(lambda: self.sockets(app) == before, "idle connections were kept past their 5 s")
        os.kill(app.pid, signal.SIGSTOP)  # a request never taken up: the later start gives up
        self.assertEqual((app.start(["6"]).code, os.kill(app.pid, signal.SIGCONT)), (255, None))

    def test_a_later_start_that_has_gone_is_let_go(self):
        app = self.first("Forwarded$Silent")
        before, later = self.sockets(app), [subprocess.Popen([app.executable, "a"], env=app.env) for _ in range(5)]
        self.wait_until(lambda: self.sockets(app) == before + 5, "the five later starts were not taken up")
        for process in later:
            process.kill(), process.wait()
        self.wait_until(lambda: self.sockets(app) == before, "the first instance kept the gone starts' sockets")

    def test_another_user_can_neither_reach_nor_squat_a_first_instance(self):
        if os.geteuid() != 0 or not shutil.which("setpriv"):
            self.skipTest("needs root and setpriv to start as another user")
        app = self.first("Forwarded$Answering")
        os.chmod(app.root, 0o755)  # another user's start of the same program, with a folder of its own
        env = {name: value for name, value in os.environ.items() if name != "XDG_RUNTIME_DIR"}
        run(NOBODY + [app.executable, "8"], env=env)
        os.chmod(squatted := tempfile.mkdtemp(dir=app.root), 0o1777)  # another user made this user's folder first
        subprocess.run(NOBODY + ["mkdir", "-m", "777", f"{squatted}/embark-{os.geteuid()}"], check=True)
        alone = self.first("Forwarded$Answering", env={**env, "TMPDIR": squatted})
        alone.start(["8"])  # runs on its own: its main is the one that gets the argument
        self.assertEqual(self.forwarded(app) + self.forwarded(alone), [])


if __name__ == "__main__":
    unittest.main()
