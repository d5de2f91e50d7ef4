#!/usr/bin/env bash
# The updater over a far link: installs the 2000-file set (published with archives of small
# files) through bench/latency_bench/link_proxy.py at 50 ms round trip and 100 and 20 Mbit/s,
# with --connections 1, 4, 6 and 12, against curl --parallel --parallel-max 6 (and aria2c -j 6
# when installed) fetching the same files through the same proxy; then a small incremental
# update (10 changed files of 2000). Prints medians of interleaved rounds, the ratios and the
# link limit (bytes on the wire / rate).
# MODE=h2 compares instead, side by side at each rate: the updater over HTTPS with HTTP/2 from
# nginx (default connections, the game folder pinning the bench's throwaway CA), the updater over
# HTTP/1.1 with 6 connections, and curl --parallel over the same HTTP/2 server; each against the
# link limit (the TLS proxy passes the encrypted bytes through like any others).
# Environment: BUILD (default <repo>/build), ROUNDS (default 3), RATES (default "100 20"),
# CONNECTIONS (default "1 4 6 12"), DELAY_MS (each direction, default 25), ARCHIVE_SMALL,
# LOOPBACK (1, the default: also N=1 and N=6 against curl without the proxy), MODE (h1, the
# default, or h2), CURL_H2_PARALLEL (curl's --parallel-max over HTTP/2, default 50: curl's own).
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$REPO/build}
ROUNDS=${ROUNDS:-3}
MODE=${MODE:-h1}
CURL_H2_PARALLEL=${CURL_H2_PARALLEL:-50}
RATES=${RATES:-100 20}
CONNECTIONS=${CONNECTIONS:-1 4 6 12}
DELAY_MS=${DELAY_MS:-25}
# Files up to this size travel in archives; 1030 bytes gives about 1250 requests for the set.
ARCHIVE_SMALL=${ARCHIVE_SMALL:-1030}
DATA=$BUILD/install_data

cmake --build "$BUILD" -j2 --target veyra-update veyra-publish >/dev/null
. "$REPO/scripts/lib/bench_data.sh"
bench_install_data "$DATA"

. "$REPO/scripts/lib/bench.sh"
bench_work_folder "$BUILD" latency_run

# The release as players have it, published twice: the full set, and one with 10 files changed.
python3 "$REPO/bench/latency_bench/make_release.py" "$DATA" "$WORK/release" "$WORK/release2"
"$BUILD/src/veyra-publish" build --release "$WORK/release" --out "$WORK/site" \
  --archive-small "$ARCHIVE_SMALL" >/dev/null 2>>"$WORK/publish.log"
cp -r "$WORK/site" "$WORK/site2"
"$BUILD/src/veyra-publish" build --release "$WORK/release2" --out "$WORK/site2" \
  --previous "$WORK/site" --archive-small "$ARCHIVE_SMALL" >/dev/null 2>>"$WORK/publish.log"

. "$REPO/scripts/lib/nginx.sh"
. "$REPO/scripts/lib/far_link.sh"
nginx_access_log=off
nginx_start "$WORK/nginx" "$WORK" || exit 1
PIDS+=("$nginx_pid")
ORIGIN_PORT=$nginx_port

start_proxy() {  # rate in Mbit/s [origin port]; sets PROXY_PORT and PROXY_PID
  link_proxy_start "$WORK" "${2:-$ORIGIN_PORT}" "$DELAY_MS" "$1"
  PIDS+=("$link_proxy_pid")
  PROXY_PORT=$link_proxy_port
  PROXY_PID=$link_proxy_pid
}

