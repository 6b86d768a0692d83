#!/usr/bin/env bash
# Builds the project with clang's source-based coverage into build/cov, runs
# the whole test suite there (each process, the program's end-to-end runs
# included, writes its own profile), merges the profiles and prints line and
# branch coverage over the product code: what the program links, without
# tests/, bench/ and generated files. The build-time resource generator is not
# counted. Jobs: QZ_COVERAGE_JOBS (default 3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/cov
jobs=${QZ_COVERAGE_JOBS:-3}
sh "$root/tools/setup.sh"
version=$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
# clang does not bring LLVM's tools with it.
if ! command -v "llvm-cov-$version" >/dev/null; then
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "llvm-$version"
fi
tool() { command -v "$1-$version" || { echo "coverage: $1-$version not found" >&2; exit 1; }; }
profdata=$(tool llvm-profdata)
cov=$(tool llvm-cov)

flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
# Programs run during the build (the resource generator, test discovery) write
# their profiles aside.
LLVM_PROFILE_FILE="$build/profiles-build/%p-%m.profraw" nice -n 10 cmake --build "$build" -j"$jobs"

rm -rf "$build/profiles"
mkdir -p "$build/profiles"
status=0
LLVM_PROFILE_FILE="$build/profiles/%p-%m.profraw" \
    ctest --test-dir "$build" -j"$jobs" --timeout 600 --output-on-failure || status=$?
"$profdata" merge -sparse -o "$build/coverage.profdata" "$build"/profiles/*.profraw

objects=("$build/quib-zerevarove" -object "$build/tests/unit_tests" -object "$build/tests/widget_tests")
ignore='(^|/)(tests|bench|build)/|^/usr/'
"$cov" report -instr-profile="$build/coverage.profdata" -ignore-filename-regex="$ignore" "${objects[@]}" \
    >"$build/coverage.txt"
"$cov" export -summary-only -instr-profile="$build/coverage.profdata" -ignore-filename-regex="$ignore" \
    "${objects[@]}" >"$build/coverage.json"
python3 - "$build/coverage.json" <<'EOF'
import json, sys
totals = json.load(open(sys.argv[1]))["data"][0]["totals"]
line, branch = totals["lines"], totals["branches"]
print(f"per file: build/cov/coverage.txt")
print(f"Line coverage {line['percent']:.1f} % ({line['covered']} of {line['count']} lines), "
      f"branch coverage {branch['percent']:.1f} % ({branch['covered']} of {branch['count']} branches)")
EOF
[ "$status" = 0 ] || echo "coverage: some tests failed; the figures count what ran" >&2
exit "$status"
