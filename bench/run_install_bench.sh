#!/usr/bin/env bash
# End-to-end install comparison: the updater engine (ApplyEntry per file) against
#   (a) one curl process over one connection followed by gzip -d (xargs batches), and
#   (b) a minimal libcurl -> zlib inflate -> file streaming program (the practical limit), and
#   (c) the same program holding each file until its body has ended (the limit for an updater
#       that never writes a file from an incomplete download, as ours; shown, no goal).
# Builds the programs, generates the data set once (cached under the build folder), serves it with
# nginx on 127.0.0.1 and runs interleaved rounds, each into a fresh folder removed afterwards.
# Environment: BUILD (build folder, default <repo>/build-bench), ROUNDS (default 5), SETTLE
# (seconds to wait before each timed run, default 3).
#
# Why the wait: on virtual machines that hand freed memory back to the host (free page
# reporting), writing into memory the guest freed a few seconds ago costs a host fault per page.
# Each run deletes the previous run's 200 MB of files, so without a wait, whether a run writes
# into still-resident or already-returned memory depends on when the host took it back, and the
# same program varies by 15 %. After the wait every run starts from the same state. A program
# that writes between network reads (b) reuses the pages the socket just freed and escapes most
# of that cost; one that writes each file after it has arrived whole cannot.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$REPO/build-bench}
ROUNDS=${ROUNDS:-5}
SETTLE=${SETTLE:-3}
DATA=$BUILD/install_data
NGINX=${NGINX:-/usr/sbin/nginx}

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$REPO" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" -j2 --target apply_entries_bench stream_install_baseline >/dev/null

GENERATOR=$REPO/bench/install_bench/make_dataset.py
if [ ! -f "$DATA/manifest.txt" ] || [ "$GENERATOR" -nt "$DATA/manifest.txt" ]; then
  echo "generating the data set in $DATA ..."
  rm -rf "$DATA" "$DATA.partial"
  python3 "$GENERATOR" "$DATA.partial"
  mv "$DATA.partial" "$DATA"
fi
MANIFEST=$DATA/manifest.txt
EXPECTED_FILES=$(wc -l <"$MANIFEST")
EXPECTED_BYTES=$(awk '{s += $3} END {print s}' "$MANIFEST")

WORK=$(mktemp -d "$BUILD/install_run.XXXXXX")
. "$REPO/scripts/lib/bench.sh"
NGINX_PID=
cleanup() {
  if [ -n "$NGINX_PID" ]; then
    kill "$NGINX_PID" 2>/dev/null || true
    wait "$NGINX_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# shellcheck source=scripts/lib/nginx.sh
. "$REPO/scripts/lib/nginx.sh"
nginx_access_log=off
nginx_start "$WORK/nginx" "$DATA/root" || exit 1
NGINX_PID=$nginx_pid
BASE=$nginx_url

DEST=$WORK/dest
awk -v base="$BASE" -v dest="$DEST" \
  '{printf "url = \"%s%s\"\noutput = \"%s/%s\"\n", base, $1, dest, $1}' "$MANIFEST" >"$WORK/curl.cfg"

# Fails the run when a round did not produce every file with its full expanded size.
check_dest() {
  local files bytes
  files=$(find "$DEST" -type f | wc -l)
  bytes=$(find "$DEST" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  if [ "$files" != "$EXPECTED_FILES" ] || [ "$bytes" != "$EXPECTED_BYTES" ]; then
    echo "$1: $files files, $bytes bytes; expected $EXPECTED_FILES, $EXPECTED_BYTES" >&2
    exit 1
  fi
}
fresh_dest() {
  rm -rf "$DEST"
  mkdir -p "$DEST"
  sync
  sleep "$SETTLE"
}

# Untimed warm-up: the served files in the page cache, so the first round is not the only one
# that reads them from disk.
find "$DATA/root" -type f -print0 | xargs -0 cat >/dev/null

OURS=() CURL_GZIP=() STREAM=() HOLD=() GAPS=() RSS=()
LARGEST=
for round in $(seq "$ROUNDS"); do
  fresh_dest
  line=$("$BUILD/bench/apply_entries_bench" "$BASE" "$MANIFEST" "$DEST")
  check_dest ours
  OURS+=("$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$line")")
  GAPS+=("$(sed -E 's/.*max_pump_gap_ms=([0-9.]+).*/\1/' <<<"$line")")
  RSS+=("$(sed -E 's/.*peak_rss_mb=([0-9.]+).*/\1/' <<<"$line")")
  GAP_AT=$(sed -E 's/.*max_gap_entry=//' <<<"$line")
  LARGEST=$(sed -E 's/.*largest_mb=([0-9.]+).*/\1/' <<<"$line")

  fresh_dest
  start=$(now)
  curl -sf --create-dirs -K "$WORK/curl.cfg"
  find "$DEST" -name '*.gz' -print0 | xargs -0 gzip -d
  end=$(now)
  check_dest curl+gzip
  CURL_GZIP+=("$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f", b - a}')")

  fresh_dest
  line=$("$BUILD/bench/stream_install_baseline" "$BASE" "$MANIFEST" "$DEST")
  check_dest stream
  STREAM+=("$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$line")")

  fresh_dest
  line=$("$BUILD/bench/stream_install_baseline" "$BASE" "$MANIFEST" "$DEST" --hold)
  check_dest hold
  HOLD+=("$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$line")")
  rm -rf "$DEST"
  echo "round $round: ours ${OURS[-1]} s (pump gap ${GAPS[-1]} ms after" \
    "$GAP_AT, rss ${RSS[-1]} MB)," \
    "curl+gzip ${CURL_GZIP[-1]} s, stream ${STREAM[-1]} s, held ${HOLD[-1]} s"
done

maximum() { printf '%s\n' "$@" | sort -g | tail -1; }
m_ours=$(median "${OURS[@]}")
m_a=$(median "${CURL_GZIP[@]}")
m_b=$(median "${STREAM[@]}")
m_c=$(median "${HOLD[@]}")
gap=$(maximum "${GAPS[@]}")
rss=$(maximum "${RSS[@]}")
echo "data set: $EXPECTED_FILES files, $EXPECTED_BYTES bytes expanded, $(du -sb "$DATA/root" | cut -f1) bytes gzipped, largest ${LARGEST} MB"
echo "median of $ROUNDS rounds (each started ${SETTLE} s after deleting the previous files): ours ${m_ours} s, (a) curl -K + xargs gzip -d ${m_a} s, (b) libcurl->inflate stream ${m_b} s, (c) the same holding each file ${m_c} s"
awk -v o="$m_ours" -v a="$m_a" -v b="$m_b" -v c="$m_c" -v g="$gap" -v r="$rss" -v l="$LARGEST" 'BEGIN {
  verdict = "ok"
  printf "ours/(a) = %.3f (goal <= 0.70: %s)\n", o / a, (o / a <= 0.70) ? "met" : "MISSED"
  printf "ours/(b) = %.3f (goal <= 1.15: %s)\n", o / b, (o / b <= 1.15) ? "met" : "MISSED"
  printf "ours/(c) = %.3f (no goal)\n", o / c
  printf "max pump gap = %.1f ms (goal < 60: %s)\n", g, (g < 60) ? "met" : "MISSED"
  printf "peak RSS = %.1f MB, limit 2.5 x %.1f + 64 = %.1f MB (%s)\n", r, l, 2.5 * l + 64,
         (r <= 2.5 * l + 64) ? "met" : "MISSED"
}'