# Every entry's remote name of a published set, for the other clients.
remote_names() { tail -n +2 "$1/update3.dat" | tr -d '\r' | awk 'NF >= 4 {print $2}'; }
WIRE_BYTES=$(remote_names "$WORK/site" | python3 -c '
import os, sys, urllib.parse
print(sum(os.path.getsize(os.path.join(sys.argv[1], urllib.parse.unquote(n.strip()))) for n in sys.stdin))' "$WORK/site")
REQUESTS=$(remote_names "$WORK/site" | wc -l)


run_ours() {  # site connections [start folder]; prints seconds
  local game=$WORK/game
  rm -rf "$game"
  if [ -n "${3:-}" ]; then cp -r "$3" "$game"; else mkdir -p "$game"; fi
  # OURS_SCHEME=https: through the TLS proxy, the game folder pinning the bench's CA.
  local port=$PROXY_PORT
  if [ "${OURS_SCHEME:-http}" = https ]; then
    port=$TLS_PROXY_PORT
    cp "$tls_ca" "$game/update-ca.pem"
  fi
  printf 'Line0 %s://127.0.0.1:%s/%s/ 80 30000\r\nend\r\n' "${OURS_SCHEME:-http}" "$port" "$1" >"$game/web0.dat"
  local start
  start=$(now)
  /usr/bin/time -f "%M %U %S" -o "$WORK/rss" \
    "$BUILD/src/veyra-update" --folder "$game" --line 0 --lang n --connections "$2" \
    >"$WORK/ours.log" || { cat "$WORK/ours.log" >&2; exit 1; }
  since "$start" 2
  awk -v n="$2" '{if ($1 > 0) print n, $1, $2 + $3}' "$WORK/rss" >>"$WORK/rss_all"
}

run_curl() {
  rm -rf "$WORK/curl_dest"
  remote_names "$WORK/site" |
    curl_parallel_config "http://127.0.0.1:$PROXY_PORT/site/" "$WORK/curl_dest" >"$WORK/curl.cfg"
  local start
  start=$(now)
  curl_parallel 6 "$WORK/curl.cfg"
  since "$start" 2
}

run_curl_h2() {  # curl --parallel over HTTP/2 through the TLS proxy
  rm -rf "$WORK/curl_dest"
  remote_names "$WORK/site" |
    curl_parallel_config "https://127.0.0.1:$TLS_PROXY_PORT/site/" "$WORK/curl_dest" >"$WORK/curl.cfg"
  local start
  start=$(now)
  curl_parallel "$CURL_H2_PARALLEL" "$WORK/curl.cfg" --http2 --cacert "$tls_ca"
  since "$start" 2
}

run_aria2() {
  rm -rf "$WORK/aria_dest"
  remote_names "$WORK/site" | awk -v base="http://127.0.0.1:$PROXY_PORT/site/" \
    '{printf "%s%s\n  out=%s\n", base, $1, $1}' >"$WORK/aria.list"
  local start
  start=$(now)
  aria2c -q -j 6 -x 1 -d "$WORK/aria_dest" -i "$WORK/aria.list" --allow-overwrite=true
  since "$start" 2
}


echo "set: $REQUESTS requests, $WIRE_BYTES bytes on the wire; $ROUNDS rounds; load: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$MODE" = h2 ]; then
  . "$REPO/scripts/lib/tls.sh"
  tls_make_certificates "$WORK/tls" || exit 1
  nginx_start_https "$WORK/nginx_tls" "$WORK" "$tls_certificate" "$tls_key" || exit 1
  PIDS+=("$nginx_pid")
  TLS_ORIGIN_PORT=$nginx_port
  for rate in $RATES; do
    start_proxy "$rate" "$TLS_ORIGIN_PORT"
    TLS_PROXY_PORT=$PROXY_PORT
    TLS_PROXY_PID=$PROXY_PID
    start_proxy "$rate"
    declare -A times=()
    for round in $(seq "$ROUNDS"); do
      times[h2]+=" $(OURS_SCHEME=https run_ours site 6)"
      times[h1]+=" $(run_ours site 6)"
      times[curl]+=" $(run_curl_h2)"
      echo "  $rate Mbit/s round $round: ours h2 ${times[h2]##* } s, ours http/1.1 N=6 ${times[h1]##* } s," \
        "curl h2 ${times[curl]##* } s; load $(cut -d' ' -f1 /proc/loadavg)"
    done
    limit=$(awk -v b="$WIRE_BYTES" -v r="$rate" 'BEGIN {printf "%.2f", b * 8 / (r * 1e6)}')
    echo "$rate Mbit/s, $((2 * DELAY_MS)) ms round trip, medians of $ROUNDS: link limit $limit s"
    m_curl=$(median ${times[curl]})
    for key in h2 h1 curl; do
      case $key in
        h2) label="veyra-update https, HTTP/2 (default connections)" ;;
        h1) label="veyra-update http, HTTP/1.1, 6 connections" ;;
        curl) label="curl --parallel-max $CURL_H2_PARALLEL, HTTP/2" ;;
      esac
      m=$(median ${times[$key]})
      awk -v t="$label" -v m="$m" -v c="$m_curl" -v l="$limit" \
        'BEGIN {printf "  %-50s %7.2f s  %5.2f x limit  %5.2f x curl h2\n", t, m, m / l, m / c}'
    done
    unset times
    kill "$PROXY_PID" "$TLS_PROXY_PID"
  done
  exit 0
