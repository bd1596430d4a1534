#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors, runs the media fuzz target for a bounded time, then the whole suite headless;
# then builds them optimised (Release, no sanitizers, warnings as errors) into build/release-test
# and runs the whole suite again. Fails when either suite fails.
#   ZORVIK_FUZZ_SECONDS=N  fuzzing time (default 60; 0 skips it)
#   further arguments go to both ctest runs
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
    "$root/scripts/fuzz.sh" "$fuzz_seconds" 2>&1 | tail -n 60
fi

status=0
(cd "$dir" && ctest --output-on-failure -j"$(nproc)" "$@") || status=1

# An optimised build computes differently (inlining, floating point kept in registers) and
# builds without the sanitizers' checks: the suite must pass there as it does above.
echo "== Release build and suite"
release="$root/build/release-test"
if "$root/scripts/build.sh" "$release" -DCMAKE_BUILD_TYPE=Release -DZORVIK_SANITIZE=OFF -DZORVIK_WERROR=ON -DZORVIK_TESTS=ON; then
    (cd "$release" && ctest --output-on-failure -j"$(nproc)" "$@") || status=1
else
    status=1
fi
exit "$status"
