#!/usr/bin/env bash
# Saving and loading an analysis of 1,000 drawings and 200 measurements over four views, beside a
# plain JSON parse of the same bytes, in one run on one machine.
#
#   bench/run_analysis.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON, an optimised build),
# RUNS to 15. Prints the machine, the command and the benchmark's medians (milliseconds).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
runs=${2:-15}
[[ $build = /* ]] || build=$root/$build
bench=$build/bench/analysis_bench
[[ -x $bench ]] || { echo "missing $bench: build with -DZORVIK_BENCH=ON first" >&2; exit 1; }

echo "== machine"
echo "nproc: $(nproc)"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== command"
echo "$bench --runs $runs"
echo
echo "== results (medians of $runs runs)"
"$bench" --runs "$runs"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
