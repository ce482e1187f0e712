# Helpers for the shell tests that run the timer under Wine and watch it
# through window_probe. Sourced, not run; the sourcing script sets PROBE_EXE
# and may set work (a temporary folder) and timer_pid.

WINE=/usr/lib/wine/wine64

fail() {
    echo "FAILED: $*" >&2
    [ -n "${last_probe:-}" ] && printf 'last probe:\n%s\n' "$last_probe" >&2
    exit 1
}

# The session the tests need: a display, a prefix of their own (without one
# Wine would make one in the home folder) and xdotool.
check_session() {
    [ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
    [ -n "${WINEPREFIX:-}" ] || fail "no WINEPREFIX"
    command -v xdotool >/dev/null || fail "xdotool is missing"
}

# Runs the probe; its report lands in last_probe.
probe() {
    last_probe=$("$WINE" "$PROBE_EXE" "$@" </dev/null 2>/dev/null | tr -d '\r')
}

# The value of FIELD in the probe's line for control ID, or for the window
# when ID is "window".
field() {
    local id=$1 name=$2
    printf '%s\n' "$last_probe" | awk -v id="$id" -v name="$name" '
        ($1 == "control" && $2 == id) || ($1 == "window" && id == "window") {
            for (i = 2; i <= NF; i++)
                if (index($i, name "=") == 1) { print substr($i, length(name) + 2); exit }
        }'
}

# The count of other visible windows of the timer's process.
other_windows() {
    printf '%s\n' "$last_probe" | awk '$1 == "others" { print $2 }'
}

# Probes until the shell condition holds or SECONDS_LIMIT have passed.
probe_until() {
    local limit=$1 condition=$2 end=$((SECONDS + $1))
    while :; do
        probe
        eval "$condition" && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# The buttons' enabled states as the run state they stand for.
run_state() {
    case "$(field 1002 enabled)$(field 1003 enabled)$(field 1004 enabled)" in
        101) echo Stopped ;;
        010) echo Running ;;
        001) echo Finished ;;
        *) echo "play=$(field 1002 enabled) stop=$(field 1003 enabled) reset=$(field 1004 enabled)" ;;
    esac
}

# Starts EXE under Wine in the background and sets timer_pid; fails when the
# process ends or no timer window shows within 15 s. Wine's errors and the
# exceptions in the process go to LOG, shown when the timer ends early.
start_timer() {
    local exe=$1 log=$2
    WINEDEBUG=err+all,+seh "$WINE" "$exe" </dev/null >"$log" 2>&1 &
    timer_pid=$!
    probe_until 15 '[ "$(field window visible)" = 1 ] || ! kill -0 "$timer_pid" 2>/dev/null' ||
        fail "no timer window within 15 s"
    if ! kill -0 "$timer_pid" 2>/dev/null; then
        wait "$timer_pid"
        local status=$?
        timer_pid=
        fail "the timer ended with exit status $status before its window showed; Wine's output:"$'\n'"$(tail -n 40 "$log")"
    fi
}

# Waits up to 10 s for the timer started by start_timer to end and sets
# timer_status to its exit status, or to "running" when it has not ended.
wait_timer_exit() {
    local tries
    for tries in $(seq 100); do
        kill -0 "$timer_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$timer_pid" 2>/dev/null; then
        timer_status=running
        return
    fi
    wait "$timer_pid"
    timer_status=$?
    timer_pid=
}

# Ends a timer that a failed test left running.
stop_timer() {
    if [ -n "${timer_pid:-}" ] && kill -0 "$timer_pid" 2>/dev/null; then
        kill "$timer_pid" 2>/dev/null
        wait "$timer_pid" 2>/dev/null
    fi
    timer_pid=
}
