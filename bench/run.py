#!/usr/bin/env python3
"""Start-up benchmarks of the launcher, run by `make bench` after `make build`.

  bench/run.py [section...]     (default: every section, in this order)

settings   start to the end of the settings load, with bench/all-keys.ini
           (a settings file with every key):
             - in-process: settings_load_bench times the start up to the end
               of the settings load, natively and under Wine (x64 and x86);
             - whole process, start to exit, with hyperfine: the real
               launcher, whose "JRE Path" names a folder that does not exist
               and whose "Minimum Version" no installed runtime reaches, so
               it ends (exit code 255) right after the settings load and
               the runtime search.
hello      the sample class examples/hello/Hello.java started by the Linux
           launcher and by the JDK's own `java`, same runtime, same class
           folder: median wall time (hyperfine, start to exit) and peak
           resident set (bench/peak_rss.py) of each, and embark / java.
create-vm  exec to the call of JNI_CreateJavaVM (bench/exec_to_create_vm.py):
           exec_clock records the clock and executes the launcher, whose
           "JRE Path" is a stand-in runtime (create_vm_clock.c, a libjvm.so
           that records the clock again and refuses the creation). Measured
           with the sample's settings and with all-keys.ini, and for a C
           program that calls JNI_CreateJavaVM first thing (the floor: exec
           and dynamic loading alone).
registry   the registry search and the runtime selection with n installed
           runtimes, n = 10, 100 and 1000:
             - natively, with registry_search_bench (Google Benchmark) against
               an in-memory registry and file system, for n = 10 to 3000,
               with the library's fit of the growth (Big-O and RMS);
             - under Wine (x64 and x86), with registry_search_bench_wine
               against the prefix's registry, filled with n entries by
               `wine64 reg import` (/reg:64 or /reg:32), each JavaHome a
               folder with an empty bin\\client\\jvm.dll;
           and a table of the time per call and per runtime.
single-instance
           second-instance round trip, from the start of a second process
           to its exit, against a warm first instance whose secondaryMain
           has the integer form (bench/second_instance_round_trip.py):
           on Linux with the real virtual machine (the JVM tests' fixture
           com.example.Forwarded, compiled with EMBARK_BENCH_JDK), and under
           Wine (x64 and x86) with the stand-in jvm.dll of the Wine tests.
startup-cache
           the startup cache (bench/startup_cache.py): javac on a small file,
           mvn -v, ant -version, jshell and a Swing window opened and closed,
           each started by the Linux launcher with a warm cache and by the
           runtime's own java (same class path, options and main class), in
           rounds of alternating order; the median of the rounds' ratios, the
           first starts' time (until one uses the cache) and the cache's size,
           for EMBARK_BENCH_JDK and Temurin 25 where it is installed.

Measures and prints only; it fails when a program cannot be run at all. It
ends with a summary table of every figure and the command that measured it,
and writes the same figures, with their numbers apart (units in the names),
to build/bench/figures.json, beside the JSON the tools export.

The Wine prefix, the loader of each program and the x86 probe are the test
harness's (tests/harness/embark_harness.py): Windows programs start through
the Wine loader of their machine type (wine64 for x64, wine for x86), never
Debian's `wine` script, which tries the 32-bit loader first; where the kernel
cannot run 32-bit programs, the x86 rows say "skipped" and why.

Environment: EMBARK_BENCH_RUNS (in-process runs, native; default 2000),
EMBARK_BENCH_WINE_RUNS (in-process runs under Wine; default 500),
EMBARK_BENCH_WINE_CPU (the one CPU that Wine, its server and the programs
under it run on; default the last CPU; "all" leaves them unpinned),
EMBARK_BENCH_JDK (the runtime of the hello section; default Debian's
OpenJDK 17), EMBARK_BENCH_HELLO_ROUNDS and EMBARK_BENCH_HELLO_RUNS (hyperfine
rounds, and runs of each program per round; default 24 and 10),
EMBARK_BENCH_RSS_RUNS (peak resident set runs of each; default 20),
EMBARK_BENCH_CLOCK_RUNS (exec to JNI_CreateJavaVM runs of each; default 200),
EMBARK_BENCH_REGISTRY_WINE_RUNS (registry runs under Wine at n = 10, scaled
by 10 / n for the larger n, at least 15; default 1000),
EMBARK_BENCH_ROUND_TRIP_RUNS (second instances natively; default 200),
EMBARK_BENCH_ROUND_TRIP_WINE_RUNS (under Wine; default 50) and
EMBARK_BENCH_CACHE_ROUNDS (startup cache rounds; default 10).

Why one CPU for Wine: every profile read is a round trip to the wineserver,
and on small virtual machines a wake-up on the other CPU costs far more than
the read itself; unpinned, the Wine medians swing by a factor of three or so
from run to run.

Why rounds for the hello comparison: hyperfine runs every run of its first
command before the second, so a slow stretch of the machine would fall on
one program only. Each round runs both, the order alternates from round to
round, and the medians are taken over the runs of all rounds.
"""
import contextlib
import json
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "harness"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import embark_harness as harness  # noqa: E402  (found through the path above)

