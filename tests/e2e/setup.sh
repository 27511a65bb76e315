# Sourced by the end-to-end scripts: exit 77 when a TOOL is missing; a scratch folder $work with a copy of
# PROGRAM as prog.opl ("": the script writes its own) and settings of its own. Usage: . setup.sh PROGRAM TOOL...
e2e_program=$1
shift
for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
# E2E_KEEP=DIR keeps the screenshots
trap '[ -n "${E2E_KEEP:-}" ] && cp "$work"/*.png "$E2E_KEEP"/ 2>/dev/null; rm -rf "$work"' EXIT
if [ -n "$e2e_program" ]; then
    cp "$e2e_program" "$work/prog.opl"
    chmod 644 "$work/prog.opl"
fi
export QUENVEL_SETTINGS="$work/quenvel.ini"
# Runs a command on a display of its own (a random start: other runs may start theirs at the same moment),
# kept up between the windows a script starts one after another.
in_xvfb() { xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -noreset" "$@"; }
# Fails unless SAVED is ORIGINAL with CR LF line ends and PREFIX put before its line LINE.
expect_saved() {
    python3 - "$@" <<'CHECK'
import re, sys
lines = re.sub(rb'\r\n|\n\r|\r|\n', b'\r\n', open(sys.argv[1], 'rb').read()).split(b'\r\n')
n = int(sys.argv[3]) - 1
lines[n] = sys.argv[4].encode() + lines[n]
expected, actual = b'\r\n'.join(lines), open(sys.argv[2], 'rb').read()
if actual != expected:
    at = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b), min(len(actual), len(expected)))
    sys.exit('FAIL: the saved file differs at byte %d: %r' % (at, actual[max(0, at - 20):at + 20]))
CHECK
}
export E2E_WINDOW="$work/window.sh"
cat >"$E2E_WINDOW" <<'WINDOW'
fail() { echo "FAIL: $*"; [ -n "${pid:-}" ] && kill "$pid"; exit 1; }
# The id of the first window whose name matches, waiting up to ten seconds.
findwin() {
    for _ in $(seq 50); do
        w=$(xdotool search --name "$1" 2>/dev/null | head -1 || true)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.2
    done
    return 1
}
# Starts the program (on a file, if given); $pid and $win are its process and main window, focused.
start() {
    "$bin" ${1:+"$1"} & pid=$!
    win=$(findwin "Quenvel 1.21") || fail "no window"
    xdotool windowfocus --sync "$win"
    sleep 0.5
}
# Closes the main window with Ctrl+X (or the key given); it must go within ten seconds.
close() {
    xdotool key "${1:-ctrl+x}"
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    kill -0 "$pid" 2>/dev/null && fail "the window did not close"
    wait "$pid"
}
# The dark share of a part of the screen (WxH+X+Y), kept as NAME.png.
ink() {
    import -window root -crop "$2" "$work/$1.png"
    convert "$work/$1.png" -colorspace Gray -threshold 60% -format '%[fx:1-mean]' info:
}
WINDOW
# Runs the driving script read from stdin on a display of its own, with $bin, $work and the helpers above.
drive() {
    { printf '#!/usr/bin/env bash\nset -euo pipefail\nbin=$1 work=$2\n. "$E2E_WINDOW"\n'; cat; } >"$work/drive.sh"
    chmod +x "$work/drive.sh"
    in_xvfb "$work/drive.sh" "$bin" "$work"
}
