#!/usr/bin/env python3
"""Turns the measurements of scripts/bench into docs/performance.md, printed
on standard output.

  bench_table.py RESULTS_FOLDER

The folder holds about.txt (name=value lines: date, commit, machine, wine,
runs, long_runs, idle_seconds, count_seconds, pace_seconds, size_limit, and
the 32-bit timer_exe, baseline_exe and link_map) and one line of name=value
pairs from bench_probe per run in start-timer.txt, start-baseline.txt,
start-manifest.txt, run-timer.txt and run-baseline.txt."""
import os
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe_facts  # noqa: E402

TOLERANCE = 1.10  # start-up, memory and CPU within 10 % of the baseline
SETTLE_SECONDS = 2  # bench_probe waits this long after start-up in a long run


def read_pairs(path):
    """One dict per line of name=value pairs; [] when the file is missing."""
    if not os.path.exists(path):
        return []
    runs = []
    with open(path) as f:
        for line in f:
            pairs = dict(part.split("=", 1) for part in line.split() if "=" in part)
            if pairs:
                runs.append(pairs)
    return runs


def read_about(path):
    about = {}
    with open(path) as f:
        for line in f:
            if "=" in line:
                key, value = line.rstrip("\n").split("=", 1)
                about[key] = value
    return about


def numbers(runs, key):
    return [float(run[key]) for run in runs if key in run and "error" not in run]


def spread(values, unit, digits=0):
    """'median (minimum–maximum) unit'."""
    if not values:
        return "no data"
    form = "%%.%df" % digits
    text = form % statistics.median(values)
    if len(values) > 1:
        text += " (" + form % min(values) + "–" + form % max(values) + ")"
    return text + " " + unit


def ratio(timer, baseline):
    if not timer or not baseline or statistics.median(baseline) == 0:
        return None
    return statistics.median(timer) / statistics.median(baseline)


def verdict(value):
    if value is None:
        return "no data"
    return "met" if value <= TOLERANCE else "NOT met"


