#!/usr/bin/env bash
# Live readers on the built-in web server, on loopback: how soon a stored line reaches every
# reader, the server's memory per reader, and how steadily a 16 ms timer on the server's thread
# (the display's scroll timer shares that thread in the program) keeps its period meanwhile.
#
#   bench/web/live.sh [readers] [seconds] [line every ms]      (defaults 1000, 20, 500)
#
# Targets: delay p99 under 100 ms, under 20 kB a reader, timer p99 under 2 ms off its period.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
readers=${1:-1000}
seconds=${2:-20}
every=${3:-500}
build=${BUILD_DIR:-$root/build/web-bench}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target tavrin_web_serve -j 2 > /dev/null

work=$(mktemp -d)
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null || true
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$build/tools/web_serve/tavrin_web_serve" --records 200 --add-every "$every" --tick-ms 16 \
    --tick-file "$work/ticks" > "$work/port" &
server_pid=$!
for _ in $(seq 50); do
    grep -q '^port ' "$work/port" 2> /dev/null && break
    sleep 0.1
done
port=$(awk '/^port /{print $2}' "$work/port")

python3 "$root/bench/web/live_readers.py" "$port" "$readers" "$seconds" "$server_pid"
echo "16 ms timer on the server's thread, one line a second while the readers were connected:"
tail -n "$seconds" "$work/ticks"
