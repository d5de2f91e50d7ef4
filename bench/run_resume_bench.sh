#!/usr/bin/env bash
# Resuming over a far link: veyra-update installs one 200 MiB file through
# bench/latency_bench/link_proxy.py (50 ms round trip, 20 Mbit/s), whose connection is cut once
# at 50 % and at 90 % of the file; each cut is run with resuming (the next attempt asks for the
# rest) and with --no-resume (the next attempt fetches the whole file again), beside the whole
# file fetched without a cut. Prints, per case, the bytes on the wire (towards the client,
# headers included) and the time, both also as a ratio to the uncut fetch; medians of ROUNDS.
# Environment: BUILD (default <repo>/build), ROUNDS (default 3), RATE (Mbit/s, default 20),
# DELAY_MS (each direction, default 25), SIZE_MIB (default 200), CONNECTIONS (default 6).
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$REPO/build}
ROUNDS=${ROUNDS:-3}
RATE=${RATE:-20}
DELAY_MS=${DELAY_MS:-25}
SIZE_MIB=${SIZE_MIB:-200}
CONNECTIONS=${CONNECTIONS:-6}
PROXY=$REPO/bench/latency_bench/link_proxy.py

cmake --build "$BUILD" -j2 --target veyra-update >/dev/null

. "$REPO/scripts/lib/bench.sh"
bench_work_folder "$BUILD" resume_run

# One raw entry: incompressible, so the bytes on the wire are the file's.
mkdir -p "$WORK/site"
head -c "$((SIZE_MIB * 1048576))" /dev/urandom >"$WORK/site/big.bin"
printf 'header\r\nO big.bin big.bin 1\r\n' >"$WORK/site/update3.dat"
SIZE=$(stat -c %s "$WORK/site/big.bin")

. "$REPO/scripts/lib/nginx.sh"
nginx_access_log=off
nginx_start "$WORK/nginx" "$WORK/site" || exit 1
PIDS+=("$nginx_pid")


run_case() {  # cut fraction (0: none), extra option; prints "seconds bytes"
  local cut=$1 option=${2:-} port game=$WORK/game count=$WORK/count
  rm -rf "$game" "$count"
  mkdir -p "$game"
  port=$(free_port)
  local cut_bytes=0
  if [ "$cut" != 0 ]; then cut_bytes=$(awk -v s="$SIZE" -v f="$cut" 'BEGIN {printf "%d", s * f}'); fi
  python3 "$PROXY" "$port" 127.0.0.1 "$nginx_port" "$DELAY_MS" "$RATE" \
    --cut-after "$cut_bytes" --count-file "$count" >"$WORK/proxy.out" 2>>"$WORK/proxy.err" &
  local proxy_pid=$!
  PIDS+=("$proxy_pid")
  for _ in $(seq 50); do grep -q ready "$WORK/proxy.out" 2>/dev/null && break; sleep 0.1; done
  printf 'Line0 http://127.0.0.1:%s/ 80 30000\r\nend\r\n' "$port" >"$game/web0.dat"
  local start
  start=$(now)
  # shellcheck disable=SC2086
  "$BUILD/src/veyra-update" --folder "$game" --line 0 --lang n --connections "$CONNECTIONS" \
    $option >"$WORK/update.log" || { cat "$WORK/update.log" >&2; exit 1; }
  local seconds
  seconds=$(since "$start" 1)
  cmp -s "$game/big.bin" "$WORK/site/big.bin" || { echo "installed file differs" >&2; exit 1; }
  kill "$proxy_pid"
  wait "$proxy_pid" 2>/dev/null || true
  echo "$seconds $(cat "$count")"
}


echo "one file of $SIZE bytes, $RATE Mbit/s, $((2 * DELAY_MS)) ms round trip, $CONNECTIONS connections, $ROUNDS rounds; load: $(cut -d' ' -f1-3 /proc/loadavg)"
declare -A seconds=() bytes=()
CASES=("whole:0:" "cut 50% resumed:0.5:" "cut 50% --no-resume:0.5:--no-resume"
       "cut 90% resumed:0.9:" "cut 90% --no-resume:0.9:--no-resume")
for round in $(seq "$ROUNDS"); do
  for case in "${CASES[@]}"; do
    IFS=: read -r name cut option <<<"$case"
    read -r s b <<<"$(run_case "$cut" "$option")"
    seconds[$name]+=" $s"
    bytes[$name]+=" $b"
    echo "  round $round, $name: $s s, $b bytes"
  done
done
base_s=$(median ${seconds[whole]})
base_b=$(median ${bytes[whole]})
for case in "${CASES[@]}"; do
  IFS=: read -r name _ _ <<<"$case"
  s=$(median ${seconds[$name]})
  b=$(median ${bytes[$name]})
  awk -v n="$name" -v s="$s" -v b="$b" -v bs="$base_s" -v bb="$base_b" 'BEGIN {
    printf "%-22s %8.1f s (%.2f x)  %12d bytes on the wire (%.2f x)\n", n, s, s / bs, b, b / bb }'
done
