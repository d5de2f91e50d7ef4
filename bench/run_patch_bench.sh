#!/usr/bin/env bash
# Patches of changed files, on one of two data sets (SET):
#   - big (the default): one 200 MiB game-like file (bench/patch_bench/make_versions.py) changed
#     by inserting and altering 1 % of it in four places;
#   - 2000: the 2000-file set of the install and latency benches, of which release 2 changes the
#     ten largest files (6 to 8 MiB) the same way (bench/latency_bench/make_release.py
#     --patch-like).
# Release 1 is published signed and installed with veyra-update from nginx on 127.0.0.1; release
# 2 is published with --previous, so it offers zstd patches. Prints side by side:
#   - bytes on the wire for the update: the patches, the changed files that got none (whole), the
#     list and the signed statement (HTTP headers not counted), against the gzip size of the
#     changed regions alone (goal at most 1.5 x) and the changed files' whole size as published
#     (goal at most 5 %);
#   - the time to update release 1 to 2 from the patches against every changed file whole
#     (--no-patches) from the same server (goal at most 1.5 x), medians of interleaved rounds,
#     with the requests and connections of the update from patches (nginx's log);
#   - with FAR=1, the update from the patches over a far link (bench/latency_bench/link_proxy.py,
#     50 ms round trip, 20 Mbit/s) against the time the link needs to send the patches' bytes
#     (goal at most 1.2 x), and against curl fetching the same patch files through the same proxy
#     in one --parallel command on fresh connections (6 at once, the updater's default), in
#     interleaved rounds; the bytes the proxy carried to each (measured, headers included), and
#     the changed files' whole size at that rate for comparison.
# Every update from patches is checked byte for byte against release 2, and must have used every
# patch offered.
# Environment: BUILD (default <repo>/build), SET (big or 2000), MIB (big's size, default 200),
# ROUNDS (default 3), FAR (0).
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$REPO/build}
SET=${SET:-big}
MIB=${MIB:-200}
ROUNDS=${ROUNDS:-3}
FAR=${FAR:-0}
case $SET in
  big) DATA=$BUILD/patch_data_$MIB ;;
  2000) DATA=$BUILD/patch_data_2000files ;;
  *) echo "SET is big or 2000" >&2; exit 2 ;;
esac

cmake --build "$BUILD" -j2 --target veyra-update veyra-publish >/dev/null
if [ ! -f "$DATA/changed.txt" ]; then
  rm -rf "$DATA" "$DATA.partial"
  mkdir -p "$DATA.partial"
  if [ "$SET" = big ]; then
    python3 "$REPO/bench/patch_bench/make_versions.py" "$DATA.partial" "$MIB" >"$DATA.partial/changed.txt"
  else
    . "$REPO/scripts/lib/bench_data.sh"
    bench_install_data "$BUILD/install_data"
    python3 "$REPO/bench/latency_bench/make_release.py" "$BUILD/install_data" "$DATA.partial/v1" \
      "$DATA.partial/v2" --patch-like "$DATA.partial/changed.bin" >"$DATA.partial/changed.txt"
  fi
  mv "$DATA.partial" "$DATA"
fi

WORK=$(mktemp -d "$BUILD/patch_run.XXXXXX")
. "$REPO/scripts/lib/bench.sh"
. "$REPO/scripts/lib/nginx.sh"
. "$REPO/scripts/lib/far_link.sh"
PROXY_PID=
trap '[ -z "$PROXY_PID" ] || kill "$PROXY_PID"; nginx_stop; rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM

publish=$BUILD/src/veyra-publish
update() {  # GAME [OPTIONS...]
  local game=$1
  shift
  "$BUILD/src/veyra-update" --folder "$game" --line 0 --lang n "$@" >"$WORK/update.log" ||
    { cat "$WORK/update.log" >&2; exit 1; }
}

echo "changed files of release 2 (local name, size in release 1), load $(cut -d' ' -f1-3 /proc/loadavg):"
sed 's/^/  /' "$DATA/changed.txt"

