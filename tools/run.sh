#!/bin/sh
# Installs what is missing, builds a release build and starts the program.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake --preset release >/dev/null
cmake --build build/release -j"$(nproc)" --target quib-zerevarove
exec build/release/quib-zerevarove "$@"
