#!/usr/bin/env bash
# Builds Quenvel and starts it; arguments go to the program (a file to open).
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j2 quenvel
exec build/quenvel "$@"
