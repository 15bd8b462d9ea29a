"""Service operation through the Linux launcher and OpenJDK 17, with the example service Heartbeat: the foreground,
stop() on SIGTERM, SIGINT and SIGHUP, and systemd's READY=1 and STOPPING=1 on a notification socket the test binds."""
import os
import signal
import socket
import subprocess
import unittest

from embark_harness import EXIT_FAILURE_SEEN, AppFolder, linux_launcher


class ServiceOnLinux(unittest.TestCase):
    def start(self, main_class="Heartbeat"):
        app = AppFolder(self, linux_launcher(), "heartbeat")
        app.write_settings(f"[Java Runtime Environment]\nMain Class={main_class}\n"
                           f"JRE Path={os.environ.get('EMBARK_JAVA_HOME', '/usr/lib/jvm/java-17-openjdk-amd64')}\n"
                           f"[Class Path]\nClass Path={os.environ.get('EMBARK_JAVA_CLASSES', '')}\n"
                           "[Application]\nApplication Type=service\n")
        notifications = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.addCleanup(notifications.close)
        name = os.path.basename(app.root)  # a fresh temporary folder: unique while the socket is open
        notifications.bind("\0" + name)
        notifications.settimeout(60)
        process = subprocess.Popen([app.executable, "a", "b"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   text=True, env={**os.environ, "NOTIFY_SOCKET": "@" + name})
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process, notifications

    def test_a_stop_signal_calls_stop_on_an_attached_thread(self):
        for stop_signal in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            process, notifications = self.start()
            self.assertEqual(notifications.recv(64), b"READY=1")  # the machine exists: its handlers were taken back
            self.assertEqual(process.stdout.readline(), "running a b heartbeat\n")
            process.send_signal(stop_signal)
            self.assertEqual(notifications.recv(64), b"STOPPING=1")
            out, err = process.communicate(timeout=60)
            self.assertRegex(out, r"^stop requested on Thread-\d+\nstopped\n$", err)
            self.assertEqual(process.returncode, 0)

    def test_a_failed_start_exits_with_minus_one(self):
        process, notifications = self.start("NoSuchClass")
        out, err = process.communicate(timeout=60)
        self.assertIn("Could not find the main class NoSuchClass", out)
        self.assertEqual((process.returncode, notifications.recv(64)), (EXIT_FAILURE_SEEN, b"READY=1"))


if __name__ == "__main__":
    unittest.main()
