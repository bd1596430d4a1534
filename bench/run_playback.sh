#!/usr/bin/env bash
# Playback benchmark: the view controller's real playback loop, headless, over H.264 clips.
#
#   bench/run_playback.sh [BUILD_DIR] [RUNS] [SECONDS]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON), RUNS to 3, SECONDS of
# playback per run to 6. Writes its clips once into BUILD_DIR/playback-clips (libx264, 30 fps,
# 20 s, GOP 45 = 1.5 s, 2 B-frames), prints the machine, every command and a table of medians:
# frames shown / frames due (worst view) and the waits of events posted every 10 ms.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" # paths below are shown relative to the source tree
build=${1:-build/bench}
runs=${2:-3}
seconds=${3:-6}
build=${build#"$root"/}
bench=$build/bench/playback_bench
clips=$build/playback-clips
[[ -x $bench ]] || { echo "missing $bench: build with -DZORVIK_BENCH=ON first" >&2; exit 1; }
[[ -d $build/src/Img ]] || { echo "missing $build/src/Img: build the zorvik target too (it copies the pictures)" >&2; exit 1; }

mkdir -p "$clips"
make_clip() { # OUT SIZE
    [[ -s $1 ]] && return
    echo "writing $1" >&2
    "$bench" --write "$1.part.mp4" --size "$2" --fps 30 --frames 600 --gop 45 --bframes 2
    mv "$1.part.mp4" "$1"
}
hd=$clips/h264_720p30.mp4
fhd=$clips/h264_1080p30.mp4
make_clip "$hd" 1280x720
make_clip "$fhd" 1920x1080

source "$root/bench/bench_lib.sh"

echo "== machine"
echo "nproc: $(nproc)"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "memory: $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "runs: $runs (medians), $seconds s of playback each"
echo
echo "== commands"
configs=()
for clip in "$hd" "$fhd"; do
    for views in 1 2 4; do
        for speed in 1.0 3.0; do
            configs+=("$clip|$views|$speed")
            echo "$bench $clip --views $views --speed $speed --seconds $seconds"
        done
    done
done
for ((r = 0; r < runs; ++r)); do
    for c in "${configs[@]}"; do
        IFS='|' read -r clip views speed <<<"$c"
        out=$(QT_QPA_PLATFORM=offscreen "$bench" "$clip" --views "$views" --speed "$speed" --seconds "$seconds")
        id="$(basename "$clip" .mp4)_${views}_$speed"
        add "ratio_$id" "$(key shown_ratio <<<"$out")"
        add "passes_$id" "$(key passes_per_s <<<"$out")"
        add "emed_$id" "$(key event_median_ms <<<"$out")"
        add "ep99_$id" "$(key event_p99_ms <<<"$out")"
        add "emax_$id" "$(key event_max_ms <<<"$out")"
        add "zoom_$id" "$(key zoom <<<"$out")"
    done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

row() { printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$@"; }
echo "== results (medians of $runs runs)"
row "clip" "views" "speed" "shown / due (worst view)" "passes/s" "event wait median / p99 / max ms" "zoom %"
row "---" "---" "---" "---" "---" "---" "---"
for c in "${configs[@]}"; do
    IFS='|' read -r clip views speed <<<"$c"
    id="$(basename "$clip" .mp4)_${views}_$speed"
    row "$(basename "$clip" .mp4)" "$views" "$speed" "$(med "ratio_$id")" "$(med "passes_$id")" \
        "$(med "emed_$id") / $(med "ep99_$id") / $(med "emax_$id")" "$(med "zoom_$id")"
done
