#!/usr/bin/env bash
# Builds and runs the whole test suite. ./test.sh --sanitize runs it in a separate
# AddressSanitizer + UBSan build (build-asan/).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/install-deps.sh

build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BENCH=ON)
if [[ "${1:-}" == "--sanitize" ]]; then
    build=build-asan
    flags=(-DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON -DTAVREL_BENCH=OFF)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

jobs=$(nproc)
./scripts/check-format.sh
./scripts/check-layers.sh
cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs"
