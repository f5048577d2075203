#!/usr/bin/env bash
# Installs what is missing, builds tavrin with its tests and runs every test with ctest: once in a
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

# The trial of a whole event (tools/trial) also needs a virtual screen, a keyboard tool, screenshots
# and a browser, the input-method trial fcitx5 and IBus with mozc and a session bus, the package
# tests the Debian packaging tools, the subtitle export test ffmpeg as a real subtitle reader,
# the QR code test zbarimg to read the codes back, the format check clang-format; scripts/run.sh
# does without them.
scripts/deps.sh xvfb xdotool x11-xkb-utils imagemagick chromium dpkg-dev file librsvg2-bin \
    fcitx5 fcitx5-mozc fcitx5-frontend-qt6 ibus ibus-mozc mozc-server dbus-daemon dbus-bin ffmpeg \
    zbar-tools clang-format
jobs=$(nproc)

# Every C++ file of the project is formatted as .clang-format says.
find src tests tools bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
    xargs -0 clang-format --dry-run --Werror

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_WERROR=ON
cmake --build build/test -j "$jobs"
(cd build/test && ctest --output-on-failure -j "$jobs")

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON -DTAVRIN_WERROR=ON
cmake --build build/asan -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build/asan && ctest --output-on-failure -j "$jobs")
