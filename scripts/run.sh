#!/usr/bin/env bash
# Installs what is missing, builds tavrin and starts it. Extra arguments go to the program
# (for example the path of a settings file).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_BUILD_TESTS=OFF
cmake --build build/release --target tavrin
exec build/release/src/app/tavrin "$@"
