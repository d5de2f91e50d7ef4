#!/usr/bin/env bash
# The cost of checking a signed update set: veyra-update installs the 2000-file set from nginx
# on 127.0.0.1 into an empty game folder, once with the publisher's key pinned (the statement
# fetched and checked, every body hashed against it) and once without, in interleaved rounds.
# Prints the medians side by side and their ratio (goal: at most 1.10).
# Environment: BUILD (default <repo>/build), ROUNDS (default 5), CONNECTIONS (default 6).
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$REPO/build}
ROUNDS=${ROUNDS:-5}
CONNECTIONS=${CONNECTIONS:-6}
DATA=$BUILD/install_data

cmake --build "$BUILD" -j2 --target veyra-update veyra-publish >/dev/null
. "$REPO/scripts/lib/bench_data.sh"
bench_install_data "$DATA"

WORK=$(mktemp -d "$BUILD/signed_run.XXXXXX")
. "$REPO/scripts/lib/bench.sh"
. "$REPO/scripts/lib/nginx.sh"
trap 'nginx_stop; rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM

python3 "$REPO/bench/latency_bench/make_release.py" "$DATA" "$WORK/release" "$WORK/release2"
rm -rf "$WORK/release2"
"$BUILD/src/veyra-publish" keygen "$WORK/key" >/dev/null
"$BUILD/src/veyra-publish" build --release "$WORK/release" --out "$WORK/site" \
  --sign "$WORK/key" >/dev/null 2>"$WORK/publish.log"
nginx_access_log=off
nginx_start "$WORK/nginx" "$WORK/site" || exit 1

run() {  # signed|plain; prints seconds
  local game=$WORK/game
  rm -rf "$game"
  mkdir -p "$game"
  printf 'Line0 %s 80 30000\r\nend\r\n' "$nginx_url" >"$game/web0.dat"
  if [ "$1" = signed ]; then cp "$WORK/key.pub" "$game/update3.pub"; fi
  sync
  local start
  start=$(now)
  "$BUILD/src/veyra-update" --folder "$game" --line 0 --lang n --connections "$CONNECTIONS" \
    >"$WORK/update.log" || { cat "$WORK/update.log" >&2; exit 1; }
  since "$start"
}

run signed >/dev/null  # warm-up: the served files in the page cache
SIGNED=() PLAIN=()
for round in $(seq "$ROUNDS"); do
  SIGNED+=("$(run signed)")
  PLAIN+=("$(run plain)")
  echo "round $round: signed ${SIGNED[-1]} s, unsigned ${PLAIN[-1]} s"
done
m_signed=$(median "${SIGNED[@]}")
m_plain=$(median "${PLAIN[@]}")
awk -v s="$m_signed" -v p="$m_plain" -v n="$CONNECTIONS" 'BEGIN {
  printf "install with --connections %s: signed and checked %s s, unsigned %s s, ratio %.3f (goal <= 1.10)\n", n, s, p, s / p }'
