#!/usr/bin/env bash
# Time from opening a long file to its first picture, beside the ffmpeg command line.
#
#   bench/run_open.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON), RUNS to 5. Writes once
# into BUILD_DIR/long-clips a 10-minute and a 60-minute 1080p30 H.264 MP4 (with AAC audio, GOP
# 250, B-frames) and a 30-minute 720p30 MPEG-4 Part 2 AVI, each a minute encoded once and copied
# end to end. Timed: `zorvik-media export-frame FILE 0 OUT.png` against `ffmpeg -i FILE
# -frames:v 1 OUT.png` (both decode the first picture and write it as PNG), warm (the file in the
# page cache) and, when /proc/sys/vm/drop_caches can be written, cold.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-build/bench}
runs=${2:-5}
build=${build#"$root"/}
tool=$build/tools/zorvik-media
clips=$build/long-clips
[[ -x $tool ]] || { echo "missing $tool: build first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }
source "$root/bench/bench_lib.sh"

mkdir -p "$clips"
long_clip() { # OUT MINUTES SIZE CODEC-ARGS...
    local out=$1 minutes=$2 size=$3; shift 3
    [[ -s $out ]] && return
    echo "writing $out" >&2
    local minute=$out.minute.${out##*.}
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=$size:rate=30" -f lavfi -i sine=frequency=440:sample_rate=48000 \
        -t 60 "$@" "$minute"
    for ((i = 0; i < minutes; ++i)); do echo "file '$(basename "$minute")'"; done >"$out.list"
    ffmpeg -v error -y -f concat -safe 0 -i "$out.list" -c copy "$out.part.${out##*.}"
    mv "$out.part.${out##*.}" "$out"
    rm -f "$minute" "$out.list"
}
h264=(-c:v libx264 -preset ultrafast -x264-params bframes=3:keyint=250 -b:v 8M -pix_fmt yuv420p -c:a aac -b:a 128k)
mpeg4=(-c:v mpeg4 -q:v 4 -g 250 -bf 2 -c:a mp3 -b:a 128k)
long_clip "$clips/h264_1080p_10min.mp4" 10 1920x1080 "${h264[@]}"
long_clip "$clips/h264_1080p_60min.mp4" 60 1920x1080 "${h264[@]}"
long_clip "$clips/mpeg4_720p_30min.avi" 30 1280x720 "${mpeg4[@]}"

cold=0
if [[ -w /proc/sys/vm/drop_caches ]]; then cold=1; else echo "note: caches cannot be dropped here: warm only" >&2; fi
drop() { sync; echo 3 >/proc/sys/vm/drop_caches; }

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo), $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for clip in "$clips"/h264_1080p_10min.mp4 "$clips"/h264_1080p_60min.mp4 "$clips"/mpeg4_720p_30min.avi; do
    name=$(basename "$clip")
    for ((r = 0; r < runs; ++r)); do
        for state in warm cold; do
            [[ $state == cold && $cold == 0 ]] && continue
            [[ $state == cold ]] && drop
            add "$name $state zorvik" "$(wall "$tool" export-frame "$clip" 0 "$out/z.png")"
            [[ $state == cold ]] && drop
            add "$name $state ffmpeg" "$(wall ffmpeg -v error -y -i "$clip" -frames:v 1 "$out/f.png")"
        done
    done
done
echo "commands: $tool export-frame FILE 0 OUT.png | ffmpeg -v error -y -i FILE -frames:v 1 OUT.png; median of $runs runs"
echo
row "file, cache" "zorvik s" "ffmpeg s" "ratio" "aim <= 1.5"
row "---" "---" "---" "---" "---"
for clip in "$clips"/h264_1080p_10min.mp4 "$clips"/h264_1080p_60min.mp4 "$clips"/mpeg4_720p_30min.avi; do
    name=$(basename "$clip")
    for state in warm cold; do
        [[ $state == cold && $cold == 0 ]] && continue
        z=$(med "$name $state zorvik")
        f=$(med "$name $state ffmpeg")
        q=$(ratio "$z" "$f")
        row "$name, $state" "$z" "$f" "$q" "$(awk -v q="$q" 'BEGIN {print (q <= 1.5) ? "yes" : "no"}')"
    done
done
