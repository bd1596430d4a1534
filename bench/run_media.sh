#!/usr/bin/env bash
# Media engine benchmarks beside the ffmpeg command line, in one run on one machine.
#
#   bench/run_media.sh [BUILD_DIR] [RUNS] [PARTS]
#
# BUILD_DIR defaults to build/bench (configured with -DZORVIK_BENCH=ON), RUNS (at least 5) to 5,
# PARTS to all of "sequential,backward,random,walk,memory" (a comma list picks some of them).
# Writes its clips once into BUILD_DIR/media-clips, prints the machine, every command it times
# and a table of medians with the ffmpeg figure and the ratio beside each.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" # paths below are shown relative to the source tree
build=${1:-build/bench}
runs=${2:-5}
parts=,${3:-sequential,backward,random,walk,memory},
part() { [[ $parts == *",$1,"* ]]; }
build=${build#"$root"/}
bench=$build/bench/media_decode
tool=$build/tools/zorvik-media
clips=$build/media-clips
threads=$(nproc)
export QT_QPA_PLATFORM=offscreen

for exe in "$bench" "$tool"; do
    [[ -x $exe ]] || { echo "missing $exe: build with -DZORVIK_BENCH=ON first" >&2; exit 1; }
done
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }
have_time=1
[[ -x /usr/bin/time ]] || { have_time=0; echo "note: /usr/bin/time missing (package time): memory from getrusage only" >&2; }

# --- clips -------------------------------------------------------------------------------
mkdir -p "$clips"
hd=$clips/h264_1080p30_gop250.mp4   # 20 s: GOP 250..499 lies wholly inside the file
hd60=$clips/h264_720p60_gop250.mp4  # 10 s
make_clip() { # OUT SIZE FPS FRAMES
    [[ -s $1 ]] && return
    echo "writing $1" >&2
    "$tool" fixture "$1.part.mp4" libx264 --size "$2" --fps "$3" --frames "$4" --gop 250 --bframes 3
    mv "$1.part.mp4" "$1"
}
make_clip "$hd" 1920x1080 30 600
make_clip "$hd60" 1280x720 60 600
four=()
for i in 1 2 3 4; do
    [[ -s $clips/four_$i.mp4 ]] || cp "$hd" "$clips/four_$i.mp4"
    four+=("$clips/four_$i.mp4")
done

# --- helpers -----------------------------------------------------------------------------
source "$root/bench/bench_lib.sh"
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.4f", b - a}'; }
# Wall time of a command (its output discarded); prints seconds.
wall() { local t0 t1; t0=$(now); "$@" >/dev/null 2>&1; t1=$(now); elapsed "$t0" "$t1"; }
# ffmpeg's own decode time (-benchmark rtime: after the input is opened), seconds.
ffbench() { ffmpeg -hide_banner -nostdin -benchmark "$@" 2>&1 | sed -n 's/.*rtime=\([0-9.]*\)s.*/\1/p' | tail -1; }

rate_of() { ffprobe -v error -select_streams v:0 -show_entries stream=avg_frame_rate -of csv=p=0 "$1"; }
seek_time() { # CLIP N: a time that an accurate -ss turns into frame N exactly
    local r; r=$(rate_of "$1")
    awk -v n="$2" -v r="$r" 'BEGIN {split(r, f, "/"); printf "%.6f", (n - 0.25) * f[2] / f[1]}'
}

echo "== machine"
echo "nproc: $threads"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "memory: $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
echo "ffmpeg: $(ffmpeg -version | head -1)"
echo "runs: $runs (medians)"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# --- sequential decode -------------------------------------------------------------------
echo "== commands"
part sequential && for clip in "$hd" "$hd60"; do
    name=$(basename "$clip" .mp4)
    echo "$bench sequential $clip"
    echo "ffmpeg -threads $threads -i $clip -f null -"
    echo "ffmpeg -i $clip -f null -   (threads auto)"
    echo "$bench sequential $clip --pictures"
    echo "$bench sequential $clip --budget 256"
    ffmpeg -hide_banner -nostdin -loglevel error -i "$clip" -f null - # warm the page cache
    for ((r = 0; r < runs; ++r)); do
        add "seq_engine_$name" "$(wall "$bench" sequential "$clip")"
        add "seq_ff_$name" "$(wall ffmpeg -hide_banner -nostdin -threads "$threads" -i "$clip" -f null -)"
        add "seq_ffauto_$name" "$(wall ffmpeg -hide_banner -nostdin -i "$clip" -f null -)"
        add "seq_pict_$name" "$(wall "$bench" sequential "$clip" --pictures)"
        add "seq_small_$name" "$(wall "$bench" sequential "$clip" --budget 256)"
    done
