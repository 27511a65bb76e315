#!/usr/bin/env bash
# The window's commands (Find with Enter twice, Escape; a selection, F8, a procedure chosen) change only the one
# typed character; a dialect switch down the file keeps text shown, F1 opens help, Ctrl+X saves the dialect.
# Usage: trust_e2e.sh QUENVEL_BINARY PROGRAM.opl
set -euo pipefail
bin=$1 program=$2
. "$(dirname "$0")/setup.sh" "$program" xvfb-run xdotool import convert
procline=$("$bin" --procs "$work/prog.opl" | head -1 | cut -f1)
[ -n "$procline" ] || { echo "FAIL: the program has no procedure"; exit 1; }

drive <<'DRIVE'
start "$work/prog.opl"
# Find: a word, Enter twice, Escape
xdotool key ctrl+f
find=$(findwin "^Find$") || fail "no find dialog"
xdotool windowfocus --sync "$find"; sleep 0.3
xdotool type --delay 40 'proc'
xdotool key Return; sleep 0.3; xdotool key Return; sleep 0.3; xdotool key Escape; sleep 0.3
# a selection, then F8: the first procedure, chosen with Enter; then one character
xdotool windowfocus --sync "$win"; sleep 0.3
xdotool key ctrl+Home shift+End F8
procs=$(findwin "Go to Procedures") || fail "no procedure list"
xdotool windowfocus --sync "$procs"; sleep 0.3
xdotool key Home Return; sleep 0.5
xdotool windowfocus --sync "$win"; sleep 0.3
xdotool type --delay 40 'X'
sleep 0.3
xdotool key ctrl+s; sleep 0.5
close

# the caret down the file, then Setup > HighLighting > OPL 3: the text area shows text
start "$work/prog.opl:37"; sleep 0.3
xdotool key alt+t; sleep 0.3; xdotool key h; sleep 0.3; xdotool key Up Up Return; sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
# the editor pane: below the menu, toolbars and title strip, left of the help pane
ink=$(ink text "$((WIDTH * 2 / 3))x$((HEIGHT / 3))+$((X + 10))+$((Y + HEIGHT / 4))")
echo "ink in the text area after the switch: $ink"
awk -v ink="$ink" 'BEGIN { exit !(ink > 0.01) }' || fail "the text area is blank"
xdotool key F1; findwin "Quenvel Help" >/dev/null || fail "no help window"
xdotool windowfocus --sync "$win"; sleep 0.3
close
DRIVE

# exactly one character more, at the start of the first procedure's line
expect_saved "$program" "$work/prog.opl" "$procline" X
grep -qx 'Syntax=OPL 3' "$QUENVEL_SETTINGS" || { echo "FAIL: the dialect chosen is not in the settings"; cat "$QUENVEL_SETTINGS"; exit 1; }
echo "trust end to end: only the typed character changed the file; the text shows after a dialect switch, which is kept"
