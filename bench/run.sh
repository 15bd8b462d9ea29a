#!/usr/bin/env bash
# Start-up benchmarks of the launcher, run by `make bench` after `make build`.
#
#   bench/run.sh [section...]     (default: every section, in this order)
#
# settings   start to the end of the settings load, with bench/all-keys.ini
#            (a settings file with every key):
#              - in-process: settings_load_bench times the start up to the end
#                of the settings load, natively and under Wine (x64 and x86);
#              - whole process, start to exit, with hyperfine: the real
#                launcher, whose "JRE Path" names a folder that does not exist
#                and whose "Minimum Version" no installed runtime reaches, so
#                it ends (exit code 255) right after the settings load and
#                the runtime search.
# hello      the sample class examples/hello/Hello.java started by the Linux
#            launcher and by the JDK's own `java`, same runtime, same class
#            folder: median wall time (hyperfine, start to exit) and peak
#            resident set (bench/peak_rss.py) of each, and embark / java.
# create-vm  exec to the call of JNI_CreateJavaVM (bench/exec_to_create_vm.py):
#            exec_clock records the clock and executes the launcher, whose
#            "JRE Path" is a stand-in runtime (create_vm_clock.c, a libjvm.so
#            that records the clock again and refuses the creation). Measured
#            with the sample's settings and with all-keys.ini, and for a C
#            program that calls JNI_CreateJavaVM first thing (the floor: exec
#            and dynamic loading alone).
# registry   the registry search and the runtime selection with n installed
#            runtimes, n = 10, 100 and 1000:
#              - natively, with registry_search_bench (Google Benchmark) against
#                an in-memory registry and file system, for n = 10 to 3000,
#                with the library's fit of the growth (Big-O and RMS);
#              - under Wine (x64 and x86), with registry_search_bench_wine
#                against the prefix's registry, filled with n entries by
#                `wine64 reg import` (/reg:64 or /reg:32), each JavaHome a
#                folder with an empty bin\client\jvm.dll;
#            and a table of the time per call and per runtime.
# single-instance
#            second-instance round trip, from the start of a second process
#            to its exit, against a warm first instance whose secondaryMain
#            has the integer form (bench/second_instance_round_trip.py):
#            on Linux with the real virtual machine (the JVM tests' fixture
#            com.example.Forwarded, compiled with EMBARK_BENCH_JDK), and under
#            Wine (x64 and x86) with the stand-in jvm.dll of the Wine tests.
#
# Measures and prints only; it fails when a program cannot be run at all.
# Windows programs start through the Wine loader of their machine type
# (wine64 for x64, wine for x86), never Debian's `wine` script, which tries
# the 32-bit loader first; where the kernel cannot run 32-bit programs, the
# x86 rows say "skipped" and why.
#
# Environment: EMBARK_BENCH_RUNS (in-process runs, native; default 2000),
# EMBARK_BENCH_WINE_RUNS (in-process runs under Wine; default 500),
# EMBARK_BENCH_WINE_CPU (the one CPU that Wine, its server and the programs
# under it run on; default the last CPU; "all" leaves them unpinned),
# EMBARK_BENCH_JDK (the runtime of the hello section; default Debian's
# OpenJDK 17), EMBARK_BENCH_HELLO_ROUNDS and EMBARK_BENCH_HELLO_RUNS (hyperfine
# rounds, and runs of each program per round; default 24 and 10),
# EMBARK_BENCH_RSS_RUNS (peak resident set runs of each; default 20),
# EMBARK_BENCH_CLOCK_RUNS (exec to JNI_CreateJavaVM runs of each; default 200),
# EMBARK_BENCH_REGISTRY_WINE_RUNS (registry runs under Wine at n = 10, scaled
# by 10 / n for the larger n, at least 15; default 1000),
# EMBARK_BENCH_ROUND_TRIP_RUNS (second instances natively; default 200) and
# EMBARK_BENCH_ROUND_TRIP_WINE_RUNS (under Wine; default 50).
#
# Why one CPU for Wine: every profile read is a round trip to the wineserver,
# and on small virtual machines a wake-up on the other CPU costs far more than
# the read itself; unpinned, the Wine medians swing by a factor of three or so
# from run to run.
#
# Why rounds for the hello comparison: hyperfine runs every run of its first
# command before the second, so a slow stretch of the machine would fall on
# one program only. Each round runs both, the order alternates from round to
# round, and the medians are taken over the runs of all rounds.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
results=$build/bench
settings=$root/bench/all-keys.ini
native_runs=${EMBARK_BENCH_RUNS:-2000}
wine_runs=${EMBARK_BENCH_WINE_RUNS:-500}
wine_cpu=${EMBARK_BENCH_WINE_CPU:-$(($(nproc) - 1))}
jdk=${EMBARK_BENCH_JDK:-/usr/lib/jvm/java-17-openjdk-amd64}
hello_rounds=${EMBARK_BENCH_HELLO_ROUNDS:-24}
hello_runs=${EMBARK_BENCH_HELLO_RUNS:-10}
rss_runs=${EMBARK_BENCH_RSS_RUNS:-20}
clock_runs=${EMBARK_BENCH_CLOCK_RUNS:-200}
registry_wine_runs=${EMBARK_BENCH_REGISTRY_WINE_RUNS:-1000}
registry_counts=(10 100 1000)
round_trip_runs=${EMBARK_BENCH_ROUND_TRIP_RUNS:-200}
round_trip_wine_runs=${EMBARK_BENCH_ROUND_TRIP_WINE_RUNS:-50}
registry_table=
on_wine_cpu=()
if [ "$wine_cpu" != all ]; then
    on_wine_cpu=(taskset -c "$wine_cpu")
