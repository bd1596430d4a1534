#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the program need.
# Idempotent: when everything is present it only asks dpkg and returns.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-charts-dev libqt6opengl6-dev libgl-dev qt6-translations-l10n
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
    ffmpeg
    libopencv-imgproc-dev libopencv-video-dev
    libgtest-dev libgmock-dev
    clang libclang-rt-14-dev
    xvfb xauth imagemagick xdotool openbox
    dpkg-dev file desktop-file-utils shared-mime-info debootstrap
    fonts-dejavu-core fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
