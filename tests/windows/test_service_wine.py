"""Service operation under Wine's service control manager, with the stand-in jvm.dll, which a service finds its
scenario beside and records beside (a service gets the manager's environment, not the test's)."""
import pathlib
import subprocess
import time
import unittest

from embark_harness import ARCH, WINE64, AppFolder, Wine, windows_helper, windows_launcher
from test_vm_wine import install_double

RUNNING, STOP_PENDING, STOPPED, FAILED = "4 5 0 0 0 0", "3 5 0 0 0 3000", "1 5 0 0 0 {}", "1 0 1066 1 0 0"


class ServiceUnderWine(unittest.TestCase):
    def install(self, scenario, drop=None):
        """tool.exe, installed as "embark test <n>" with "cmd" on its command line and `drop` commented out of its
        settings ("": none); the scenario may name {hold} and {created}: files that let main end or creation go on."""
        app, self.wine = AppFolder(self, windows_launcher(ARCH), "tool.exe"), Wine()
        library = pathlib.Path(app.path("jre", "bin", "server"))
        install_double(app.path("jre"))
        if drop != "":
            app.write_settings((f"[Java Runtime Environment]\nJRE Path={Wine.windows_path(app.path('jre'))}\n"
                                "Main Class=com.example.App\n[Class Path]\nClass Path=app.jar\n"
                                "[Application]\nApplication Type=service\n").replace(f"\n{drop}=", "\n;"))
        app.hold, app.created, app.record = (library / name for name in ("hold", "created", "record"))
        (library / "scenario").write_text(scenario.format(hold=Wine.windows_path(app.hold),
                                                          created=Wine.windows_path(app.created)))
        app.name = f"embark test {ARCH} {pathlib.Path(app.root).name}"
        self.sc("create", app.name, "binpath=", Wine.windows_path(app.executable) + " cmd")
        self.addCleanup(lambda: (app.hold.touch(), app.created.touch(), self.wait_for(app, STOPPED[:2]),
                                 self.sc("delete", app.name)))
        return app

    def sc(self, *arguments):
        return subprocess.run([WINE64, "sc", *arguments], env=self.wine.environment(), capture_output=True, timeout=120)

    def status(self, app, control=None):
        return self.wine.run(windows_helper(ARCH), ["service", app.name, *([str(control)] if control else [])]).stdout

    def wait_for(self, app, status, text="", started=None):  # started: what `sc start` said, shown on a failure
        deadline = time.monotonic() + 60
        while not (self.status(app).startswith(status) and text in self.recorded(app)):
            self.assertLess(time.monotonic(), deadline, f"not {status!r} with {text!r}: {self.status(app)}"
                                                        + (f"; sc start: {started.stdout!r}" if started else ""))
            time.sleep(0.1)

    def recorded(self, app):
        return app.record.read_text("latin-1") if app.record.exists() else ""

    def test_a_stop_request_calls_stop_and_the_service_stops(self):
        app = self.install("until-stop")
        self.sc("start", app.name, "p1", "p2")
        self.wait_for(app, RUNNING, "arg p2")
        self.assertEqual(self.status(app, 4), RUNNING + "\n")  # interrogate: the record again
        self.sc("stop", app.name)
        self.wait_for(app, STOPPED.format(3000), "destroy")
        record = self.recorded(app).splitlines()
        self.assertEqual([line[4:] for line in record if line.startswith("arg ")], ["cmd", app.name, "p1", "p2"])
        thread = next(line.split()[1] for line in record if line.startswith("stop "))
        self.assertLess(record.index(f"attach {thread}"), record.index(f"stop {thread}"))
        self.assertLess(record.index(f"stop {thread}"), record.index(f"detach {thread}"))

    def test_a_stop_that_throws_leaves_the_service_stop_pending_until_main_returns(self):
        app = self.install("hold:{hold} throws")
        self.sc("start", app.name)
        self.wait_for(app, RUNNING, "call com/example/App.main")
        self.sc("stop", app.name)
        self.wait_for(app, STOP_PENDING, "describe java.lang.RuntimeException: thrown by stop")
        time.sleep(1)  # stop() has returned meanwhile, as a rule; the service stays stop pending either way
        self.assertEqual(self.status(app), STOP_PENDING + "\n")
        app.hold.touch()
        self.wait_for(app, STOPPED.format(3000), "destroy")

    def test_a_stop_before_the_machine_exists_waits_for_it(self):
        app = self.install("until-stop hold-create:{created}")
        self.sc("start", app.name)
        self.wait_for(app, RUNNING, "create ")
        self.sc("stop", app.name)
        self.wait_for(app, STOP_PENDING)
        app.created.touch()
        self.wait_for(app, STOPPED.format(3000), "destroy")
        record = self.recorded(app)
        self.assertLess(record.index("created"), record.index("\nstop "))

    def test_the_end_of_main_or_a_failed_start_stops_the_service_and_no_dialog_shows(self):
        for scenario, drop, status, text in [("", None, STOPPED.format(0), "destroy"), ("create:-1", None,
                                             "1 5 1066 1 0 0", "create "), ("", "Main Class", FAILED, ""),
                                             ("", "JRE Path", FAILED, ""), ("", "", FAILED, "")]:
            with self.subTest(scenario=scenario, drop=drop):
                app = self.install(scenario, drop)
                self.wait_for(app, status, text, self.sc("start", app.name))

    def test_started_from_a_console_it_says_so_and_exits_with_minus_one(self):
        app = self.install("")
        result = self.wine.run_raw(ARCH, app.executable, "tool")
        self.assertEqual((result.code, result.stdout), (-1, "Error: This program runs as a Windows service: install "
                                                             "it with sc create and start it with sc start, not from "
                                                             "a console. \n"))
        self.assertEqual(self.recorded(app), "")


if __name__ == "__main__":
    unittest.main()
