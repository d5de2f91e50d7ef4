#!/usr/bin/env bash
# The launcher's responsiveness on a private X display (Xvfb), measured on the real program:
#   1. the time from process start to the launcher's first painted frame (several runs, median),
#      and its peak memory (VmHWM) while it stands idle after that frame;
#   2. a main pass of a game-like release served by nginx on 127.0.0.1, driven with xdotool as a
#      player would (update button, line confirmation, start-update picture): the longest gap
#      between two batches of event processing in the updater window during the pass, the pass's
#      duration and VeyraOnline's peak memory (VmHWM) at its end.
# The program prints the figures through two measuring hooks that cost nothing when unset:
# VEYRA_REPORT_FIRST_FRAME=1 and VEYRA_REPORT_EVENT_GAPS=1.
# With --startup-only, only start-ups are measured, with and without the hidden service agreement
# window (VEYRA_BENCH_NO_AGREEMENT_WINDOW=1 skips it), interleaved: the first frame, VeyraOnline's
# VmHWM/VmRSS standing idle and the memory of its web engine helper processes (QtWebEngineProcess).
# The game folder holds an index.htm of a few KB of Chinese text for that window.
#
#   bench/run_window_bench.sh [--mb N] [--runs N] [--passes N] [--startup-only]
#     --mb N          release size in MiB (default 200); smaller for quick runs
#     --runs N        start-up runs (default 7; with --startup-only, runs of each kind)
#     --passes N      main passes, each into a fresh game folder (default 3)
#     --startup-only  the start-up comparison only (no release, no nginx, no main pass)
# Environment: BUILD (build folder, default <repo>/build).
# The release (generated like bench/install_bench/make_dataset.py, same files at 200 MiB) and its
# published set are cached under $BUILD/window_bench.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$REPO/build}
MB=200
RUNS=7
PASSES=3
STARTUP_ONLY=0
IDLE_SECONDS=4  # how long the program stands idle after its first frame before memory is read
while [ $# -gt 0 ]; do
  case "$1" in
    --mb) MB=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --passes) PASSES=$2; shift 2 ;;
    --startup-only) STARTUP_ONLY=1; shift ;;
    -h | --help) sed -n '2,26p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run_window_bench: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done
NGINX=${NGINX:-/usr/sbin/nginx}
PASS_TIMEOUT=900  # seconds a main pass may take before the bench gives up

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$REPO" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" -j2 --target VeyraOnline veyra-publish veyra-artwork >/dev/null
LAUNCHER=$BUILD/src/VeyraOnline
PUBLISH=$BUILD/src/veyra-publish
ARTWORK=$(find "$BUILD/tools" -name veyra-artwork -type f -perm -u+x | head -1)

# --- The release and its published set (cached) -------------------------------------------------
GENERATOR=$REPO/bench/window_bench/make_release.py
DATA=$BUILD/window_bench/data-${MB}mb
if [ "$STARTUP_ONLY" = 0 ]; then
if [ ! -f "$DATA/site/update3.dat" ] || [ "$GENERATOR" -nt "$DATA/site/update3.dat" ] ||
   [ "$REPO/bench/install_bench/make_dataset.py" -nt "$DATA/site/update3.dat" ]; then
  echo "generating and publishing a ${MB} MiB release in $DATA ..."
  rm -rf "$DATA" "$DATA.partial"
  mkdir -p "$(dirname "$DATA")"
  python3 "$GENERATOR" "$DATA.partial" "$MB"
  "$PUBLISH" build --release "$DATA.partial/release" --page "$DATA.partial/page" \
    --out "$DATA.partial/site" >"$DATA.partial/publish.log" 2>&1 ||
    { cat "$DATA.partial/publish.log" >&2; exit 1; }
  "$PUBLISH" verify --set "$DATA.partial/site" >/dev/null
  mv "$DATA.partial" "$DATA"
