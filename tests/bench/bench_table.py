#!/usr/bin/env python3
"""Turns the measurements of scripts/bench into docs/performance.md, printed
on standard output.

  bench_table.py RESULTS_FOLDER

The folder holds about.txt (name=value lines: date, commit, machine, wine,
bits (32 when the 32-bit product was measured, 64 when 32-bit code could not
run and the 64-bit build was measured instead), no_32bit_reason, also_64 (yes
when the 64-bit build was measured beside the product), runs, long_runs,
idle_seconds, count_seconds, pace_seconds, size_limit, and the 32-bit
timer_exe, baseline_exe and link_map) and one line of name=value pairs from
bench_probe per run in start-NAME.txt and run-NAME.txt. NAME is timer,
baseline (the polling loop), manifest (the baseline with the timer's
manifest), waiting (the baseline with a loop that waits for messages), and
timer64 and baseline64 for the 64-bit build beside the product."""
import collections
import os
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe_facts  # noqa: E402

TOLERANCE = 1.10  # start-up, memory and CPU within 10 % of the baseline
SETTLE_SECONDS = 2  # bench_probe waits this long after start-up in a long run
TICK_MS = 10  # the resolution of the CPU times read from /proc/PID/stat


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
    """The key's values over the runs that worked; a negative value is one
    the probe could not take."""
    values = [float(run[key]) for run in runs if key in run and "error" not in run]
    return [value for value in values if value >= 0]


def spread(values, unit, digits=0):
    """'median (minimum–maximum) unit'."""
    if not values:
        return "no data"
    form = "%%.%df" % digits
    text = form % statistics.median(values)
    if min(values) != max(values):
        text += " (" + form % min(values) + "–" + form % max(values) + ")"
    return text + " " + unit


def ratio(timer, baseline):
    if not timer or not baseline or statistics.median(baseline) == 0:
        return None
    return statistics.median(timer) / statistics.median(baseline)


def share_text(share):
    return "%.2f" % share if share is not None else "-"


def verdict(value):
    if value is None:
        return "no data"
    return "met" if value <= TOLERANCE else "NOT met"


def met(flag):
    return "met" if flag else "NOT met"


