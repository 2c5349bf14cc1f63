#!/usr/bin/env bash
# Builds the benchmarks (Release), writes the corpus when it is missing and runs every benchmark,
# printing one table. Not part of ./test.sh.
#   bench/run.sh [FILTER]     FILTER: a regular expression of benchmark names
#   bench/run.sh --scale N    the large benchmarks over N records (make_corpus --scale, written
#                             once into $TAVREL_SCALE_CORPUS, default bench/corpus/scale-N; the
#                             databases go to $TAVREL_SCALE_WORK, default that folder plus -work)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/install-deps.sh
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVREL_GUI=OFF -DTAVREL_BENCH=ON \
    >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

if [[ "${1:-}" == "--scale" ]]; then
    n="${2:?usage: bench/run.sh --scale N}"
    scale="${TAVREL_SCALE_CORPUS:-bench/corpus/scale-$n}"
    mkdir -p "$scale"
    if [[ $(find "$scale" -type f | wc -l) -lt $n ]]; then
        echo "Writing $n records into $scale (df: $(df -h --output=avail "$scale" | tail -1)) ..."
        "$build/bench/make_corpus" --scale "$scale" "$n"
    fi
    export TAVREL_SCALE_CORPUS="$(cd "$scale" && pwd)"
    export TAVREL_SCALE_WORK="${TAVREL_SCALE_WORK:-$TAVREL_SCALE_CORPUS-work}"
    # One process per benchmark, so that each peak memory figure is its own; registration first,
    # as it writes the databases the others open.
    for name in Register OpenDlbAndList OpenDlsAndList IndexBuild PositionSearchOpeningIndexed \
        PositionSearchMiddleIndexed PositionSearchMiddleScan NextMoveSearchIndexed \
        SequenceSearch AllStatistics DuplicateCheck; do
        "$build/bench/scale_bench" --benchmark_filter="^BM_Scale$name/" --benchmark_format=json \
            2>/dev/null > "$results/$name.json" || echo "BM_Scale$name failed" >&2
    done
    # The opening tree: the tree index is built (and saved) first, as the others read it.
    for name in IndexBuild Start StartFiltered StartNoTreeIndex FewHits FewHitsNoTreeIndex \
        Middle Step30Shared Step30Random Step30SharedNoTreeIndex Book BookDefaults \
        BookStreamed BookStreamedDefaults; do
        "$build/bench/tree_scale_bench" --benchmark_filter="^BM_TreeScale$name/" \
            --benchmark_format=json 2>/dev/null > "$results/Tree$name.json" ||
            echo "BM_TreeScale$name failed" >&2
    done
    set -- "--print"
fi

corpus="${TAVREL_CORPUS:-bench/corpus}"
if [[ "${1:-}" == "--print" ]]; then
    :
elif [[ ! -d "$corpus/kif" || $(ls "$corpus/kif" | wc -l) -lt 10000 ]]; then
    echo "Writing the corpus into $corpus ..."
    "$build/bench/make_corpus" "$corpus" 10000
fi
[[ -d "$corpus" ]] && export TAVREL_CORPUS="$(cd "$corpus" && pwd)"

filter="${1:-.}"
for b in "$build"/bench/*_bench; do
    [[ "$filter" == "--print" ]] && break
    # The large benchmarks only run with --scale.
    [[ "$(basename "$b")" == scale_bench ]] && continue
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
