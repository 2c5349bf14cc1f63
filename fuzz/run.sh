#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz/), writes their seed corpora and dictionaries,
# and runs every target for SECONDS, two or more at a time. Prints each target's executions per
# second and coverage, and exits non-zero when any target found a crash, a sanitizer report, a
# leak, a timeout or a broken invariant (the input is kept in build-fuzz/artifacts/).
#   fuzz/run.sh SECONDS [-DOPTION=VALUE ...]
# The corpora grow in build-fuzz/corpus/ from run to run; remove the folder to start afresh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [[ $# -lt 1 || ! "$1" =~ ^[0-9]+$ ]]; then
    echo "usage: fuzz/run.sh SECONDS [-DOPTION=VALUE ...]" >&2
    exit 2
fi
seconds=$1
shift
./scripts/install-deps.sh
./scripts/install-deps.sh scripts/debian-packages-fuzz.txt

build=build-fuzz
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTAVREL_FUZZ=ON
    -DTAVREL_GUI=OFF -DTAVREL_BENCH=OFF -DTAVREL_SANITIZE=OFF)
for arg in "$@"; do
    [[ "$arg" == -D* ]] || { echo "fuzz/run.sh: not a CMake option: $arg" >&2; exit 2; }
    flags+=("$arg")
done
command -v ccache >/dev/null && flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzzers

rm -rf "$build/seeds" "$build/artifacts" "$build/logs" "$build/tmp"
mkdir -p "$build/seeds" "$build/artifacts" "$build/logs" "$build/tmp" "$build/corpus"
"$build/fuzz/make_fuzz_seeds" "$build/seeds"
export TAVREL_FUZZ_TMP="$PWD/$build/tmp"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

targets=()
for exe in "$build"/fuzz/fuzz_*; do targets+=("${exe##*/fuzz_}"); done

run_target() {
    local t=$1 dict=()
    mkdir -p "$build/corpus/$t"
    [[ -f "$build/seeds/$t.dict" ]] && dict=(-dict="$build/seeds/$t.dict")
    "$build/fuzz/fuzz_$t" "$build/corpus/$t" "$build/seeds/$t" "${dict[@]}" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$t-" >"$build/logs/$t.log" 2>&1
}

# As many targets at a time as there are cores; each is one process.
jobs=$(nproc)
declare -A pid_of
for t in "${targets[@]}"; do
    while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
    run_target "$t" &
    pid_of[$t]=$!
done

status=0
printf '%-20s %10s %8s %8s  %s\n' target execs/s cov ft result
for t in "${targets[@]}"; do
    result=ok
    wait "${pid_of[$t]}" || { result="FAILED (rc $?)"; status=1; }
    log="$build/logs/$t.log"
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")
    rate=$(sed -n 's/^stat::average_exec_per_sec:[[:space:]]*//p' "$log" | tail -1)
    printf '%-20s %10s %8s %8s  %s\n' "$t" "${rate:--}" "${cov:--}" "${ft:--}" "$result"
done
if ((status)); then
    for t in "${targets[@]}"; do
        log="$build/logs/$t.log"
        if grep -qE 'ERROR: libFuzzer|ERROR: AddressSanitizer|runtime error|ERROR: LeakSanitizer|fuzz invariant broken' "$log"; then
            echo "---- $t ($log)"
            grep -E -A30 'fuzz invariant broken|ERROR: |runtime error' "$log" | head -40
        fi
    done
    echo "Inputs that failed: $build/artifacts/ (reproduce: $build/fuzz/fuzz_TARGET FILE)" >&2
fi
exit $status