BUILD = os.path.join(ROOT, "build")
RESULTS = os.path.join(BUILD, "bench")
FIGURES = os.path.join(RESULTS, "figures.json")
SETTINGS = os.path.join(ROOT, "bench", "all-keys.ini")
SECTIONS = ("settings", "hello", "create-vm", "registry", "single-instance", "startup-cache")
TEMURIN_25 = "/usr/lib/jvm/temurin-25-jdk-amd64"  # on the project's machines, from no package
WINDOWS_ARCHES = (("x64", "win64"), ("x86", "win32"))  # architecture, build preset
REGISTRY_COUNTS = (10, 100, 1000)


def setting(name, default):
    """An environment setting; unset and empty alike mean the default."""
    return os.environ.get(name) or default


class Config:
    def __init__(self):
        self.native_runs = int(setting("EMBARK_BENCH_RUNS", 2000))
        self.wine_runs = int(setting("EMBARK_BENCH_WINE_RUNS", 500))
        self.wine_cpu = setting("EMBARK_BENCH_WINE_CPU", str(len(os.sched_getaffinity(0)) - 1))
        self.jdk = setting("EMBARK_BENCH_JDK", "/usr/lib/jvm/java-17-openjdk-amd64")
        self.hello_rounds = int(setting("EMBARK_BENCH_HELLO_ROUNDS", 24))
        self.hello_runs = int(setting("EMBARK_BENCH_HELLO_RUNS", 10))
        self.rss_runs = int(setting("EMBARK_BENCH_RSS_RUNS", 20))
        self.clock_runs = int(setting("EMBARK_BENCH_CLOCK_RUNS", 200))
        self.registry_wine_runs = int(setting("EMBARK_BENCH_REGISTRY_WINE_RUNS", 1000))
        self.round_trip_runs = int(setting("EMBARK_BENCH_ROUND_TRIP_RUNS", 200))
        self.round_trip_wine_runs = int(setting("EMBARK_BENCH_ROUND_TRIP_WINE_RUNS", 50))
        self.cache_rounds = int(setting("EMBARK_BENCH_CACHE_ROUNDS", 10))


# --- Running programs ---------------------------------------------------------

def section(title):
    print(f"\n== {title}", flush=True)


def require_file(path):
    if not os.path.isfile(path):
        sys.exit(f"missing {path}: run 'make build' first")
    return path


def run(command, cwd=None, capture=False):
    """Runs a program to its end with its output shown, or returned (carriage returns dropped) when captured; a
    program that fails ends the benchmarks."""
    sys.stdout.flush()
    done = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE if capture else None)
    output = done.stdout.decode("latin-1").replace("\r", "") if capture else ""
    if done.returncode != 0:
        print(output, end="")
        sys.exit(f"{' '.join(command)} ended with exit code {done.returncode}")
    return output


def run_shown(command, cwd=None):
    """Runs a program to its end; its output, which is also shown."""
    output = run(command, cwd, capture=True)
    print(output.rstrip("\n"))
    return output


def hyperfine(json_file, runs, warmup, commands, cwd, ignore_failure=False):
    run(["hyperfine", "--style", "basic", "-N", *(["-i"] if ignore_failure else []), "--warmup", str(warmup),
         "--runs", str(runs), "--export-json", json_file, *commands], cwd)


def hyperfine_median_ms(json_file):
    with open(json_file) as f:
        return json.load(f)["results"][0]["median"] * 1000


def median_of(output):
    """The median that settings_load_bench and registry_search_bench_wine print, in microseconds, as printed."""
    found = re.search(r"^median: ([0-9.]*) us", output, re.MULTILINE)
    return found.group(1) if found else ""


def number(text):
    return float(text) if text else None


def read_json(path):
    with open(path) as f:
        return json.load(f)


def copy_settings(target, runtime_folder, minimum_version=None):
    """A copy of all-keys.ini whose "JRE Path" is the given folder; with a "Minimum Version" that no installed runtime
    reaches, a start ends right after the runtime search."""
    with open(SETTINGS, encoding="latin-1") as f:
        text = re.sub(r"^JRE Path=.*", lambda _: f"JRE Path={runtime_folder}", f.read(), flags=re.MULTILINE)
    if minimum_version:
        text = re.sub(r"^Minimum Version=.*", lambda _: f"Minimum Version={minimum_version}", text,
                      flags=re.MULTILINE)
    with open(target, "w", encoding="latin-1", newline="") as f:
        f.write(text)


def write_text(path, text):
    with open(path, "w") as f:
        f.write(text)


