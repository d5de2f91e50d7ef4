#!/usr/bin/env bash
# Patches of a large changed file: a 200 MiB game-like file (bench/patch_bench/make_versions.py)
# changed by inserting and altering 1 % of it in four places. Release 1 is published signed and
# installed with veyra-update from nginx on 127.0.0.1; release 2 is published with --previous,
# so it offers a zstd patch. Prints side by side:
#   - bytes on the wire for the patch, against the gzip size of the changed regions alone (goal
#     at most 1.5 x) and the whole file's gzip size (goal at most 5 %);
#   - the time to update release 1 to 2 from the patch against installing the whole file from
#     the same server with --no-patches (goal at most 1.5 x), medians of interleaved rounds.
#   - with FAR=1, the update from the patch over a far link (bench/latency_bench/link_proxy.py,
#     50 ms round trip, 20 Mbit/s) against the time the link needs to send the patch's bytes
#     (goal at most 1.2 x), and the whole file's gzip size at that rate for comparison.
# Environment: BUILD (default <repo>/build), MIB (default 200), ROUNDS (default 3), FAR (0).
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$REPO/build}
MIB=${MIB:-200}
ROUNDS=${ROUNDS:-3}
FAR=${FAR:-0}
DATA=$BUILD/patch_data_$MIB

cmake --build "$BUILD" -j2 --target veyra-update veyra-publish >/dev/null
if [ ! -f "$DATA/changed.bin" ]; then
  python3 "$REPO/bench/patch_bench/make_versions.py" "$DATA.partial" "$MIB"
  mv "$DATA.partial" "$DATA"
fi

WORK=$(mktemp -d "$BUILD/patch_run.XXXXXX")
. "$REPO/scripts/lib/nginx.sh"
PROXY_PID=
trap '[ -z "$PROXY_PID" ] || kill "$PROXY_PID"; nginx_stop; rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN {printf "%.3f", b - a}'; }
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
publish=$BUILD/src/veyra-publish
update() {  # GAME [OPTIONS...]
  local game=$1
  shift
  "$BUILD/src/veyra-update" --folder "$game" --line 0 --lang n "$@" >"$WORK/update.log" ||
    { cat "$WORK/update.log" >&2; exit 1; }
}

"$publish" keygen "$WORK/key" >/dev/null 2>&1
"$publish" build --release "$DATA/v1" --out "$WORK/site" --sign "$WORK/key" 2>"$WORK/publish1.log"
cp -a "$WORK/site" "$WORK/old"
nginx_access_log=off
nginx_start "$WORK/nginx" "$WORK/site" || exit 1

mkdir -p "$WORK/game1"
printf 'Line0 %s 80 30000\r\nend\r\n' "$nginx_url" >"$WORK/game1/web0.dat"
cp "$WORK/key.pub" "$WORK/game1/update3.pub"
update "$WORK/game1"

start=$(now)
"$publish" build --release "$DATA/v2" --out "$WORK/site" --previous "$WORK/old" \
  --sign "$WORK/key" 2>"$WORK/publish2.log"
publish_seconds=$(since "$start")

patch_bytes=$(awk '$1 == "patch" {sum += $6} END {print sum + 0}' "$WORK/site/update3.sig")
whole_bytes=$(stat -c %s "$WORK/site/gz/Data/world.pak.gz")
changed_bytes=$(gzip -6 -c "$DATA/changed.bin" | wc -c)
[ "$patch_bytes" -gt 0 ] || { echo "no patch was published" >&2; cat "$WORK/publish2.log" >&2; exit 1; }

run() {  # patch|whole; prints seconds
  rm -rf "$WORK/game"
  cp -a "$WORK/game1" "$WORK/game"
  sync
  local start
  start=$(now)
  if [ "$1" = patch ]; then
    update "$WORK/game"
    cp "$WORK/update.log" "$WORK/patch-update.log"
  else
    update "$WORK/game" --no-patches
  fi
  since "$start"
  cmp -s "$WORK/game/Data/world.pak" "$DATA/v2/Data/world.pak" || { echo "$1: wrong result" >&2; exit 1; }
}

run patch >/dev/null  # warm-up: the served files in the page cache
PATCH=() WHOLE=()
for round in $(seq "$ROUNDS"); do
  PATCH+=("$(run patch)")
  WHOLE+=("$(run whole)")
  echo "round $round: from the patch ${PATCH[-1]} s, whole file ${WHOLE[-1]} s"
done
grep '^patches:' "$WORK/patch-update.log" || { echo "the update did not use the patch" >&2; exit 1; }
awk -v p="$patch_bytes" -v c="$changed_bytes" -v w="$whole_bytes" -v mib="$MIB" \
    -v pub="$publish_seconds" -v tp="$(median "${PATCH[@]}")" -v tw="$(median "${WHOLE[@]}")" 'BEGIN {
  printf "%s MiB file, 1 %% changed: patch %d bytes on the wire; changed regions gzip %d (ratio %.2f, goal <= 1.5); whole file gzip %d (%.2f %%, goal <= 5 %%)\n", mib, p, c, p / c, w, 100 * p / w
  printf "update on loopback: from the patch %s s, whole file %s s (ratio %.2f, goal <= 1.5); publishing release 2 with the patch took %s s\n", tp, tw, tp / tw, pub }'

[ "$FAR" = 1 ] || exit 0
PROXY_PORT=$(free_port)
python3 "$REPO/bench/latency_bench/link_proxy.py" "$PROXY_PORT" 127.0.0.1 "$nginx_port" 25 20 \
  >"$WORK/proxy.out" 2>"$WORK/proxy.err" &
PROXY_PID=$!
for _ in $(seq 50); do grep -q ready "$WORK/proxy.out" 2>/dev/null && break; sleep 0.1; done
printf 'Line0 http://127.0.0.1:%s/ 80 30000\r\nend\r\n' "$PROXY_PORT" >"$WORK/game1/web0.dat"
FARS=()
for round in $(seq "$ROUNDS"); do FARS+=("$(run patch)"); done
awk -v p="$patch_bytes" -v w="$whole_bytes" -v t="$(median "${FARS[@]}")" 'BEGIN {
  send = p * 8 / 20e6 + 0.05
  printf "far link (50 ms, 20 Mbit/s): update from the patch %s s; sending the patch takes %.2f s (ratio %.2f, goal <= 1.2); the whole file would take %.1f s to send\n", t, send, t / send, w * 8 / 20e6 }'
