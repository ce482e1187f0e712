#!/usr/bin/env bash
# The timer under Wine driven with the real X mouse and keyboard: a click on
# Play starts the countdown, Alt+T hides the window, Alt+F4 closes it and the
# process exits with 0. window_probe reports the window's controls (screen
# rectangles, enabled and visible states); without a window manager, Wine's
# screen coordinates are the X root window's.
#
# Usage: real_input_test.sh TIMER_EXE WINDOW_PROBE_EXE
# Needs DISPLAY and WINEPREFIX of a running session, xdotool and xset.
set -uo pipefail

TIMER_EXE=$1
PROBE_EXE=$2
. "$(dirname "$0")/probe_lib.sh"
check_session
command -v xset >/dev/null || fail "xset is missing"

# The X server repeats a key held past its delay (660 ms on Xvfb), and each
# repeated T while Alt is down is one more Alt+T: when the server stalls
# between xdotool's press and release, the hotkey fires twice and the window
# hides and shows again. With autorepeat off, one press is one press however
# slow the machine is.
autorepeat_is_on() {
    xset q | grep -q "auto repeat: *on"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/e2e-x-input.XXXXXX")
timer_pid=
autorepeat_was=
cleanup() {
    # A failed run still ends the program it started and gives the display
    # its autorepeat back.
    [ "$autorepeat_was" = on ] && xset r on
    stop_timer
    rm -rf "$work"
}
trap cleanup EXIT

cp "$TIMER_EXE" "$work/MarcasegundoPulse.exe" || fail "cannot copy $TIMER_EXE"
start_timer "$work/MarcasegundoPulse.exe" "$work/timer.log"
window_id=
for _ in $(seq 50); do
    window_id=$(xdotool search --name '^Marcasegundo Pulse$' 2>/dev/null | head -1)
    [ -n "$window_id" ] && break
    sleep 0.1
done
[ -n "$window_id" ] || fail "no X window named \"Marcasegundo Pulse\" within 5 s of the window showing"

probe_until 10 '[ "$(field window visible)" = 1 ] && [ "$(field 1003 enabled)" = 0 ]' ||
    fail "the window did not show in the stopped state"
[ "$(field 1002 enabled)" = 1 ] || fail "Play is not enabled at start"
[ "$(field 1001 text)" = "00:30:00" ] || fail "the label is not 00:30:00 at start"

# The real mouse on the centre of Play.
IFS=, read -r left top right bottom <<<"$(field 1002 rect)"
[ -n "$bottom" ] || fail "no rectangle for Play"
x=$(((left + right) / 2))
y=$(((top + bottom) / 2))
# No --sync: it waits for the pointer to move, which it does not when it is
# already there from an earlier run. The server handles the move first anyway.
xdotool mousemove "$x" "$y" click 1
probe_until 5 '[ "$(field 1003 enabled)" = 1 ] && [ "$(field 1002 enabled)" = 0 ]' ||
    fail "a click at $x,$y on Play did not start the countdown"
[ "$(field 1004 enabled)" = 0 ] || fail "Reset stays enabled while the countdown runs"
[[ "$(field window caption)" =~ ^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$ ]] ||
    fail "the caption is not the local time after Play"

# Alt+T on the real keyboard; the X focus must be on a Wine window for it.
# Autorepeat is switched while the timer is connected: an X server resets its
# settings when its last client leaves.
autorepeat_is_on && autorepeat_was=on
xset r off || fail "cannot switch off the X key autorepeat"
xdotool windowfocus --sync "$window_id"
xdotool key alt+t
probe_until 5 '[ "$(field window visible)" = 0 ]' || fail "Alt+T on the X keyboard did not hide the window"

# Shown again from the Windows side, so the X window can take the focus.
probe alt-t
probe_until 5 '[ "$(field window visible)" = 1 ]' || fail "Alt+T from the probe did not show the window"
[ "$(field 1003 enabled)" = 1 ] || fail "the countdown no longer runs after hiding and showing"

# Alt+F4 on the real keyboard closes the window; the process exits with 0.
xdotool windowfocus --sync "$window_id"
xdotool key alt+F4
for _ in $(seq 100); do
    kill -0 "$timer_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$timer_pid" 2>/dev/null && { probe; fail "Alt+F4 on the X keyboard did not close the window within 10 s"; }
wait "$timer_pid"
status=$?
timer_pid=
[ "$status" -eq 0 ] || fail "the timer exited with $status after Alt+F4"
echo "real X input: Play clicked at $x,$y, Alt+T hid the window, Alt+F4 closed it with exit status 0"
