#!/usr/bin/env bash
# An unended IF and an ENDWH typed: red wavy lines within a second, Ctrl+T lists the errors, F12 on a
# call jumps to the procedure (a letter typed there lands in its PROC line).
# Usage: program_check_e2e.sh QUENVEL_BINARY
set -euo pipefail
bin=$1
. "$(dirname "$0")/setup.sh" "" xvfb-run xdotool import convert
printf 'PROC main:\r\n  helper:\r\nENDP\r\nPROC helper:\r\nENDP\r\n' >"$work/prog.opl"
printf '[Window]\r\nSyntax=OPL 5\r\n' >"$QUENVEL_SETTINGS"

drive <<'DRIVE'
start "$work/prog.opl"
red() { import -window root "$work/$1.png"; convert "$work/$1.png" txt:- | grep -ci '#FF0000' || true; }
before=$(red clean)
# at the end of the call's line: a new line with IF x%, then one with ENDWH
xdotool key ctrl+Home Down End Return
xdotool type --delay 30 'IF x%'
xdotool key Return
xdotool type --delay 30 'ENDWH'
sleep 1
after=$(red typed)
[ "$after" -gt "$before" ] || fail "no red wavy line a second after typing ($before, $after)"
xdotool key ctrl+t
sleep 0.5
import -window root "$work/listed.png"
[ "$(compare -metric AE "$work/typed.png" "$work/listed.png" null: 2>&1 || true)" != 0 ] || fail "Ctrl+T showed nothing"
# F12 on the call (line 2), then a letter where the caret landed
xdotool windowfocus --sync "$win"
xdotool key ctrl+Home Down End Left Left F12
xdotool type --delay 30 'X'
xdotool key ctrl+s
sleep 0.5
close
DRIVE
grep -q $'^PROC Xhelper:\r$' "$work/prog.opl" || { echo "FAIL: F12 did not reach the procedure"; cat -A "$work/prog.opl"; exit 1; }
grep -q 'ENDWH' "$work/prog.opl" || { echo "FAIL: the typed text was not saved"; exit 1; }
echo "program check end to end: wavy line, error list and go to definition as expected"
