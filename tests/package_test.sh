#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a private root as dpkg would, and uses it: --version, --convert, man.
# usage: package_test.sh BUILD_DIR CPACK_COMMAND SOURCE_DIR (77: cpack or dpkg-deb is missing)
set -uo pipefail
build=$1 cpack=$2 src=$3 data=$3/tests/data id=org.quenvel.Quenvel failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
for tool in "$cpack" dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; echo "FAIL: cpack -G DEB" >&2; exit 1; }
debs=("$tmp"/out/quenvel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one quenvel_*.deb, found: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]} root=$tmp/root
echo "built $(basename "$deb") ($(stat -c %s "$deb") bytes)"

# control fields: the version, the Qt libraries linked and the platform plugins loaded, the section
field() { dpkg-deb -f "$deb" "$1"; }
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
version=$("$root/usr/bin/quenvel" --version) || fail "installed quenvel --version"
[ "$version" = "quenvel $(field Version)" ] || fail "package version $(field Version), program says '$version'"
needed=(libstdc++6 libc6)
readelf -d "$root/usr/bin/quenvel" 2>/dev/null | grep -q 'NEEDED.*libQt6Widgets' &&
    needed+=(libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins)
for dep in "${needed[@]}"; do
    [[ ", $(field Depends)," =~ ", $dep"[\ ,] ]] || fail "Depends lacks $dep: $(field Depends)"
done
[ "$(field Section)" = editors ] || fail "Section is '$(field Section)'"

# the files where the desktop looks for them, nothing else; all root's, read-only but the program
icons=/usr/share/icons/hicolor
diff -u --label expected --label packaged <(printf '.%s\n' /usr/bin/quenvel /usr/share/applications/$id.desktop \
    /usr/share/doc/quenvel/README.md $icons/{128x128,16x16,256x256,32x32,48x48,64x64}/apps/quenvel.png \
    $icons/scalable/apps/quenvel.svg /usr/share/man/man1/quenvel.1.gz /usr/share/metainfo/$id.metainfo.xml \
    /usr/share/mime/packages/quenvel.xml | LC_ALL=C sort) <(cd "$root" && find . -type f | LC_ALL=C sort) || fail "file list"
modes=$(dpkg-deb -c "$deb" | awk '$2 != "root/root" || ($1 !~ /^d/ && $1 != ($6 == "./usr/bin/quenvel" ? "-rwxr-xr-x" : "-rw-r--r--"))')
[ -z "$modes" ] || fail "unexpected owner or mode: $modes"

# the installed program looks for nothing in the trees it was built from
for tree in "$(realpath "$src")" "$(realpath "$build")"; do
    ! grep -q -a -F "$tree" "$root/usr/bin/quenvel" || fail "the installed program refers to $tree"
done
# it converts a Series 5 source file to its text twin
"$root/usr/bin/quenvel" --convert "$data/s5/TESTOPX" "$tmp/out.opl" || fail "installed quenvel --convert"
cmp -s <(tr -d '\r' <"$tmp/out.opl") <(tr -d '\r' <"$data/text/TESTOPX.OPL") ||
    fail "installed --convert wrote different lines from text/TESTOPX.OPL"
# and man quenvel finds and formats its page
if command -v man >/dev/null; then
    page=$(MANWIDTH=80 man -M "$root/usr/share/man" -P cat quenvel 2>&1) || fail "man quenvel: $page"
    grep -q 'EXIT STATUS' <<<"$page" || fail "man quenvel shows no EXIT STATUS section"
else
    echo "note: man is missing, the manual page was not formatted"
fi
[ "$failures" -eq 0 ] && echo "debian package: all checks passed"
exit $((failures > 0))