def main(folder):
    about = read_about(os.path.join(folder, "about.txt"))
    start = {who: read_pairs(os.path.join(folder, "start-%s.txt" % who)) for who in ("timer", "baseline", "manifest")}
    run = {who: read_pairs(os.path.join(folder, "run-%s.txt" % who)) for who in ("timer", "baseline")}
    idle_s, count_s, pace_s = (int(about[k]) for k in ("idle_seconds", "count_seconds", "pace_seconds"))
    limit = int(about["size_limit"])
    size_lines, size = pe_facts.size_report(about["timer_exe"], about["baseline_exe"], about["link_map"], limit)

    failures = [(who, r) for kind in (start, run) for who, runs in kind.items() for r in runs
                if "error" in r or r.get("exit_code") != "0"]

    rows = []
    verdicts = {}

    def add(measure, key, runs_of, unit, digits=0):
        timer, baseline = numbers(runs_of["timer"], key), numbers(runs_of["baseline"], key)
        share = ratio(timer, baseline)
        verdicts[measure] = (share, verdict(share))
        rows.append((measure, len(timer), spread(timer, unit, digits), spread(baseline, unit, digits),
                     "%.2f" % share if share is not None else "-", verdict(share)))

    startup = "start-up to the window visible with its time"
    add(startup, "startup_ms", start, "ms", 1)
    add("start-up, CPU time until then", "startup_cpu_ms", start, "ms")
    add("peak working set, 1 s after start-up", "peak_working_set_kb", start, "KiB")
    add("peak working set, at the end of a long run", "peak_working_set_kb", run, "KiB")
    add("CPU time over %d s stopped" % idle_s, "idle_cpu_ms", run, "ms")
    add("CPU time over %d s counting down" % count_s, "count_cpu_ms", run, "ms")

    steps = numbers(run["timer"], "steps_in_window")
    last = numbers(run["timer"], "last_step_ms")
    pace_met = bool(steps) and all(abs(s - pace_s) <= 1 for s in steps)

    def met(flag):
        return "met" if flag else "NOT met"

    def rows_verdict(prefix):
        chosen = [(m, v) for m, v in verdicts.items() if m.startswith(prefix)]
        shares = ", ".join("%.2f" % v[0] for _, v in chosen if v[0] is not None)
        return met(all(v[1] == "met" for _, v in chosen)) + " (timer/baseline %s)" % shares

    out = []
    out.append("# Performance")
    out.append("")
    out.append("Written by `scripts/bench`, which replaces this file on every run. It is never part of "
               "`scripts/test`, and no test asserts any of these figures.")
    out.append("")
    out.append("Measured on %s, commit %s; %s; %s. Run-time figures are of the 64-bit build under 64-bit "
               "Wine on a virtual display of its own (32-bit code cannot run on this machine); sizes are "
               "of the 32-bit product." % (about.get("date", "?"), about.get("commit", "?"),
                                           about.get("machine", "?"), about.get("wine", "?")))
    out.append("")
    out.append("## Targets")
    out.append("")
    out.append("| target | result |")
    out.append("| --- | --- |")
    out.append("| 32-bit executable at most %d bytes with its resources | %s (%d bytes) |" % (
        limit, met(size["within_limit"]), size["size"]))
    out.append("| imports only from system DLLs | %s |" % (
        met(not size["foreign_dlls"]) + ("" if not size["foreign_dlls"] else ": " + ", ".join(size["foreign_dlls"]))))
    out.append("| start-up within 10 %% of the baseline | %s |" % rows_verdict("start-up"))
    out.append("| peak working set within 10 %% of the baseline | %s |" % rows_verdict("peak working set"))
    out.append("| CPU time within 10 %% of the baseline | %s |" % rows_verdict("CPU time"))
    out.append("| pace within one step of wall-clock time over %d s | %s (steps: %s) |" % (
        pace_s, met(pace_met), ", ".join("%d" % s for s in steps) or "no data"))
    out.append("")
    out.append("## How")
    out.append("")
    out.append("- The **baseline** is `tests/bench/baseline.cpp`: one window with one static text and the "
               "timer's message loop (`PeekMessageW`, `Sleep(1)` on an empty queue), compiled and "
               "linked with the timer's options. The difference is what the timer's own work costs.")
    out.append("- `tests/bench/bench_probe.cpp` starts each program with `CreateProcessW` and polls "
               "every millisecond (`QueryPerformanceCounter`) until its window is visible and its "
               "label shows text, and takes the CPU time the program has used until then, which a "
               "busy machine disturbs less than the wall-clock time; then it reads "
               "`PeakWorkingSetSize` (`GetProcessMemoryInfo`) one second later and closes the window "
               "with the system Close command. One uncounted "
               "warm-up start of each program comes first; then %s start-ups of each, in turn." %
               about.get("runs", "?"))
    out.append("- Long runs, %s of the timer and the baseline side by side: %d s after start-up to "
               "settle, CPU time over %d s stopped; then a click on Play (`BM_CLICK`, which returns "
               "once the program has handled it; the baseline has no such button and stays idle) and "
               "CPU time over the next %d s. Under Wine `GetProcessTimes` reports nothing for another "
               "process, so the probe reads the Linux process behind the program (`/proc/PID/stat`, "
               "10 ms ticks), here and for start-up; the wineserver's share of the work is not in "
               "these figures." % (
                   about.get("long_runs", "?"), SETTLE_SECONDS, idle_s, count_s))
    out.append("- Pace: from the click the label is read every millisecond with `GetWindowTextW`, "
               "which for another process's window asks the system, not the program, so the reading "
               "does not disturb it. Each step of the label is one `WM_TIMER` message of the "
               "1000 ms window timer; a late message is not made up, so lateness would accumulate. "
               "*Steps in %d s* counts the steps from the click to %d s of wall-clock time later; "
               "*drift* is that number minus %d. The click's time is taken when it returns, so a step "
               "can appear a few milliseconds early." % (pace_s, pace_s, pace_s))
    out.append("")
    out.append("## Start-up, memory, CPU")
    out.append("")
    out.append("Median (minimum–maximum) over the runs; the target is at most 1.10 × the baseline.")
    out.append("")
    out.append("| measure | runs | timer | baseline | timer/baseline | |")
    out.append("| --- | ---: | ---: | ---: | ---: | --- |")
    for row in rows:
        out.append("| %s | %d | %s | %s | %s | %s |" % row)
    out.append("")
    if start["manifest"]:
        out.append("The timer's manifest asks for version 6 of the common controls, which the plain "
                   "baseline does not load. The same baseline with only that manifest added "
                   "(`tests/bench/baseline_manifest.rc`), measured in the same turns:")
        out.append("")
        out.append("| measure | baseline with the manifest | timer/that |")
        out.append("| --- | ---: | ---: |")
        for measure, key, unit, digits in ((startup, "startup_ms", "ms", 1),
                                           ("start-up, CPU time until then", "startup_cpu_ms", "ms", 0),
                                           ("peak working set, 1 s after start-up", "peak_working_set_kb", "KiB", 0)):
            values = numbers(start["manifest"], key)
            share = ratio(numbers(start["timer"], key), values)
            out.append("| %s | %s | %s |" % (measure, spread(values, unit, digits),
                                             "%.2f" % share if share is not None else "-"))
        out.append("")
    out.append("## Pace")
    out.append("")
    out.append("| run | steps in %d s | drift | step %d came after |" % (pace_s, pace_s))
    out.append("| ---: | ---: | ---: | ---: |")
    for index, r in enumerate(run["timer"], 1):
        if "error" in r:
            out.append("| %d | %s | | |" % (index, r["error"]))
            continue
        out.append("| %d | %s | %+d | %s ms |" % (index, r["steps_in_window"],
                                                  int(r["steps_in_window"]) - pace_s, r["last_step_ms"]))
    out.append("")
    if last:
        out.append("The step numbered %d came %s after the click (ideal %d ms)." % (
            pace_s, spread(last, "ms"), pace_s * 1000))
        out.append("")
    out.append("## Size of the 32-bit executable")
    out.append("")
    out.append("`build/win32/bin/MarcasegundoPulse.exe` (MinSizeRel, MinGW-w64 i686) against the "
               "32-bit baseline built the same way.")
    out.append("")
    out.extend(size_lines)
    if failures:
        out.append("## Runs that failed")
        out.append("")
        for who, r in failures:
            out.append("- %s: %s" % (who, " ".join("%s=%s" % kv for kv in r.items())))
        out.append("")
    print("\n".join(out).rstrip("\n"))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
