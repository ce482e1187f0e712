#!/usr/bin/env bash
# The timer in a folder where its settings file cannot be created: it shows
# the default start, works as usual, says nothing and leaves the folder as
# it was; the next start after the folder allows it again creates the file.
#
# The folder is made immutable (chattr +i) where the user may do that, which
# stops even root, who ignores Unix permissions; otherwise it is made
# read-only, which stops any other user. Exit code 77, a skip for CTest,
# when neither stops the file from being created.
#
# Usage: uncreatable_settings_test.sh TIMER_EXE WINDOW_PROBE_EXE
# Needs DISPLAY and WINEPREFIX of a running session.
set -uo pipefail

TIMER_EXE=$1
PROBE_EXE=$2
. "$(dirname "$0")/probe_lib.sh"
check_session

work=$(mktemp -d "${TMPDIR:-/tmp}/e2e-uncreatable.XXXXXX")
folder=$work/timer
timer_pid=
cleanup() {
    stop_timer
    chattr -i "$folder" 2>/dev/null
    chmod u+w "$folder" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir "$folder" && cp "$TIMER_EXE" "$folder/MarcasegundoPulse.exe" || fail "cannot copy $TIMER_EXE into $folder"
if chattr_error=$(chattr +i "$folder" 2>&1); then
    locked=immutable
    unlock() { chattr -i "$folder"; }
elif [ "$(id -u)" -ne 0 ] && chmod a-w "$folder"; then
    locked=read-only
    unlock() { chmod u+w "$folder"; }
else
    echo "SKIPPED: cannot make $folder immutable (${chattr_error:-chattr failed}), and root ignores a read-only folder"
    exit 77
fi
if touch "$folder/Configuracion.ini" 2>/dev/null; then
    fail "a file could still be created in the $locked folder $folder"
fi

# The settings file as the program creates it, without CR and blank lines,
# with a value's leading blank dropped.
settings_lines() {
    tr -d '\r' <"$1" | sed -e 's/^\([^=]*\)= /\1=/' -e '/^$/d'
}
first_start_lines=$'[Tiempo]\nHoras=0\nMinutos=30\nSegundos=0\n[Color]\nFuente=255'

start_timer "$folder/MarcasegundoPulse.exe" "$work/timer.log"
probe_until 5 '[ "$(field 1001 text)" = 00:30:00 ] && [ "$(run_state)" = Stopped ]' ||
    fail "the timer did not show 00:30:00, stopped, but $(field 1001 text), $(run_state)"
[ "$(other_windows)" = 0 ] || fail "the timer showed $(other_windows) other window(s), a message perhaps"
[ "$(ls -A "$folder")" = MarcasegundoPulse.exe ] || fail "the folder holds: $(ls -A "$folder")"

# A session: Play, the first tick, Stop, Reset.
probe click 1002
probe_until 3 '[ "$(run_state)" = Running ]' || fail "Play did not start the countdown: $(run_state)"
probe_until 3 '[ "$(field 1001 text)" != 00:30:00 ]' || fail "no tick within 3 s of Play"
[ "$(field 1001 text)" = 00:29:59 ] || fail "the first tick gave $(field 1001 text)"
probe click 1003
probe_until 3 '[ "$(run_state)" = Stopped ]' || fail "Stop did not stop the countdown: $(run_state)"
probe click 1004
probe_until 3 '[ "$(field 1001 text)" = 00:30:00 ]' || fail "Reset showed $(field 1001 text)"
[ "$(other_windows)" = 0 ] || fail "the timer showed $(other_windows) other window(s) during the session"

probe close
wait_timer_exit
[ "$timer_status" = 0 ] || fail "the timer's exit status was $timer_status after the Close command"
[ "$(ls -A "$folder")" = MarcasegundoPulse.exe ] || fail "after the session the folder holds: $(ls -A "$folder")"

# The folder allows it again: the next start creates the file.
unlock || fail "cannot make the $locked folder $folder writable again"
start_timer "$folder/MarcasegundoPulse.exe" "$work/timer.log"
probe_until 5 '[ "$(field 1001 text)" = 00:30:00 ]' || fail "the second start showed $(field 1001 text)"
[ -f "$folder/Configuracion.ini" ] || fail "the second start did not create the file; the folder holds: $(ls -A "$folder")"
created=$(settings_lines "$folder/Configuracion.ini")
[ "$created" = "$first_start_lines" ] || fail "the created file reads:"$'\n'"$created"
probe close
wait_timer_exit
[ "$timer_status" = 0 ] || fail "the second start's exit status was $timer_status"
echo "$locked folder: 00:30:00 shown, a session worked, nothing created, exit status 0; the next start created the file"
