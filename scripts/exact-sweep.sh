#!/usr/bin/env bash
# Writes a few hundred small clips across codecs, containers and GOP shapes and checks that
# `zorvik-media framemd5` gives ffmpeg's own per-frame sums in forward, backward and random
# order. Slower and wider than the test suite; run it by hand after changes to the decoding.
#
#   scripts/exact-sweep.sh [BUILD_DIR]     (default build/dev; needs tools/zorvik-media built)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build/dev}/tools/zorvik-media
[[ -x $tool ]] || { echo "missing $tool: build the project first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
checked=0
failed=0

check() { # FILE
    ffmpeg -v error -i "$1" -map 0:v:0 -fps_mode passthrough -f framemd5 - | grep -v '^#' |
        awk -F', *' '{print NR - 1 "," $6}' >ref.txt
    for run in "forward 1" "backward 1" "random 1" "random 2"; do
        set -- "$1" $run
        # (The decoders' notes on pictures before a seek point go to /dev/null.)
        if ! "$tool" framemd5 "$1" --order "$2" --seed "$3" 2>/dev/null | diff -q - ref.txt >/dev/null; then
            echo "differs: $1 in $2 order (seed $3)"
            failed=$((failed + 1))
        fi
    done
    checked=$((checked + 1))
}

make_clip() { # OUT ENCODER ARGS...
    "$tool" fixture "$@" >/dev/null 2>&1 || { echo "not written: $1"; return 1; }
}

for enc in libx264 libx265 mpeg4 mpeg2video; do
    for ext in mp4 mkv mov ts avi; do
        # Pairs the muxers here cannot write: MPEG-2 in MP4, HEVC in AVI.
        [[ $enc == mpeg2video && $ext == mp4 ]] && continue
        [[ $enc == libx265 && $ext == avi ]] && continue
        for gop in 7 16; do
            for bf in 0 1 3; do
                for open in "" --open-gop; do
                    [[ -n $open && $bf == 0 ]] && continue
                    f=${enc}_g${gop}_b${bf}${open:+_open}.$ext
                    make_clip "$f" "$enc" --size 96x64 --frames 45 --gop "$gop" --bframes "$bf" $open --audio && check "$f"
                done
            done
        done
    done
done
for enc in libvpx libvpx-vp9; do
    for ext in webm mkv; do
        f=${enc}.$ext
        make_clip "$f" "$enc" --size 96x64 --frames 45 --gop 10 --bframes 0 --audio && check "$f"
    done
done
for ext in mp4 mkv ts; do
    make_clip interlaced.$ext libx264 --size 96x64 --frames 40 --gop 10 --bframes 2 --interlaced && check interlaced.$ext
    make_clip vfr.$ext libx264 --size 96x64 --frames 40 --gop 10 --bframes 2 --vfr && check vfr.$ext
done
for turn in 90 180 270; do
    make_clip turned$turn.mp4 libx264 --size 96x64 --frames 30 --gop 10 --bframes 2 --rotate "$turn" && check turned$turn.mp4
done
# Copies cut inside a GOP: edit lists hide decoded pictures.
make_clip cut_src.mp4 libx264 --size 96x64 --frames 90 --gop 30 --bframes 3 --audio
for start in 0.3 0.5 1.23; do
    ffmpeg -v error -y -ss "$start" -i cut_src.mp4 -c copy "cut_$start.mp4" && check "cut_$start.mp4"
    ffmpeg -v error -y -ss "$start" -i cut_src.mp4 -c copy "cut_$start.mov" && check "cut_$start.mov"
done

echo "checked $checked files, $failed differing runs"
[[ $failed == 0 ]]
