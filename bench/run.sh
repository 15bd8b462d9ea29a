#!/usr/bin/env bash
# Start-up benchmarks of the launcher, run by `make bench` after `make build`.
#
# Every measurement uses bench/all-keys.ini, a settings file with every key:
#   1. in-process: settings_load_bench times the start up to the end of the
#      settings load, natively and under Wine (x64 and x86);
#   2. whole process, start to exit, with hyperfine: the real launcher, whose
#      "JRE Path" names a folder that does not exist, so it ends (exit code 255)
#      right after the settings load and the runtime search.
# Measures and prints only; it fails when a program cannot be run at all.
#
# Environment: EMBARK_BENCH_RUNS (in-process runs, native; default 2000),
# EMBARK_BENCH_WINE_RUNS (in-process runs under Wine; default 500),
# EMBARK_BENCH_WINE_CPU (the one CPU that Wine, its server and the programs
# under it run on; default the last CPU; "all" leaves them unpinned).
#
# Why one CPU for Wine: every profile read is a round trip to the wineserver,
# and on small virtual machines a wake-up on the other CPU costs far more than
# the read itself; unpinned, the Wine medians swing by a factor of three or so
# from run to run.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
results=$build/bench
settings=$root/bench/all-keys.ini
native_runs=${EMBARK_BENCH_RUNS:-2000}
wine_runs=${EMBARK_BENCH_WINE_RUNS:-500}
wine_cpu=${EMBARK_BENCH_WINE_CPU:-$(($(nproc) - 1))}
on_wine_cpu=()
if [ "$wine_cpu" != all ]; then
    on_wine_cpu=(taskset -c "$wine_cpu")
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/embark-bench.XXXXXX")
wine_started=no

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

