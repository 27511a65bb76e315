#!/usr/bin/env bash
# Everyday commands, each step's saved file checked: Ctrl+Z/Ctrl+Y over three edits, Replace All, the
# recent files after a restart, Ctrl+A Delete, the Desktop keyboard (Ctrl+X cuts, Ctrl+Q leaves).
# Usage: everyday_e2e.sh QUENVEL_BINARY PROGRAM.opl
set -euo pipefail
bin=$1 program=$2
. "$(dirname "$0")/setup.sh" "$program" xvfb-run xdotool

drive <<'DRIVE'
save_as() { xdotool key ctrl+s; sleep 0.5; cp "$work/prog.opl" "$work/$1"; }
start "$work/prog.opl"
xdotool key ctrl+Home; xdotool type --delay 40 'A'
xdotool key ctrl+End; xdotool type --delay 40 'B'
xdotool key ctrl+Home Down; xdotool type --delay 40 'C'
xdotool key ctrl+z ctrl+z ctrl+z; save_as undone.opl
xdotool key ctrl+y ctrl+y ctrl+y; save_as redone.opl
xdotool key ctrl+r
replace=$(findwin "^Replace$") || fail "no replace dialog"
xdotool windowfocus --sync "$replace"; sleep 0.3
xdotool type --delay 40 'PROC'; xdotool key Tab; xdotool type --delay 40 'Pr0c'
xdotool key alt+a; sleep 0.5; xdotool key Escape; sleep 0.3
xdotool windowfocus --sync "$win"; sleep 0.3
save_as replaced.opl
close
# a start without a file: the File menu's first recent file is the program
start
xdotool key alt+f; sleep 0.3; xdotool key 1; sleep 0.5
xdotool key ctrl+a Delete; save_as emptied.opl
close
sed -i 's/^Keyboard=.*/Keyboard=Desktop/' "$QUENVEL_SETTINGS"
start "$work/prog.opl"
xdotool type --delay 40 'hi'
xdotool key ctrl+a ctrl+x ctrl+v ctrl+v; save_as desktop.opl
close ctrl+q
DRIVE

python3 - "$program" "$work" <<'CHECK'
import re, sys
original = re.sub(rb'\r\n|\n\r|\r|\n', b'\r\n', open(sys.argv[1], 'rb').read())
lines = original.split(b'\r\n')
lines[0], lines[1], lines[-1] = b'A' + lines[0], b'C' + lines[1], lines[-1] + b'B'
edited = b'\r\n'.join(lines)
expected = {'undone.opl': original, 'redone.opl': edited,
            'replaced.opl': re.sub(rb'(?i)proc', b'Pr0c', edited), 'emptied.opl': b'', 'desktop.opl': b'hihi'}
for name, want in expected.items():
    got = open(sys.argv[2] + '/' + name, 'rb').read()
    if got != want:
        at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
        sys.exit('FAIL: %s differs at byte %d: %r, not %r' % (name, at, got[at:at + 30], want[at:at + 30]))
CHECK
echo "everyday end to end: undo and redo, Replace All, the recent files, Select All and the Desktop keys"
