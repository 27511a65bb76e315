# Sourced by the end-to-end scripts: skips (exit 77) when a tool is missing, then makes a
# scratch folder $work holding a writable copy of the program as prog.opl (the shared
# corpus is read-only) and a settings file of its own.
# Usage: . setup.sh PROGRAM TOOL...
e2e_program=$1
shift
for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$e2e_program" "$work/prog.opl"
chmod 644 "$work/prog.opl"
export QUENVEL_SETTINGS="$work/quenvel.ini"