done

# --- backward stepping through a whole GOP -----------------------------------------------
part backward && for clip in "$hd" "$hd60"; do
    name=$(basename "$clip" .mp4)
    t=$(seek_time "$clip" 250)
    echo "$bench backward $clip 250 499"
    echo "$bench backward $clip 250 499 --budget 256"
    echo "ffmpeg -threads $threads -ss $t -i $clip -frames:v 250 -f null -   (wall and -benchmark rtime)"
    for ((r = 0; r < runs; ++r)); do
        out=$("$bench" backward "$clip" 250 499)
        add "bw_median_$name" "$(key median_step <<<"$out")"
        add "bw_worst_$name" "$(key worst_step <<<"$out")"
        out=$("$bench" backward "$clip" 250 499 --budget 256)
        add "bwsmall_median_$name" "$(key median_step <<<"$out")"
        add "bwsmall_worst_$name" "$(key worst_step <<<"$out")"
        add "bwsmall_total_$name" "$(key total <<<"$out")"
        add "gop_ff_$name" "$(wall ffmpeg -hide_banner -nostdin -threads "$threads" -ss "$t" -i "$clip" -frames:v 250 -f null -)"
        add "gop_ffr_$name" "$(ffbench -threads "$threads" -ss "$t" -i "$clip" -frames:v 250 -f null -)"
    done
done

# --- random access -----------------------------------------------------------------------
# Frames at a GOP start, inside and at the end of GOPs (the end is the worst: a whole GOP).
# The whole command (a process that opens the file and makes the one picture) against
# ffmpeg -ss; the same as picture files (BMP: both write the pixels as they are); and the
# access alone inside an open file.
targets=(137 250 499 573)
part random && for clip in "$hd" "$hd60"; do
    name=$(basename "$clip" .mp4)
    md5s=$("$tool" framemd5 "$clip")
    for n in "${targets[@]}"; do
        t=$(seek_time "$clip" "$n")
        echo "$bench frame $clip $n"
        echo "ffmpeg -threads $threads -ss $t -i $clip -frames:v 1 -f null -"
        echo "$tool export-frame $clip $n $clips/zorvik.bmp"
        echo "ffmpeg -threads $threads -ss $t -i $clip -frames:v 1 -y $clips/ffmpeg.bmp"
        echo "$bench random $clip $n"
        # The seek must land on frame n: its MD5 equals the engine's.
        want=$(sed -n "$((n + 1))p" <<<"$md5s" | cut -d, -f2)
        got=$(ffmpeg -hide_banner -nostdin -loglevel error -threads "$threads" -ss "$t" -i "$clip" -frames:v 1 -f framemd5 - | grep -v '^#' | awk -F', *' '{print $6}')
        [[ $want == "$got" ]] || echo "warning: ffmpeg -ss $t did not land on frame $n" >&2
        for ((r = 0; r < runs; ++r)); do
            add "rnd_proc_${name}_$n" "$(wall "$bench" frame "$clip" "$n")"
            add "rnd_ff_${name}_$n" "$(wall ffmpeg -hide_banner -nostdin -threads "$threads" -ss "$t" -i "$clip" -frames:v 1 -f null -)"
            add "rnd_bmp_${name}_$n" "$(wall "$tool" export-frame "$clip" "$n" "$clips/zorvik.bmp")"
            add "rnd_ffbmp_${name}_$n" "$(wall ffmpeg -hide_banner -nostdin -threads "$threads" -ss "$t" -i "$clip" -frames:v 1 -y "$clips/ffmpeg.bmp")"
            add "rnd_access_${name}_$n" "$("$bench" random "$clip" "$n" | key "frame_$n")"
        done
        [[ -s $clips/zorvik.bmp && -s $clips/ffmpeg.bmp ]] || echo "warning: a picture of frame $n is missing" >&2
    done
done