def sample_settings(runtime_folder):
    """The sample's settings, with the given "JRE Path"."""
    return (f"[Java Runtime Environment]\nMain Class=Hello\nJRE Path={runtime_folder}\n\n"
            "[Class Path]\nClass Path=classes\n")


# --- The figures --------------------------------------------------------------

class Summary:
    """A heading per section, one row per measurement: what was measured, the figure as printed, the goal and the
    command; `values` holds the figure's numbers for the JSON file."""
    def __init__(self):
        self.sections = []

    def heading(self, name, text):
        self.sections.append({"section": name, "heading": text, "rows": []})

    def row(self, measured, figure, goal, command, **values):
        self.sections[-1]["rows"].append(
            {"measured": measured, "figure": figure, "goal": goal, "command": command, "values": values})

    def skipped(self, measured, reason):
        self.sections[-1]["rows"].append(
            {"measured": measured, "figure": "skipped", "goal": "", "command": f"({reason})", "skipped": reason})


def render_table(sections):
    """The summary table: a column header, then per section its heading and its rows, the figures right-aligned."""
    columns = ("measured", "figure", "goal", "command")
    header = dict(zip(columns, ("Measured", "Figure", "Goal", "Command")))
    rows = [header] + [row for entry in sections for row in entry["rows"]]
    widths = [max(len(row[column]) for row in rows) for column in columns[:3]]

    def line(row):
        return (f"  {row['measured']:<{widths[0]}}   {row['figure']:>{widths[1]}}   "
                f"{row['goal']:<{widths[2]}}   {row['command']}")
    lines = [line(header)]
    for index, entry in enumerate(sections):
        lines += [""] * (index > 0) + [entry["heading"]] + [line(row) for row in entry["rows"]]
    return "\n".join(lines)


# --- Wine ---------------------------------------------------------------------

def cpu_set(text):
    """The CPUs of a list as `taskset -c` takes it: 3, or 0,2-3."""
    cpus = set()
    for part in text.split(","):
        first, _, last = part.partition("-")
        cpus.update(range(int(first), int(last or first) + 1))
    return cpus


class WineRuns:
    """The Wine prefix that every section shares, made by the test harness when a section first needs it, and the
    CPU that Wine's programs are pinned to."""
    def __init__(self, work, cpu):
        self.prefix = os.path.join(work, "wine-prefix")
        self.cpu = cpu
        self.cpus = None if cpu == "all" else cpu_set(cpu)
        self.started = False
        self.missing = ""  # why Wine cannot run here at all, once start has looked
        self.x86_unavailable = ""  # why x86 programs cannot run here, once start has looked
        self.registry = harness.Wine()
        self.registry.prefix = self.prefix

    @contextlib.contextmanager
    def pinned(self):
        """Every program started meanwhile inherits this process's CPU affinity: the one CPU of Wine."""
        if self.cpus is None:
            yield
            return
        before = os.sched_getaffinity(0)
        os.sched_setaffinity(0, self.cpus)
        try:
            yield
        finally:
            os.sched_setaffinity(0, before)

    def start(self):
        """Makes the prefix and starts its lasting server, once for all sections; False (with a note) when Wine is
        not installed."""
        if self.started or self.missing:
            return self.started
        if not os.access(harness.WINE64, os.X_OK) or not shutil.which("wineserver"):
            self.missing = "wine not installed"
            print("wine is not installed ('make setup'): the Wine measurements are skipped", file=sys.stderr)
            return False
        started = time.monotonic()
        section("Wine prefix")
        self.started = True  # from here on, the end of the run stops the server
        with self.pinned():
            harness.prepare_prefix("setup", self.prefix)
        print(f"ready in {time.monotonic() - started:.0f} s: {self.prefix} (CPU: {self.cpu})")
        probe = os.path.join(self.prefix, harness.X86_PROBE_FILE)
        if os.path.exists(probe):
            with open(probe) as f:
                self.x86_unavailable = f"x86 programs cannot run here: {f.read().strip()}"
        return True

    def stop(self):
        if self.started:
            harness.prepare_prefix("cleanup", self.prefix)

    def skip_reason(self, arch):
        """Why the Wine measurements of an architecture cannot be made here, or ""."""
        if not self.started:
            return self.missing
        return self.x86_unavailable if arch == "x86" else ""

    def for_each_arch(self, summary, label, measure, missing_tool=""):
        """measure(arch, preset) for x64 and x86 in turn, on Wine's CPU; for an architecture that cannot be measured
        here, a row `label` that says "skipped" and why."""
        self.start()
        for arch, preset in WINDOWS_ARCHES:
            reason = self.skip_reason(arch) or missing_tool
            if reason:
                summary.skipped(label.format(arch=arch), reason)
                continue
            with self.pinned():
                measure(arch, preset)


class Bench:
    """What the sections share: the settings, the scratch folder, Wine, the figures."""
    def __init__(self, config, work, wine):
        self.config, self.work, self.wine = config, work, wine
        self.summary = Summary()
        self.have_hyperfine = shutil.which("hyperfine") is not None
        self.registry_table = ""

    def folder(self, *parts):
        path = os.path.join(self.work, *parts)
        os.makedirs(path, exist_ok=True)
        return path


