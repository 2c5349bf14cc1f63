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
    "$b" --benchmark_filter="$filter" --benchmark_format=csv 2>/dev/null \
        > "$results/$(basename "$b").csv" || true
done
python3 - "$results" <<'PY'
import csv, glob, os, sys
standard = {"name", "iterations", "real_time", "cpu_time", "time_unit", "bytes_per_second",
            "items_per_second", "label", "error_occurred", "error_message"}
print(f"{'benchmark':<46} {'real':>11} {'cpu':>11}  unit  counters")
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.csv"))):
    lines = [l for l in open(path) if l.strip()]
    start = next((i for i, l in enumerate(lines) if l.startswith("name,")), None)
    if start is None:
        continue
    for row in csv.DictReader(lines[start:]):
        if row.get("error_occurred") == "true":
            print(f"{row['name']:<46} skipped: {row.get('error_message', '')}")
            continue
        counters = " ".join(f"{k}={float(v):g}" for k, v in row.items()
                            if k not in standard and v not in (None, ""))
        if row.get("bytes_per_second"):
            counters += f" MB/s={float(row['bytes_per_second']) / 1e6:.1f}"
        if row.get("items_per_second"):
            counters += f" items/s={float(row['items_per_second']):.4g}"
        print(f"{row['name']:<46} {float(row['real_time']):>11.3f} "
              f"{float(row['cpu_time']):>11.3f}  {row['time_unit']:<4}  {counters.strip()}")
PY
rm -rf "$results"
