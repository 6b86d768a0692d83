#!/usr/bin/env bash
# Runs the whole test suite of both builds (build/dev and build/asan, as
# tools/test.sh leaves them) N rounds in a row (default 20), pinned to two
# cores as CI is (QZ_SOAK_CPUS, default 0,1), and prints how often each test
# failed. Exits non-zero when any test failed. A failed end-to-end run's work
# folder is kept under build/soak/keep.
#
#   sh tools/test.sh    # builds both presets once
#   bash tools/soak.sh 20
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-20}
cpus=${QZ_SOAK_CPUS:-0,1}
out=$root/build/soak
rm -rf "$out"
mkdir -p "$out"
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QZ_E2E_KEEP=$out/keep

for preset in dev asan; do
    [ -f "$root/build/$preset/CTestTestfile.cmake" ] || { echo "soak: build/$preset is not built" >&2; exit 2; }
done
for round in $(seq 1 "$rounds"); do
    for preset in dev asan; do
        log=$out/$preset-$round.log
        if taskset -c "$cpus" ctest --test-dir "$root/build/$preset" -j2 --timeout 600 --output-on-failure >"$log" 2>&1; then
            echo "round $round $preset: passed"
        else
            echo "round $round $preset: FAILED ($log)"
        fi
        # ctest's summary names each failed test as "  <n> - <name> (Failed)".
        sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$log" | sed "s/^/$preset /" >>"$out/failures"
    done
done

echo "== failures in $rounds rounds (per build and test)"
if [ -s "$out/failures" ]; then
    sort "$out/failures" | uniq -c | sort -rn
    exit 1
fi
echo "none"