# --- Settings: start to the end of the settings load --------------------------

def whole_process(bench, label, folder, json_name, runs, warmup, command):
    """hyperfine in the folder of the program; the launcher exits with 255 there, hence the ignored failure."""
    section(f"Whole process, {label}: {command}")
    json_file = os.path.join(RESULTS, json_name)
    hyperfine(json_file, runs, warmup, [command], folder, ignore_failure=True)
    median = hyperfine_median_ms(json_file)
    bench.summary.row(f"whole process, {label}", f"{median:.2f} ms", "", command, median_ms=median)


def settings_section(bench):
    config, summary = bench.config, bench.summary
    summary.heading("settings", "Start to the end of the settings load (all-keys.ini)")

    def in_process(label, executable, folder_name, runs, loader=None):
        folder = bench.folder(folder_name)
        program = os.path.basename(executable)
        shutil.copy(executable, folder)
        shutil.copy(SETTINGS, os.path.join(folder, os.path.splitext(program)[0] + ".ini"))
        command = [loader, program] if loader else [f"./{program}"]
        median = median_of(run_shown([*command, str(runs)], folder))
        shown = f"{os.path.basename(loader)} {program}" if loader else program
        summary.row(f"in-process, {label}", f"{median} us", "", f"{shown} {runs}", median_us=number(median))

    section("In-process, native (build/linux)")
    in_process("native", require_file(os.path.join(BUILD, "linux", "bench-bin", "settings_load_bench")),
               "native-in-process", config.native_runs)

    def in_process_wine(arch, preset):
        section(f"In-process, Wine {arch} (build/{preset})")
        executable = require_file(os.path.join(BUILD, preset, "bench-bin", "settings_load_bench.exe"))
        in_process(f"Wine {arch}", executable, f"wine-in-process-{arch}", config.wine_runs,
                   harness.wine_loader(executable))
    bench.wine.for_each_arch(summary, "in-process, Wine {arch}", in_process_wine)

    # Whole process, start to exit (hyperfine).
    if not bench.have_hyperfine:
        summary.skipped("whole process, native", "hyperfine not installed")
    else:
        launcher = require_file(os.path.join(BUILD, "linux", "bin", "embark"))
        folder = bench.folder("native-process")
        shutil.copy(launcher, os.path.join(folder, "app"))
        copy_settings(os.path.join(folder, "app.ini"), os.path.join(folder, "no-such-runtime"), "99")
        whole_process(bench, "native", folder, "hyperfine-native.json", 300, 20, "./app")

    def whole_process_wine(arch, preset):
        launcher = require_file(os.path.join(BUILD, preset, "bin", "embark.exe"))
        folder = bench.folder(f"wine-process-{arch}")
        shutil.copy(launcher, os.path.join(folder, "app.exe"))
        copy_settings(os.path.join(folder, "app.ini"), harness.Wine.windows_path(folder) + "\\no-such-runtime", "99")
        whole_process(bench, f"Wine {arch}", folder, f"hyperfine-wine-{arch}.json", 30, 3,
                      f"{harness.wine_loader(launcher)} app.exe")
    bench.wine.for_each_arch(summary, "whole process, Wine {arch}", whole_process_wine,
                             "" if bench.have_hyperfine else "hyperfine not installed")


# --- Hello: the launcher beside `java` ----------------------------------------

def pool_hello_rounds(target, embark, java, rounds):
    """Pools the runs of the hello rounds (hyperfine JSON exports) per command and writes the medians to one JSON
    file; returns the medians (seconds), their ratio and the 95% bootstrap interval of the ratio (the runs of each
    resampled 1000 times)."""
    times = {embark: [], java: []}
    for path in rounds:
        for result in read_json(path)["results"]:
            times[result["command"]].extend(result["times"])
    medians = {command: statistics.median(samples) for command, samples in times.items()}
    ratio = medians[embark] / medians[java]
    generator = random.Random(1)

    def resampled_median(samples):
        return statistics.median(generator.choices(samples, k=len(samples)))
    ratios = sorted(resampled_median(times[embark]) / resampled_median(times[java]) for _ in range(1000))
    interval = (ratios[25], ratios[974])
    with open(target, "w") as f:
        json.dump({"rounds": rounds, "ratio_embark_to_java": ratio, "ratio_bootstrap_95": interval,
                   "results": [{"command": command, "runs": len(times[command]), "median": medians[command],
                                "mean": statistics.fmean(times[command]), "min": min(times[command]),
                                "max": max(times[command]), "times": times[command]}
                               for command in (embark, java)]}, f, indent=1)
    return medians[embark], medians[java], ratio, interval


