#!/usr/bin/env python3
"""Peak memory (maximum resident set size) of whole programs.

    peak_rss.py RUNS JSON COMMAND [COMMAND...]

Each COMMAND is one string, split as a POSIX shell splits words (no shell
runs it; a program named without a slash is looked up in PATH). The
commands are started in turn, RUNS rounds of one run each, in the current
directory, with their output discarded; os.wait4 hands back the child's
resource usage, whose ru_maxrss is its peak resident set in KiB.

Prints, per command, the median, min and max in MiB; with two or more
commands also the ratio of each median to the last one's. Writes every
sample to JSON. A floor applies: the kernel counts the resident pages of the
process that executed the program too, here this Python (about 14 MiB),
so a program smaller than that reads as the interpreter's size.

Measures and prints only; the exit code is 1 when a command cannot be started.
"""
import json
import os
import shlex
import statistics
import sys


def peak_rss_kib(arguments):
    """Runs one command to its end; its peak resident set in KiB."""
    devnull = os.open(os.devnull, os.O_RDWR)
    try:
        pid = os.posix_spawnp(arguments[0], arguments, os.environ,
                              file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 0),
                                            (os.POSIX_SPAWN_DUP2, devnull, 1),
                                            (os.POSIX_SPAWN_DUP2, devnull, 2)])
    finally:
        os.close(devnull)
    _, status, usage = os.wait4(pid, 0)
    return usage.ru_maxrss, os.waitstatus_to_exitcode(status)


def main():
    if len(sys.argv) < 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    runs = int(sys.argv[1])
    json_path = sys.argv[2]
    commands = sys.argv[3:]
    argument_lists = [shlex.split(command) for command in commands]

    samples = {command: [] for command in commands}
    exit_codes = {command: set() for command in commands}
    try:
        for _ in range(runs):
            # One run of each per round: drift on the machine touches all alike.
            for command, arguments in zip(commands, argument_lists):
                kib, code = peak_rss_kib(arguments)
                samples[command].append(kib)
                exit_codes[command].add(code)
    except OSError as error:
        print("peak_rss: %s" % error, file=sys.stderr)
        return 1

    medians = {command: statistics.median(samples[command]) for command in commands}
    results = []
    for command in commands:
        kib = samples[command]
        results.append({"command": command, "runs": runs, "median_kib": medians[command],
                        "min_kib": min(kib), "max_kib": max(kib),
                        "exit_codes": sorted(exit_codes[command]), "samples_kib": kib})
    reference = commands[-1]
    ratios = {command: medians[command] / medians[reference] for command in commands[:-1]}
    with open(json_path, "w") as f:
        json.dump({"results": results, "ratio_to_last": ratios}, f, indent=1)

    print("peak resident set (ru_maxrss), %d runs each" % runs)
    for command in commands:
        kib = samples[command]
        print("%s\n  median: %.1f MiB  min: %.1f MiB  max: %.1f MiB  exit codes: %s"
              % (command, medians[command] / 1024, min(kib) / 1024, max(kib) / 1024,
                 ", ".join(str(c) for c in sorted(exit_codes[command]))))
    for command, ratio in ratios.items():
        print("ratio of medians, %s / %s: %.3f" % (command, reference, ratio))
    return 0


if __name__ == "__main__":
    sys.exit(main())
