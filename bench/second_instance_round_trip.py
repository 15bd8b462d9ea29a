#!/usr/bin/env python3
"""Second-instance round trip: from the start of a second process to its exit, against a warm first instance whose
secondaryMain has the integer form. Prints the median and p90 in milliseconds and writes them, with every time, to a
JSON file.

  second_instance_round_trip.py linux <launcher> <class folder> <runs> <json>
  second_instance_round_trip.py <wine loader> <launcher.exe> <stand-in jvm.dll> <runs> <json>

Linux: the real virtual machine runs com.example.Forwarded$Answering (tests/jvm/fixtures), compiled into the class
folder; EMBARK_BENCH_JDK names the runtime. Wine: the stand-in jvm.dll of the Wine tests, whose main runs until a file
exists and whose secondaryMain answers with its first argument. The first instance runs until the end of the runs."""
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

WARM_UP_RUNS = 10


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main(kind, launcher, support, runs, json_file):
    runs = int(runs)
    folder = tempfile.mkdtemp(prefix="embark-round-trip-")
    try:
        hold, ready = os.path.join(folder, "hold"), os.path.join(folder, "ready")
        env = dict(os.environ)
        if kind == "linux":
            program = [os.path.join(folder, "app")]
            main_class, runtime, first_arguments = "com.example.Forwarded$Answering", \
                os.environ.get("EMBARK_BENCH_JDK", "/usr/lib/jvm/java-17-openjdk-amd64"), [hold, ready]
            class_path = support
        else:
            program = [kind, os.path.join(folder, "tool.exe")]
            runtime = os.path.join(folder, "jre")
            os.makedirs(os.path.join(runtime, "bin", "server"))
            shutil.copy2(support, os.path.join(runtime, "bin", "server", "jvm.dll"))
            main_class, class_path, first_arguments, runtime = "com.example.App", "app.jar", [], windows_path(runtime)
            env.update(EMBARK_JVM_DOUBLE_RECORD=windows_path(ready),
                       EMBARK_JVM_DOUBLE_SCENARIO=f"int hold:{windows_path(hold)}")
        shutil.copy2(launcher, program[-1])
        with open(os.path.splitext(program[-1])[0] + ".ini", "w") as f:
            f.write(f"[Java Runtime Environment]\nMain Class={main_class}\nJRE Path={runtime}\n"
                    f"[Class Path]\nClass Path={class_path}\n[Application]\nSingle Instance=yes\n")
        first = subprocess.Popen(program + first_arguments, env=env, stdout=subprocess.DEVNULL)
        deadline = time.monotonic() + 120
        while not (os.path.exists(ready) and "main" in open(ready, encoding="latin-1").read()):
            if first.poll() is not None or time.monotonic() > deadline:
                raise SystemExit(f"the first instance did not start (exit code {first.poll()})")
            time.sleep(0.02)
        times = []
        for run in range(WARM_UP_RUNS + runs):
            started = time.perf_counter()
            code = subprocess.run(program + ["7", f"run{run}"], stdout=subprocess.DEVNULL).returncode
            elapsed = time.perf_counter() - started
            if code != 7:
                raise SystemExit(f"a second instance ended with {code}, not 7")
            if run >= WARM_UP_RUNS:
                times.append(elapsed * 1000)
        open(hold, "w").close()
        first.wait(60)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    times.sort()
    median, p90 = statistics.median(times), times[int(len(times) * 0.9) - 1]
    with open(json_file, "w") as f:
        json.dump({"median_ms": median, "p90_ms": p90, "runs": runs, "times_ms": times}, f)
    print(f"median {median:.2f} ms, p90 {p90:.2f} ms ({runs} runs after {WARM_UP_RUNS} warm-up runs)")


if __name__ == "__main__":
    if len(sys.argv) != 6:
        raise SystemExit(__doc__)
    main(*sys.argv[1:])
