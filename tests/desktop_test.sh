#!/usr/bin/env bash
# Checks the files that make quenvel a desktop program, as the desktop's own
# tools see them: the desktop entry, the AppStream metadata, the file type
# (installed into a private mime database and queried with xdg-mime), the icons
# and the manual page, which must list the same options as `quenvel --help`.
#
# usage: desktop_test.sh SOURCE_DIR QUENVEL_BINARY CONFIGURED_MAN_PAGE
# Exit status 77 (skipped) when a validator is missing.
set -uo pipefail

src=$1 bin=$2 man=$3
res=$src/resources
id=org.quenvel.Quenvel
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in desktop-file-validate appstreamcli update-mime-database xdg-mime mimetype groff; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing (tools/deps.sh installs it)"
        exit 77
    fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Desktop entry: valid, and naming the icon and the file type shipped beside it.
desktop-file-validate "$res/$id.desktop" || fail "desktop-file-validate"
entry() { sed -n "s/^$1=//p" "$res/$id.desktop"; }
[ -f "$res/icons/hicolor/48x48/apps/$(entry Icon).png" ] || fail "desktop entry names an icon that is not shipped"
mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$res/quenvel-mime.xml")
[ "$(entry MimeType)" = "$mime_type;" ] || fail "desktop entry MimeType '$(entry MimeType)' is not '$mime_type;'"

# AppStream: valid without network checks, launching this desktop entry, and
# its newest release is the program's version.
appstreamcli validate --no-net "$res/$id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$res/$id.metainfo.xml" ||
    fail "metainfo does not launch $id.desktop"
version=$("$bin" --version | sed -n 's/^quenvel //p')
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$res/$id.metainfo.xml" | head -n 1)
[ "$newest" = "$version" ] || fail "newest release in the metainfo is '$newest', the program is '$version'"

# File type: names in any case and Series 5 binary source of any name are
# text/x-opl; other text and other binaries are not.
export XDG_DATA_HOME=$tmp/data XDG_DATA_DIRS=/usr/local/share:/usr/share
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
mkdir -p "$XDG_DATA_HOME/mime/packages" "$tmp/f"
cp "$res/quenvel-mime.xml" "$XDG_DATA_HOME/mime/packages/quenvel.xml"
update-mime-database "$XDG_DATA_HOME/mime" || fail "update-mime-database"
printf 'PROC main:\r\n\tPRINT "hi"\r\nENDP\r\n' > "$tmp/f/text.opl"
cp "$tmp/f/text.opl" "$tmp/f/SHOUT.OPL"
cp "$tmp/f/text.opl" "$tmp/f/Frame.Tpl"
cp "$src/tests/data/s5/TESTOPX" "$tmp/f/GAME"
printf 'just some notes\n' > "$tmp/f/notes"
# A binary whose bytes 8 to 11 differ from a Series 5 source file's in one byte.
head -c 64 "$src/tests/data/s5/TESTOPX" > "$tmp/f/other"
printf '\x86' | dd of="$tmp/f/other" bs=1 seek=8 conv=notrunc status=none
while read -r file want; do
    got=$(xdg-mime query filetype "$tmp/f/$file")
    if [ "$want" = "!text/x-opl" ]; then
        [ "$got" != text/x-opl ] || fail "$file is taken for text/x-opl"
    else
        [ "$got" = "$want" ] || fail "$file is '$got', expected '$want'"
    fi
done <<'EOF'
text.opl text/x-opl
SHOUT.OPL text/x-opl
Frame.Tpl text/x-opl
GAME text/x-opl
notes !text/x-opl
other !text/x-opl
EOF

# Icons: the SVG and a PNG of each size, that size.
grep -q '<svg' "$res/icons/quenvel.svg" || fail "quenvel.svg is not SVG"
for n in 16 32 48 64 128 256; do
    png=$res/icons/hicolor/${n}x$n/apps/quenvel.png
    # PNG header: width and height are the big-endian words at bytes 16 and 20.
    size=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
    [ "$size" = "${n}x$n" ] || fail "$png is '$size', not ${n}x$n"
done

# Manual page: formats without a warning and documents the same options and
# the same FILE:LINE form as --help.
warnings=$(groff -man -Tutf8 -ww -z "$man" 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
"$bin" --help > "$tmp/help" || fail "quenvel --help"
grep -o -- '--[a-z][a-z]*' "$tmp/help" | sort -u > "$tmp/help-options"
grep -o -- '\\-\\-[a-z][a-z]*' "$man" | sed 's/\\-/-/g' | sort -u > "$tmp/man-options"
diff -u --label "quenvel --help" --label "manual page" "$tmp/help-options" "$tmp/man-options" ||
    fail "--help and the manual page document different options"
grep -q 'FILE:LINE' "$tmp/help" || fail "--help does not document FILE:LINE"
grep -q 'FILE : LINE' "$man" || fail "the manual page does not document FILE:LINE"

[ "$failures" -eq 0 ] && echo "desktop integration: all checks passed"
exit $((failures > 0))
