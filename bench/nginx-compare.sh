#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The score server's pace beside nginx's, in one run on this machine: Debian's nginx answering a fixed reply of the
# same size as our version answer, and our server (SQLite, in a fresh folder) answering the version request and
# /metrics; then nginx sending a file of a level-5 game's stored size (6000 bytes) and our server sending the same
# bytes as a verified entry's recording from its database (/api/recording); each writes a line per request to its
# access log on disk. wrk (keep-alive) measures them in turn, round after round, so load from elsewhere falls on
# all alike; the medians and their ratios to nginx are printed, with the machine's load.
#   bash bench/nginx-compare.sh [server-program] [rounds] [seconds] [connections]
# Needs nginx (nginx-light) and wrk.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
server=${1:-$here/build/server/gromwumbler-scores}
rounds=${2:-3}
seconds=${3:-8}
connections=${4:-32}
threads=2

for tool in /usr/sbin/nginx wrk; do
  command -v "$tool" >/dev/null || { echo "nginx-compare: $tool is missing (apt-get install nginx-light wrk)" >&2; exit 2; }
done
[ -x "$server" ] || { echo "nginx-compare: no server program at $server" >&2; exit 2; }
server=$(realpath "$server")  # it runs in its own folder

source "$here/bench/run-dir.sh"
# Started by root, nginx reads files as another user: it may pass through the folder (its files stay private).
chmod 711 "$run_dir"

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

wait_listening() {
  local port=$1 i
  for i in $(seq 300); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "nginx-compare: nothing listens on $port" >&2
  exit 1
}

nginx_port=$(free_port)
ours_port=$(free_port)
version_target='/cgi/version.pl?version&prg=GromWumbler'

# Our answer's body, so that nginx sends as much.
python3 - "$run_dir/nginx.conf" "$run_dir" "$nginx_port" <<'PY'
import os, sys
conf, folder, port = sys.argv[1], sys.argv[2], sys.argv[3]
body = "GromWumbler|1.0|ok|0|" + "0" * 56 + "|end"
os.makedirs(f"{folder}/www", mode=0o755, exist_ok=True)
with open(os.open(f"{folder}/www/recording.bin", os.O_WRONLY | os.O_CREAT, 0o644), "wb") as f:
    f.write(os.urandom(6000))
open(conf, "w").write(f"""daemon off;
worker_processes 2;
pid {folder}/nginx.pid;
error_log {folder}/error.log warn;
events {{ worker_connections 1024; }}
http {{
  access_log {folder}/nginx-access.log;
  client_body_temp_path {folder}/body; proxy_temp_path {folder}/proxy; fastcgi_temp_path {folder}/fastcgi;
  uwsgi_temp_path {folder}/uwsgi; scgi_temp_path {folder}/scgi;
  server {{
    listen 127.0.0.1:{port};
    location / {{ default_type text/html; return 200 "{body}"; }}
    location = /recording.bin {{ root {folder}/www; default_type application/octet-stream; }}
  }}
}}
""")
PY
/usr/sbin/nginx -p "$run_dir" -c "$run_dir/nginx.conf" -e "$run_dir/error.log" &
pids+=($!)
(cd "$run_dir" && exec "$server" --listen "127.0.0.1:$ours_port" --db "$run_dir/scores.db" 2>"$run_dir/ours-access.log") &
pids+=($!)
wait_listening "$nginx_port"
wait_listening "$ours_port"
# The same bytes kept with a verified entry, written beside the running server as another server would.
python3 - "$run_dir/scores.db" "$run_dir/www/recording.bin" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1], timeout=10)
db.execute("INSERT INTO scores (id, name, country, score, time, token, address, replay, level, recording) "
           "VALUES (1, 'Bench', '', 1, 0, 'bench', '::1', 1, 6, ?)", (open(sys.argv[2], "rb").read(),))
db.commit()
PY
python3 - "http://127.0.0.1:$ours_port/api/recording?id=1" "$run_dir/www/recording.bin" <<'PY' || exit 1
import sys, urllib.request
if urllib.request.urlopen(sys.argv[1]).read() != open(sys.argv[2], "rb").read():
    sys.exit("nginx-compare: the server sent other bytes than the recording kept")
PY

# One wrk run: "requests/s p99-ms requests".
measure() {
  local url=$1 out rps p99 count
  out=$(wrk -t"$threads" -c"$connections" -d"${seconds}s" --latency "$url")
  # Refusals would be measured as answers.
  if grep -q 'Non-2xx' <<<"$out"; then echo "nginx-compare: refusals from $url" >&2; exit 1; fi
  rps=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  count=$(awk '/requests in/ {print $1}' <<<"$out")
  p99=$(awk '$1 == "99%" {v=$2; if (v ~ /us$/) {sub(/us$/, "", v); v/=1000} else if (v ~ /ms$/) {sub(/ms$/, "", v)} else if (v ~ /s$/) {sub(/s$/, "", v); v*=1000}; print v}' <<<"$out")
  echo "$rps $p99 $count"
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

declare -A rps p99 ratios
# Each of ours beside the nginx run just before it.
whats="nginx version metrics nginx-file recording"
sent_ours=0
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; wrk -t$threads -c$connections -d${seconds}s, $rounds rounds"
for round in $(seq "$rounds"); do
  for what in $whats; do
    case $what in
      nginx) url="http://127.0.0.1:$nginx_port$version_target" ;;
      version) url="http://127.0.0.1:$ours_port$version_target" ;;
      metrics) url="http://127.0.0.1:$ours_port/metrics" ;;
      nginx-file) url="http://127.0.0.1:$nginx_port/recording.bin" ;;
      recording) url="http://127.0.0.1:$ours_port/api/recording?id=1" ;;
    esac
    read -r r p c < <(measure "$url")
    [[ $what == nginx* ]] || sent_ours=$((sent_ours + c))
    rps[$what]+="$r "
    p99[$what]+="$p "
    [[ $what == nginx* ]] && round_nginx=$r
    # Beside the nginx run of the same round: the load of the moment falls on both.
    ratio=$(awk -v a="$r" -v b="$round_nginx" 'BEGIN {print a / b}')
    ratios[$what]+="$ratio "
    printf 'round %d %-10s %10.0f req/s  p99 %7.2f ms  %.2fx nginx\n' "$round" "$what" "$r" "$p" "$ratio"
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

for what in $whats; do
  m=$(tr ' ' '\n' <<<"${rps[$what]}" | grep . | median)
  [[ $what == nginx* ]] && nginx_rps=$m
  q=$(tr ' ' '\n' <<<"${p99[$what]}" | grep . | median)
  per_round=$(tr ' ' '\n' <<<"${ratios[$what]}" | grep . | median)
  printf '%-10s median %10.0f req/s  p99 %7.2f ms  ratio of medians %.2f, median of round ratios %.2f\n' "$what" "$m" "$q" \
    "$(awk -v a="$m" -v b="$nginx_rps" 'BEGIN {print a / b}')" "$per_round"
done
# Every request has its line (wrk counts only the answers it read; a few more may have been answered at the end).
logged=$(grep -c ' GET /' "$run_dir/ours-access.log" || true)
echo "our access log: $logged lines for $sent_ours requests counted by wrk"
[ "$logged" -ge "$sent_ours" ] || { echo "nginx-compare: access log lines are missing" >&2; exit 1; }
