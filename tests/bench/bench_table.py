#!/usr/bin/env python3
"""Turns the measurements of scripts/bench into docs/performance.md (printed
on standard output).

  bench_table.py RESULTS_FOLDER

The folder holds start-timer.txt, start-baseline.txt, run-timer.txt and
run-baseline.txt (one line of name=value pairs from bench_probe per run),
size.md (from pe_facts.py size-report) and about.txt (name=value lines:
date, commit, machine, wine, runs, long_runs, idle_seconds, count_seconds,
pace_seconds, size_limit)."""
import os
import statistics
import sys

TOLERANCE = 1.10  # start-up, memory and CPU within 10 % of the baseline


def read_runs(path):
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
    start = {who: read_runs(os.path.join(folder, "start-%s.txt" % who)) for who in ("timer", "baseline")}
    run = {who: read_runs(os.path.join(folder, "run-%s.txt" % who)) for who in ("timer", "baseline")}
    with open(os.path.join(folder, "size.md")) as f:
        size_report = f.read()
    idle_s, count_s, pace_s = (int(about[k]) for k in ("idle_seconds", "count_seconds", "pace_seconds"))

    failures = [(who, r) for kind in (start, run) for who, runs in kind.items() for r in runs
                if "error" in r or r.get("exit_code") != "0"]

    rows = []

    def add(measure, key, runs_of, unit, digits=0, scale=1.0, target=True):
        timer = [v * scale for v in numbers(runs_of["timer"], key)]
        baseline = [v * scale for v in numbers(runs_of["baseline"], key)]
        share = ratio(timer, baseline)
        rows.append((measure, len(timer), spread(timer, unit, digits), spread(baseline, unit, digits),
                     "%.2f" % share if share is not None else "-",
                     "≤ 1.10 × baseline" if target else "-", verdict(share) if target else "-"))

    add("start-up to visible window with its time", "startup_ms", start, "ms", 1)
    add("peak working set, 1 s after start-up", "peak_working_set_kb", start, "KiB")
    add("peak working set, at the end of a long run", "peak_working_set_kb", run, "KiB")
    add("CPU time over %d s stopped" % idle_s, "idle_cpu_ms", run, "ms")
    add("CPU time over %d s counting down" % count_s, "count_cpu_ms", run, "ms")

    steps = numbers(run["timer"], "steps_in_window")
    last = numbers(run["timer"], "last_step_ms")
    drifts = [s - pace_s for s in steps]
    pace_met = bool(steps) and all(abs(d) <= 1 for d in drifts)

    out = []
    out.append("# Performance")
    out.append("")
    out.append("Written by `scripts/bench` (replaced on every run, never part of `scripts/test`; "
               "nothing here is asserted by a test).")
    out.append("")
    out.append("Measured on %s, commit %s; %s; %s; the 64-bit build under 64-bit Wine on a virtual "
               "display of its own (32-bit code cannot run on this machine)." % (
                   about.get("date", "?"), about.get("commit", "?"), about.get("machine", "?"),
                   about.get("wine", "?")))
    out.append("")
    out.append("## How")
    out.append("")
    out.append("- The **baseline** is `tests/bench/baseline.cpp`: one window with one static text and the "
               "timer's message loop (`PeekMessageW`, `Sleep(1)` on an empty queue), compiled and "
               "linked with the timer's options. The difference is what the timer's own work costs.")
    out.append("- `tests/bench/bench_probe.cpp` starts each program with `CreateProcessW` and polls "
               "every millisecond (`QueryPerformanceCounter`) until its window is visible and its "
               "label shows text; then it reads `PeakWorkingSetSize` (`GetProcessMemoryInfo`) and "
               "closes the window with the system Close command. One uncounted warm-up start of each "
               "program comes first; then %s start-ups of each, alternating." % about.get("runs", "?"))
    out.append("- Long runs (%s of each, the timer and the baseline side by side): %d s after "
               "start-up settle, CPU time over %d s stopped; then a click on Play (`BM_CLICK`; the "
               "baseline has no such button and stays idle) and CPU time over the next %d s. Under "
               "Wine `GetProcessTimes` reports nothing for another process, so the probe reads the "
               "Linux process behind the program (`/proc/PID/stat`, 10 ms ticks); the wineserver's "
               "own share is not in these figures." % (about.get("long_runs", "?"), 2, idle_s, count_s))
    out.append("- Pace: from the click the label is read every millisecond with `GetWindowTextW`, "
               "which for another process's window asks the system, not the program, so the reading "
               "does not disturb it. Each step of the label is one `WM_TIMER` message of the "
               "1000 ms window timer; a late message is not made up, so lateness accumulates. "
               "*Steps in %d s* is the number of steps between the click and %d s of wall-clock time "
               "later; *drift* is that number minus %d." % (pace_s, pace_s, pace_s))
    out.append("")
    out.append("## Start-up, memory, CPU")
    out.append("")
    out.append("Median (minimum–maximum) over the runs.")
    out.append("")
    out.append("| measure | runs | timer | baseline | timer/baseline | target | |")
    out.append("| --- | ---: | ---: | ---: | ---: | --- | --- |")
    for row in rows:
        out.append("| %s | %d | %s | %s | %s | %s | %s |" % row)
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
    out.append("Target: within one step of wall-clock time over %d s: %s." % (
        pace_s, "met" if pace_met else "NOT met"))
    if last:
        out.append("The step numbered %d came %s after the click (ideal %d ms)." % (
            pace_s, spread(last, "ms"), pace_s * 1000))
    out.append("")
    out.append("## Size of the 32-bit executable")
    out.append("")
    out.append("`build/win32/bin/MarcasegundoPulse.exe` (MinSizeRel, MinGW-w64 i686) against the "
               "32-bit baseline built the same way. Target: at most %s bytes with its resources, "
               "importing only from system DLLs." % about.get("size_limit", "?"))
    out.append("")
    out.append(size_report.rstrip("\n"))
    out.append("")
    if failures:
        out.append("## Runs that failed")
        out.append("")
        for who, r in failures:
            out.append("- %s: %s" % (who, " ".join("%s=%s" % kv for kv in r.items())))
        out.append("")
    print("\n".join(out))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