fi
RELEASE_FILES=$(find "$DATA/release" -type f | wc -l)
RELEASE_BYTES=$(find "$DATA/release" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
fi

mkdir -p "$BUILD/window_bench"
WORK=$(mktemp -d "$BUILD/window_bench/run.XXXXXX")
NGINX_PID= XVFB_PID= APP_PID=
stop_app() {
  if [ -n "$APP_PID" ]; then
    # The program runs in a process group of its own (setsid): its web page processes go too.
    kill -- -"$APP_PID" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
    kill -KILL -- -"$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=
  fi
}
cleanup() {
  stop_app
  for pid in $XVFB_PID $NGINX_PID; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- nginx on 127.0.0.1 (not for --startup-only: the launcher asks no server before its frame) --
if [ "$STARTUP_ONLY" = 1 ]; then
  BASE=http://127.0.0.1:9/
else
# shellcheck source=scripts/lib/nginx.sh
. "$REPO/scripts/lib/nginx.sh"
nginx_start "$WORK/nginx" "$DATA/site" || exit 1
NGINX_PID=$nginx_pid
BASE=$nginx_url
# The served files in the page cache, so that the first pass does not read them from disk alone.
find "$DATA/site" -type f -print0 | xargs -0 cat >/dev/null
fi

# --- A private X display (and a private runtime folder for Qt) --------------------------------
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
[ -s "$WORK/display" ] || { cat "$WORK/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -1 "$WORK/display")
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# --- The game folder ----------------------------------------------------------------------------
TEMPLATE=$WORK/game-template
mkdir -p "$TEMPLATE"
"$ARTWORK" --out "$TEMPLATE" >/dev/null
"$PUBLISH" web0 --line BenchLine "$BASE" >"$TEMPLATE/web0.dat"
# The service agreement page the hidden agreement window loads at start-up.
python3 "$REPO/bench/window_bench/make_agreement_page.py" "$TEMPLATE/index.htm"
GAME=$WORK/game
fresh_game() {
  rm -rf "$GAME"
  cp -r "$TEMPLATE" "$GAME"
}

# start_app: VeyraOnline in the game folder, in a process group of its own, stderr to $WORK/app.err.
start_app() {
  : >"$WORK/app.err"
  env QTWEBENGINE_DISABLE_SANDBOX=1 LANG=zh_TW.UTF-8 VEYRA_REPORT_FIRST_FRAME=1 "$@" \
    setsid "$LAUNCHER" --folder "$GAME" >/dev/null 2>"$WORK/app.err" &
  APP_PID=$!
}
# wait_for PATTERN FILE SECONDS: waits until FILE holds a line matching PATTERN.
wait_for() {
  local deadline=$((SECONDS + $3))
  until grep -q -- "$1" "$2" 2>/dev/null; do
    if [ "$SECONDS" -ge "$deadline" ] || ! kill -0 "$APP_PID" 2>/dev/null; then
      echo "run_window_bench: no '$1' in $2 after $3 s; the program said:" >&2
      tail -20 "$WORK/app.err" >&2
      return 1
    fi
    sleep 0.05
  done
}
hwm_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# web_helpers_kb: "COUNT RSS PSS" (KiB) summed over the program's QtWebEngineProcess processes
# (its process group). RSS counts pages shared between them once per process; PSS shares them out.
web_helpers_kb() {
  local count=0 rss=0 pss=0 pid r p
  for pid in $(pgrep -g "$APP_PID" | grep -vx "$APP_PID"); do
    case "$(cat "/proc/$pid/comm" 2>/dev/null)" in QtWebEngine*) ;; *) continue ;; esac
    r=$(rss_kb "$pid" 2>/dev/null) || continue
    p=$(awk '/^Pss:/ {print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null) || p=0
    count=$((count + 1)) rss=$((rss + ${r:-0})) pss=$((pss + ${p:-0}))
  done
  echo "$count $rss $pss"
}
# The program's visible window of the given width (640 launcher, 620 updater, else the line
# dialog); waits up to 30 s for it.
window_of_width() {
  local want=$1 deadline=$((SECONDS + 30)) id width
  while [ "$SECONDS" -lt "$deadline" ]; do
    for id in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
      width=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | sed -n 's/^WIDTH=//p')
      case "$want" in
        other)
          if [ -n "$width" ] && [ "$width" != 640 ] && [ "$width" != 620 ]; then
            echo "$id"
            return
          fi
          ;;
        *) [ "$width" = "$want" ] && { echo "$id"; return; } ;;
      esac
    done
    sleep 0.1
  done
  echo "run_window_bench: no window of width $want" >&2
  return 1
}
# click WINDOW X Y: a press and release at X,Y of the window, as a player's click.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}
median() {
  printf '%s\n' "$@" | sort -g |
    awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
maximum() { printf '%s\n' "$@" | sort -g | tail -1; }

# --- Start-up with and without the agreement window (--startup-only) ---------------------------
if [ "$STARTUP_ONLY" = 1 ]; then
  declare -A FRAME HWM RSS HCOUNT HRSS HPSS
  for kind in with without; do FRAME[$kind]= HWM[$kind]= RSS[$kind]= HRSS[$kind]= HPSS[$kind]=; done
  for run in $(seq "$RUNS"); do
    # Interleaved, each kind first in every other run.
    if [ $((run % 2)) = 1 ]; then order="with without"; else order="without with"; fi
    for kind in $order; do
      fresh_game
      sync
      sleep 1
      if [ "$kind" = with ]; then start_app; else start_app VEYRA_BENCH_NO_AGREEMENT_WINDOW=1; fi
      wait_for 'first frame' "$WORK/app.err" 30
      line=$(grep 'first frame' "$WORK/app.err")
      frame=$(sed -E 's/.*first frame ([0-9.]+) ms.*/\1/' <<<"$line")
      sleep "$IDLE_SECONDS"
      hwm=$(hwm_kb "$APP_PID") rss=$(rss_kb "$APP_PID")
      read -r hcount hrss hpss <<<"$(web_helpers_kb)"
      stop_app
      FRAME[$kind]+=" $frame" HWM[$kind]+=" $hwm" RSS[$kind]+=" $rss"
      HCOUNT[$kind]=$hcount HRSS[$kind]+=" $hrss" HPSS[$kind]+=" $hpss"
      printf 'run %d %-7s: first frame %7.1f ms; VeyraOnline VmHWM %5.1f MiB, VmRSS %5.1f MiB;' \
        "$run" "$kind" "$frame" "$(awk -v k="$hwm" 'BEGIN {print k / 1024}')" \
        "$(awk -v k="$rss" 'BEGIN {print k / 1024}')"
      printf ' %d web helper processes, RSS %5.1f MiB, PSS %5.1f MiB\n' "$hcount" \
        "$(awk -v k="$hrss" 'BEGIN {print k / 1024}')" "$(awk -v k="$hpss" 'BEGIN {print k / 1024}')"
    done
  done
  mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
  echo "summary, $RUNS start-ups of each kind, interleaved, idle ${IDLE_SECONDS} s after the frame" \
    "(index.htm $(wc -c <"$TEMPLATE/index.htm") bytes):"
  for kind in with without; do
    # shellcheck disable=SC2086
    printf '  %-7s agreement window: first frame median %.0f ms, slowest %.0f ms (goal < 1000: %s);' \
      "$kind" "$(median ${FRAME[$kind]})" "$(maximum ${FRAME[$kind]})" \
      "$(awk -v m="$(maximum ${FRAME[$kind]})" 'BEGIN {print (m < 1000) ? "met" : "MISSED"}')"
    # shellcheck disable=SC2086
    printf ' VmHWM median %s MiB, VmRSS median %s MiB; web helpers (%s) RSS median %s MiB, PSS median %s MiB\n' \
      "$(mib "$(median ${HWM[$kind]})")" "$(mib "$(median ${RSS[$kind]})")" "${HCOUNT[$kind]}" \
      "$(mib "$(median ${HRSS[$kind]})")" "$(mib "$(median ${HPSS[$kind]})")"
  done
  exit 0
fi

# --- 1. Start-up and idle memory ----------------------------------------------------------------
FRAMES=() MAIN_FRAMES=() IDLE=()
for run in $(seq "$RUNS"); do
  fresh_game
  sync
  sleep 1
  start_app
  wait_for 'first frame' "$WORK/app.err" 30
  line=$(grep 'first frame' "$WORK/app.err")
  FRAMES+=("$(sed -E 's/.*first frame ([0-9.]+) ms.*/\1/' <<<"$line")")
  MAIN_FRAMES+=("$(sed -E 's/.*\(([0-9.]+) ms after main.*/\1/' <<<"$line")")
  sleep 2  # standing idle
  IDLE+=("$(hwm_kb "$APP_PID")")
  stop_app
  echo "start-up run $run: first frame ${FRAMES[-1]} ms after process start" \
    "(${MAIN_FRAMES[-1]} ms after main), idle VmHWM $((IDLE[-1] / 1024)) MiB"
done

# --- 2. Main passes -----------------------------------------------------------------------------
GAPS=() PASS_MS=() PASS_HWM=() PAGE_HWM=()
for pass in $(seq "$PASSES"); do
  fresh_game
  sync
  sleep 3  # the previous pass's freed memory settles (see bench/run_install_bench.sh)
  : >"$WORK/nginx/access.log"
  start_app VEYRA_REPORT_EVENT_GAPS=1
  wait_for 'first frame' "$WORK/app.err" 30
  launcher=$(window_of_width 640)
  click "$launcher" $((72 + 10)) $((346 + 10))
  dialog=$(window_of_width other)
  click "$dialog" $((144 + 10)) $((352 + 10))
  updater=$(window_of_width 620)
  # The start-update picture answers once the update list is in and the page pass is over;
  # until then a click does nothing. Click until the first file of the release is asked for.
  deadline=$((SECONDS + 60))
  until grep -q 'GET /[a-z]*/Data' "$WORK/nginx/access.log"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "run_window_bench: the main pass did not start" >&2
      tail "$WORK/app.err" >&2
      exit 1
    fi
    if grep -q 'update3.dat' "$WORK/nginx/access.log"; then
      click "$updater" $((117 + 10)) $((528 + 10))
    fi
    sleep 0.5
  done
  wait_for 'event gaps during the main pass' "$WORK/app.err" "$PASS_TIMEOUT"
  PASS_HWM+=("$(hwm_kb "$APP_PID")")
  # The web page's processes (not part of VeyraOnline's figure; shown for completeness).
  page_kb=0
  for child in $(pgrep -g "$APP_PID" | grep -vx "$APP_PID"); do
    page_kb=$((page_kb + $(hwm_kb "$child" || echo 0)))
  done
  PAGE_HWM+=("$page_kb")
  line=$(grep 'event gaps during the main pass' "$WORK/app.err")
  stop_app
  GAPS+=("$(sed -E 's/.*longest ([0-9.]+) ms.*/\1/' <<<"$line")")
  PASS_MS+=("$(sed -E 's/.* in ([0-9.]+) ms.*/\1/' <<<"$line")")
  batches=$(sed -E 's/.*, ([0-9]+) batches.*/\1/' <<<"$line")
  gap_ended=$(sed -E 's/.*ending ([0-9.]+) ms after.*/\1/' <<<"$line")
  files=$(find "$GAME/Data" -type f | wc -l)
  bytes=$(find "$GAME/Data" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  if [ "$files" != "$RELEASE_FILES" ] || [ "$bytes" != "$RELEASE_BYTES" ]; then
    echo "run_window_bench: pass $pass installed $files files, $bytes bytes;" \
      "expected $RELEASE_FILES, $RELEASE_BYTES" >&2
    exit 1
  fi
  rm -rf "$GAME"
  echo "main pass $pass: longest event gap ${GAPS[-1]} ms" \
    "(ending ${gap_ended} ms into the pass; $batches batches)," \
    "pass $(awk -v m="${PASS_MS[-1]}" 'BEGIN {printf "%.1f", m / 1000}') s," \
    "VmHWM $((PASS_HWM[-1] / 1024)) MiB (web page processes $((PAGE_HWM[-1] / 1024)) MiB more)"
done

# --- Summary ------------------------------------------------------------------------------------
echo "release: $RELEASE_FILES files, $RELEASE_BYTES bytes (${MB} MiB)," \
  "published $(du -sb "$DATA/site" | cut -f1) bytes"
awk -v f="$(median "${FRAMES[@]}")" -v fm="$(median "${MAIN_FRAMES[@]}")" \
    -v fx="$(maximum "${FRAMES[@]}")" \
    -v runs="$RUNS" -v idle="$(maximum "${IDLE[@]}")" \
    -v g="$(maximum "${GAPS[@]}")" -v passes="$PASSES" -v hwm="$(maximum "${PASS_HWM[@]}")" \
    -v pass_s="$(median "${PASS_MS[@]}")" 'BEGIN {
  printf "first frame: median %.0f ms after process start, slowest %.0f ms, %d runs", f, fx, runs
  printf " (median %.0f ms after main began) (goal < 1000: %s)\n", fm, (f < 1000) ? "met" : "MISSED"
  printf "longest event gap in the main pass: %.1f ms, worst of %d passes (goal < 60: %s);", g,
         passes, (g < 60) ? "met" : "MISSED"
  printf " pass median %.1f s\n", pass_s / 1000
  printf "VeyraOnline VmHWM: idle %.1f MiB (largest of %d runs), main pass %.1f MiB (largest of %d)\n",
         idle / 1024, runs, hwm / 1024, passes
}'
