#!/usr/bin/env bash
# Builds Tavrel (Release) and shows RECORD, or the bundled sample record.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVREL_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc)"

record="${1:-resources/samples/sample.kif}"
if [[ -x build-release/viewer/tavrel ]]; then
    if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
        echo "No display: run it as  xvfb-run -a ./run.sh $*" >&2
        exit 1
    fi
    exec build-release/viewer/tavrel "$record"
fi
exec build-release/cli/tavrel-cli show "$record"
