#!/usr/bin/env bash
# Tracking speed beside decoding speed on the same 720p and 1080p H.264 clips: the engine's decode,
# decode plus tracking, and ffmpeg's own decode of the file (-threads 2), in one run.
#
#   bench/run_tracking.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON, an optimised build),
# RUNS to 5. Prints the machine, the commands and the medians.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
runs=${2:-5}
[[ $build = /* ]] || build=$root/$build
bench=$build/bench/tracking_bench
[[ -x $bench ]] || { echo "missing $bench: build with -DZORVIK_BENCH=ON first" >&2; exit 1; }
source "$root/bench/bench_lib.sh"
clips=$build/tracking-clips

echo "== machine"
echo "nproc: $(nproc)"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== commands"
echo "QT_QPA_PLATFORM=offscreen $bench --dir $clips --runs $runs"
echo "ffmpeg -v error -threads 2 -i CLIP -f null -   ($runs times, median)"
echo
out=$(QT_QPA_PLATFORM=offscreen "$bench" --dir "$clips" --runs "$runs")
echo "$out"
echo
echo "== ffmpeg decode of the same clips (medians of $runs runs)"
for h in 720 1080; do
    clip=$(echo "$out" | key "clip_${h}p")
    for ((r = 0; r < runs; r++)); do add "ff$h" "$(wall ffmpeg -v error -threads 2 -i "$clip" -f null -)"; done
    ff=$(med "ff$h")
    echo "ffmpeg_decode_s_${h}p=$ff ffmpeg_fps_${h}p=$(awk -v s="$ff" 'BEGIN {printf "%.1f", 300 / s}')"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
