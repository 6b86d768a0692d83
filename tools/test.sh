#!/bin/sh
# Installs what is missing, then builds and runs every test twice: a normal
# build with warnings as errors, and an AddressSanitizer + UndefinedBehaviorSanitizer
# build that stops at the first report. Then fuzzes the preferences reader and the
# resource file reader for a minute each.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
jobs=$(nproc)

for preset in dev asan; do
    echo "== $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" -j"$jobs"
    echo "== $preset tests"
    ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir "build/$preset" --output-on-failure -j"$jobs" --timeout 600
done

if [ -f tools/fuzz.sh ]; then
    echo "== fuzzing"
    bash tools/fuzz.sh "${QZ_FUZZ_SECONDS:-60}"
fi
echo "All tests passed."
