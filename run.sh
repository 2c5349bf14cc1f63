#!/usr/bin/env bash
# Builds Tavrel (Release) and shows RECORD, or the bundled sample record. Only the program is
# built, not the tests.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/install-deps.sh
flags=(-DCMAKE_BUILD_TYPE=Release -DTAVREL_BENCH=OFF)
command -v ccache >/dev/null && flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-release -G Ninja "${flags[@]}" >/dev/null

record="${1:-resources/samples/sample.kif}"
if grep -q '^TAVREL_GUI:BOOL=ON' build-release/CMakeCache.txt; then
    cmake --build build-release -j "$(nproc)" --target tavrel
    if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
        echo "No display: run it as  xvfb-run -a ./run.sh $*" >&2
        exit 1
    fi
    exec build-release/tavrel/tavrel "$record"
fi
# Without the windows (configured with -DTAVREL_GUI=OFF) the record is shown as text.
cmake --build build-release -j "$(nproc)" --target tavrel-cli
exec build-release/cli/tavrel-cli show "$record"
