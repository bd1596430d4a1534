#!/usr/bin/env bash
# AVI writer and merge-cut benchmarks beside the ffmpeg command line, in one run on one machine.
#
#   bench/run_writer.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON), RUNS (at least 5) to 5.
# Writes its clip once into BUILD_DIR/writer-clips, prints the machine, every command it times
# and a table of medians with the ffmpeg figure and the ratio beside each.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
runs=${2:-5}
[[ $build = /* ]] || build=$root/$build
bench=$build/bench/writer_bench
tool=$build/tools/zorvik-media
clips=$build/writer-clips
out=$clips/out
export QT_QPA_PLATFORM=offscreen

for exe in "$bench" "$tool"; do
    [[ -x $exe ]] || { echo "missing $exe: build with -DZORVIK_BENCH=ON first" >&2; exit 1; }
done
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }

mkdir -p "$clips" "$out"
hd=$clips/h264_1080p30_300.mp4 # 10 s, GOP 30, 3 B-frames
if [[ ! -s $hd ]]; then
    echo "writing $hd" >&2
    "$tool" fixture "$hd.part.mp4" libx264 --size 1920x1080 --fps 30 --frames 300 --gop 30 --bframes 3 2>/dev/null
    mv "$hd.part.mp4" "$hd"
fi

source "$root/bench/bench_lib.sh"

# Three runs of frames (from 0, ends included), as the merge-cut and ffmpeg's trim take them.
runs_list="30-89,150-179,240-299"
cut_frames=150
filter="[0:v]trim=start_frame=30:end_frame=90,setpts=PTS-STARTPTS[a];"
filter+="[0:v]trim=start_frame=150:end_frame=180,setpts=PTS-STARTPTS[b];"
filter+="[0:v]trim=start_frame=240:end_frame=300,setpts=PTS-STARTPTS[c];"
filter+="[a][b][c]concat=n=3:v=1:a=0[v]"

echo "== machine"
echo "nproc: $(nproc)"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "ffmpeg: $(ffmpeg -version | head -1)"
echo "runs: $runs (medians)"
echo
echo "== commands"
echo "$bench write $hd $out/rgb.avi                 (MJPEG quality 93 = -q:v 3, RGB pictures in)"
echo "$bench write $hd $out/decoded.avi --decoded   (decoded frames in)"
echo "ffmpeg -i $hd -c:v mjpeg -q:v 3 $out/ff.avi"
echo "$bench cut $hd $out/cut.avi $runs_list"
echo "ffmpeg -i $hd -filter_complex '$filter' -map '[v]' -c:v mjpeg -q:v 3 $out/ffcut.avi"
ffmpeg -hide_banner -nostdin -loglevel error -i "$hd" -f null - # warm the page cache
for ((r = 0; r < runs; ++r)); do
    add write_rgb "$(wall "$bench" write "$hd" "$out/rgb.avi")"
    add write_decoded "$(wall "$bench" write "$hd" "$out/decoded.avi" --decoded)"
    add write_ff "$(wall ffmpeg -hide_banner -nostdin -y -i "$hd" -c:v mjpeg -q:v 3 "$out/ff.avi")"
    add cut "$(wall "$bench" cut "$hd" "$out/cut.avi" "$runs_list")"
    add cut_ff "$(wall ffmpeg -hide_banner -nostdin -y -i "$hd" -filter_complex "$filter" -map '[v]' -c:v mjpeg -q:v 3 "$out/ffcut.avi")"
done
# Both sides wrote what they should.
for f in rgb decoded ff; do [[ $(frame_count "$out/$f.avi") == 300 ]] || echo "warning: $f.avi does not hold 300 frames" >&2; done
for f in cut ffcut; do [[ $(frame_count "$out/$f.avi") == "$cut_frames" ]] || echo "warning: $f.avi does not hold $cut_frames frames" >&2; done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

echo "== results (medians of $runs runs; seconds, whole commands)"
row "measure" "zorvik" "ffmpeg" "ratio (zorvik / ffmpeg)" "target"
row "---" "---" "---" "---" "---"
row "1080p30, 300 frames to MJPEG AVI, RGB pictures in" "$(med write_rgb)" "$(med write_ff)" "$(ratio "$(med write_rgb)" "$(med write_ff)")" "<= 1.3"
row "1080p30, 300 frames to MJPEG AVI, decoded frames in" "$(med write_decoded)" "$(med write_ff)" "$(ratio "$(med write_decoded)" "$(med write_ff)")" "info"
row "merge-cut of 3 runs ($cut_frames frames) to MJPEG AVI" "$(med cut)" "$(med cut_ff)" "$(ratio "$(med cut)" "$(med cut_ff)")" "info"
