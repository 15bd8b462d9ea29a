#!/usr/bin/env python3
"""The startup cache against plain `java`: five applications, each started by the Linux launcher with a warm cache
and by the runtime's own `java` with the same class path, options, main class and arguments. Each round starts both,
in alternating order; the figure is the median of the rounds' ratios (embark / java). Also the first starts' cost
(the starts that record, against java) and the cache's size on disk.

    bench/startup_cache.py LAUNCHER JSON_FILE ROUNDS JDK [JDK...]

Needs Xvfb for the Swing window (a display of its own), Maven and Ant from Debian's packages."""
import glob
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))


def applications(work, jdk):
    """name -> (class path, VM parameters, main class, arguments, standard input)"""
    empty = os.path.join(work, "empty.jar")
    if not os.path.exists(empty):
        zipfile.ZipFile(empty, "w").writestr("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\n")
        with open(os.path.join(work, "Small.java"), "w") as f:
            f.write("public class Small { public static void main(String[] args) { System.out.println(args.length); } }\n")
        classes = os.path.join(work, "swing")
        subprocess.run([os.path.join(jdk, "bin", "javac"), "-d", classes, os.path.join(HERE, "fixtures", "SwingWindow.java")],
                       check=True)
        with zipfile.ZipFile(os.path.join(work, "swing.jar"), "w") as jar:
            jar.write(os.path.join(classes, "SwingWindow.class"), "SwingWindow.class")
    maven = "/usr/share/maven"
    return {
        "javac on a small file": (empty, [], "com.sun.tools.javac.Main",
                                  ["-d", os.path.join(work, "out"), os.path.join(work, "Small.java")], None),
        "mvn -v": (glob.glob(f"{maven}/boot/plexus-classworlds-*.jar")[0],
                   [f"-Dclassworlds.conf={maven}/bin/m2.conf", f"-Dmaven.home={maven}",
                    f"-Dlibrary.jansi.path={maven}/lib/jansi-native", f"-Dmaven.multiModuleProjectDirectory={work}"],
                   "org.codehaus.plexus.classworlds.launcher.Launcher", ["-v"], None),
        "ant -version": ("/usr/share/ant/lib/ant-launcher.jar", ["-Dant.home=/usr/share/ant"],
                         "org.apache.tools.ant.launch.Launcher", ["-version"], None),
        "jshell": (empty, [], "jdk.internal.jshell.tool.JShellToolProvider", ["-q"], b"/exit\n"),
        "a Swing window opened and closed": (os.path.join(work, "swing.jar"), [], "SwingWindow", [], None),
    }


def timed(command, stdin, env):
    started = time.perf_counter()
    done = subprocess.run(command, input=stdin or b"", capture_output=True, env=env, timeout=300)
    seconds = time.perf_counter() - started
    if done.returncode != 0:
        raise SystemExit(f"{command[0]} ended with {done.returncode}: {done.stderr.decode(errors='replace')[-2000:]}")
    return seconds, done.stdout


def measure(launcher, jdk, rounds, work, env):
    results = {}
    for name, (class_path, parameters, main_class, arguments, stdin) in applications(work, jdk).items():
        folder = tempfile.mkdtemp(prefix="app-", dir=work)
        app = os.path.join(folder, "app")
        shutil.copy2(launcher, app)
        with open(app + ".ini", "w") as f:
            f.write(f"[Java Runtime Environment]\nMain Class={main_class}\nJRE Path={jdk}\n"
                    f"Virtual Machine Parameters={' '.join(parameters)}\n[Class Path]\nClass Path={class_path}\n")
        java = [os.path.join(jdk, "bin", "java"), "-cp", class_path, *parameters, main_class, *arguments]
        cache_env = dict(env, XDG_CACHE_HOME=os.path.join(folder, "cache"))
        # The first starts: until one uses the archive (Java 13 to 18 need one start more than later versions).
        first, java_first = [], timed(java, stdin, env)[0]
        while not glob.glob(os.path.join(folder, "cache", "embark", "*", "classes-*.jsa")) and len(first) < 3:
            first.append(timed([app, *arguments], stdin, cache_env)[0])
        size = sum(os.path.getsize(path) for path in glob.glob(os.path.join(folder, "cache", "embark", "*", "*")))
        ratios, embark_times, java_times = [], [], []
        for round_number in range(rounds):
            order = [("embark", [app, *arguments], cache_env), ("java", java, env)]
            for label, command, command_env in order if round_number % 2 == 0 else reversed(order):
                (embark_times if label == "embark" else java_times).append(timed(command, stdin, command_env)[0])
            ratios.append(embark_times[-1] / java_times[-1])
        results[name] = {"ratio": statistics.median(ratios), "embark_ms": 1000 * statistics.median(embark_times),
                         "java_ms": 1000 * statistics.median(java_times), "first_starts_ms": [1000 * s for s in first],
                         "java_first_ms": 1000 * java_first, "cache_bytes": size}
        print(f"  {name}: {results[name]['ratio']:.2f} (embark {results[name]['embark_ms']:.0f} ms, java "
              f"{results[name]['java_ms']:.0f} ms; first starts {', '.join(f'{s:.0f}' for s in results[name]['first_starts_ms'])} ms;"
              f" cache {size / 2**20:.1f} MiB)", flush=True)
    return results


def main(launcher, json_file, rounds, *jdks):
    work = tempfile.mkdtemp(prefix="embark-cache-bench.")
    display = None
    env = dict(os.environ)
    try:
        if not env.get("DISPLAY") and shutil.which("Xvfb"):
            number = 90 + os.getpid() % 9
            display = subprocess.Popen(["Xvfb", f":{number}", "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
            env["DISPLAY"] = f":{number}"
            time.sleep(1)
        figures = {}
        for jdk in jdks:
            if not os.path.isdir(jdk):
                print(f"{jdk}: not installed, skipped")
                continue
            print(f"{jdk}:", flush=True)
            figures[jdk] = measure(launcher, jdk, int(rounds), tempfile.mkdtemp(dir=work), env)
            figures[jdk]["median application"] = statistics.median(r["ratio"] for r in figures[jdk].values())
            print(f"  median application: {figures[jdk]['median application']:.2f}")
        with open(json_file, "w") as f:
            json.dump(figures, f, indent=1)
    finally:
        if display:
            display.terminate()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
