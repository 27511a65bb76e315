#!/usr/bin/env bash
# The desktop files as the desktop's own tools see them: entry, AppStream metadata, file type (a private mime
# database asked with xdg-mime), icons, and a manual page listing the options --help lists.
# usage: desktop_test.sh SOURCE_DIR QUENVEL_BINARY CONFIGURED_MAN_PAGE (77: a tool is missing)
set -uo pipefail
src=$1 bin=$2 man=$3 res=$1/resources id=org.quenvel.Quenvel failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
for tool in desktop-file-validate appstreamcli update-mime-database xdg-mime mimetype groff; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (tools/deps.sh installs it)"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# the desktop entry: valid, naming the icon and the file type shipped beside it
desktop-file-validate "$res/$id.desktop" || fail "desktop-file-validate"
entry() { sed -n "s/^$1=//p" "$res/$id.desktop"; }
[ -f "$res/icons/hicolor/48x48/apps/$(entry Icon).png" ] || fail "the desktop entry's icon is not shipped"
mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$res/quenvel-mime.xml")
[ "$(entry MimeType)" = "$mime_type;" ] || fail "desktop entry MimeType '$(entry MimeType)' is not '$mime_type;'"

# AppStream: valid offline, launching this entry, its newest release the program's version
appstreamcli validate --no-net "$res/$id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$res/$id.metainfo.xml" || fail "metainfo does not launch $id.desktop"
version=$("$bin" --version | sed -n 's/^quenvel //p')
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$res/$id.metainfo.xml" | head -n 1)
[ "$newest" = "$version" ] || fail "newest release in the metainfo is '$newest', the program is '$version'"

# text/x-opl: any-case names, Series 5 binary source of any name; not other text, nor a binary off in bytes 8-11
export XDG_DATA_HOME=$tmp/data XDG_DATA_DIRS=/usr/local/share:/usr/share
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
mkdir -p "$XDG_DATA_HOME/mime/packages" "$tmp/f"
cp "$res/quenvel-mime.xml" "$XDG_DATA_HOME/mime/packages/quenvel.xml"
update-mime-database "$XDG_DATA_HOME/mime" || fail "update-mime-database"
for f in text.opl SHOUT.OPL Frame.Tpl; do printf 'PROC main:\r\n\tPRINT "hi"\r\nENDP\r\n' >"$tmp/f/$f"; done
cp "$src/tests/data/s5/TESTOPX" "$tmp/f/GAME"
printf 'just some notes\n' >"$tmp/f/notes"
head -c 64 "$src/tests/data/s5/TESTOPX" >"$tmp/f/other"
printf '\x86' | dd of="$tmp/f/other" bs=1 seek=8 conv=notrunc status=none
for f in text.opl SHOUT.OPL Frame.Tpl GAME notes other; do
    got=$(xdg-mime query filetype "$tmp/f/$f")
    case $f in notes | other) [ "$got" != text/x-opl ] || fail "$f is taken for text/x-opl" ;;
    *) [ "$got" = text/x-opl ] || fail "$f is '$got', not text/x-opl" ;; esac
done

# the icons: the SVG, and a PNG of each size that size (width and height: big-endian words at 16 and 20)
grep -q '<svg' "$res/icons/quenvel.svg" || fail "quenvel.svg is not SVG"
for n in 16 32 48 64 128 256; do
    png=$res/icons/hicolor/${n}x$n/apps/quenvel.png
    size=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
    [ "$size" = "${n}x$n" ] || fail "$png is '$size', not ${n}x$n"
done

# the manual page: formats without a warning, the options and the FILE:LINE form of --help
warnings=$(groff -man -Tutf8 -ww -z "$man" 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
"$bin" --help >"$tmp/help" || fail "quenvel --help"
diff -u --label "quenvel --help" --label "manual page" <(grep -o -- '--[a-z][a-z]*' "$tmp/help" | sort -u) \
    <(grep -o -- '\\-\\-[a-z][a-z]*' "$man" | sed 's/\\-/-/g' | sort -u) || fail "--help and the manual page document different options"
grep -q 'FILE:LINE' "$tmp/help" || fail "--help does not document FILE:LINE"
grep -q 'FILE : LINE' "$man" || fail "the manual page does not document FILE:LINE"
[ "$failures" -eq 0 ] && echo "desktop integration: all checks passed"
exit $((failures > 0))
