#!/usr/bin/env bash
# Builds the fuzz targets with clang into build/fuzz and runs each in turn for
# a bounded time (seconds each, default 60): the preferences reader, then the
# resource file's reader. Exits non-zero when a fuzzer finds a crash.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$root/build/fuzz

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DQZ_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_prefs fuzz_resources -j"$(nproc)"

corpus=$build/fuzz_prefs_corpus
mkdir -p "$corpus"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n\t<key>Window1.Top</key>\n\t\n\t<string>40</string>\n\t</dict>\n</plist>\n\n' \
  >"$corpus/seed-file"
printf 'Window1.Width\001400\001\001-2147483648' >"$corpus/seed-entries"
"$build/tests/fuzz/fuzz_prefs" -max_total_time="$seconds" -artifact_prefix="$build/prefs-" "$corpus"

# The seed: a small resource file laid out as ours, packed by the same rcc.
corpus=$build/fuzz_resources_corpus
seed=$build/fuzz_resources_seed
mkdir -p "$corpus" "$seed/snd" "$seed/pict"
printf 'RIFF\054\000\000\000WAVEfmt \020\000\000\000\001\000\001\000\104\254\000\000\210\130\001\000\002\000\020\000data\010\000\000\000\001\000\377\177\000\200\377\377' \
  >"$seed/snd/168.wav"
printf '\211PNG\r\n\032\n' >"$seed/pict/168.png"
printf '<RCC><qresource prefix="/"><file>snd/168.wav</file><file>pict/168.png</file></qresource></RCC>\n' >"$seed/seed.qrc"
QT_RCC_SOURCE_DATE_OVERRIDE=1 "$(qtpaths6 --query QT_HOST_LIBEXECS)/rcc" --binary --no-compress \
  -o "$corpus/seed.rcc" "$seed/seed.qrc"
exec "$build/tests/fuzz/fuzz_resources" -max_total_time="$seconds" -artifact_prefix="$build/resources-" "$corpus"