fi

all_sections=(settings hello create-vm registry single-instance)
sections=("$@")
if [ ${#sections[@]} -eq 0 ]; then
    sections=("${all_sections[@]}")
fi
for name in "${sections[@]}"; do
    case $name in
    settings | hello | create-vm | registry | single-instance) ;;
    *)
        echo "usage: bench/run.sh [${all_sections[*]}]..." >&2
        exit 2
        ;;
    esac
done

work=$(mktemp -d "${TMPDIR:-/tmp}/embark-bench.XXXXXX")
wine_started=no
wine64=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine
wine_missing=      # why Wine cannot run here at all, once start_wine has looked
x86_unavailable=   # why x86 programs cannot run here, once start_wine has looked

export WINEPREFIX=$work/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

cleanup() {
    if [ "$wine_started" = yes ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$results"

# The summary: a heading per section, one row per measurement.
rows=()
add_heading() { # text
    rows+=("#$1")
}
add_row() { # what, figure, goal, command
    rows+=("$1"$'\t'"$2"$'\t'"$3"$'\t'"$4")
}

require_file() {
    if [ ! -f "$1" ]; then
        echo "missing $1: run 'make build' first" >&2
        exit 1
    fi
}

# A copy of the settings file whose "JRE Path" is the given folder.
settings_with_runtime_folder() { # target, folder
    local folder=${2//\\/\\\\}
    sed "s|^JRE Path=.*|JRE Path=${folder//|/\\|}|" "$settings" > "$1"
}

# The same, where no installed runtime fits either, so that a start ends
# right after the runtime search.
settings_without_runtime() { # target, folder
    settings_with_runtime_folder "$1" "$2"
    sed -i "s|^Minimum Version=.*|Minimum Version=99|" "$1"
}

# The median printed by settings_load_bench, in microseconds.
median_of() {
    tr -d '\r' | sed -n 's/^median: \([0-9.]*\) us.*/\1/p'
}

# The median of a hyperfine JSON export, in milliseconds.
hyperfine_median_ms() {
    python3 -c 'import json, sys
print("%.2f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1000))' "$1"
}

# Named figures of a JSON file, one per line: json_figures file expression...
# Each expression is Python over the loaded document `d`.
json_figures() {
    local file=$1
    shift
    python3 -c 'import json, sys
d = json.load(open(sys.argv[1]))
for expression in sys.argv[2:]:
    print(eval(expression))' "$file" "$@"
}

section() {
    printf '\n== %s\n' "$1"
}

selected() { # section name
    local name
    for name in "${sections[@]}"; do
        [ "$name" = "$1" ] && return 0
    done
    return 1
}

have_hyperfine=no
if command -v hyperfine >/dev/null; then
    have_hyperfine=yes
else
    echo "hyperfine is not installed ('make setup'): the hyperfine measurements are skipped" >&2
fi

# Makes the Wine prefix and starts its server, once for all sections, and
# finds out whether x86 programs run here; false (with a note) when Wine is
# not installed.
start_wine() {
    if [ "$wine_started" = yes ]; then
        return 0
    fi
    if [ -n "$wine_missing" ]; then
        return 1
    fi
    if [ ! -x "$wine64" ] || ! command -v wineserver >/dev/null; then
        wine_missing="wine not installed"
        echo "wine is not installed ('make setup'): the Wine measurements are skipped" >&2
        return 1
    fi
    local started=$SECONDS
    section "Wine prefix"
    mkdir -p "$WINEPREFIX"
    "${on_wine_cpu[@]}" wineserver -p
    wine_started=yes
    "${on_wine_cpu[@]}" "$wine64" wineboot --init >/dev/null 2>&1
    echo "ready in $((SECONDS - started)) s: $WINEPREFIX (CPU: $wine_cpu)"
    local probe
    if ! probe=$("$wine32" --version 2>&1); then
        x86_unavailable="x86 programs cannot run here: $(tail -n 1 <<< "$probe" | sed 's/^.*: line [0-9]*: //')"
        echo "$x86_unavailable: the x86 measurements are skipped" >&2
    fi
}

# Why the Wine measurements of an architecture cannot be made (known after
# start_wine), or nothing.
wine_skip_reason() { # x64 | x86
    if [ "$wine_started" != yes ]; then
        echo "$wine_missing"
    elif [ "$1" = x86 ]; then
        echo "$x86_unavailable"
    fi
}

# The Wine loader of an architecture.
wine_loader() { # x64 | x86
    if [ "$1" = x64 ]; then echo "$wine64"; else echo "$wine32"; fi
}

# --- Settings: start to the end of the settings load ------------------------

# Runs hyperfine in the folder of the program; the launcher exits with 255
# there, hence --ignore-failure. Arguments after the command go before
# hyperfine (the CPU pinning of the Wine runs, which the programs inherit).
whole_process() { # label, folder, json name, runs, warm-up runs, command, [prefix...]
    local label=$1 folder=$2 json=$results/$3 runs=$4 warmup=$5 command=$6
    shift 6
    section "Whole process, $label: $command"
    (cd "$folder" && "$@" hyperfine --style basic -N -i --warmup "$warmup" --runs "$runs" \
        --export-json "$json" "$command")
    add_row "whole process, $label" "$(hyperfine_median_ms "$json") ms" "" "$command"
}

settings_section() {
    local output folder arch preset bench_exe launcher
    add_heading "Start to the end of the settings load (all-keys.ini)"

    # In-process, native.
    section "In-process, native (build/linux)"
    local bench_native=$build/linux/bench-bin/settings_load_bench
    require_file "$bench_native"
    mkdir -p "$work/native-in-process"
    cp "$bench_native" "$work/native-in-process/settings_load_bench"
    cp "$settings" "$work/native-in-process/settings_load_bench.ini"
    output=$("$work/native-in-process/settings_load_bench" "$native_runs")
    echo "$output"
    add_row "in-process, native" "$(median_of <<< "$output") us" "" "settings_load_bench $native_runs"

    # In-process, under Wine.
    local skipped loader
    start_wine || true
    for arch in x64 x86; do
        preset=$([ $arch = x64 ] && echo win64 || echo win32)
        skipped=$(wine_skip_reason $arch)
        if [ -n "$skipped" ]; then
            add_row "in-process, Wine $arch" "skipped" "" "($skipped)"
            continue
        fi
        loader=$(wine_loader $arch)
        section "In-process, Wine $arch (build/$preset)"
        bench_exe=$build/$preset/bench-bin/settings_load_bench.exe
        require_file "$bench_exe"
        folder=$work/wine-in-process-$arch
        mkdir -p "$folder"
        cp "$bench_exe" "$folder/settings_load_bench.exe"
        cp "$settings" "$folder/settings_load_bench.ini"
        output=$(cd "$folder" && "${on_wine_cpu[@]}" "$loader" settings_load_bench.exe "$wine_runs" | tr -d '\r')
        echo "$output"
        add_row "in-process, Wine $arch" "$(median_of <<< "$output") us" "" \
            "${loader##*/} settings_load_bench.exe $wine_runs"
    done

    # Whole process, start to exit (hyperfine).
    if [ $have_hyperfine = no ]; then
        add_row "whole process, native" "skipped" "" "(hyperfine not installed)"
    else
        launcher=$build/linux/bin/embark
        require_file "$launcher"
        folder=$work/native-process
        mkdir -p "$folder"
        cp "$launcher" "$folder/app"
        settings_without_runtime "$folder/app.ini" "$folder/no-such-runtime"
        whole_process "native" "$folder" hyperfine-native.json 300 20 "./app"
    fi

    for arch in x64 x86; do
        preset=$([ $arch = x64 ] && echo win64 || echo win32)
        skipped=$(wine_skip_reason $arch)
        if [ $have_hyperfine = no ] || [ -n "$skipped" ]; then
            add_row "whole process, Wine $arch" "skipped" "" "(${skipped:-hyperfine not installed})"
            continue
        fi
        launcher=$build/$preset/bin/embark.exe
        require_file "$launcher"
        folder=$work/wine-process-$arch
        mkdir -p "$folder"
        cp "$launcher" "$folder/app.exe"
        settings_without_runtime "$folder/app.ini" "Z:${folder//\//\\}\\no-such-runtime"
        whole_process "Wine $arch" "$folder" "hyperfine-wine-$arch.json" 30 3 "$(wine_loader $arch) app.exe" \
            "${on_wine_cpu[@]}"
    done
}

# --- Hello: the launcher beside `java` ---------------------------------------

# Pools the runs of the hello rounds (hyperfine JSON exports) per command and
# writes the medians to one JSON file; prints embark's median, java's median
# (milliseconds), their ratio and the 95% bootstrap interval of the ratio
# (the runs of each resampled 1000 times), one per line.
pool_hello_rounds() { # target json, embark command, java command, round json...
    python3 - "$@" <<'PYTHON'
import json, random, statistics, sys
target, embark, java, rounds = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
times = {embark: [], java: []}
for path in rounds:
    for result in json.load(open(path))["results"]:
        times[result["command"]].extend(result["times"])
medians = {command: statistics.median(samples) for command, samples in times.items()}
ratio = medians[embark] / medians[java]
generator = random.Random(1)
def resampled_median(samples):
    return statistics.median(generator.choices(samples, k=len(samples)))
ratios = sorted(resampled_median(times[embark]) / resampled_median(times[java])
                for _ in range(1000))
interval = (ratios[25], ratios[974])
json.dump({"rounds": rounds, "ratio_embark_to_java": ratio,
           "ratio_bootstrap_95": interval,
           "results": [{"command": command, "runs": len(times[command]),
                        "median": medians[command], "mean": statistics.fmean(times[command]),
                        "min": min(times[command]), "max": max(times[command]),
                        "times": times[command]} for command in (embark, java)]},
          open(target, "w"), indent=1)
print("%.2f\n%.2f\n%.3f\n%.2f-%.2f" % (medians[embark] * 1000, medians[java] * 1000, ratio,
                                      interval[0], interval[1]))
PYTHON
}

hello_section() {
    local launcher=$build/linux/bin/embark
    local java=$jdk/bin/java
    local folder=$work/hello
    local javac round first second pooled output figures
    add_heading "Hello: embark beside java ($jdk)"
    require_file "$launcher"
    if [ ! -x "$java" ]; then
        echo "missing $java: set EMBARK_BENCH_JDK or run 'make setup'" >&2
        exit 1
    fi
    javac=$jdk/bin/javac
    [ -x "$javac" ] || javac=javac

    # The sample as a user lays it out, with the compiled class in classes/.
    section "Hello: layout"
    mkdir -p "$folder/classes"
    "$javac" -d "$folder/classes" "$root/examples/hello/Hello.java"
    cp "$launcher" "$folder/hello"
    cat > "$folder/hello.ini" <<EOF
[Java Runtime Environment]
Main Class=Hello
JRE Path=$jdk

[Class Path]
Class Path=classes
EOF
    local embark_command="./hello" java_command="$java -cp classes Hello"
    local candidate
    for candidate in "$embark_command" "$java_command"; do
        # shellcheck disable=SC2086 # the command is split into words on purpose
        output=$(cd "$folder" && $candidate)
        echo "\$ $candidate"
        echo "$output"
        if ! grep -q '^runtime ' <<< "$output"; then
            echo "$candidate did not run Hello" >&2
            exit 1
        fi
    done

    # Wall time, start to exit.
    if [ $have_hyperfine = no ]; then
        add_row "wall time, embark" "skipped" "" "(hyperfine not installed)"
        add_row "wall time, java" "skipped" "" "(hyperfine not installed)"
    else
        local round_files=()
        rm -f "$results"/hyperfine-hello-*.json
        for round in $(seq 1 "$hello_rounds"); do
            first=$embark_command second=$java_command
            if [ $((round % 2)) = 0 ]; then
                first=$java_command second=$embark_command
            fi
            section "Hello, wall time, round $round of $hello_rounds"
            round_files+=("$results/hyperfine-hello-$round.json")
            (cd "$folder" && hyperfine --style basic -N --warmup 3 --runs "$hello_runs" \
                --export-json "$results/hyperfine-hello-$round.json" "$first" "$second")
        done
        pooled=$(pool_hello_rounds "$results/hyperfine-hello.json" "$embark_command" \
            "$java_command" "${round_files[@]}")
        mapfile -t figures <<< "$pooled"
        local total=$((hello_rounds * hello_runs))
        section "Hello, wall time: medians over $total runs of each"
        printf 'embark: %s ms  java: %s ms  embark / java: %s (95%% bootstrap interval %s)\n' \
            "${figures[@]}"
        add_row "wall time, embark" "${figures[0]} ms" "" "$embark_command"
        add_row "wall time, java" "${figures[1]} ms" "" "$java_command"
        add_row "wall time, embark / java" "${figures[2]}" "<= 1.00" \
            "medians of $total runs each, $hello_rounds rounds; 95% interval ${figures[3]}"
    fi

    # Peak resident set.
    section "Hello, peak resident set"
    (cd "$folder" && python3 "$root/bench/peak_rss.py" "$rss_runs" "$results/peak-rss-hello.json" \
        "$embark_command" "$java_command")
    mapfile -t figures < <(json_figures "$results/peak-rss-hello.json" \
        '"%.1f" % (d["results"][0]["median_kib"] / 1024)' \
        '"%.1f" % (d["results"][1]["median_kib"] / 1024)' \
        '"%.3f" % list(d["ratio_to_last"].values())[0]')
    add_row "peak RSS, embark" "${figures[0]} MiB" "" "$embark_command"
    add_row "peak RSS, java" "${figures[1]} MiB" "" "$java_command"
    add_row "peak RSS, embark / java" "${figures[2]}" "" "medians of $rss_runs runs each"
}

# --- Create VM: exec to the call of JNI_CreateJavaVM ------------------------

create_vm_section() {
    local launcher=$build/linux/bin/embark
    local exec_clock=$build/linux/bench-bin/exec_clock
    local floor=$build/linux/bench-bin/create_vm_floor
    local runtime=$build/linux/bench-bin/clock-runtime
    local folder=$work/create-vm
    local label figures
    add_heading "Exec to the call of JNI_CreateJavaVM (stand-in runtime)"
    require_file "$launcher"
    require_file "$exec_clock"
    require_file "$floor"
    require_file "$runtime/lib/server/libjvm.so"

    mkdir -p "$folder/hello" "$folder/all-keys"
    cp "$launcher" "$folder/hello/hello"
    cat > "$folder/hello/hello.ini" <<EOF
[Java Runtime Environment]
Main Class=Hello
JRE Path=$runtime

[Class Path]
Class Path=classes
EOF
    cp "$launcher" "$folder/all-keys/app"
    settings_with_runtime_folder "$folder/all-keys/app.ini" "$runtime"

    # label | json name | folder | goal | program
    local runs=(
        "launcher, sample settings|create-vm-hello.json|hello|< 1 ms|./hello"
        "launcher, all-keys.ini|create-vm-all-keys.json|all-keys|< 1 ms|./app"
        "C program calling it first (floor)|create-vm-floor.json|.||$floor"
    )
    local line json subfolder goal program
    for line in "${runs[@]}"; do
        IFS='|' read -r label json subfolder goal program <<< "$line"
        section "Exec to JNI_CreateJavaVM, $label"
        (cd "$folder/$subfolder" && python3 "$root/bench/exec_to_create_vm.py" "$clock_runs" \
            "$results/$json" "$exec_clock" "$program")
        mapfile -t figures < <(json_figures "$results/$json" \
            '"%.0f" % d["median_us"]' '"%.0f" % d["p90_us"]')
        add_row "$label" "${figures[0]} us (p90 ${figures[1]} us)" "$goal" \
            "exec_clock ${program#"$build"/linux/} ($clock_runs runs)"
    done
}

# --- Registry: search and selection with n installed runtimes --------------

# A REGEDIT4 file that registers n runtimes below the JavaSoft "Java Runtime
# Environment" key in a shuffled order: entry 1.<i/100>.<i%100>_<i>, whose
# JavaHome is <folder>/<i> as Wine spells it (Z:\...).
registry_file() { # target, n, folder
    python3 - "$@" <<'PYTHON'
import random, sys
target, n, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
home = "Z:" + folder.replace("/", "\\")
order = list(range(n))
random.Random(n).shuffle(order)
with open(target, "w") as out:
    out.write("REGEDIT4\n\n")
    for i in order:
        out.write("[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\1.%d.%d_%d]\n"
                  % (i // 100, i % 100, i))
        out.write('"JavaHome"="%s"\n\n' % ("%s\\%d" % (home, i)).replace("\\", "\\\\"))
PYTHON
}

registry_section() {
    local bench_native=$build/linux/bench-bin/registry_search_bench
    local json=$results/registry-search-native.json
    local runtimes=$work/registry-runtimes
    local arch preset view folder n runs output candidates median
    local -A native_us wine_us
    add_heading "Registry search and selection, n installed runtimes"

    # Natively, in memory, with Google Benchmark's fit of the growth.
    require_file "$bench_native"
    section "Native, in-memory registry and file system (Google Benchmark)"
    "$bench_native" --benchmark_out="$json" --benchmark_out_format=json
    local fits
    mapfile -t fits < <(python3 - "$json" "${registry_counts[@]}" <<'PYTHON'
import json, sys
d = json.load(open(sys.argv[1]))
by_name = {b["name"]: b for b in d["benchmarks"]}
for n in sys.argv[2:]:
    b = by_name["RegistrySearch/" + n]
    assert b["time_unit"] == "us"
    print("%s %.1f" % (n, b["real_time"]))
for family in ("RegistrySearch", "RegistrySearchPreferredNone"):
    big_o, rms = by_name[family + "_BigO"], by_name[family + "_RMS"]
    print("fit\t%s\t%.1f %s %s, RMS %.0f %%" % (family, big_o["real_coefficient"], big_o["time_unit"],
                                             big_o["big_o"], rms["rms"] * 100))
PYTHON
    )
    local line family figure
    for line in "${fits[@]}"; do
        if [[ $line == fit$'\t'* ]]; then
            IFS=$'\t' read -r _ family figure <<< "$line"
            add_row "native fit, $family" "$figure" "<= n log n" "registry_search_bench (n = 10 to 3000)"
        else
            native_us[${line% *}]=${line#* }
        fi
    done

    # Under Wine, against the prefix's registry: the same n entries in the
    # view of each program (/reg:64 for x64, /reg:32 for x86), each JavaHome
    # a folder with an empty bin\client\jvm.dll.
    local skipped loader
    if start_wine; then
        mkdir -p "$runtimes"
        (cd "$runtimes" && for ((n = 0; n < registry_counts[-1]; n++)); do
            mkdir -p "$n/bin/client" && : > "$n/bin/client/jvm.dll"
        done)
    fi
    for arch in x64 x86; do
        skipped=$(wine_skip_reason $arch)
        if [ -n "$skipped" ]; then
            add_row "Wine $arch" "skipped" "" "($skipped)"
            continue
        fi
        loader=$(wine_loader $arch)
        preset=$([ $arch = x64 ] && echo win64 || echo win32)
        view=$([ $arch = x64 ] && echo 64 || echo 32)
        folder=$work/registry-$arch
        mkdir -p "$folder"
        require_file "$build/$preset/bench-bin/registry_search_bench_wine.exe"
        cp "$build/$preset/bench-bin/registry_search_bench_wine.exe" "$folder/"
        for n in "${registry_counts[@]}"; do
            runs=$((registry_wine_runs * 10 / n))
            [ "$runs" -ge 15 ] || runs=15
            section "Wine $arch, $n runtimes (build/$preset, /reg:$view, $runs runs)"
            registry_file "$folder/runtimes-$n.reg" "$n" "$runtimes"
            "${on_wine_cpu[@]}" "$wine64" reg delete 'HKLM\Software\JavaSoft' /f "/reg:$view" >/dev/null 2>&1 || true
            "${on_wine_cpu[@]}" "$wine64" reg import "Z:${folder//\//\\}\\runtimes-$n.reg" "/reg:$view" >/dev/null 2>&1
            output=$(cd "$folder" && "${on_wine_cpu[@]}" "$loader" registry_search_bench_wine.exe "$runs" | tr -d '\r')
            echo "$output"
            candidates=$(sed -n 's/^candidates: \([0-9]*\),.*/\1/p' <<< "$output")
            if [ "$candidates" != "$n" ]; then
                echo "note: the scan accepted ${candidates:-no} entries of $n" >&2
            fi
            median=$(median_of <<< "$output")
            wine_us[$arch,$n]=$median
            add_row "Wine $arch, n = $n" "$median us" "" "${loader##*/} registry_search_bench_wine.exe $runs"
        done
        "${on_wine_cpu[@]}" "$wine64" reg delete 'HKLM\Software\JavaSoft' /f "/reg:$view" >/dev/null 2>&1 || true
    done

    # The table: time of one search and selection, and that over n.
    registry_table=$(
        printf '%6s  %12s %14s  %12s %14s  %12s %14s\n' n "native" "per runtime" "Wine x64" "per runtime" \
            "Wine x86" "per runtime"
        for n in "${registry_counts[@]}"; do
            local cells=() time
            for time in "${native_us[$n]:-}" "${wine_us[x64,$n]:-}" "${wine_us[x86,$n]:-}"; do
                if [ -z "$time" ]; then
                    cells+=("-" "-")
                else
                    cells+=("$time us" "$(awk -v t="$time" -v n="$n" 'BEGIN { printf "%.0f ns", t * 1000 / n }')")
                fi
            done
            printf '%6s  %12s %14s  %12s %14s  %12s %14s\n' "$n" "${cells[@]}"
        done
    )
    section "Registry search and selection: time per call, and per runtime"
    echo "$registry_table"
}

# --- Single instance: second-instance round trip ---------------------------

single_instance_section() {
    local output arch preset skipped loader json
    add_heading "Second-instance round trip, start to exit, warm first instance (integer form)"
    section "Linux, real virtual machine ($jdk)"
    require_file "$build/linux/bin/embark"
    "$jdk/bin/javac" -d "$work/round-trip-classes" "$root/tests/jvm/fixtures/com/example/Forwarded.java"
    json=$results/round-trip-linux.json
    output=$(python3 "$root/bench/second_instance_round_trip.py" linux "$build/linux/bin/embark" \
        "$work/round-trip-classes" "$round_trip_runs" "$json")
    echo "$output"
    add_row "Linux, median / p90" "$(json_figures "$json" '"%.2f / %.2f ms" % (d["median_ms"], d["p90_ms"])')" \
        "< 10 ms" "second_instance_round_trip.py linux ... $round_trip_runs"

    start_wine || true
    for arch in x64 x86; do
        preset=$([ $arch = x64 ] && echo win64 || echo win32)
        skipped=$(wine_skip_reason $arch)
        if [ -n "$skipped" ]; then
            add_row "Wine $arch, median / p90" "skipped" "" "($skipped)"
            continue
        fi
        loader=$(wine_loader $arch)
        section "Wine $arch, stand-in jvm.dll (build/$preset)"
        require_file "$build/$preset/bin/embark.exe"
        json=$results/round-trip-wine-$arch.json
        output=$("${on_wine_cpu[@]}" python3 "$root/bench/second_instance_round_trip.py" "$loader" \
            "$build/$preset/bin/embark.exe" "$build/$preset/test-bin/jvm-double/full/bin/server/jvm.dll" \
            "$round_trip_wine_runs" "$json")
        echo "$output"
        add_row "Wine $arch, median / p90" "$(json_figures "$json" '"%.2f / %.2f ms" % (d["median_ms"], d["p90_ms"])')" \
            "" "second_instance_round_trip.py ${loader##*/} ... $round_trip_wine_runs"
    done
}

# --- Run --------------------------------------------------------------------

durations=()
for name in "${sections[@]}"; do
    started=$SECONDS
    case $name in
    settings) settings_section ;;
    hello) hello_section ;;
    create-vm) create_vm_section ;;
    registry) registry_section ;;
    single-instance) single_instance_section ;;
    esac
    durations+=("$name $((SECONDS - started)) s")
done

# --- Summary ----------------------------------------------------------------

section "Summary"
{
    printf 'Measured\tFigure\tGoal\tCommand\n'
    printf '%s\n' "${rows[@]}"
} | awk -F'\t' '
    /^#/ { heading[NR] = substr($0, 2); next }
    { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } }
    END {
        for (r = 1; r <= NR; r++) {
            if (r in heading) { printf "%s%s\n", (r > 2 ? "\n" : ""), heading[r]; continue }
            printf "  %-" width[1] "s   %" width[2] "s   %-" width[3] "s   %s\n", cell[r, 1], cell[r, 2], cell[r, 3], cell[r, 4]
        }
    }'
echo
if selected settings; then
    echo "In-process: settings_load_bench, median of the timed runs after a warm-up."
    echo "Whole process: hyperfine, start to exit."
    if [ "$wine_cpu" != all ]; then
        echo "Wine rows: Wine and its server pinned to CPU $wine_cpu (EMBARK_BENCH_WINE_CPU=all unpins)."
    fi
fi
if selected hello; then
    echo "Hello: wall time with hyperfine, start to exit, rounds in alternating order;"
    echo "  peak RSS is ru_maxrss from os.wait4 (the spawning Python's own pages set a floor of about 14 MiB)."
fi
if selected create-vm; then
    echo "Create VM: exec_clock records the clock before the exec, the stand-in libjvm.so when"
    echo "  JNI_CreateJavaVM is called; median and p90 of the runs after a warm-up."
fi
if selected registry; then
    echo "Registry: time of one search and selection (scan of the vendor keys, the entries'"
    echo "  JavaHome and VM library probes, the ordering and the pick), with preferred versions {\"\"}:"
    echo "  native: Google Benchmark's mean time per call, in-memory registry; Wine: median of"
    echo "  registry_search_bench_wine's runs after a warm-up, the prefix's own registry."
    while IFS= read -r line; do
        printf '  %s\n' "$line"
    done <<< "$registry_table"
fi
if selected single-instance; then
    echo "Single instance: wall time of each second instance as its parent sees it (spawn to exit), after"
    echo "  10 warm-up runs; under Wine most of it is the Wine loader's own start."
fi
echo "JSON in ${results#"$root"/}/."
durations_text=$(printf ', %s' "${durations[@]}")
echo "Time taken: ${durations_text:2}."