def hello_section(bench):
    config, summary = bench.config, bench.summary
    launcher = os.path.join(BUILD, "linux", "bin", "embark")
    java = os.path.join(config.jdk, "bin", "java")
    summary.heading("hello", f"Hello: embark beside java ({config.jdk})")
    require_file(launcher)
    if not os.access(java, os.X_OK):
        sys.exit(f"missing {java}: set EMBARK_BENCH_JDK or run 'make setup'")
    javac = os.path.join(config.jdk, "bin", "javac")
    if not os.access(javac, os.X_OK):
        javac = "javac"

    # The sample as a user lays it out, with the compiled class in classes/.
    section("Hello: layout")
    folder = bench.folder("hello")
    run([javac, "-d", os.path.join(folder, "classes"), os.path.join(ROOT, "examples", "hello", "Hello.java")])
    shutil.copy(launcher, os.path.join(folder, "hello"))
    write_text(os.path.join(folder, "hello.ini"), sample_settings(config.jdk))
    embark_command, java_command = "./hello", f"{java} -cp classes Hello"
    for candidate in (embark_command, java_command):
        print(f"$ {candidate}")
        if not re.search(r"^runtime ", run_shown(candidate.split(), folder), re.MULTILINE):
            sys.exit(f"{candidate} did not run Hello")

    # Wall time, start to exit.
    if not bench.have_hyperfine:
        summary.skipped("wall time, embark", "hyperfine not installed")
        summary.skipped("wall time, java", "hyperfine not installed")
    else:
        for stale in os.listdir(RESULTS):
            if re.fullmatch(r"hyperfine-hello-.*\.json", stale):
                os.remove(os.path.join(RESULTS, stale))
        round_files = []
        for round_number in range(1, config.hello_rounds + 1):
            order = [embark_command, java_command][::1 if round_number % 2 else -1]
            section(f"Hello, wall time, round {round_number} of {config.hello_rounds}")
            round_files.append(os.path.join(RESULTS, f"hyperfine-hello-{round_number}.json"))
            hyperfine(round_files[-1], config.hello_runs, 3, order, folder)
        embark_s, java_s, ratio, interval = pool_hello_rounds(
            os.path.join(RESULTS, "hyperfine-hello.json"), embark_command, java_command, round_files)
        total = config.hello_rounds * config.hello_runs
        interval_text = "%.2f-%.2f" % interval
        section(f"Hello, wall time: medians over {total} runs of each")
        print(f"embark: {embark_s * 1000:.2f} ms  java: {java_s * 1000:.2f} ms  embark / java: {ratio:.3f} "
              f"(95% bootstrap interval {interval_text})")
        summary.row("wall time, embark", f"{embark_s * 1000:.2f} ms", "", embark_command, median_ms=embark_s * 1000)
        summary.row("wall time, java", f"{java_s * 1000:.2f} ms", "", java_command, median_ms=java_s * 1000)
        summary.row("wall time, embark / java", f"{ratio:.3f}", "<= 1.00",
                    f"medians of {total} runs each, {config.hello_rounds} rounds; 95% interval {interval_text}",
                    ratio=ratio, ratio_95_low=interval[0], ratio_95_high=interval[1])

    # Peak resident set.
    section("Hello, peak resident set")
    json_file = os.path.join(RESULTS, "peak-rss-hello.json")
    run([sys.executable, os.path.join(ROOT, "bench", "peak_rss.py"), str(config.rss_runs), json_file,
         embark_command, java_command], folder)
    figures = read_json(json_file)
    embark_mib, java_mib = (result["median_kib"] / 1024 for result in figures["results"])
    ratio = list(figures["ratio_to_last"].values())[0]
    summary.row("peak RSS, embark", f"{embark_mib:.1f} MiB", "", embark_command, median_mib=embark_mib)
    summary.row("peak RSS, java", f"{java_mib:.1f} MiB", "", java_command, median_mib=java_mib)
    summary.row("peak RSS, embark / java", f"{ratio:.3f}", "", f"medians of {config.rss_runs} runs each",
                ratio=ratio)


# --- Create VM: exec to the call of JNI_CreateJavaVM --------------------------

