#!/usr/bin/env bash
# Usage: scripts/fuzz.sh TARGET SECONDS    run one libFuzzer target for SECONDS
#        scripts/fuzz.sh --all SECONDS     run every target for SECONDS each, one after the other
#        scripts/fuzz.sh --list            name the targets
# Builds the targets (clang, in build-fuzz or $TAVRIN_FUZZ_BUILD) if needed. A target is
# fuzz/<folder>/corpus_<target> with its seeds; a <target>.dict beside it is used as the dictionary.
# New inputs go to the build folder, the seed corpora stay untouched; a crash leaves its input in
# <build>/fuzz/<folder>/artifacts/. fuzz_dispatch goes online on 127.0.90.2 and fuzz_http_request
# listens on 127.0.91.2: one run of each at a time. --all writes one log per target to
# <build>/fuzz/logs/ and ends with each target's final statistics; it fails when any target does.
# The machine is shared: run it under nice.
set -euo pipefail

usage="usage: scripts/fuzz.sh TARGET SECONDS | --all SECONDS | --list"
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIN_FUZZ_BUILD:-$root/build-fuzz}

targets() {
    for seeds in "$root"/fuzz/*/corpus_*; do
        [ -d "$seeds" ] && basename "$seeds" | sed 's/^corpus_//'
    done
}

folder_of() {
    local seeds
    seeds=$(ls -d "$root"/fuzz/*/corpus_"$1" 2>/dev/null | head -n 1)
    [ -n "$seeds" ] && basename "$(dirname "$seeds")"
}

configure() {
    if [ ! -f "$build/build.ninja" ]; then
        local launcher=()
        command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
            -DTAVRIN_BUILD_FUZZ=ON -DTAVRIN_BUILD_TESTS=OFF "${launcher[@]}"
    fi
}

# Runs one target in the foreground; the statistics go to standard error as libFuzzer writes them.
run() {
    local target=$1 seconds=$2 dir
    dir=$(folder_of "$target") || { echo "unknown fuzz target: $target" >&2; return 2; }
    local seeds=$root/fuzz/$dir/corpus_$target
    local work=$build/fuzz/$dir/corpus_$target
    local artifacts=$build/fuzz/$dir/artifacts/
    mkdir -p "$work" "$artifacts"
    local extra=()
    case $target in
        # One byte chooses the endpoint; the datagram may run past the 4096-byte receive buffer.
        fuzz_dispatch) extra=(-max_len=4201) ;;
    esac
    [ -f "$root/fuzz/$dir/$target.dict" ] && extra+=(-dict="$root/fuzz/$dir/$target.dict")
    "$build/fuzz/$dir/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts" "${extra[@]}" "$work" "$seeds"
}

case ${1:-} in
    --list)
        targets
        ;;
    --all)
        seconds=${2:?$usage}
        configure
        mapfile -t all < <(targets)
        cmake --build "$build" --target "${all[@]}" -j2
        logs=$build/fuzz/logs
        mkdir -p "$logs"
        failed=0
        for target in "${all[@]}"; do
            echo "== $target: $seconds s, log $logs/$target.log"
            if ! run "$target" "$seconds" >"$logs/$target.log" 2>&1; then
                echo "== $target FAILED (see its log and artifacts)"
                failed=1
            fi
            grep -E '^#[0-9]+[[:space:]]+DONE|^stat::' "$logs/$target.log" || true
        done
        exit $failed
        ;;
    ''|-*)
        echo "$usage" >&2
        exit 2
        ;;
    *)
        target=$1
        seconds=${2:?$usage}
        folder_of "$target" >/dev/null || { echo "unknown fuzz target: $target" >&2; exit 2; }
        configure
        cmake --build "$build" --target "$target" -j2
        run "$target" "$seconds"
        ;;
esac
