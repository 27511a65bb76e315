#!/usr/bin/env bash
# Drives the real window under Xvfb as a person would: opens a real program, types at the
# start, saves with Ctrl+S, opens the procedure list (F8), the find dialog (Ctrl+F) and the
# help window (F1), chooses OPL 5 from the Setup menu, closes with Ctrl+X, and compares the
# file and the settings on disk.
# Usage: window_e2e.sh QUENVEL_BINARY PROGRAM.opl
set -euo pipefail
bin=$1 program=$2
. "$(dirname "$0")/setup.sh" "$program" xvfb-run xdotool

cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -euo pipefail
bin=$1
. "$E2E_WINDOW"
start "$2"
xdotool type --delay 40 'REM typed '
sleep 0.3
xdotool key ctrl+s
sleep 0.5
# the windows the writing aids open: F8 the procedure list, Ctrl+F the find dialog,
# F1 the help window
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
chmod +x "$work/drive.sh"
in_xvfb "$work/drive.sh" "$bin" "$work/prog.opl"

# the file holds exactly the typed change, its lines written back with CR LF
expect_saved "$program" "$work/prog.opl" 1 'REM typed '
grep -qx 'Syntax=OPL 5' "$work/quenvel.ini" || { echo "FAIL: the dialect chosen is not in the settings"; cat "$work/quenvel.ini"; exit 1; }
echo "window end to end: saved file and settings as expected"
