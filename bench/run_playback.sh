#!/usr/bin/env bash
# Playback benchmark: the view controller's real playback loop, headless, over H.264 clips.
#
#   bench/run_playback.sh [BUILD_DIR] [RUNS] [SECONDS] [backwards]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON), RUNS to 3, SECONDS of
# playback per run to 6. Writes its clips once into BUILD_DIR/playback-clips (libx264, 30 fps,
# 20 s, GOP 45 = 1.5 s, 2 B-frames), prints the machine, every command and a table of medians:
# frames shown / frames due (worst view) and the waits of events posted every 10 ms. Then
# backwards at 1x over a 1080p30 clip of 250-frame GOPs (20 s), 14 s from its end (over two GOP
# starts): frames shown / due and the longest wait for a new frame after the first second.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" # paths below are shown relative to the source tree
build=${1:-build/bench}
runs=${2:-3}
seconds=${3:-6}
only_backwards=${4:-}
build=${build#"$root"/}
bench=$build/bench/playback_bench
clips=$build/playback-clips
[[ -x $bench ]] || { echo "missing $bench: build with -DZORVIK_BENCH=ON first" >&2; exit 1; }
[[ -d $build/src/Img ]] || { echo "missing $build/src/Img: build the zorvik target too (it copies the pictures)" >&2; exit 1; }

mkdir -p "$clips"
make_clip() { # OUT SIZE [GOP]
    [[ -s $1 ]] && return
    echo "writing $1" >&2
    "$bench" --write "$1.part.mp4" --size "$2" --fps 30 --frames 600 --gop "${3:-45}" --bframes 2
    mv "$1.part.mp4" "$1"
}
hd=$clips/h264_720p30.mp4
fhd=$clips/h264_1080p30.mp4
long_gop=$clips/h264_1080p30_gop250.mp4
make_clip "$hd" 1280x720
make_clip "$fhd" 1920x1080
make_clip "$long_gop" 1920x1080 250

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
forward_clips=("$hd" "$fhd")
[[ $only_backwards == backwards ]] && forward_clips=()
for clip in "${forward_clips[@]}"; do
    for views in 1 2 4; do
        for speed in 1.0 3.0; do
            configs+=("$clip|$views|$speed")
            echo "$bench $clip --views $views --speed $speed --seconds $seconds"
        done
    done
done
echo "$bench $long_gop --backwards --speed 1.0 --seconds 14"
echo "$bench $long_gop --speed 1.0 --seconds 14   (forwards on the same clip, for the loop's own jitter)"
echo "ffmpeg -threads 2 -i $long_gop -f null -   (the peer: decoding the 600 frames once, forwards)"
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
    for way in back fwd; do
        flag=(); [[ $way == back ]] && flag=(--backwards)
        out=$(QT_QPA_PLATFORM=offscreen "$bench" "$long_gop" "${flag[@]}" --speed 1.0 --seconds 14)
        add "${way}_ratio" "$(key shown_ratio <<<"$out")"
        add "${way}_stall" "$(key stall_ms <<<"$out")"
        add "${way}_frame" "$(key frame_ms <<<"$out")"
        add "${way}_emax" "$(key event_max_ms <<<"$out")"
    done
    add back_ff "$(wall ffmpeg -hide_banner -nostdin -threads 2 -i "$long_gop" -f null -)"
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
echo
echo "== backwards (medians of $runs runs)"
row2() { printf '| %s | %s | %s | %s | %s |\n' "$@"; }
row2 "clip" "shown / due" "longest wait for a new frame after 1 s, ms (frame interval)" "event wait max ms" "ffmpeg decode of the clip, s"
row2 "---" "---" "---" "---" "---"
row2 "$(basename "$long_gop" .mp4), 1 view, 1x backwards" "$(med back_ratio)" "$(med back_stall) ($(med back_frame))" "$(med back_emax)" "$(med back_ff)"
row2 "$(basename "$long_gop" .mp4), 1 view, 1x forwards" "$(med fwd_ratio)" "$(med fwd_stall) ($(med fwd_frame))" "$(med fwd_emax)" ""
