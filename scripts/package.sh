#!/usr/bin/env bash
# Builds the Debian package of tavrin in one command: a Release build in build/package (or the
# folder given as the argument), then CPack writes tavrin_<version>_<arch>.deb there. Installs
# what is missing first.
set -euo pipefail
build=$(realpath -m "${1:-$(dirname "$0")/../build/package}")
cd "$(dirname "$0")/.."

# dpkg-shlibdeps (dpkg-dev) and file compute the library dependencies; rsvg-convert draws the PNG icons.
scripts/deps.sh dpkg-dev file librsvg2-bin
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTAVRIN_BUILD_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/tavrin_*.deb
(cd "$build" && cpack -G DEB)
ls -l "$build"/tavrin_*.deb
