#!/usr/bin/env bash
# Load on the built-in web server, beside nginx serving the same page bytes, both on loopback.
#
#   bench/web/load.sh [connections] [seconds] [wrk threads]      (defaults 100, 10, 2)
#
# Needs wrk and nginx (Debian: apt-get install wrk nginx-light); they are not build dependencies.
# Prints requests per second and p99 latency of both, their ratio, the processor time each
# server spent per answered request (which other load on the machine does not skew), and how
# steadily a 16 ms
# timer on the server's thread kept its period meanwhile (the display's scroll timer shares
# that thread in the program). Target: at least 0.8 of nginx's rate with p99 under 10 ms.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
connections=${1:-100}
seconds=${2:-10}
threads=${3:-2}
build=${BUILD_DIR:-$root/build/web-bench}

for tool in wrk nginx; do
    if ! command -v "$tool" > /dev/null && [ ! -x "/usr/sbin/$tool" ]; then
        echo "missing $tool: apt-get install wrk nginx-light" >&2
        exit 1
    fi
done
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target tavrin_web_serve -j 2 > /dev/null

work=$(mktemp -d)
chmod 755 "$work"
server_pid=""
nginx_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null || true
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2> /dev/null || true
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The server's operation log goes into the scratch folder, not the user's.
mkdir -p "$work/home" "$work/www"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    "$build/tools/web_serve/tavrin_web_serve" --port 0 --records 20 --body-file "$work/www/index.html" \
    --tick-ms 16 --tick-file "$work/ticks.txt" > "$work/serve.out" &
server_pid=$!
for _ in $(seq 50); do
    grep -q '^port ' "$work/serve.out" 2> /dev/null && break
    sleep 0.1
done
port=$(awk '/^port /{print $2}' "$work/serve.out")
[ -n "$port" ] || { echo "the page server did not start" >&2; exit 1; }
chmod 644 "$work/www/index.html"

nginx_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/nginx.conf" << CONF
worker_processes 1;
daemon off;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 1024; }
http {
    access_log off;
    keepalive_timeout 0;
    client_body_temp_path $work/nginx-body;
    proxy_temp_path $work/nginx-proxy;
    fastcgi_temp_path $work/nginx-fastcgi;
    uwsgi_temp_path $work/nginx-uwsgi;
    scgi_temp_path $work/nginx-scgi;
    server {
        listen 127.0.0.1:$nginx_port;
        root $work/www;
        index index.html;
        default_type "text/html; charset=UTF-8";
    }
}
CONF
"$nginx_bin" -c "$work/nginx.conf" -p "$work" 2> "$work/nginx.err" &
nginx_pid=$!
sleep 0.5

# Same bytes from both.
curl_body() { python3 - "$1" << 'PY'
import socket, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
s.sendall(b"GET / HTTP/1.0\r\n\r\n")
data = b""
while True:
    chunk = s.recv(65536)
    if not chunk:
        break
    data += chunk
sys.stdout.buffer.write(data.split(b"\r\n\r\n", 1)[1])
PY
}
if ! cmp -s <(curl_body "$port") <(curl_body "$nginx_port"); then
    echo "the two servers do not serve the same page" >&2
    exit 1
fi

run_wrk() { wrk -t"$threads" -c"$connections" -d"${seconds}s" --latency "http://127.0.0.1:$1/"; }
# User plus system clock ticks of a process so far.
ticks_of() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
requests_of() { awk '/requests in/{ print $1 }' "$1"; }
rate_of() { awk '/^Requests\/sec:/{print $2}' "$1"; }
# wrk prints "99%  1.23ms" (or us / s); in milliseconds.
p99_of() {
    awk '$1 == "99%" {
        v = $2
        if (v ~ /us$/) { sub(/us$/, "", v); v /= 1000 }
        else if (v ~ /ms$/) { sub(/ms$/, "", v) }
        else if (v ~ /s$/) { sub(/s$/, "", v); v *= 1000 }
        printf "%.2f", v }' "$1"
}

nginx_worker=$(pgrep -P "$nginx_pid" | head -n 1)
[ -n "$nginx_worker" ] || { echo "nginx did not start: $(cat "$work/nginx.err")" >&2; exit 1; }

sleep 2
idle_lines=$(wc -l < "$work/ticks.txt")
t_ticks=$(ticks_of "$server_pid")
run_wrk "$port" > "$work/tavrin.txt"
t_ticks=$(($(ticks_of "$server_pid") - t_ticks))
load_lines=$(wc -l < "$work/ticks.txt")
n_ticks=$(ticks_of "$nginx_worker")
run_wrk "$nginx_port" > "$work/nginx.txt"
n_ticks=$(($(ticks_of "$nginx_worker") - n_ticks))
hz=$(getconf CLK_TCK)
cpu_us() { awk -v t="$1" -v n="$2" -v hz="$hz" 'BEGIN { printf "%.1f", t * 1e6 / hz / n }'; }

echo "== tavrin ($connections connections, ${seconds} s, $threads wrk threads)"
grep -E 'Requests/sec|Socket errors|Non-2xx' "$work/tavrin.txt" || true
# wrk counts a response that ends with the connection (HTTP/1.0 without a length) as a read
# error too, and opens one extra connection for it that it closes unused.
echo "== nginx (one worker, keep-alive off)"
grep -E 'Requests/sec|Socket errors|Non-2xx' "$work/nginx.txt" || true

t_rate=$(rate_of "$work/tavrin.txt")
n_rate=$(rate_of "$work/nginx.txt")
t_p99=$(p99_of "$work/tavrin.txt")
n_p99=$(p99_of "$work/nginx.txt")
ratio=$(awk -v a="$t_rate" -v b="$n_rate" 'BEGIN { printf "%.2f", a / b }')
t_cpu=$(cpu_us "$t_ticks" "$(requests_of "$work/tavrin.txt")")
n_cpu=$(cpu_us "$n_ticks" "$(requests_of "$work/nginx.txt")")
printf '\n%-8s %12s %10s %16s\n' server "requests/s" "p99 ms" "cpu us/request"
printf '%-8s %12s %10s %16s\n' tavrin "$t_rate" "$t_p99" "$t_cpu" nginx "$n_rate" "$n_p99" "$n_cpu"
echo "ratio tavrin/nginx: $ratio"

# The 16 ms timer: worst second while idle and under load.
worst() { sed -n "$1,$2p" "$work/ticks.txt" | awk '{ if ($6 > p) p = $6; if ($8 > m) m = $8 } END { printf "p99 %.2f ms, max %.2f ms", p, m }'; }
echo "16 ms timer step, idle:      $(worst 1 "$idle_lines")"
echo "16 ms timer step, under load: $(worst $((idle_lines + 1)) "$load_lines")"

verdict=$(awk -v r="$ratio" -v p="$t_p99" 'BEGIN { print (r >= 0.8 && p < 10) ? "met" : "missed" }')
echo "target (>= 0.8 of nginx, p99 < 10 ms): $verdict"
