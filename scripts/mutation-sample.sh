#!/usr/bin/env bash
# Plants the same sample of small faults in core files and reports which ones the suites that
# cover them miss (see tests/README.md). Run from a clean checkout with a Release test build:
#   scripts/build.sh build/mut -DCMAKE_BUILD_TYPE=Release -DZORVIK_TESTS=ON
#   scripts/mutation-sample.sh build/mut
# MUTANTS names the shared mutants.sh when it is not at ../shared/tools beside the checkout.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/mut}" && pwd)
mutants=${MUTANTS:-$root/../shared/tools/mutants.sh}
cd "$root"
"$mutants" -n 24 -s 7 \
  -t "cd '$build' && QT_QPA_PLATFORM=offscreen timeout 600 ctest -j2 --timeout 300 -R '^(components|timeline|viewcontroller|mixer|view|graphics)\$'" \
  "$build" src/components/media/FrameCache.cpp src/timeline/CTL_time.cpp src/timeline/CTL_markers.cpp \
  src/components/overlay/OvAngle.cpp src/components/mixer/OvVidMixer.cpp \
  src/components/writer/AviWriter.cpp src/viewcontroller/CVwCtrl_views.cpp