# The summary: one row per measurement.
rows=()
add_row() { # what, median, command
    rows+=("$1"$'\t'"$2"$'\t'"$3")
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

# The median printed by settings_load_bench, in microseconds.
median_of() {
    tr -d '\r' | sed -n 's/^median: \([0-9.]*\) us.*/\1/p'
}

# The median of a hyperfine JSON export, in milliseconds.
hyperfine_median_ms() {
    python3 -c 'import json, sys
print("%.2f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1000))' "$1"
}

section() {
    printf '\n== %s\n' "$1"
}

# --- 1. In-process, native -------------------------------------------------

section "In-process, native (build/linux)"
bench_native=$build/linux/bench-bin/settings_load_bench
require_file "$bench_native"
mkdir -p "$work/native-in-process"
cp "$bench_native" "$work/native-in-process/settings_load_bench"
cp "$settings" "$work/native-in-process/settings_load_bench.ini"
output=$("$work/native-in-process/settings_load_bench" "$native_runs")
echo "$output"
add_row "in-process, native" "$(median_of <<< "$output") us" "settings_load_bench $native_runs"

# --- 2. In-process, under Wine ---------------------------------------------

have_wine=no
if command -v wine >/dev/null && command -v wineserver >/dev/null; then
    have_wine=yes
    section "Wine prefix"
    started=$SECONDS
    mkdir -p "$WINEPREFIX"
    "${on_wine_cpu[@]}" wineserver -p
    wine_started=yes
    "${on_wine_cpu[@]}" wineboot --init >/dev/null 2>&1
    echo "ready in $((SECONDS - started)) s: $WINEPREFIX (CPU: $wine_cpu)"
else
    echo "wine is not installed ('make setup'): the Wine measurements are skipped" >&2
fi

for arch in x64 x86; do
    preset=$([ $arch = x64 ] && echo win64 || echo win32)
    if [ $have_wine = no ]; then
        add_row "in-process, Wine $arch" "skipped" "(wine not installed)"
        continue
    fi
    section "In-process, Wine $arch (build/$preset)"
    bench_exe=$build/$preset/bench-bin/settings_load_bench.exe
    require_file "$bench_exe"
    folder=$work/wine-in-process-$arch
    mkdir -p "$folder"
    cp "$bench_exe" "$folder/settings_load_bench.exe"
    cp "$settings" "$folder/settings_load_bench.ini"
    output=$(cd "$folder" && "${on_wine_cpu[@]}" wine settings_load_bench.exe "$wine_runs" | tr -d '\r')
    echo "$output"
    add_row "in-process, Wine $arch" "$(median_of <<< "$output") us" "wine settings_load_bench.exe $wine_runs"
done

# --- 3. Whole process, start to exit (hyperfine) ---------------------------

have_hyperfine=no
if command -v hyperfine >/dev/null; then
    have_hyperfine=yes
else
    echo "hyperfine is not installed ('make setup'): the whole-process measurements are skipped" >&2
fi

# Runs hyperfine in the folder of the program; the launcher exits with 255
# there, hence --ignore-failure. Arguments after the command go before
# hyperfine (the CPU pinning of the Wine runs, which the programs inherit).
whole_process() { # label, folder, json name, runs, warm-up runs, command, [prefix...]
    local label=$1 folder=$2 json=$results/$3 runs=$4 warmup=$5 command=$6
    shift 6
    section "Whole process, $label: $command"
    (cd "$folder" && "$@" hyperfine --style basic -N -i --warmup "$warmup" --runs "$runs" \
        --export-json "$json" "$command")
    add_row "whole process, $label" "$(hyperfine_median_ms "$json") ms" "$command"
}

if [ $have_hyperfine = no ]; then
    add_row "whole process, native" "skipped" "(hyperfine not installed)"
else
    launcher=$build/linux/bin/embark
    require_file "$launcher"
    folder=$work/native-process
    mkdir -p "$folder"
    cp "$launcher" "$folder/app"
    settings_with_runtime_folder "$folder/app.ini" "$folder/no-such-runtime"
    whole_process "native" "$folder" hyperfine-native.json 300 20 "./app"
fi

for arch in x64 x86; do
    preset=$([ $arch = x64 ] && echo win64 || echo win32)
    if [ $have_hyperfine = no ] || [ $have_wine = no ]; then
        add_row "whole process, Wine $arch" "skipped" "(hyperfine or wine not installed)"
        continue
    fi
    launcher=$build/$preset/bin/embark.exe
    require_file "$launcher"
    folder=$work/wine-process-$arch
    mkdir -p "$folder"
    cp "$launcher" "$folder/app.exe"
    settings_with_runtime_folder "$folder/app.ini" "Z:${folder//\//\\}\\no-such-runtime"
    whole_process "Wine $arch" "$folder" "hyperfine-wine-$arch.json" 30 3 "wine app.exe" \
        "${on_wine_cpu[@]}"
    # Debian's `wine` starts the 32-bit loader, which hands a 64-bit program
    # over to the 64-bit one; started directly, the 64-bit loader skips that.
    if [ $arch = x64 ] && [ -x /usr/lib/wine/wine64 ]; then
        whole_process "Wine x64, 64-bit loader" "$folder" hyperfine-wine-x64-loader.json 30 3 \
            "/usr/lib/wine/wine64 app.exe" "${on_wine_cpu[@]}"
    fi
done

# --- Summary ----------------------------------------------------------------

section "Summary: start to the end of the settings load (all-keys.ini)"
{
    printf 'Measured\tMedian\tCommand\n'
    printf '%s\n' "${rows[@]}"
} | awk -F'\t' '{ for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } }
    END { for (r = 1; r <= NR; r++) printf "%-" width[1] "s   %" width[2] "s   %s\n", cell[r, 1], cell[r, 2], cell[r, 3] }'
echo
echo "In-process: settings_load_bench, median of the timed runs after a warm-up."
echo "Whole process: hyperfine, start to exit; JSON in ${results#"$root"/}/."
if [ "$wine_cpu" != all ]; then
    echo "Wine rows: Wine and its server pinned to CPU $wine_cpu (EMBARK_BENCH_WINE_CPU=all unpins)."
fi
