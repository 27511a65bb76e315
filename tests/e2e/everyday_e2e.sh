#!/usr/bin/env bash
# The everyday commands, driven as a person would under Xvfb: three edits taken back with
# Ctrl+Z and made again with Ctrl+Y; Replace All from Ctrl+R; the file reopened from the
# File menu's recent list after a restart, then emptied with Ctrl+A and Delete; the Desktop
# keyboard, where Ctrl+X cuts and Ctrl+Q leaves. Each step's saved file is checked.
# Usage: everyday_e2e.sh QUENVEL_BINARY PROGRAM.opl
set -euo pipefail
bin=$1 program=$2
. "$(dirname "$0")/setup.sh" "$program" xvfb-run xdotool

cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -euo pipefail
bin=$1 work=$2
. "$E2E_WINDOW"
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
xdotool type --delay 40 'proc'; xdotool key Tab; xdotool type --delay 40 'Pr0c'
xdotool key alt+a; sleep 0.5; xdotool key Escape; sleep 0.3
xdotool windowfocus --sync "$win"; sleep 0.3
save_as replaced.opl
close
# a start without a file: the File menu's first recent file is the program
"$bin" & pid=$!
win=$(findwin "Quenvel 1.21") || fail "no window"
xdotool windowfocus --sync "$win"; sleep 0.5
xdotool key alt+f; sleep 0.3; xdotool key 1; sleep 0.5
xdotool key ctrl+a Delete; save_as emptied.opl
close
sed -i 's/^Keyboard=.*/Keyboard=Desktop/' "$QUENVEL_SETTINGS"
start "$work/prog.opl"
xdotool type --delay 40 'hi'
xdotool key ctrl+a ctrl+x ctrl+v ctrl+v; save_as desktop.opl
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "Ctrl+Q did not close the window"
wait "$pid"
DRIVE
chmod +x "$work/drive.sh"
in_xvfb "$work/drive.sh" "$bin" "$work"

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