fi
# A finished install of the first set, the start of the incremental update.
start_proxy 0
run_ours site 6 >/dev/null
cp -r "$WORK/game" "$WORK/installed"
kill "$PROXY_PID"

for rate in $RATES; do
  start_proxy "$rate"
  declare -A times=()
  for round in $(seq "$ROUNDS"); do
    for n in $CONNECTIONS; do times[ours$n]+=" $(run_ours site "$n")"; done
    times[curl]+=" $(run_curl)"
    if command -v aria2c >/dev/null; then times[aria2]+=" $(run_aria2)"; fi
    for n in 1 6; do times[incr$n]+=" $(run_ours site2 "$n" "$WORK/installed")"; done
    echo "  $rate Mbit/s round $round: $(for k in "${!times[@]}"; do printf '%s=%s ' "$k" "${times[$k]##* }"; done) load $(cut -d' ' -f1 /proc/loadavg)"
  done
  limit=$(awk -v b="$WIRE_BYTES" -v r="$rate" 'BEGIN {printf "%.1f", b * 8 / (r * 1e6)}')
  m_curl=$(median ${times[curl]})
  echo "$rate Mbit/s, $((2 * DELAY_MS)) ms round trip: link limit ${limit} s, curl --parallel 6 ${m_curl} s"
  if [ -n "${times[aria2]:-}" ]; then echo "  aria2c -j 6 $(median ${times[aria2]}) s"; fi
  for n in $CONNECTIONS; do
    m=$(median ${times[ours$n]})
    awk -v n="$n" -v m="$m" -v c="$m_curl" -v l="$limit" \
      'BEGIN {printf "  ours N=%s: %s s, ours/curl = %.2f, ours/limit = %.2f\n", n, m, m / c, m / l}'
  done
  echo "  incremental (10 of 2000 changed): N=1 $(median ${times[incr1]}) s, N=6 $(median ${times[incr6]}) s"
  unset times
  kill "$PROXY_PID"
done
# On loopback (no proxy) downloads in flight must cost nothing: N=1 and N=6 against curl.
if [ "${LOOPBACK:-1}" = 1 ]; then
  PROXY_PORT=$ORIGIN_PORT
  declare -A times=()
  for round in $(seq "$ROUNDS"); do
    for n in 1 6; do times[ours$n]+=" $(run_ours site "$n")"; done
    times[curl]+=" $(run_curl)"
  done
  echo "loopback: ours N=1 $(median ${times[ours1]}) s, N=6 $(median ${times[ours6]}) s," \
    "curl --parallel 6 $(median ${times[curl]}) s"
  unset times
fi
# Peak memory: 2.5 x the largest expanded file + the 64 MiB budget + 64 MiB is the bound.
largest=$(awk '$3 > m {m = $3} END {print m}' "$DATA/manifest.txt")
awk -v l="$largest" '{if ($2 > p[$1]) p[$1] = $2; if ($3 > c[$1]) c[$1] = $3} END {
  for (n in p) printf "N=%s: peak RSS %.1f MiB (bound %.1f MiB), most CPU time of a run %.2f s\n",
    n, p[n] / 1024, (2.5 * l + 128 * 1048576) / 1048576, c[n] }' "$WORK/rss_all"
