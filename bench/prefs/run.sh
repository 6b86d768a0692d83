#!/usr/bin/env bash
# Builds and runs bench_prefs (release build in build/bench unless a build directory is given).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_prefs -j"$(nproc)" >/dev/null
"$build/bench/prefs/bench_prefs"
