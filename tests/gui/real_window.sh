#!/usr/bin/env bash
# The editor in a real window under Xvfb, driven with real key presses: after End + Return
# in the middle of a file, and after cutting a three-line selection (Shift+Delete: in the
# main window Ctrl+X is Exit), the window shows exactly what a full repaint of the same
# text shows (a resize forces one).
# Usage: real_window.sh QUENVEL_BINARY TEXT_FILE. Exit 77 (skipped) without the X tools.
set -euo pipefail

binary=$1
source=$2
if [[ -z "${QUENVEL_IN_XVFB:-}" ]]; then
    command -v xvfb-run >/dev/null || { echo "skipped: xvfb-run is not installed"; exit 77; }
    QUENVEL_IN_XVFB=1 exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi
. "$(dirname "$0")/../e2e/setup.sh" "" xdotool import compare
app=
trap '[[ -n "$app" ]] && kill "$app" 2>/dev/null; rm -rf "$work"' EXIT

# Differing pixels of two pictures.
differ() { compare -metric AE "$1" "$2" null: 2>&1 >/dev/null | cut -d' ' -f1 || true; }

# Runs one case: the keys after the caret was put at the top; fails when the picture
# after them is not the picture of a full repaint.
check() {
    local name=$1
    shift
    cp "$source" "$work/$name.txt"
    QT_QPA_PLATFORM=xcb "$binary" "$work/$name.txt" &
    app=$!
    local wid
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name "^Quenvel 1.21" | tail -1)
    xdotool windowfocus --sync "$wid"
    sleep 1
    import -window "$wid" "$work/$name-before.png"
    xdotool key --delay 30 ctrl+Home "$@"
    sleep 0.7
    import -window "$wid" "$work/$name-after.png"
    # a resize there and back repaints the whole window from the text
    local w h
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    w=$WIDTH
    h=$HEIGHT
    xdotool windowsize --sync "$wid" $((w + 40)) $((h + 30))
    sleep 0.5
    xdotool windowsize --sync "$wid" "$w" "$h"
    sleep 0.7
    import -window "$wid" "$work/$name-repainted.png"
    kill "$app"
    wait "$app" 2>/dev/null || true
    app=
    local changed stale
    changed=$(differ "$work/$name-before.png" "$work/$name-repainted.png")
    stale=$(differ "$work/$name-after.png" "$work/$name-repainted.png")
    echo "$name: the edit changed $changed pixels; $stale differ from a full repaint"
    # the blinking caret may differ: a couple of pixels wide, one line high
    if [[ "$stale" -gt 80 ]]; then
        cp "$work/$name-after.png" "$work/$name-repainted.png" "${TMPDIR:-/tmp}/" 2>/dev/null || true
        echo "FAIL $name: the window shows stale rows (pictures in ${TMPDIR:-/tmp})"
        return 1
    fi
    if [[ "$changed" -lt 200 ]]; then
        echo "FAIL $name: the keys did not reach the editor"
        return 1
    fi
}

down() { local n=$1; for ((i = 0; i < n; ++i)); do printf 'Down '; done; }

status=0
# shellcheck disable=SC2046
check end-return $(down 7) End Return || status=1
# shellcheck disable=SC2046
check cut-three-lines $(down 8) shift+Down shift+Down shift+Down shift+Delete || status=1
exit $status