def create_vm_section(bench):
    config, summary = bench.config, bench.summary
    bench_bin = os.path.join(BUILD, "linux", "bench-bin")
    launcher = os.path.join(BUILD, "linux", "bin", "embark")
    exec_clock = os.path.join(bench_bin, "exec_clock")
    floor = os.path.join(bench_bin, "create_vm_floor")
    runtime = os.path.join(bench_bin, "clock-runtime")
    summary.heading("create-vm", "Exec to the call of JNI_CreateJavaVM (stand-in runtime)")
    for path in (launcher, exec_clock, floor, os.path.join(runtime, "lib", "server", "libjvm.so")):
        require_file(path)

    folder = bench.folder("create-vm")
    shutil.copy(launcher, os.path.join(bench.folder("create-vm", "hello"), "hello"))
    write_text(os.path.join(folder, "hello", "hello.ini"), sample_settings(runtime))
    shutil.copy(launcher, os.path.join(bench.folder("create-vm", "all-keys"), "app"))
    copy_settings(os.path.join(folder, "all-keys", "app.ini"), runtime)

    for label, json_name, subfolder, goal, program in (
            ("launcher, sample settings", "create-vm-hello.json", "hello", "< 1 ms", "./hello"),
            ("launcher, all-keys.ini", "create-vm-all-keys.json", "all-keys", "< 1 ms", "./app"),
            ("C program calling it first (floor)", "create-vm-floor.json", ".", "", floor)):
        section(f"Exec to JNI_CreateJavaVM, {label}")
        json_file = os.path.join(RESULTS, json_name)
        run([sys.executable, os.path.join(ROOT, "bench", "exec_to_create_vm.py"), str(config.clock_runs), json_file,
             exec_clock, program], os.path.join(folder, subfolder))
        figures = read_json(json_file)
        shown_program = program.removeprefix(os.path.join(BUILD, "linux") + "/")
        summary.row(label, f"{figures['median_us']:.0f} us (p90 {figures['p90_us']:.0f} us)", goal,
                    f"exec_clock {shown_program} ({config.clock_runs} runs)",
                    median_us=figures["median_us"], p90_us=figures["p90_us"])


# --- Registry: search and selection with n installed runtimes -----------------

