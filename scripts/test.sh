#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors, runs the media fuzz target for a bounded time, then the whole suite headless.
#   ZORVIK_FUZZ_SECONDS=N  fuzzing time (default 60; 0 skips it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build/test"
"$root/scripts/build.sh" "$dir" -DZORVIK_SANITIZE=ON -DZORVIK_WERROR=ON -DZORVIK_TESTS=ON
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

fuzz_seconds=${ZORVIK_FUZZ_SECONDS:-60}
if [[ "$fuzz_seconds" != 0 && -x "$root/scripts/fuzz.sh" ]]; then
    echo "== fuzzing open and decode for ${fuzz_seconds} s"
    "$root/scripts/fuzz.sh" "$fuzz_seconds" 2>&1 | tail -n 15
fi

cd "$dir"
ctest --output-on-failure -j"$(nproc)" "$@"
