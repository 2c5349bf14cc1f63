#!/usr/bin/env bash
# Builds the benchmarks (Release), writes the corpus when it is missing and runs every benchmark,
# printing one table. Not part of ./test.sh.
#   bench/run.sh [FILTER]     FILTER: a regular expression of benchmark names
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/install-deps.sh
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVREL_GUI=OFF -DTAVREL_BENCH=ON \
    >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

corpus="${TAVREL_CORPUS:-bench/corpus}"
if [[ ! -d "$corpus/kif" || $(ls "$corpus/kif" | wc -l) -lt 10000 ]]; then
    echo "Writing the corpus into $corpus ..."
    "$build/bench/make_corpus" "$corpus" 10000
fi
export TAVREL_CORPUS="$(cd "$corpus" && pwd)"

filter="${1:-.}"
results=$(mktemp -d)
for b in "$build"/bench/*_bench; do
    "$b" --benchmark_filter="$filter" --benchmark_format=json 2>/dev/null \
        > "$results/$(basename "$b").json" || echo "$(basename "$b") failed" >&2
done
python3 - "$results" <<'PY'
import glob, json, os, sys
standard = {"name", "run_name", "run_type", "repetitions", "repetition_index", "threads",
            "iterations", "real_time", "cpu_time", "time_unit", "family_index",
            "per_family_instance_index", "bytes_per_second", "items_per_second", "label",
            "error_occurred", "error_message", "aggregate_name", "aggregate_unit"}
print(f"{'benchmark':<52} {'real':>11} {'cpu':>11}  unit  counters")
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.json"))):
    try:
        runs = json.load(open(path)).get("benchmarks", [])
    except ValueError:
        continue  # the filter matched none of its benchmarks
    for r in runs:
        if r.get("error_occurred"):
            print(f"{r['name']:<52} skipped: {r.get('error_message', '')}")
            continue
        counters = " ".join(f"{k}={v:g}" for k, v in r.items()
                            if k not in standard and isinstance(v, (int, float)))
        if "bytes_per_second" in r:
            counters += f" MB/s={r['bytes_per_second'] / 1e6:.1f}"
        if "items_per_second" in r:
            counters += f" items/s={r['items_per_second']:.4g}"
        print(f"{r['name']:<52} {r['real_time']:>11.3f} {r['cpu_time']:>11.3f}  "
              f"{r['time_unit']:<4}  {counters.strip()}")
PY
rm -rf "$results"
