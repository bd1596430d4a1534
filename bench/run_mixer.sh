#!/usr/bin/env bash
# Video mixer benchmarks beside the ffmpeg command line, in one run on one machine.
#
#   bench/run_mixer.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON, an optimised build),
# RUNS (at least 5) to 5. Writes its clips once into BUILD_DIR/mixer-clips, prints the machine,
# every command it times and a table of medians with the ffmpeg figure and the ratio beside each.
#
# (a) the saved mix of two 1080p30 clips (algorithm 1) as MJPEG AVI, whole command, against
#     ffmpeg's blend filter writing MJPEG AVI of the same clips;
# (b) the live rates: decode + mix of two 720p30 clips and decode + stroboscope of one, output
#     frames per second, against ffmpeg decoding and blending the same clips without writing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
runs=${2:-5}
[[ $build = /* ]] || build=$root/$build
bench=$build/bench/mixer_bench
clips=$build/mixer-clips
out=$clips/out
threads=$(nproc)
export QT_QPA_PLATFORM=offscreen

[[ -x $bench ]] || { echo "missing $bench: build with -DZORVIK_BENCH=ON first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }

mkdir -p "$clips" "$out"
"$bench" clips "$clips" 1920x1080 30 300
"$bench" clips "$clips" 1280x720 30 300
hd1=$clips/pattern_1920x1080.mp4
hd2=$clips/subject_1920x1080.mp4
sd1=$clips/pattern_1280x720.mp4
sd2=$clips/subject_1280x720.mp4

source "$root/bench/bench_lib.sh"
# ffmpeg's output frames per second of a whole command (frames / wall seconds).
ffps() { local s; s=$(wall "${@:2}"); awk -v f="$1" -v s="$s" 'BEGIN {printf "%.2f", f / s}'; }

lighten="[0:v][1:v]blend=all_mode=lighten"
lighten_rgb="[0:v]format=gbrp[a];[1:v]format=gbrp[b];[a][b]blend=all_mode=lighten"

echo "== machine"
echo "nproc: $threads"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "memory: $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
echo "ffmpeg: $(ffmpeg -version | head -1)"
echo "runs: $runs (medians)"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== commands"
echo "$bench write $hd1 $hd2 $out/mix.avi                  (algorithm 1, MJPEG quality 93 = -q:v 3)"
echo "ffmpeg -i $hd1 -i $hd2 -filter_complex '$lighten' -c:v mjpeg -q:v 3 $out/ff.avi"
echo "ffmpeg -i $hd1 -i $hd2 -filter_complex '$lighten_rgb' -c:v mjpeg -q:v 3 $out/ffrgb.avi"
echo "$bench live $sd1 $sd2 --alg A --frames F [--ahead]   (A = 1, 2, 3; F = 300, 150, 90)"
echo "ffmpeg -i $sd1 -i $sd2 -filter_complex '$lighten' -f null -"
echo "$bench strobo $sd2 --spacing 5 [--ahead]"
echo "ffmpeg -i $sd2 -f null -                       (decode alone)"
echo "$bench blend 1280x720 --alg A"
for f in "$hd1" "$hd2" "$sd1" "$sd2"; do ffmpeg -hide_banner -nostdin -loglevel error -i "$f" -f null -; done # page cache
for ((r = 0; r < runs; ++r)); do
    add write "$(wall "$bench" write "$hd1" "$hd2" "$out/mix.avi")"
    add write_ff "$(wall ffmpeg -hide_banner -nostdin -y -i "$hd1" -i "$hd2" -filter_complex "$lighten" -c:v mjpeg -q:v 3 "$out/ff.avi")"
    add write_ffrgb "$(wall ffmpeg -hide_banner -nostdin -y -i "$hd1" -i "$hd2" -filter_complex "$lighten_rgb" -c:v mjpeg -q:v 3 "$out/ffrgb.avi")"
    for alg in 1 2 3; do
        frames=$((alg == 1 ? 300 : alg == 2 ? 150 : 90)) # the slower algorithms over fewer frames
        add "live_$alg" "$("$bench" live "$sd1" "$sd2" --alg "$alg" --frames "$frames" | key fps)"
        add "blend_$alg" "$("$bench" blend 1280x720 --alg "$alg" --reps 15 | key rgb24_ms)"
    done
    add live_ahead "$("$bench" live "$sd1" "$sd2" --alg 1 --ahead | key fps)"
    add live_ff "$(ffps 300 ffmpeg -hide_banner -nostdin -i "$sd1" -i "$sd2" -filter_complex "$lighten" -f null -)"
    s=$("$bench" strobo "$sd2" --spacing 5)
    add strobo "$(key fps <<<"$s")"
    add strobo_ref "$(key reference_ms <<<"$s")"
    add strobo_ahead "$("$bench" strobo "$sd2" --spacing 5 --ahead | key fps)"
    add decode_ff "$(ffps 300 ffmpeg -hide_banner -nostdin -i "$sd2" -f null -)"
done
for f in mix ff ffrgb; do [[ $(frame_count "$out/$f.avi") == 300 ]] || echo "warning: $f.avi does not hold 300 frames" >&2; done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

echo "== results (medians of $runs runs)"
row "measure" "zorvik" "ffmpeg" "ratio" "target"
row "---" "---" "---" "---" "---"
row "(a) mix of two 1080p30 clips, 300 frames, to MJPEG AVI (s, whole command)" "$(med write)" "$(med write_ff) (YUV lighten)" \
    "$(ratio "$(med write)" "$(med write_ff)") (time)" "<= 1.5"
row "(a) the same, ffmpeg blending in RGB (s)" "$(med write)" "$(med write_ffrgb) (RGB lighten)" \
    "$(ratio "$(med write)" "$(med write_ffrgb)") (time)" "info"
for alg in 1 2 3; do
    row "(b) live mix of two 720p30 clips, algorithm $alg (output frames/s)" "$(med "live_$alg")" "$(med live_ff) (decode + lighten)" \
        "$(ratio "$(med "live_$alg")" "$(med live_ff)") (rate)" ">= 25 fps"
done
row "(b) live mix, algorithm 1, decode-ahead workers on (frames/s)" "$(med live_ahead)" "$(med live_ff)" \
    "$(ratio "$(med live_ahead)" "$(med live_ff)") (rate)" ">= 25 fps"
row "(b) live stroboscope of one 720p30 clip (output frames/s)" "$(med strobo)" "$(med decode_ff) (decode alone)" \
    "$(ratio "$(med strobo)" "$(med decode_ff)") (rate)" ">= 25 fps"
row "(b) live stroboscope, decode-ahead worker on (frames/s)" "$(med strobo_ahead)" "$(med decode_ff)" \
    "$(ratio "$(med strobo_ahead)" "$(med decode_ff)") (rate)" "info"
row "stroboscope reference picture, 21 frames sampled (ms, once per start)" "$(med strobo_ref)" "-" "-" "info"
for alg in 1 2 3; do
    row "blend alone, two 720p 24-bit pictures, algorithm $alg (ms)" "$(med "blend_$alg")" "-" "-" "info"
done
