#!/usr/bin/env bash
# Line numbers on, a 2,000-line file opened at line 1234 (mixed blanks): the gutter shows four digits
# there, none at the top; End, Enter and a character make a line carrying the mixed blanks.
# Usage: editing_e2e.sh QUENVEL_BINARY PROGRAM.opl
set -euo pipefail
bin=$1 program=$2
. "$(dirname "$0")/setup.sh" "$program" xvfb-run xdotool import convert
printf '[Setup]\r\nLineNumbers=1\r\n' >"$work/quenvel.ini"
python3 - "$work/prog.opl" "$work/long.opl" <<'MAKE'
import re, sys
lines = [l for l in re.split(rb'\r\n|\n\r|\r|\n', open(sys.argv[1], 'rb').read()) if l.strip()]
out = [b'        ' + lines[i % len(lines)].lstrip() for i in range(2000)]
out[1233] = b' \t  MIXED'
open(sys.argv[2], 'wb').write(b'\r\n'.join(out))
MAKE

drive <<'DRIVE'
# ink in the editor's leftmost 12 pixels, half-way down the window
leftink() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    ink "$1" "12x$((HEIGHT / 3))+$((X + 3))+$((Y + HEIGHT / 3))"
}
start "$work/long.opl"
top=$(leftink top)
close
start "$work/long.opl:1234"
there=$(leftink there)
echo "ink left of the gutter's numbers: top of the file $top, at line 1234 $there"
awk -v a="$top" -v b="$there" 'BEGIN { exit !(a < 0.002 && b > 0.01) }' || fail "no four-digit numbers in the gutter"
xdotool key End Return; sleep 0.3
xdotool type --delay 40 'Z'; sleep 0.3
xdotool key ctrl+s; sleep 0.5
close
DRIVE

python3 - "$work/long.opl" <<'CHECK'
import sys
lines = open(sys.argv[1], 'rb').read().split(b'\r\n')
if len(lines) != 2001 or lines[1233:1235] != [b' \t  MIXED', b' \t  Z']:
    print('FAIL: lines 1234-1235 saved as', lines[1233:1236], 'of', len(lines))
    sys.exit(1)
CHECK
echo "editing end to end: four-digit line numbers shown, Enter carried the blanks"