# --- every frame's checksum, in file order and in random order --------------------------
# zorvik-media framemd5 visits each frame once, forward or in a shuffled order (seed 1), and
# must give ffmpeg's framemd5 sums either way. In random order the frames are answered a seek
# segment at a time (each GOP decoded once for all the frames asked in it); with --one-by-one
# every visit is a jump: with the default cache (256 MiB for one file: 64 pictures of 1080p,
# 128 of 720p) each jump decodes from its key frame again, so that row is measured on the 720p
# clip only; with a cache that holds the file (ZORVIK_FRAME_CACHE_MB) the pictures a jump
# decodes on its way are reused.
walk_budget() { # CLIP: MiB that hold every decoded picture of the clip (2 MiB units or more each)
    local w h; IFS=x read -r w h < <(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$1")
    awk -v w="$w" -v h="$h" 'BEGIN {b = w * h * 1.5 / 1048576; u = b < 2 ? 2 : int((b + 1.999) / 2) * 2; printf "%d", u * 650}'
}
sums_equal() { # CLIP ORDER [ENV...]: engine sums equal ffmpeg's
    local clip=$1 order=$2; shift 2
    diff -q <(env "$@" "$tool" framemd5 "$clip" --order $order | cut -d, -f2) \
        <(ffmpeg -hide_banner -nostdin -loglevel error -i "$clip" -map 0:v:0 -f framemd5 - | grep -v '^#' | awk -F', *' '{print $6}') >/dev/null
}
part walk && for clip in "$hd" "$hd60"; do
    name=$(basename "$clip" .mp4)
    big=$(walk_budget "$clip")
    echo "$tool framemd5 $clip"
    echo "$tool framemd5 $clip --order random"
    echo "ZORVIK_FRAME_CACHE_MB=$big $tool framemd5 $clip --order random --one-by-one"
    if [[ $clip == "$hd60" ]]; then echo "$tool framemd5 $clip --order random --one-by-one   (default cache)"; fi
    echo "ffmpeg -threads $threads -i $clip -map 0:v:0 -f framemd5 -"
    sums_equal "$clip" forward || echo "warning: forward sums of $name differ from ffmpeg's" >&2
    sums_equal "$clip" random || echo "warning: random-order sums of $name differ from ffmpeg's" >&2
    sums_equal "$clip" "random --one-by-one" ZORVIK_FRAME_CACHE_MB="$big" || echo "warning: random-order sums of $name differ from ffmpeg's" >&2
    for ((r = 0; r < runs; ++r)); do
        add "walk_fwd_$name" "$(wall "$tool" framemd5 "$clip")"
        add "walk_rndseg_$name" "$(wall "$tool" framemd5 "$clip" --order random)"
        add "walk_rndbig_$name" "$(wall env ZORVIK_FRAME_CACHE_MB="$big" "$tool" framemd5 "$clip" --order random --one-by-one)"
        if [[ $clip == "$hd60" ]]; then add "walk_rnd_$name" "$(wall "$tool" framemd5 "$clip" --order random --one-by-one)"; fi
        add "walk_ff_$name" "$(wall ffmpeg -hide_banner -nostdin -threads "$threads" -i "$clip" -map 0:v:0 -f framemd5 -)"
    done
    samples[walk_big_$name]=$big
done

# --- memory: four 1080p files open and stepping -------------------------------------------
maxrss() { # command...: peak resident MiB by /usr/bin/time -v (getrusage when it is missing)
    if ((have_time)); then
        /usr/bin/time -v -o "$clips/time.txt" "$@" >"$clips/out.txt"
        awk -F': ' '/Maximum resident set size/ {printf "%.1f", $2 / 1024}' "$clips/time.txt"
    else
        "$@" >"$clips/out.txt"
        key peak_rss_mib <"$clips/out.txt"
    fi
}
ff_four=(ffmpeg -hide_banner -nostdin -loglevel error -threads "$threads")
for f in "${four[@]}"; do ff_four+=(-i "$f"); done
for i in 0 1 2 3; do ff_four+=(-map "$i:v" -f null -); done
part memory && echo "/usr/bin/time -v ffmpeg -threads $threads -i four_1.mp4 ... -i four_4.mp4 -map 0:v -f null - ... -map 3:v -f null -"
budgets=(1024 2048)
part memory || budgets=()
for budget in "${budgets[@]}"; do
    echo "/usr/bin/time -v $bench memory $budget ${four[*]}"
    for ((r = 0; r < runs; ++r)); do
        add "mem_peak_$budget" "$(maxrss "$bench" memory "$budget" "${four[@]}")"
        add "mem_self_$budget" "$(key peak_rss_mib <"$clips/out.txt")"
        add "mem_cache_$budget" "$(key cache_peak_mib <"$clips/out.txt")"
        add "mem_opened_$budget" "$(key rss_opened_mib <"$clips/out.txt")"
    done
done
part memory && for ((r = 0; r < runs; ++r)); do add mem_ff "$(maxrss "${ff_four[@]}")"; done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# --- table -------------------------------------------------------------------------------
echo "== results (medians of $runs runs; seconds unless stated)"
row "measure" "engine" "ffmpeg" "ratio" "target"
row "---" "---" "---" "---" "---"
for clip in "$hd" "$hd60"; do
    name=$(basename "$clip" .mp4)
    frames=600
    if part sequential; then
        e=$(med "seq_engine_$name"); f=$(med "seq_ff_$name"); fa=$(med "seq_ffauto_$name")
        row "$name sequential decode, $frames frames (whole command)" "$e" "$f (-threads $threads)" \
            "$(ratio "$f" "$e")x throughput" ">= 0.9x"
        row "$name sequential decode (ffmpeg threads auto)" "$e" "$fa" "$(ratio "$fa" "$e")x throughput" "info"
        row "$name sequential decode, 256 MiB cache budget" "$(med "seq_small_$name")" "$f" \
            "$(ratio "$f" "$(med "seq_small_$name")")x throughput" "info"
        row "$name sequential decode + RGB picture" "$(med "seq_pict_$name")" "$f" \
            "$(ratio "$f" "$(med "seq_pict_$name")")x throughput" "info"
    fi
    if part backward; then
        interval=$(awk -v r="$(rate_of "$clip")" 'BEGIN {split(r, f, "/"); printf "%.4f", f[2] / f[1]}')
        row "$name backward step through GOP 250..499, median" "$(med "bw_median_$name")" "$interval (frame interval)" \
            "$(ratio "$(med "bw_median_$name")" "$interval")" "<= 1"
        g=$(med "gop_ff_$name"); gr=$(med "gop_ffr_$name")
        row "$name backward step, worst (first) step" "$(med "bw_worst_$name")" "$g (GOP decode, wall; rtime $gr)" \
            "$(ratio "$(med "bw_worst_$name")" "$g") (vs rtime $(ratio "$(med "bw_worst_$name")" "$gr"))" "<= 1"
        row "$name backward step, 256 MiB budget: median / worst / all 250 steps" \
            "$(med "bwsmall_median_$name") / $(med "bwsmall_worst_$name") / $(med "bwsmall_total_$name")" "$g" \
            "worst $(ratio "$(med "bwsmall_worst_$name")" "$g")" "info"
    fi
    if part walk; then
        f=$(med "walk_ff_$name")
        row "$name framemd5 of all 600 frames, file order (whole command)" "$(med "walk_fwd_$name")" "$f" \
            "$(ratio "$(med "walk_fwd_$name")" "$f")" "info"
        row "$name framemd5, random order, a GOP at a time, default cache" "$(med "walk_rndseg_$name")" "$f" \
            "$(ratio "$(med "walk_rndseg_$name")" "$f")" "<= 3"
        row "$name framemd5, random order one by one, cache ${samples[walk_big_$name]} MiB (holds the file)" \
            "$(med "walk_rndbig_$name")" "$f" "$(ratio "$(med "walk_rndbig_$name")" "$f")" "info"
        if [[ $clip == "$hd60" ]]; then
            row "$name framemd5, random order one by one, default cache (256 MiB)" "$(med "walk_rnd_$name")" "$f" \
                "$(ratio "$(med "walk_rnd_$name")" "$f")" "info"
        fi
    fi
    if part random; then
        for n in "${targets[@]}"; do
            p=$(med "rnd_proc_${name}_$n"); a=$(med "rnd_access_${name}_$n"); f=$(med "rnd_ff_${name}_$n")
            row "$name random access frame $n: whole command (open + picture) [access in open file]" "$p [$a]" "$f" \
                "$(ratio "$p" "$f") [$(ratio "$a" "$f")]" "<= 1.2"
            b=$(med "rnd_bmp_${name}_$n"); fb=$(med "rnd_ffbmp_${name}_$n")
            row "$name frame $n to a BMP file: export-frame / ffmpeg -ss" "$b" "$fb" "$(ratio "$b" "$fb")" "<= 1.2"
        done
    fi
done
for budget in "${budgets[@]}"; do
    p=$(med "mem_peak_$budget")
    row "four 1080p files, budget $budget MiB: peak RSS MiB (cache peak; RSS after open)" \
        "$p ($(med "mem_cache_$budget"); $(med "mem_opened_$budget"))" "$(med mem_ff) (4 decodes, no cache)" \
        "overhead $(awk -v p="$p" -v b="$budget" 'BEGIN {printf "%.0f", p - b}') MiB" "<= budget + overhead"
done
