#!/usr/bin/env bash
# Builds and runs the whole test suite twice: a normal build, then each fuzz target
# briefly, then the suite under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

echo "== normal build =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j2
(cd build && ctest -j2 --output-on-failure)

echo "== fuzzing, briefly (fuzz/run-long runs it for longer) =="
if command -v clang++ >/dev/null; then
    fuzz/run-long --runs "${QUENVEL_FUZZ_RUNS:-20000}"
else
    echo "clang++ is not installed: fuzzing skipped"
fi

echo "== sanitizer build (ASan + UBSan) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENVEL_SANITIZE=ON -DQUENVEL_BENCH=OFF >/dev/null
ninja -C build-asan -j2
(cd build-asan && ctest -j2 --output-on-failure)
