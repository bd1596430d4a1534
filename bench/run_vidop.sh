#!/usr/bin/env bash
# Video operations benchmark: writing a split and a mix of two 1080p30 clips through the view
# controller, beside the ffmpeg command line doing the same job in the same run, and the live
# output rate of a mix and a stroboscope of 720p30 clips during playback.
#
#   bench/run_vidop.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON, zorvik built too for its
# pictures), RUNS to 3. Clips (H.264, 10 s, GOP 30) are written once into BUILD_DIR/vidop-clips.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-build/bench}
runs=${2:-3}
build=${build#"$root"/}
bench=$build/bench/vidop_bench
clips=$build/vidop-clips
out=$build/vidop-out
[[ -x $bench ]] || { echo "missing $bench: build with -DZORVIK_BENCH=ON first" >&2; exit 1; }
mkdir -p "$clips" "$out"

make_clip() { # OUT SIZE SOURCE
    [[ -s $1 ]] && return
    echo "writing $1" >&2
    ffmpeg -hide_banner -nostdin -loglevel error -y -f lavfi -i "$3=size=$2:rate=30" -t 10 \
        -c:v libx264 -g 30 -pix_fmt yuv420p "$1.part.mp4"
    mv "$1.part.mp4" "$1"
}
a=$clips/a_1080p30.mp4
b=$clips/b_1080p30.mp4
c=$clips/a_720p30.mp4
d=$clips/b_720p30.mp4
make_clip "$a" 1920x1080 testsrc2
make_clip "$b" 1920x1080 mandelbrot
make_clip "$c" 1280x720 testsrc2
make_clip "$d" 1280x720 mandelbrot

source "$root/bench/bench_lib.sh"

echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), $(awk '/MemTotal/ {printf "%.1f GiB", $2/1048576}' /proc/meminfo)"
echo "$bench save split $out/split.avi $a $b"
echo "ffmpeg -i $a -i $b -filter_complex '[0:v]scale=960:540[l];[1:v]scale=960:540[r];[l][r]hstack,pad=1920:1080:0:270' -c:v mjpeg -q:v 3 $out/ffsplit.avi"
echo "$bench save mix $out/mix.avi $a $b"
echo "ffmpeg -i $a -i $b -filter_complex 'blend=all_mode=lighten' -c:v mjpeg -q:v 3 $out/ffmix.avi"
echo "$bench live mix 8 $c $d; $bench live strobo 8 $c"
# Our runs: the whole process (the program starts and opens the clips first) and the save alone,
# from the command to the file closed, as vidop_bench reports it: what a user with the clips open
# waits for.
ours() { # NAME ARGS...
    local name=$1 t0 t1 printed
    shift
    t0=$(now)
    printed=$("$bench" "$@" 2>/dev/null) || { echo "failed: $bench $*" >&2; exit 1; }
    t1=$(now)
    add "$name" "$(elapsed "$t0" "$t1")"
    add "${name}_save" "$(key seconds <<<"$printed")"
}
for ((i = 1; i <= runs; i++)); do
    ours split save split "$out/split.avi" "$a" "$b"
    add split_ff "$(wall ffmpeg -hide_banner -nostdin -y -i "$a" -i "$b" -filter_complex \
        '[0:v]scale=960:540[l];[1:v]scale=960:540[r];[l][r]hstack,pad=1920:1080:0:270' -c:v mjpeg -q:v 3 "$out/ffsplit.avi")"
    ours mix save mix "$out/mix.avi" "$a" "$b"
    add mix_ff "$(wall ffmpeg -hide_banner -nostdin -y -i "$a" -i "$b" -filter_complex 'blend=all_mode=lighten' \
        -c:v mjpeg -q:v 3 "$out/ffmix.avi")"
    add live_mix "$("$bench" live mix 8 "$c" "$d" | key outputs_per_s)"
    add live_strobo "$("$bench" live strobo 8 "$c" | key outputs_per_s)"
done
# The two mixes are different pictures (the peer's blend takes the brighter value of each plane,
# ours whole pixels by intensity), and a JPEG of more detail costs its encoder more: the encoder's
# processor seconds for each output's pictures alone, one thread, read from raw pictures on disk.
encoding_cpu() { # RAW
    { /usr/bin/time -f '%U' ffmpeg -v error -nostdin -f rawvideo -pix_fmt yuvj420p -s 1920x1080 -r 30 -i "$1" \
        -c:v mjpeg -q:v 3 -threads 1 -f null - 2>&1 >/dev/null; } | tail -n 1
}
for name in mix ffmix; do
    ffmpeg -v error -nostdin -y -i "$out/$name.avi" -f rawvideo -pix_fmt yuvj420p "$out/$name.yuv"
done
for ((i = 1; i <= runs; i++)); do
    add enc_mix "$(encoding_cpu "$out/mix.yuv")"
    add enc_mix_ff "$(encoding_cpu "$out/ffmix.yuv")"
done
rm -f "$out/mix.yuv" "$out/ffmix.yuv"
echo "frames written: split $(frame_count "$out/split.avi"), mix $(frame_count "$out/mix.avi"), ffmpeg split $(frame_count "$out/ffsplit.avi"), ffmpeg mix $(frame_count "$out/ffmix.avi")"
row "measure (median of $runs)" "zorvik" "ffmpeg" "ratio (zorvik / ffmpeg)" "target"
row "---" "---" "---" "---" "---"
row "split of two 1080p30 (300 frames) to MJPEG AVI, s" "$(med split)" "$(med split_ff)" "$(ratio "$(med split)" "$(med split_ff)")" "<= 1.5"
row "mix of two 1080p30 (300 frames) to MJPEG AVI, s" "$(med mix)" "$(med mix_ff)" "$(ratio "$(med mix)" "$(med mix_ff)")" "<= 1.5"
row "split, the save alone (program started, clips open), s" "$(med split_save)" "$(med split_ff)" "$(ratio "$(med split_save)" "$(med split_ff)")" "<= 1.0"
row "mix, the save alone (program started, clips open), s" "$(med mix_save)" "$(med mix_ff)" "$(ratio "$(med mix_save)" "$(med mix_ff)")" "<= 1.0"
row "MJPEG encoder's processor time for each mix's pictures alone (one thread), s" "$(med enc_mix)" "$(med enc_mix_ff)" "$(ratio "$(med enc_mix)" "$(med enc_mix_ff)")" "info"
row "live mix of two 720p30 views, outputs/s" "$(med live_mix)" "-" "-" ">= 25"
row "live stroboscope of one 720p30 view, outputs/s" "$(med live_strobo)" "-" "-" "info"