def main(folder):
    about = read_about(os.path.join(folder, "about.txt"))
    names = ("timer", "baseline", "manifest", "waiting", "timer64", "baseline64")
    start = {who: read_pairs(os.path.join(folder, "start-%s.txt" % who)) for who in names}
    run = {who: read_pairs(os.path.join(folder, "run-%s.txt" % who)) for who in names}
    idle_s, count_s, pace_s = (int(about[k]) for k in ("idle_seconds", "count_seconds", "pace_seconds"))
    bits = int(about.get("bits", "64"))
    also_64 = about.get("also_64") == "yes"
    reason = about.get("no_32bit_reason", "").rstrip(".") or "no reason was given"
    limit = int(about["size_limit"])
    size_lines, size = pe_facts.size_report(about["timer_exe"], about["baseline_exe"], about["link_map"], limit)
    # The build whose run-time figures the targets are judged on.
    build = "32-bit product" if bits == 32 else "64-bit build"

    # A run of a process of the wrong bitness measured something else: it
    # counts as failed, and its figures are left out.
    for who in names:
        expected = 64 if who.endswith("64") else bits
        for r in start[who] + run[who]:
            if "error" not in r and r.get("bits", str(expected)) != str(expected):
                r["error"] = "a-%s-bit-process-where-a-%d-bit-one-was-expected" % (r["bits"], expected)
    problems = collections.Counter()
    for kind in (start, run):
        for who, runs in kind.items():
            for r in runs:
                if "error" in r or r.get("exit_code") != "0":
                    problems["%s: %s" % (who, " ".join("%s=%s" % kv for kv in r.items() if kv[0] != "unix_pid"))] += 1
                elif r.get("cpu_source") == "none":
                    problems["%s: no CPU time (the Linux process behind the program was not found)" % who] += 1

    startup = "start-up to the window visible with its time"
    startup_cpu = "start-up, CPU time until then"
    peak_start = "peak working set, 1 s after start-up"
    peak_run = "peak working set, at the end of a long run"
    idle = "CPU time over %d s stopped" % idle_s
    count = "CPU time over %d s counting down" % count_s
    measures = ((startup, "startup_ms", start, "ms", 1), (startup_cpu, "startup_cpu_ms", start, "ms", 0),
                (peak_start, "peak_working_set_kb", start, "KiB", 0),
                (peak_run, "peak_working_set_kb", run, "KiB", 0),
                (idle, "idle_cpu_ms", run, "ms", 0), (count, "count_cpu_ms", run, "ms", 0))

    rows = []
    shares = {}
    for measure, key, runs_of, unit, digits in measures:
        timer, baseline = numbers(runs_of["timer"], key), numbers(runs_of["baseline"], key)
        shares[measure] = ratio(timer, baseline)
        rows.append((measure, len(timer), spread(timer, unit, digits), spread(baseline, unit, digits),
                     share_text(shares[measure]), verdict(shares[measure])))

    def rows_verdict(chosen):
        values = [shares[m] for m in chosen]
        if any(v is None for v in values):
            return "no data"
        return met(all(v <= TOLERANCE for v in values)) + " (timer/baseline %s)" % ", ".join(
            share_text(v) for v in values)

    def times(timer, floor):
        """timer/floor as 'N ×'; when the floor's median is 0 ticks, the
        lower bound that one tick would give."""
        if not timer or not floor:
            return "-"
        if statistics.median(floor) > 0:
            return "%.0f ×" % ratio(timer, floor)
        return "more than %.0f ×" % (statistics.median(timer) / TICK_MS)

    def core_share(values, seconds):
        return "%.1f %%" % (statistics.median(values) / (seconds * 10.0))

    # The same CPU times against the baseline whose loop waits for messages.
    waiting = {measure: times(numbers(run["timer"], key), numbers(run["waiting"], key))
               for measure, key in ((idle, "idle_cpu_ms"), (count, "count_cpu_ms"))}

    steps = numbers(run["timer"], "steps_in_window")
    last = numbers(run["timer"], "last_step_ms")
    pace_met = bool(steps) and all(abs(s - pace_s) <= 1 for s in steps)

    out = []
    out.append("# Performance")
    out.append("")
    out.append("Written by `scripts/bench`, which replaces this file on every run. It is never part of "
               "`scripts/test`, and no test asserts any of these figures.")
    out.append("")
    machine = "Measured on %s, commit %s; %s; %s." % (about.get("date", "?"), about.get("commit", "?"),
                                                      about.get("machine", "?"), about.get("wine", "?"))
    if bits == 32:
        out.append(machine + " Run-time figures are of the 32-bit product (the `win32` preset) under Wine's "
                   "32-bit loader, on a virtual display of its own; the 64-bit build's are beside them in a "
                   "table of their own. Sizes are of the 32-bit product.")
    else:
        out.append(machine + " Sizes are of the 32-bit product.")
        out.append("")
        out.append("**The 32-bit product could not run on this machine**, so its start-up, memory, CPU time "
                   "and pace were not measured. Why: %s. The run-time figures below are of the 64-bit "
                   "build (the `win64` preset) under 64-bit Wine instead, against baselines built the same "
                   "way, and the run-time targets are judged on that build, not on the product. Run "
                   "`scripts/bench` where 32-bit code runs to measure the product." % reason)
    out.append("")
    out.append("## Targets")
    out.append("")
    judged_on = "" if bits == 32 else " (64-bit build)"
    out.append("| target | result |")
    out.append("| --- | --- |")
    out.append("| 32-bit executable at most %d bytes with its resources | %s (%d bytes) |" % (
        limit, met(size["within_limit"]), size["size"]))
    out.append("| imports only from system DLLs | %s |" % (
        met(not size["foreign_dlls"]) + ("" if not size["foreign_dlls"] else ": " + ", ".join(size["foreign_dlls"]))))
    out.append("| start-up within 10 %% of the baseline%s | %s |" % (judged_on, rows_verdict((startup, startup_cpu))))
    out.append("| peak working set within 10 %% of the baseline%s | %s |" % (
        judged_on, rows_verdict((peak_start, peak_run))))
    cpu_result = rows_verdict((idle, count))
    if cpu_result != "no data":
        cpu_result += ", against the baseline with the timer's polling loop"
        if "-" not in (waiting[idle], waiting[count]):
            cpu_result += ("; a baseline whose loop waits for messages uses far less (timer/that %s stopped, "
                           "%s counting): the price of the polling loop, which the timer keeps" % (
                               waiting[idle], waiting[count]))
    out.append("| CPU time within 10 %% of the baseline%s | %s |" % (judged_on, cpu_result))
    pace_result = "%s (steps: %s)" % (met(pace_met), ", ".join("%d" % s for s in steps)) if steps else "no data"
    out.append("| pace within one step of wall-clock time over %d s%s | %s |" % (pace_s, judged_on, pace_result))
    out.append("")
    out.append("## How")
    out.append("")
    out.append("- The **baseline** is `tests/bench/baseline.cpp`: one window with one static text and the "
               "timer's message loop (`PeekMessageW`, `Sleep(1)` on an empty queue), compiled and "
               "linked with the timer's options. The difference is what the timer's own work costs. "
               "The **waiting baseline** is the same program with a loop that blocks in `GetMessageW` "
               "until a message comes.")
    out.append("- `tests/bench/bench_probe.cpp`, a 64-bit program, starts each program with `CreateProcessW` "
               "and polls every millisecond (`QueryPerformanceCounter`) until the program's window "
               "(found by its caption and its process) is visible and its label shows text, and takes the "
               "CPU time the program has used until then, which a busy machine disturbs less than the "
               "wall-clock time; then it reads `PeakWorkingSetSize` (`GetProcessMemoryInfo`) one second "
               "later and closes the window with the system Close command. For every run it records "
               "whether the program was 32-bit (`IsWow64Process`). One uncounted warm-up start of each "
               "program comes first; then %s start-ups of each, in turn." % about.get("runs", "?"))
    side_by_side = "the timer, the baseline and the waiting baseline" + (
        ", and the 64-bit timer and baseline," if also_64 else "")
    out.append("- Long runs (%s), each with %s side by side: %d s after start-up to settle, CPU time over %d s "
               "stopped; then a click on Play (`BM_CLICK`, which returns once the program has handled "
               "it; the baselines have no such button and stay idle) and CPU time over the next %d s." % (
                   about.get("long_runs", "?"), side_by_side, SETTLE_SECONDS, idle_s, count_s))
    out.append("- CPU time under Wine: `GetProcessTimes` does not follow another process there (its figures "
               "stay as they were soon after start-up), so the probe reads the Linux process behind each "
               "program, 32-bit or 64-bit (`/proc/PID/stat`, 10 ms ticks), found by the program's path, "
               "here and for start-up. The wineserver, which does part of the work of every window call, "
               "serves all the programs at once; its share is not in these figures. Wine takes the peak "
               "working set from the same Linux process (its `VmHWM`).")
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
    out.append("The %s against the baseline, both %d-bit. Median (minimum–maximum) over the runs; the "
               "target is at most 1.10 × the baseline." % (build, bits))
    out.append("")
    out.append("| measure | runs | timer | baseline | timer/baseline | |")
    out.append("| --- | ---: | ---: | ---: | ---: | --- |")
    for row in rows:
        out.append("| %s | %d | %s | %s | %s | %s |" % row)
    out.append("")
    out.append("### The price of the polling loop")
    out.append("")
    out.append("The timer keeps its polling loop; these rows only make its price visible. The timer's CPU "
               "times against both baselines, from the same long runs:")
    out.append("")
    out.append("| measure | timer | baseline, polling loop | waiting baseline | timer/polling | timer/waiting |")
    out.append("| --- | ---: | ---: | ---: | ---: | ---: |")
    for measure, key in ((idle, "idle_cpu_ms"), (count, "count_cpu_ms")):
        timer, polling, blocking = (numbers(run[who], key) for who in ("timer", "baseline", "waiting"))
        out.append("| %s | %s | %s | %s | %s | %s |" % (
            measure, spread(timer, "ms"), spread(polling, "ms"), spread(blocking, "ms"),
            share_text(ratio(timer, polling)), waiting[measure]))
    out.append("")
    timer_idle, blocking_idle = numbers(run["timer"], "idle_cpu_ms"), numbers(run["waiting"], "idle_cpu_ms")
    if timer_idle and blocking_idle:
        if statistics.median(blocking_idle) > 0:
            waiting_share = "the waiting baseline %s" % core_share(blocking_idle, idle_s)
        else:
            waiting_share = "the waiting baseline used too little to register (not one %d ms tick in %d s)" % (
                TICK_MS, idle_s)
        out.append("Stopped, the timer kept %s of one core busy; %s." % (core_share(timer_idle, idle_s),
                                                                        waiting_share))
        server = numbers(run["timer"], "idle_server_cpu_ms")
        if server:
            out.append("In the same %d s the wineserver, which does the message-queue work of all the "
                       "programs of a long run at once, used %s more; none of it is in the figures above." % (
                           idle_s, spread(server, "ms")))
        out.append("")
    if start["manifest"]:
        out.append("### The manifest")
        out.append("")
        out.append("The timer's manifest asks for version 6 of the common controls, which the plain "
                   "baseline does not load. The same baseline with only that manifest added "
                   "(`tests/bench/baseline_manifest.rc`), measured in the same turns:")
        out.append("")
        out.append("| measure | baseline with the manifest | timer/that |")
        out.append("| --- | ---: | ---: |")
        for measure, key, _, unit, digits in measures[:3]:
            values = numbers(start["manifest"], key)
            out.append("| %s | %s | %s |" % (measure, spread(values, unit, digits),
                                             share_text(ratio(numbers(start["timer"], key), values))))
        out.append("")
    if also_64:
        out.append("### The 64-bit build")
        out.append("")
        out.append("The 64-bit timer against the 64-bit baseline, measured in the same turns and long runs, "
                   "with the 32-bit product's figures beside them. The targets are judged on the 32-bit "
                   "product only.")
        out.append("")
        out.append("| measure | 64-bit timer | 64-bit baseline | timer/baseline | 32-bit timer |")
        out.append("| --- | ---: | ---: | ---: | ---: |")
        for measure, key, runs_of, unit, digits in measures:
            timer64, baseline64 = numbers(runs_of["timer64"], key), numbers(runs_of["baseline64"], key)
            out.append("| %s | %s | %s | %s | %s |" % (
                measure, spread(timer64, unit, digits), spread(baseline64, unit, digits),
                share_text(ratio(timer64, baseline64)), spread(numbers(runs_of["timer"], key), unit, digits)))
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
    if problems:
        out.append("## Runs that failed")
        out.append("")
        for problem, times_seen in problems.items():
            out.append("- " + problem + ("" if times_seen == 1 else " (%d runs)" % times_seen))
        out.append("")
    print("\n".join(out).rstrip("\n"))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
