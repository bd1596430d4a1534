#!/usr/bin/env bash
# Builds the program and starts it on its demo clips (made on first use under build/demo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" "$root/build/release" -DZORVIK_TESTS=OFF
bin="$root/build/release/src"
demo=()
if [[ -x "$root/build/release/tools/zorvik-media" ]]; then
    mkdir -p "$root/build/demo"
    "$root/build/release/tools/zorvik-media" demo "$root/build/demo" >/dev/null 2>&1 || true
    mapfile -t demo < <(ls "$root"/build/demo/*.* 2>/dev/null)
fi
exec "$bin/zorvik" "${demo[@]}" "$@"