"$publish" keygen "$WORK/key" >/dev/null 2>&1
"$publish" build --release "$DATA/v1" --out "$WORK/site" --sign "$WORK/key" 2>"$WORK/publish1.log"
cp -a "$WORK/site" "$WORK/old"
# Each line ends with the connection's number: the requests' spread over connections is reported.
ACCESS_LOG=$WORK/nginx/access.log
nginx_access_log="$ACCESS_LOG with_connection"
nginx_start "$WORK/nginx" "$WORK/site" || exit 1

mkdir -p "$WORK/game1"
printf 'Line0 %s 80 30000\r\nend\r\n' "$nginx_url" >"$WORK/game1/web0.dat"
cp "$WORK/key.pub" "$WORK/game1/update3.pub"
update "$WORK/game1"

start=$(now)
"$publish" build --release "$DATA/v2" --out "$WORK/site" --previous "$WORK/old" \
  --sign "$WORK/key" 2>"$WORK/publish2.log"
publish_seconds=$(since "$start")

# What the update from release 1 to 2 carries, from the two signed statements: the files whose
# digest changed, each as its patch or else whole, and the list and statement themselves.
read -r changed_files patches patch_bytes unpatched_bytes whole_bytes list_bytes < <(
  awk 'FNR == NR { if ($1 == "file") old[$0]; next }
       $1 == "list" { list = $2 }
       $1 == "file" && !($0 in old) { changed[$4] = $2 }
       $1 == "patch" { patch[$9] = $6 }
       END {
         for (f in changed) {
           n++; whole += changed[f]
           if (f in patch) { p++; pb += patch[f] } else unpatched += changed[f]
         }
         print n + 0, p + 0, pb + 0, unpatched + 0, whole + 0, list + 0
       }' "$WORK/old/update3.sig" "$WORK/site/update3.sig")
statement_bytes=$(stat -c %s "$WORK/site/update3.sig")
wire_bytes=$((patch_bytes + unpatched_bytes + list_bytes + statement_bytes))
changed_gzip=$(gzip -6 -c "$DATA/changed.bin" | wc -c)
[ "$patches" -gt 0 ] || { echo "no patch was published" >&2; cat "$WORK/publish2.log" >&2; exit 1; }

# The requests of the last update, from nginx's log: how many, of what, on how many connections.
requests_summary() {
  awk '{ n++; conn[$(NF - 2)]; if ($7 ~ /^\/patch\//) p++; else if ($7 ~ /^\/(gz|raw)\//) w++; else o++ }
       END { c = 0; for (k in conn) c++
             printf "%d requests (%d patches, %d whole files, %d list, statement and others) on %d connections", n, p, w, o, c }' "$ACCESS_LOG"
}

run() {  # patch|whole; prints seconds
  rm -rf "$WORK/game"
  cp -a "$WORK/game1" "$WORK/game"
  sync
  : >"$ACCESS_LOG"
  local start seconds
  start=$(now)
  if [ "$1" = patch ]; then
    update "$WORK/game"
  else
    update "$WORK/game" --no-patches
  fi
  seconds=$(since "$start")
  diff -rq "$WORK/game/Data" "$DATA/v2/Data" >&2 || { echo "$1: wrong result" >&2; exit 1; }
  if [ "$1" = patch ]; then
    local used
    used=$(awk '$1 == "patches:" {print $2}' "$WORK/update.log")
    if [ "${used:-0}" -ne "$patches" ]; then
      echo "the update used ${used:-no} patch(es) of the $patches offered:" >&2
      cat "$WORK/update.log" >&2
      exit 1
    fi
    cp "$WORK/update.log" "$WORK/patch-update.log"
    requests_summary >"$WORK/patch-requests"
  fi
  echo "$seconds"
}

run patch >/dev/null  # warm-up: the served files in the page cache
PATCH=() WHOLE=()
for round in $(seq "$ROUNDS"); do
  PATCH+=("$(run patch)")
  WHOLE+=("$(run whole)")
  echo "round $round: from the patches ${PATCH[-1]} s, changed files whole ${WHOLE[-1]} s"
done
awk -v files="$changed_files" -v np="$patches" -v p="$patch_bytes" -v u="$unpatched_bytes" \
    -v l="$list_bytes" -v s="$statement_bytes" -v t="$wire_bytes" -v c="$changed_gzip" \
    -v w="$whole_bytes" -v pub="$publish_seconds" \
    -v tp="$(median "${PATCH[@]}")" -v tw="$(median "${WHOLE[@]}")" 'BEGIN {
  printf "bytes on the wire (HTTP headers not counted): %d = patches %d (for %d files) + changed files without a patch %d (%d files) + list %d + statement %d\n", t, p, np, u, files - np, l, s
  printf "  against the changed regions alone, gzip %d: ratio %.2f (goal <= 1.5); the patches alone %.2f\n", c, t / c, p / c
  printf "  against the changed files whole as published (gzip, or raw where gzip saves under 5 %%), %d: %.2f %% (goal <= 5 %%); the patches alone %.2f %%\n", w, 100 * t / w, 100 * p / w
  printf "update on loopback, medians: from the patches %s s, changed files whole (--no-patches) %s s (ratio %.2f, goal <= 1.5); publishing release 2 with the patches took %s s\n", tp, tw, tp / tw, pub }'
