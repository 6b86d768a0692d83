#!/usr/bin/env bash
# Builds and runs bench_prefs: in a release build in build/bench, or in the
# build directory given as the first argument (configured as it is).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ $# -ge 1 ]]; then
  build=$1
else
  build=$root/build/bench
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target bench_prefs -j"$(nproc)" >/dev/null
"$build/bench/prefs/bench_prefs"
