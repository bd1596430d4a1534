#!/usr/bin/env bash
# Installs the Debian package of a build on a fresh Debian 12 and starts the program from it, as
# a user who has only the package would: a minimal system made by debootstrap (kept once as a
# pristine copy, copied anew for every run), the package installed with apt and nothing but its
# computed dependencies, then the program started headless and on an X display served by this
# machine, with a screenshot of its window.
#   scripts/package-fresh-debian.sh BUILD_DIR
#   ZORVIK_DEBIAN_MIRROR=URL   where debootstrap and apt fetch from (default deb.debian.org)
# Needs root (chroot, mounts) and the network to a Debian mirror; the first run fetches about
# 200 MB for the base system. Leaves the system, logs and screenshot in BUILD_DIR/fresh-debian.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[[ $# -eq 1 ]] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
work=$build/fresh-debian
base=$work/base
sys=$work/system
mirror=${ZORVIK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
display=:${ZORVIK_FRESH_DISPLAY:-57}

fail() { echo "fresh-debian: $*" >&2; exit 1; }
[[ $(id -u) -eq 0 ]] || fail "needs root for chroot and mounts"
for tool in debootstrap chroot Xvfb import identify; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
mkdir -p "$work"

echo "== package"
"$root/scripts/package.sh" "$build" "$work/package" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log" >&2; fail "scripts/package.sh failed"; }
debs=("$work/package"/zorvik_*.deb)
[[ -f "${debs[0]}" ]] || fail "no package made in $work/package"
echo "$(basename "${debs[0]}")"

echo "== fresh Debian 12"
if [[ ! -f $base/etc/debian_version ]]; then
    rm -rf "$base" "$base.part"
    debootstrap --variant=minbase bookworm "$base.part" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        { tail -20 "$work/debootstrap.log" >&2; fail "debootstrap failed (network? mirror $mirror)"; }
    mv "$base.part" "$base"
fi
grep -q '^12\.' "$base/etc/debian_version" || fail "the base system is not Debian 12: $(cat "$base/etc/debian_version")"
rm -rf "$sys"
cp -a "$base" "$sys"
echo "Debian $(cat "$sys/etc/debian_version"), $(du -sh "$sys" | cut -f1)"

xvfb_pid=
cleanup() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    for m in "$sys/tmp/.X11-unix" "$sys/dev" "$sys/proc"; do
        mountpoint -q "$m" && umount -R "$m"
    done
    return 0
}
trap cleanup EXIT
mount -t proc proc "$sys/proc"
mount --rbind /dev "$sys/dev"
mount --make-rslave "$sys/dev"
cp /etc/resolv.conf "$sys/etc/resolv.conf"
cp "${debs[0]}" "$sys/tmp/zorvik.deb"

# Commands in the fresh system see none of this machine's environment.
in_system() {
    chroot "$sys" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"
}

echo "== apt install ./zorvik.deb"
{
    in_system apt-get update -q &&
        in_system env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/zorvik.deb
} >"$work/apt.log" 2>&1 || { tail -30 "$work/apt.log" >&2; fail "the package did not install"; }
in_system dpkg-query -W -f='${Package} ${Version} ${Status}\n' zorvik | tee "$work/installed.txt"
grep -q 'install ok installed' "$work/installed.txt" || fail "dpkg does not list zorvik as installed"
echo "$(grep -c '^Unpacking ' "$work/apt.log") packages unpacked with it"

echo "== demo clips from the installed zorvik-media"
in_system /usr/bin/zorvik-media demo /tmp/demo >"$work/demo.log" 2>&1 ||
    { cat "$work/demo.log" >&2; fail "zorvik-media demo failed"; }
clip=$(cd "$sys/tmp/demo" && ls ./*.mkv | head -1)
[[ -n $clip ]] || fail "zorvik-media demo wrote no clip"
clip=/tmp/demo/${clip#./}

# The program runs for a while with a home of its own; it must still run at the end and report
# no fault. A fault the program meets is reported as ERROR.
run_program() {
    local log=$1
    shift
    local rc=0
    in_system env HOME=/tmp/home XDG_RUNTIME_DIR=/tmp "$@" timeout -s TERM 10 /usr/bin/zorvik "$clip" >"$log" 2>&1 || rc=$?
    if [[ $rc -ne 124 ]]; then
        cat "$log" >&2
        fail "the installed program ended by itself with status $rc instead of running"
    fi
    if grep -E 'ERROR|Could not load the Qt platform plugin|cannot open shared object' "$log" >&2; then
        fail "the installed program reported faults (above)"
    fi
}
mkdir -p "$sys/tmp/home"

echo "== headless"
run_program "$work/offscreen.log" QT_QPA_PLATFORM=offscreen
echo "ran 10 s on $clip"

echo "== on an X display"
mkdir -p "$sys/tmp/.X11-unix"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -S /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done
[[ -S /tmp/.X11-unix/X${display#:} ]] || fail "Xvfb $display did not start"
mount --bind /tmp/.X11-unix "$sys/tmp/.X11-unix"
(sleep 8 && DISPLAY=$display import -window root "$work/screenshot.png") &
shooter=$!
run_program "$work/x11.log" DISPLAY="$display" QT_QPA_PLATFORM=xcb
wait "$shooter" || fail "no screenshot taken"
colours=$(identify -format '%k' "$work/screenshot.png")
((colours > 50)) || fail "the screenshot has $colours colours: the window did not show"
echo "ran 10 s on $display; screenshot $work/screenshot.png ($colours colours)"
echo "fresh-debian: $(basename "${debs[0]}") installs and starts on Debian $(cat "$sys/etc/debian_version")"