def write_registry_file(target, n, folder):
    """A REGEDIT4 file that registers n runtimes below the JavaSoft "Java Runtime Environment" key in a shuffled
    order: entry 1.<i/100>.<i%100>_<i>, whose JavaHome is <folder>/<i> as Wine spells it (Z:\\...)."""
    home = harness.Wine.windows_path(folder)
    order = list(range(n))
    random.Random(n).shuffle(order)
    with open(target, "w") as out:
        out.write("REGEDIT4\n\n")
        for i in order:
            out.write("[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\1.%d.%d_%d]\n"
                      % (i // 100, i % 100, i))
            out.write('"JavaHome"="%s"\n\n' % ("%s\\%d" % (home, i)).replace("\\", "\\\\"))


def registry_table(native_us, wine_us):
    """Time of one search and selection per n, and that over n: natively, under Wine x64 and x86."""
    layout = "%6s  %12s %14s  %12s %14s  %12s %14s"
    lines = [layout % ("n", "native", "per runtime", "Wine x64", "per runtime", "Wine x86", "per runtime")]
    for n in REGISTRY_COUNTS:
        cells = []
        for time_us in (native_us.get(n), wine_us.get(("x64", n)), wine_us.get(("x86", n))):
            cells += [f"{time_us} us", "%.0f ns" % (float(time_us) * 1000 / n)] if time_us else ["-", "-"]
        lines.append(layout % (n, *cells))
    return "\n".join(lines)


def registry_section(bench):
    config, summary, wine = bench.config, bench.summary, bench.wine
    summary.heading("registry", "Registry search and selection, n installed runtimes")

    # Natively, in memory, with Google Benchmark's fit of the growth.
    native = require_file(os.path.join(BUILD, "linux", "bench-bin", "registry_search_bench"))
    section("Native, in-memory registry and file system (Google Benchmark)")
    json_file = os.path.join(RESULTS, "registry-search-native.json")
    run([native, f"--benchmark_out={json_file}", "--benchmark_out_format=json"])
    by_name = {b["name"]: b for b in read_json(json_file)["benchmarks"]}
    native_us = {}
    for n in REGISTRY_COUNTS:
        result = by_name[f"RegistrySearch/{n}"]
        assert result["time_unit"] == "us"
        native_us[n] = "%.1f" % result["real_time"]
    for family in ("RegistrySearch", "RegistrySearchPreferredNone"):
        big_o, rms = by_name[family + "_BigO"], by_name[family + "_RMS"]
        summary.row(f"native fit, {family}", "%.1f %s %s, RMS %.0f %%" % (
                        big_o["real_coefficient"], big_o["time_unit"], big_o["big_o"], rms["rms"] * 100),
                    "<= n log n", "registry_search_bench (n = 10 to 3000)",
                    coefficient=big_o["real_coefficient"], time_unit=big_o["time_unit"], big_o=big_o["big_o"],
                    rms_percent=rms["rms"] * 100)

    # Under Wine, against the prefix's registry: the same n entries in the view of each program (/reg:64 for x64,
    # /reg:32 for x86), each JavaHome a folder with an empty bin\client\jvm.dll.
    runtimes = os.path.join(bench.work, "registry-runtimes")
    if wine.start():
        for i in range(REGISTRY_COUNTS[-1]):
            os.makedirs(os.path.join(runtimes, str(i), "bin", "client"))
            open(os.path.join(runtimes, str(i), "bin", "client", "jvm.dll"), "w").close()
    wine_us = {}

    def under_wine(arch, preset):
        view = "/reg:64" if arch == "x64" else "/reg:32"
        folder = bench.folder(f"registry-{arch}")
        program = "registry_search_bench_wine.exe"
        shutil.copy(require_file(os.path.join(BUILD, preset, "bench-bin", program)), folder)
        loader = harness.wine_loader(os.path.join(folder, program))
        for n in REGISTRY_COUNTS:
            runs = max(config.registry_wine_runs * 10 // n, 15)
            section(f"Wine {arch}, {n} runtimes (build/{preset}, {view}, {runs} runs)")
            registry_file = os.path.join(folder, f"runtimes-{n}.reg")
            write_registry_file(registry_file, n, runtimes)
            wine.registry.reg("delete", r"HKLM\Software\JavaSoft", "/f", view)
            imported = wine.registry.reg("import", harness.Wine.windows_path(registry_file), view)
            if imported.returncode != 0:
                sys.exit(f"wine64 reg import of {registry_file} ended with exit code {imported.returncode}")
            output = run_shown([loader, program, str(runs)], folder)
            candidates = re.search(r"^candidates: ([0-9]*),", output, re.MULTILINE)
            if not candidates or candidates.group(1) != str(n):
                print(f"note: the scan accepted {candidates.group(1) if candidates else 'no'} entries of {n}",
                      file=sys.stderr)
            wine_us[arch, n] = median = median_of(output)
            summary.row(f"Wine {arch}, n = {n}", f"{median} us", "",
                        f"{os.path.basename(loader)} {program} {runs}", n=n, median_us=number(median))
        wine.registry.reg("delete", r"HKLM\Software\JavaSoft", "/f", view)
    wine.for_each_arch(summary, "Wine {arch}", under_wine)

    bench.registry_table = registry_table(native_us, wine_us)
    summary.sections[-1]["per_call_us"] = [
        {"n": n, "native": number(native_us.get(n)), "wine_x64": number(wine_us.get(("x64", n))),
         "wine_x86": number(wine_us.get(("x86", n)))} for n in REGISTRY_COUNTS]
    section("Registry search and selection: time per call, and per runtime")
    print(bench.registry_table)


# --- Single instance: second-instance round trip ------------------------------

def single_instance_section(bench):
    config, summary = bench.config, bench.summary
    round_trip = os.path.join(ROOT, "bench", "second_instance_round_trip.py")
    summary.heading("single-instance",
                    "Second-instance round trip, start to exit, warm first instance (integer form)")

    def measure(label, goal, kind, arguments, runs, json_name):
        json_file = os.path.join(RESULTS, json_name)
        run_shown([sys.executable, round_trip, kind, *arguments, str(runs), json_file])
        figures = read_json(json_file)
        summary.row(label, "%.2f / %.2f ms" % (figures["median_ms"], figures["p90_ms"]), goal,
                    f"second_instance_round_trip.py {os.path.basename(kind)} ... {runs}",
                    median_ms=figures["median_ms"], p90_ms=figures["p90_ms"])

    section(f"Linux, real virtual machine ({config.jdk})")
    launcher = require_file(os.path.join(BUILD, "linux", "bin", "embark"))
    classes = os.path.join(bench.work, "round-trip-classes")
    run([os.path.join(config.jdk, "bin", "javac"), "-d", classes,
         os.path.join(ROOT, "tests", "jvm", "fixtures", "com", "example", "Forwarded.java")])
    measure("Linux, median / p90", "< 10 ms", "linux", [launcher, classes], config.round_trip_runs,
            "round-trip-linux.json")

    def under_wine(arch, preset):
        section(f"Wine {arch}, stand-in jvm.dll (build/{preset})")
        launcher = require_file(os.path.join(BUILD, preset, "bin", "embark.exe"))
        runtime = os.path.join(BUILD, preset, "test-bin", "jvm-double", "full", "bin", "server", "jvm.dll")
        measure(f"Wine {arch}, median / p90", "", harness.wine_loader(launcher), [launcher, runtime],
                config.round_trip_wine_runs, f"round-trip-wine-{arch}.json")
    bench.wine.for_each_arch(summary, "Wine {arch}, median / p90", under_wine)


# --- Startup cache: five applications with a warm cache against plain java -------

def startup_cache_section(bench):
    summary = bench.summary
    summary.heading("startup-cache", "Startup cache: embark with a warm cache / plain java, median of the rounds' ratios")
    json_file = os.path.join(RESULTS, "startup-cache.json")
    command = [sys.executable, os.path.join(ROOT, "bench", "startup_cache.py"),
               require_file(os.path.join(BUILD, "linux", "bin", "embark")), json_file, str(bench.config.cache_rounds),
               bench.config.jdk, TEMURIN_25]
    run_shown(command)
    for jdk, goal in ((bench.config.jdk, "<= 0.85"), (TEMURIN_25, "<= 0.65")):
        figures = read_json(json_file).get(jdk)
        if figures is None:
            summary.skipped(f"{os.path.basename(jdk)}, median application", f"no runtime in {jdk}")
            continue
        median = figures.pop("median application")
        for name, app in figures.items():
            first = " + ".join(f"{ms:.0f}" for ms in app["first_starts_ms"])
            summary.row(f"{os.path.basename(jdk)}, {name}",
                        f"{app['ratio']:.2f} (first {first} ms / java {app['java_first_ms']:.0f} ms,"
                        f" {app['cache_bytes'] / 2**20:.1f} MiB)", "", "startup_cache.py", ratio=app["ratio"],
                        first_starts_ms=app["first_starts_ms"], cache_bytes=app["cache_bytes"])
        summary.row(f"{os.path.basename(jdk)}, median application", f"{median:.2f}", goal, " ".join(command[1:2]),
                    ratio=median)


# --- Run ----------------------------------------------------------------------

SECTION_FUNCTIONS = {"settings": settings_section, "hello": hello_section, "create-vm": create_vm_section,
                     "registry": registry_section, "single-instance": single_instance_section,
                     "startup-cache": startup_cache_section}


def notes(bench, selected):
    """What the summary's figures are, for the sections that ran."""
    lines = []
    if "settings" in selected:
        lines += ["In-process: settings_load_bench, median of the timed runs after a warm-up.",
                  "Whole process: hyperfine, start to exit."]
        if bench.config.wine_cpu != "all":
            lines.append(f"Wine rows: Wine and its server pinned to CPU {bench.config.wine_cpu} "
                         "(EMBARK_BENCH_WINE_CPU=all unpins).")
    if "hello" in selected:
        lines += ["Hello: wall time with hyperfine, start to exit, rounds in alternating order;",
                  "  peak RSS is ru_maxrss from os.wait4 (the spawning Python's own pages set a floor of about"
                  " 14 MiB)."]
    if "create-vm" in selected:
        lines += ["Create VM: exec_clock records the clock before the exec, the stand-in libjvm.so when",
                  "  JNI_CreateJavaVM is called; median and p90 of the runs after a warm-up."]
    if "registry" in selected:
        lines += ["Registry: time of one search and selection (scan of the vendor keys, the entries'",
                  "  JavaHome and VM library probes, the ordering and the pick), with preferred versions {\"\"}:",
                  "  native: Google Benchmark's mean time per call, in-memory registry; Wine: median of",
                  "  registry_search_bench_wine's runs after a warm-up, the prefix's own registry."]
        lines += [f"  {line}" for line in bench.registry_table.split("\n")]
    if "single-instance" in selected:
        lines += ["Single instance: wall time of each second instance as its parent sees it (spawn to exit), after",
                  "  10 warm-up runs; under Wine most of it is the Wine loader's own start."]
    if "startup-cache" in selected:
        lines += ["Startup cache: javac on a small file, mvn -v, ant -version, jshell, a Swing window (under Xvfb),",
                  "  started by embark (warm cache) and by the runtime's java, same class path, options and main class;",
                  "  wall time spawn to exit, rounds in alternating order; first: the starts until one uses the cache."]
    return lines


def main(selected):
    if any(name not in SECTIONS for name in selected):
        print(f"usage: bench/run.py [{' '.join(SECTIONS)}]...", file=sys.stderr)
        return 2
    selected = selected or list(SECTIONS)
    sys.stdout.reconfigure(line_buffering=True)
    config = Config()
    work = tempfile.mkdtemp(prefix="embark-bench.")
    wine = WineRuns(work, config.wine_cpu)
    # Every program runs in the prefix's environment, without a display.
    os.environ.pop("DISPLAY", None)
    os.environ.update(harness.wine_environment(wine.prefix))
    os.makedirs(RESULTS, exist_ok=True)
    bench = Bench(config, work, wine)
    if not bench.have_hyperfine:
        print("hyperfine is not installed ('make setup'): the hyperfine measurements are skipped", file=sys.stderr)
    durations = []
    try:
        for name in selected:
            started = time.monotonic()
            SECTION_FUNCTIONS[name](bench)
            seconds = round(time.monotonic() - started)
            bench.summary.sections[-1]["seconds"] = seconds
            durations.append(f"{name} {seconds} s")
    finally:
        wine.stop()
        shutil.rmtree(work, ignore_errors=True)

    with open(FIGURES, "w") as f:
        json.dump({"wine_cpu": config.wine_cpu, "sections": bench.summary.sections}, f, indent=1)
    section("Summary")
    print(render_table(bench.summary.sections))
    print()
    print("\n".join(notes(bench, selected)))
    results = os.path.relpath(RESULTS, ROOT)
    print(f"JSON in {results}/, the figures of this summary in {os.path.relpath(FIGURES, ROOT)}.")
    print(f"Time taken: {', '.join(durations)}.")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
