#!/usr/bin/env bash
# Real keys under Xvfb: after End + Return, and after cutting three lines (Shift+Delete), the window shows
# what a full repaint (forced by a resize) shows. Usage: real_window.sh QUENVEL_BINARY TEXT_FILE (77: no X tools)
set -euo pipefail
bin=$1
. "$(dirname "$0")/../e2e/setup.sh" "$2" xvfb-run xdotool import compare

drive <<'DRIVE'
export QT_QPA_PLATFORM=xcb
differ() { compare -metric AE "$1" "$2" null: 2>&1 >/dev/null | cut -d' ' -f1 || true; }
# One case: the keys after Ctrl+Home; fails unless the picture after them is that of a full repaint.
check() {
    local name=$1
    shift
    cp "$work/prog.opl" "$work/$name.txt"
    start "$work/$name.txt"
    sleep 0.5
    import -window "$win" "$work/$name-before.png"
    xdotool key --delay 30 ctrl+Home "$@"
    sleep 0.7
    import -window "$win" "$work/$name-after.png"
    # a resize there and back repaints the whole window from the text
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool windowsize --sync "$win" $((WIDTH + 40)) $((HEIGHT + 30))
    sleep 0.5
    xdotool windowsize --sync "$win" "$WIDTH" "$HEIGHT"
    sleep 0.7
    import -window "$win" "$work/$name-repainted.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
    local changed stale
    changed=$(differ "$work/$name-before.png" "$work/$name-repainted.png")
    stale=$(differ "$work/$name-after.png" "$work/$name-repainted.png")
    echo "$name: the edit changed $changed pixels; $stale differ from a full repaint"
    # the blinking caret may differ: a couple of pixels wide, one line high
    [[ "$stale" -le 80 ]] || { cp "$work/$name"-*.png "${TMPDIR:-/tmp}/"; fail "$name: stale rows (pictures in ${TMPDIR:-/tmp})"; }
    [[ "$changed" -ge 200 ]] || fail "$name: the keys did not reach the editor"
}
check end-return Down Down Down Down Down Down Down End Return
check cut-three-lines Down Down Down Down Down Down Down Down shift+Down shift+Down shift+Down shift+Delete
DRIVE
