#!/usr/bin/env bash
# Builds the Debian package of a build folder and checks it as a user would get it: the files it
# holds, its launcher and file type, its computed dependencies, and that the program unpacked
# from it starts and finds its pictures without any help from the environment.
#   scripts/package.sh BUILD_DIR [OUT_DIR]
#   ZORVIK_PACKAGE_RUN_SECONDS=N  how long the unpacked program runs (default 6)
# Exits non-zero, naming the fault, on the first thing that is wrong.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[[ $# -ge 1 && $# -le 2 ]] || { echo "usage: $0 BUILD_DIR [OUT_DIR]" >&2; exit 2; }
build=$(cd "$1" && pwd)
out=${2:-$build/package}
run_seconds=${ZORVIK_PACKAGE_RUN_SECONDS:-6}
# A sanitizer build's programs end with a leak check; system libraries' leaks are not ours.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}

fail() { echo "package: $*" >&2; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate update-mime-database; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
[[ -f "$build/CPackConfig.cmake" ]] || fail "$build has no CPackConfig.cmake: configure it first"

rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== cpack"
(cd "$out" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$out"/zorvik_*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "expected one zorvik_*.deb in $out, found: ${debs[*]}"
deb=${debs[0]}
basename "$deb"

echo "== contents"
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/files"
expected=(
    /usr/bin/zorvik
    /usr/bin/zorvik-media
    /usr/share/applications/zorvik.desktop
    /usr/share/mime/packages/zorvik.xml
    /usr/share/icons/hicolor/scalable/apps/zorvik.svg
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/zorvik.png")
done
# Every picture the build made for the program, and nothing beside the binaries.
img="$build/src/Img"
[[ -d "$img" ]] || fail "the build has no pictures in $img"
while IFS= read -r picture; do
    expected+=("/usr/share/zorvik/Img/$picture")
done < <(cd "$img" && find . -type f ! -name .made | sed 's|^\./||' | sort)
missing=0
for f in "${expected[@]}"; do
    grep -qxF "$f" "$work/files" || { echo "package: missing $f" >&2; missing=1; }
done
((missing == 0)) || fail "$(basename "$deb") lacks the files above"
if grep -E '^/usr/bin/.+/|/\.made$' "$work/files" >&2; then
    fail "$(basename "$deb") holds stray files (above)"
fi
echo "${#expected[@]} expected files present"

echo "== control"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libavformat libavcodec libavutil libswscale; do
    grep -qE "(^|[ ,])${lib}[a-z0-9.+-]*( |,|$)" <<<"$depends" || fail "Depends does not name $lib"
done
for field in Maintainer Description Section; do
    [[ -n $(dpkg-deb -f "$deb" "$field") ]] || fail "the package has no $field"
done

echo "== unpacked"
tree="$work/root"
dpkg-deb -x "$deb" "$tree"
validate=$(desktop-file-validate "$tree/usr/share/applications/zorvik.desktop" 2>&1) ||
    fail "desktop-file-validate: $validate"
if grep -E 'error:|warning:' <<<"$validate" >&2; then fail "the desktop file has faults (above)"; fi
grep -q '^MimeType=.*application/x-zorvik-analysis;' "$tree/usr/share/applications/zorvik.desktop" ||
    fail "the desktop file does not take analysis files"
# The file type must be one the MIME database accepts and must claim the analysis files.
update-mime-database "$tree/usr/share/mime" >"$work/mime.log" 2>&1 ||
    { cat "$work/mime.log" >&2; fail "update-mime-database rejects share/mime/packages/zorvik.xml"; }
grep -qx 'application/x-zorvik-analysis:\*\.zorvik' <(cut -d: -f2- "$tree/usr/share/mime/globs2") ||
    fail "the MIME database built from the package does not map *.zorvik"
echo "desktop file and file type accepted"

# The unpacked program runs for a while headless, with a home of its own so no settings or
# recovery copies of the user's are read or written. A fault it meets is reported as ERROR.
# With a pattern, the run ends as soon as the output shows it.
run_program() {
    local log=$1 until=${2:-}
    local home="$work/home"
    mkdir -p "$home"
    env -u ZORVIK_IMG_DIR HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
        timeout -s TERM "$run_seconds" "$tree/usr/bin/zorvik" >"$log" 2>&1 &
    local pid=$!
    if [[ -n $until ]]; then
        while kill -0 "$pid" 2>/dev/null; do
            grep -qE "$until" "$log" && { kill -TERM "$pid" 2>/dev/null || true; break; }
            sleep 0.2
        done
    fi
    local rc=0
    wait "$pid" || rc=$?
    return "$rc"
}

# First without its pictures: the program must say so, which shows it gets as far as loading
# them within the time given; otherwise a clean run below would prove nothing.
mv "$tree/usr/share/zorvik" "$work/pictures"
missing_picture='ERROR.*Img/.*\.(ico|gif|bmp|cur)'
rc=0
run_program "$work/without.log" "$missing_picture" || rc=$?
mv "$work/pictures" "$tree/usr/share/zorvik"
grep -qE "$missing_picture" "$work/without.log" ||
    { cat "$work/without.log" >&2; fail "without its pictures the program did not report them missing (status $rc)"; }

rc=0
run_program "$work/run.log" || rc=$?
if [[ $rc -ne 124 ]]; then
    cat "$work/run.log" >&2
    fail "the unpacked program ended by itself with status $rc instead of running"
fi
if grep -E 'ERROR|AddressSanitizer|runtime error' "$work/run.log" >&2; then
    fail "the unpacked program reported faults (above)"
fi
echo "the unpacked program ran ${run_seconds} s and loaded its pictures"

# The command-line tool from the package writes a small clip and reads it back.
media=("env" "XDG_RUNTIME_DIR=$work" "$tree/usr/bin/zorvik-media")
if ! "${media[@]}" fixture "$work/clip.mkv" ffv1 --size 64x48 --frames 5 >"$work/media.log" 2>&1 ||
    ! "${media[@]}" info "$work/clip.mkv" >>"$work/media.log" 2>&1; then
    cat "$work/media.log" >&2
    fail "the unpacked zorvik-media could not write and read a clip"
fi
grep -qx 'frames=5' "$work/media.log" || { cat "$work/media.log" >&2; fail "zorvik-media info misread the clip"; }
echo "the unpacked zorvik-media wrote and read a clip"
echo "package: $(basename "$deb") is good"
