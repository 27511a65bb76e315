#!/usr/bin/env bash
# Builds the Debian package from a finished build, unpacks it into a private
# root as dpkg would install it, and uses what it installed: the program's
# --version and --convert, and `man quenvel`.
#
# usage: package_test.sh BUILD_DIR CPACK_COMMAND SOURCE_DIR
# Exit status 77 (skipped) when cpack or dpkg-deb is missing.
set -uo pipefail

build=$1 cpack=$2 src=$3
data=$src/tests/data
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in "$cpack" dpkg-deb; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing"
        exit 77
    fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" > "$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    echo "FAIL: cpack -G DEB" >&2
    exit 1
fi
debs=("$tmp"/out/quenvel_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: expected one quenvel_*.deb, found: ${debs[*]}" >&2
    exit 1
fi
deb=${debs[0]}
echo "built $(basename "$deb") ($(stat -c %s "$deb") bytes)"

# Control fields: named for the program's version, and depending on the Qt
# libraries the binary links and the platform plugins the window loads.
field() { dpkg-deb -f "$deb" "$1"; }
root=$tmp/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
version=$("$root/usr/bin/quenvel" --version) || fail "installed quenvel --version"
[ "$version" = "quenvel $(field Version)" ] || fail "package version $(field Version), program says '$version'"
depends=$(field Depends)
needed=(libstdc++6 libc6)
if readelf -d "$root/usr/bin/quenvel" 2>/dev/null | grep -q 'NEEDED.*libQt6Widgets'; then
    needed+=(libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins)
fi
for dep in "${needed[@]}"; do
    [[ ", $depends," == *", $dep "* || ", $depends," == *", $dep,"* ]] || fail "Depends lacks $dep: $depends"
done
[ "$(field Section)" = editors ] || fail "Section is '$(field Section)'"

# The files, in the places where the desktop looks for them, and nothing else.
id=org.quenvel.Quenvel
expected=(
    ./usr/bin/quenvel
    ./usr/share/applications/$id.desktop
    ./usr/share/doc/quenvel/README.md
    ./usr/share/icons/hicolor/128x128/apps/quenvel.png
    ./usr/share/icons/hicolor/16x16/apps/quenvel.png
    ./usr/share/icons/hicolor/256x256/apps/quenvel.png
    ./usr/share/icons/hicolor/32x32/apps/quenvel.png
    ./usr/share/icons/hicolor/48x48/apps/quenvel.png
    ./usr/share/icons/hicolor/64x64/apps/quenvel.png
    ./usr/share/icons/hicolor/scalable/apps/quenvel.svg
    ./usr/share/man/man1/quenvel.1.gz
    ./usr/share/metainfo/$id.metainfo.xml
    ./usr/share/mime/packages/quenvel.xml
)
(cd "$root" && find . -type f | LC_ALL=C sort) > "$tmp/files"
printf '%s\n' "${expected[@]}" | LC_ALL=C sort > "$tmp/expected"
diff -u --label expected --label packaged "$tmp/expected" "$tmp/files" || fail "file list"
# Everything owned by root; the program executable, the rest read-only data.
dpkg-deb -c "$deb" > "$tmp/contents"
awk '$2 != "root/root" || ($1 !~ /^d/ && $1 != ($6 == "./usr/bin/quenvel" ? "-rwxr-xr-x" : "-rw-r--r--"))' \
    "$tmp/contents" > "$tmp/modes"
[ ! -s "$tmp/modes" ] || fail "unexpected owner or mode: $(cat "$tmp/modes")"

# The installed program must not look for anything in the trees it was built from.
for tree in "$(realpath "$src")" "$(realpath "$build")"; do
    ! grep -q -a -F "$tree" "$root/usr/bin/quenvel" || fail "the installed program refers to $tree"
done

# The installed program converts a Series 5 source file to its text twin.
if "$root/usr/bin/quenvel" --convert "$data/s5/TESTOPX" "$tmp/out.opl"; then
    cmp -s <(tr -d '\r' < "$tmp/out.opl") <(tr -d '\r' < "$data/text/TESTOPX.OPL") ||
        fail "installed --convert wrote different lines from text/TESTOPX.OPL"
else
    fail "installed quenvel --convert"
fi

# man quenvel finds and formats the installed page.
if command -v man >/dev/null; then
    page=$(MANWIDTH=80 man -M "$root/usr/share/man" -P cat quenvel 2>&1) || fail "man quenvel: $page"
    grep -q 'EXIT STATUS' <<<"$page" || fail "man quenvel shows no EXIT STATUS section"
else
    echo "note: man is missing, the manual page was not formatted"
fi

[ "$failures" -eq 0 ] && echo "debian package: all checks passed"
exit $((failures > 0))
