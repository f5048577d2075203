#!/usr/bin/env bash
# Usage: scripts/fuzz.sh TARGET SECONDS
# Builds the libFuzzer target (clang, in build-fuzz) if needed and runs it for SECONDS.
# TARGET is fuzz_native_decode, fuzz_shared_split or fuzz_dispatch (a member online on
# 127.0.90.2, channel 9: one run of it at a time). New inputs go to build-fuzz, the seed corpus
# in fuzz/net stays untouched; a crash leaves its input in build-fuzz/fuzz/net/artifacts/.
set -euo pipefail

target=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIN_FUZZ_BUILD:-$root/build-fuzz}
seeds=$root/fuzz/net/corpus_$target

if [ ! -d "$seeds" ]; then
    echo "unknown fuzz target: $target" >&2
    exit 2
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DTAVRIN_BUILD_FUZZ=ON -DTAVRIN_BUILD_TESTS=OFF
fi
cmake --build "$build" --target "$target" -j2

work=$build/fuzz/net/corpus_$target
artifacts=$build/fuzz/net/artifacts/
mkdir -p "$work" "$artifacts"
extra=()
case $target in
    # One byte chooses the endpoint; the datagram may run past the 4096-byte receive buffer.
    fuzz_dispatch) extra=(-max_len=4201) ;;
esac
exec "$build/fuzz/net/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$artifacts" "${extra[@]}" "$work" "$seeds"