echo "  the update from patches: $(cat "$WORK/patch-requests"); $(grep '^patches:' "$WORK/patch-update.log")"

[ "$FAR" = 1 ] || exit 0
link_proxy_start "$WORK" "$nginx_port" 25 20 --count-file "$WORK/proxy.count"
PROXY_PID=$link_proxy_pid
printf 'Line0 http://127.0.0.1:%s/ 80 30000\r\nend\r\n' "$link_proxy_port" >"$WORK/game1/web0.dat"
awk '$1 == "patch" {print $8}' "$WORK/site/update3.sig" |
  curl_parallel_config "http://127.0.0.1:$link_proxy_port/" "$WORK/curl" >"$WORK/curl.cfg"
run_curl() {  # prints seconds
  rm -rf "$WORK/curl"
  local start seconds
  start=$(now)
  curl_parallel 6 "$WORK/curl.cfg"
  seconds=$(since "$start")
  diff -rq "$WORK/curl/patch" "$WORK/site/patch" >&2 || { echo "curl: wrong result" >&2; exit 1; }
  echo "$seconds"
}
carried() {  # bytes the proxy has carried to clients so far (it rewrites the file as it goes)
  local n='' _
  for _ in 1 2 3 4 5; do
    n=$(cat "$WORK/proxy.count" 2>/dev/null) && [ -n "$n" ] && break
    sleep 0.01
  done
  echo "${n:-0}"
}
# An update with nothing left to fetch, over the same link: the list and the statement alone,
# which every update costs before its first file.
run_up_to_date() {  # prints seconds
  local start
  start=$(now)
  update "$WORK/game"
  since "$start"
}
FARS=() CURLS=() UP_TO_DATE=()
for round in $(seq "$ROUNDS"); do
  before=$(carried)
  FARS+=("$(run patch)")
  ours_carried=$(($(carried) - before))
  UP_TO_DATE+=("$(run_up_to_date)")
  before=$(carried)
  CURLS+=("$(run_curl)")
  curl_carried=$(($(carried) - before))
  echo "far round $round: update from the patches ${FARS[-1]} s, curl ${CURLS[-1]} s, nothing to fetch ${UP_TO_DATE[-1]} s"
done
awk -v p="$patch_bytes" -v w="$whole_bytes" -v n="$patches" -v t="$(median "${FARS[@]}")" \
    -v c="$(median "${CURLS[@]}")" -v u="$(median "${UP_TO_DATE[@]}")" -v bo="$ours_carried" \
    -v bc="$curl_carried" 'BEGIN {
  send = p * 8 / 20e6 + 0.05
  printf "far link (50 ms round trip, 20 Mbit/s), medians: update from the patches %s s; sending the patch bytes takes %.2f s (ratio %.2f, goal <= 1.2); curl --parallel fetching the %d patch files %s s (ratio %.2f)\n", t, send, t / send, n, c, t / c
  printf "  an update with nothing to fetch (the list and statement alone) takes %s s; the patches add %.3f s (ratio %.2f to sending them, %.2f to curl)\n", u, t - u, (t - u) / send, (t - u) / c
  printf "  carried to the client by the proxy (measured, headers included): the update %d bytes, curl %d bytes; the changed files whole would take %.1f s to send\n", bo, bc, w * 8 / 20e6 }'
echo "  the update from patches: $(cat "$WORK/patch-requests")"
