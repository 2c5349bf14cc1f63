#!/usr/bin/env bash
# Builds and runs the whole test suite.
#   ./test.sh [--sanitize] [--slow] [-DOPTION=VALUE ...]
# --sanitize runs it in a separate Debug build with asserts, AddressSanitizer and UBSan
# (build-asan/). Arguments starting with -D go to CMake (CI passes -DTAVREL_REQUIRE_INTEROP=ON
# -DTAVREL_WERROR=ON). Tests labelled "slow" (the crash test) run only with --slow.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/install-deps.sh

build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BENCH=ON -DTAVREL_SANITIZE=OFF)
select=(-LE slow)
for arg in "$@"; do
    case "$arg" in
        --sanitize)
            build=build-asan
            flags=(-DCMAKE_BUILD_TYPE=Debug -DTAVREL_SANITIZE=ON -DTAVREL_BENCH=OFF)
            export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
            export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
            ;;
        --slow) select=() ;;
        -D*) ;;
        *)
            echo "usage: ./test.sh [--sanitize] [--slow] [-DOPTION=VALUE ...]" >&2
            exit 2
            ;;
    esac
done
for arg in "$@"; do
    [[ "$arg" == -D* ]] && flags+=("$arg")
done
if command -v ccache >/dev/null; then
    flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

jobs=$(nproc)
./scripts/check-format.sh
./scripts/check-layers.sh
cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs" "${select[@]}"
