#!/usr/bin/env bash
# Builds the media fuzz target with clang in its own build folder and runs it for a bounded
# time (default 60 s), seeded with small generated clips.
#   scripts/fuzz.sh [SECONDS]
# CI runs the same inputs every time (a fixed seed over fresh seed clips), so a red run can be
# repeated; ZORVIK_FUZZ_SEED=random explores anew, over the corpus kept from earlier runs.
# Inputs that fail are kept in build/fuzz/artifacts.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="$root/build/fuzz"
seed="${ZORVIK_FUZZ_SEED:-1}"
corpus="$build/corpus"
[ "$seed" = random ] || corpus="$build/corpus-seed$seed"
artifacts="$build/artifacts"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer" \
    -DZORVIK_FUZZ=ON -DZORVIK_TESTS=ON >/dev/null
cmake --build "$build" --target fuzz_media zorvik-media -j"$(nproc)"

# Seeds: tiny clips of several containers and codecs, written by the engine's own generator.
[ "$seed" = random ] || rm -rf "$corpus"
mkdir -p "$corpus" "$artifacts"
if [ -z "$(ls -A "$corpus")" ]; then
    tool="$build/tools/zorvik-media"
    "$tool" fixture "$corpus/seed.mp4" libx264 --size 64x48 --frames 8 --gop 4 2>/dev/null || true
    "$tool" fixture "$corpus/seed.mkv" libx264 --size 64x48 --frames 8 --gop 4 --open-gop 2>/dev/null || true
    "$tool" fixture "$corpus/seed.avi" mpeg4 --size 64x48 --frames 8 --gop 4 2>/dev/null || true
    "$tool" fixture "$corpus/seed.ts" mpeg2video --size 64x48 --frames 8 --gop 4 2>/dev/null || true
    "$tool" fixture "$corpus/seed.webm" libvpx --size 64x48 --frames 8 --gop 4 --bframes 0 2>/dev/null || true
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen
# Inputs that once failed are run first, every time.
"$build/tests/fuzz/fuzz_media" "$root"/tests/fuzz/regressions/*
seedArg=()
[ "$seed" = random ] || seedArg=(-seed="$seed")
if ! "$build/tests/fuzz/fuzz_media" "${seedArg[@]}" -max_total_time="$seconds" -max_len=200000 -rss_limit_mb=4096 \
    -timeout=30 -artifact_prefix="$artifacts/" "$corpus"; then
    echo "fuzz: failing input kept in $artifacts" >&2
    # A fresh clone's folder is gone after the run: the log keeps small inputs, to be decoded
    # with base64 -d into tests/fuzz/regressions.
    for f in "$artifacts"/*; do
        [ -f "$f" ] && [ "$(stat -c %s "$f")" -le 65536 ] || continue
        echo "fuzz: $(basename "$f") as base64:" >&2
        base64 -w 0 "$f" >&2
        echo >&2
    done
    exit 1
fi
