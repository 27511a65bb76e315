#!/usr/bin/env bash
# The real window under Xvfb: typing and Ctrl+S, the procedure list (F8), the find dialog
# (Ctrl+F), the help window (F1), OPL 5 from the Setup menu, Ctrl+X; then the file and the
# settings on disk.
# Usage: window_e2e.sh QUENVEL_BINARY PROGRAM.opl
set -euo pipefail
bin=$1 program=$2
. "$(dirname "$0")/setup.sh" "$program" xvfb-run xdotool

drive <<'DRIVE'
start "$work/prog.opl"
xdotool type --delay 40 'REM typed '
sleep 0.3
xdotool key ctrl+s
sleep 0.5
waitfor() { findwin "$1" >/dev/null || fail "no window '$1'"; }
xdotool key F8; waitfor "Go to Procedures"
xdotool windowfocus --sync "$win"; xdotool key ctrl+f; waitfor "^Find$"
xdotool windowfocus --sync "$win"; xdotool key F1; waitfor "Quenvel Help"
# Setup > HighLighting > OPL 5 (the last entry), from the keyboard
xdotool windowfocus --sync "$win"
sleep 0.3
xdotool key alt+t; sleep 0.3; xdotool key h; sleep 0.3; xdotool key Up Return
sleep 0.5
close
DRIVE

expect_saved "$program" "$work/prog.opl" 1 'REM typed '
grep -qx 'Syntax=OPL 5' "$work/quenvel.ini" || { echo "FAIL: the dialect chosen is not in the settings"; cat "$work/quenvel.ini"; exit 1; }
echo "window end to end: saved file and settings as expected"
