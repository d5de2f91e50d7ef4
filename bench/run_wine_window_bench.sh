#!/usr/bin/env bash
# The Windows launcher VeyraOnline.exe measured under Wine on a private Xvfb display:
#   1. its stripped size;
#   2. the time from process creation to the launcher's first painted frame (several runs,
#      median), as the program reports it (VEYRA_REPORT_FIRST_FRAME=FILE);
#   3. a main pass of a game-like release (bench/window_bench/make_release.py) served by nginx on
#      127.0.0.1, clicked through with xdotool: the longest gap between two batches of message
#      processing during the pass (VEYRA_REPORT_EVENT_GAPS=FILE), the pass's duration and the
#      Wine process's peak memory (VmHWM).
# Figures are printed, never asserted. Wine's own start (its server kept running) is part of the
# first-frame figure, as it is for a player's first start on Wine.
#
#   bench/run_wine_window_bench.sh [--mb N] [--runs N]     (default 200 MiB, 5 runs)
# Environment: BUILD_WINDOWS (default <repo>/build-windows), BUILD (Linux build, default
# <repo>/build: veyra-publish and veyra-artwork).
set -euo pipefail
REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD_WINDOWS=${BUILD_WINDOWS:-$REPO/build-windows}
BUILD=${BUILD:-$REPO/build}
MB=200
RUNS=5
while [ $# -gt 0 ]; do
  case "$1" in
    --mb) MB=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    *) echo "run_wine_window_bench: unknown argument $1" >&2; exit 2 ;;
  esac
done
cache=${VEYRA_WINDOWS_CACHE:-$HOME/.cache/veyra-windows}
program=$BUILD_WINDOWS/src/ui/win32/VeyraOnline.exe
work=$(mktemp -d "${TMPDIR:-/tmp}/veyra-wine-bench.XXXXXX")
# shellcheck source=scripts/lib/nginx.sh
. "$REPO/scripts/lib/nginx.sh"
# shellcheck source=scripts/windows/wine-prefix.sh
. "$REPO/scripts/windows/wine-prefix.sh"
running=
stop_program() {
  if [ -n "$running" ]; then kill "$running" 2>/dev/null || true; wait "$running" 2>/dev/null || true; fi
  running=
}
trap 'stop_program; nginx_stop; wine_server_stop; wine_display_stop; rm -rf "$work"' EXIT

cmake --build "$BUILD_WINDOWS" --target VeyraOnline -j2 >/dev/null
cmake --build "$BUILD" --target veyra-publish veyra-artwork -j2 >/dev/null
wine_prefix_ready "$cache" >/dev/null
wine_display_start

x86_64-w64-mingw32-strip -o "$work/stripped.exe" "$program"
echo "VeyraOnline.exe stripped: $(stat -c %s "$work/stripped.exe") bytes"

# game FOLDER WEB0_ARGS...: artwork, web0.dat and the program in FOLDER.
game() {
  local folder=$1
  shift
  mkdir -p "$folder"
  "$BUILD/tools/artwork/veyra-artwork" --out "$folder" >/dev/null 2>&1
  "$BUILD/src/veyra-publish" web0 "$@" >"$folder/web0.dat"
  cp "$program" "$folder/"
}
wait_for_file() {  # FILE SECONDS
  local deadline=$((SECONDS + $2))
  until [ -s "$1" ]; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

game "$work/start" --line Line "http://127.0.0.1:9/"
frames=()
for run in $(seq 1 "$RUNS"); do
  rm -f "$work/frame.txt"
  (cd "$work/start" && exec env VEYRA_REPORT_FIRST_FRAME=/"${work#/}"/frame.txt wine ./VeyraOnline.exe \
    </dev/null >/dev/null 2>&1) &
  running=$!
  wait_for_file "$work/frame.txt" 60 || { echo "no first frame in run $run" >&2; exit 1; }
  frames+=("$(cat "$work/frame.txt")")
  stop_program
done
echo "start to first frame under Wine: median $(printf '%s\n' "${frames[@]}" | median) ms" \
  "(runs: ${frames[*]} ms)"

python3 "$REPO/bench/window_bench/make_release.py" "$work/data" "$MB" >/dev/null
"$BUILD/src/veyra-publish" build --release "$work/data/release" --out "$work/site" >/dev/null 2>&1
nginx_start "$work/nginx" "$work/site"
game "$work/pass" --line Line "$nginx_url"
(cd "$work/pass" && exec env VEYRA_REPORT_EVENT_GAPS=/"${work#/}"/gaps.txt wine ./VeyraOnline.exe \
  </dev/null >/dev/null 2>&1) &
running=$!
click() { xdotool mousemove "$1" "$2" sleep 0.2 mousedown 1 sleep 0.1 mouseup 1; }
window_at() {  # NAME MIN_WIDTH: sets X Y W H of the first visible such window
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ "$WIDTH" -ge "$2" ] && [ "$WIDTH" -le $(($2 + 16)) ]; then
      W=$WIDTH H=$HEIGHT
      return 0
    fi
  done
  return 1
}
deadline=$((SECONDS + 60))
until window_at VeyraOnline 640; do [ "$SECONDS" -lt "$deadline" ] || exit 1; sleep 0.2; done
click $((X + 112)) $((Y + 366))
until window_at "VeyraOnline Update" 400; do [ "$SECONDS" -lt "$deadline" ] || exit 1; sleep 0.2; done
click $((X + (W - 400) / 2 + 184)) $((Y + H - 400 - (W - 400) / 2 + 364))
until window_at "VeyraOnline Update" 620 && ! window_at "VeyraOnline Update" 400; do
  [ "$SECONDS" -lt "$deadline" ] || exit 1
  sleep 0.2
done
window_at "VeyraOnline Update" 620
cx=$((X + (W - 620) / 2)) cy=$((Y + H - 570 - (W - 620) / 2))
wine_pid=
for pid in $(pgrep -x VeyraOnline.exe); do  # ours: the one running in this bench's prefix
  if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
    wine_pid=$pid
  fi
done
started=$SECONDS
until [ -d "$work/pass/Data" ] || [ -s "$work/gaps.txt" ]; do
  [ "$SECONDS" -lt $((started + 60)) ] || { echo "the main pass did not start" >&2; exit 1; }
  click $((cx + 162)) $((cy + 541))
  sleep 1
done
wait_for_file "$work/gaps.txt" 1800 || { echo "the main pass did not end" >&2; exit 1; }
hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$wine_pid/status" 2>/dev/null || echo 0)
echo "main pass of $MB MiB under Wine: $((SECONDS - started)) s; longest gap between message" \
  "batches $(cat "$work/gaps.txt") ms (goal under 60 ms); peak memory (VmHWM) $((hwm / 1024)) MiB"
