#!/usr/bin/env bash
# Builds the program and starts it on its demo clips (a pendulum and a thrown ball, written into
# the temporary folder on first use). Further arguments are passed on, e.g. video files to open.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" "$root/build/release" -DZORVIK_TESTS=OFF
exec "$root/build/release/src/zorvik" --demo "$@"
