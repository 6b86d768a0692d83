#!/usr/bin/env bash
# Builds the fuzz targets with clang into build/fuzz and runs fuzz_prefs for a
# bounded time (seconds, default 60). Exits non-zero when the fuzzer finds a crash.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$root/build/fuzz

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DQZ_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_prefs -j"$(nproc)"

corpus=$build/fuzz_prefs_corpus
mkdir -p "$corpus"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n\t<key>Window1.Top</key>\n\t\n\t<string>40</string>\n\t</dict>\n</plist>\n\n' \
  >"$corpus/seed-file"
printf 'Window1.Width\001400\001\001-2147483648' >"$corpus/seed-entries"

exec "$build/tests/fuzz/fuzz_prefs" -max_total_time="$seconds" -artifact_prefix="$build/" "$corpus"
