#!/usr/bin/env python3
"""Times a launcher from exec to its call of JNI_CreateJavaVM.

    exec_to_create_vm.py RUNS JSON EXEC_CLOCK PROGRAM [ARGUMENTS...]

Runs `EXEC_CLOCK PROGRAM ARGUMENTS...` RUNS times (after a few untimed
warm-up runs) in the current directory. exec_clock writes the clock to
$EMBARK_BENCH_EXEC_FILE just before it executes the program; the stand-in VM
library (create_vm_clock.c) writes it to $EMBARK_BENCH_CLOCK_FILE when
JNI_CreateJavaVM is called. The program's output is discarded: the launcher
reports the failed creation on every run and exits with 255.

Prints median, p10, p90, min and max in microseconds, and writes every
sample to JSON. Measures and prints only; the exit code is 1 when a run
recorded no call of JNI_CreateJavaVM at all.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile

WARMUP_RUNS = 5


def read_clock(path):
    try:
        with open(path) as f:
            return int(f.read().strip())
    except (OSError, ValueError):
        return None


def percentile(sorted_samples, fraction):
    """Nearest rank, as settings_load_bench takes it."""
    rank = int(fraction * (len(sorted_samples) - 1) + 0.5)
    return sorted_samples[min(rank, len(sorted_samples) - 1)]


def one_run(command, environment, exec_file, clock_file):
    for path in (exec_file, clock_file):
        if os.path.exists(path):
            os.unlink(path)
    subprocess.run(command, env=environment, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    start, called = read_clock(exec_file), read_clock(clock_file)
    if start is None or called is None:
        return None
    return (called - start) / 1000.0


def main():
    if len(sys.argv) < 5:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    runs = int(sys.argv[1])
    json_path = sys.argv[2]
    command = sys.argv[3:]

    with tempfile.TemporaryDirectory(prefix="embark-clock.") as folder:
        exec_file = os.path.join(folder, "exec")
        clock_file = os.path.join(folder, "create-vm")
        environment = dict(os.environ, EMBARK_BENCH_EXEC_FILE=exec_file,
                           EMBARK_BENCH_CLOCK_FILE=clock_file)
        for _ in range(WARMUP_RUNS):
            one_run(command, environment, exec_file, clock_file)
        samples = [one_run(command, environment, exec_file, clock_file) for _ in range(runs)]

    failed = sum(1 for s in samples if s is None)
    samples = sorted(s for s in samples if s is not None)
    if not samples:
        print("exec_to_create_vm: no run reached JNI_CreateJavaVM "
              "(is the stand-in runtime the settings' JRE Path?)", file=sys.stderr)
        return 1

    figures = {
        "median_us": percentile(samples, 0.5),
        "p10_us": percentile(samples, 0.1),
        "p90_us": percentile(samples, 0.9),
        "min_us": samples[0],
        "max_us": samples[-1],
        "mean_us": statistics.fmean(samples),
    }
    with open(json_path, "w") as f:
        json.dump({"command": command[1:], "runs": runs, "failed_runs": failed,
                   **figures, "samples_us": samples}, f, indent=1)

    print("exec to JNI_CreateJavaVM, %d runs: %s" % (runs, " ".join(command[1:])))
    print("median: %.1f us  p10: %.1f us  p90: %.1f us  min: %.1f us  max: %.1f us"
          % (figures["median_us"], figures["p10_us"], figures["p90_us"],
             figures["min_us"], figures["max_us"]))
    if failed:
        print("runs that recorded no call of JNI_CreateJavaVM: %d" % failed)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
