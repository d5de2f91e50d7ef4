# shellcheck shell=bash
# Pieces the bench scripts share (sourced): wall-clock timing, medians of rounds, and a work
# folder whose background processes end with the script.

now() { date +%s.%N; }
# Seconds since START (a `now`), with DECIMALS places (default 3: the millisecond).
since() { awk -v a="$1" -v b="$(now)" -v d="${2:-3}" 'BEGIN {printf("%." d "f", b - a)}'; }
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# bench_work_folder PARENT NAME: makes WORK below PARENT. When the script ends, the processes
# whose pids were added to PIDS are stopped and WORK is removed.
bench_work_folder() {
  WORK=$(mktemp -d "$1/$2.XXXXXX")
  PIDS=()
  trap bench_clean_up EXIT
  trap 'exit 130' INT TERM
}
bench_clean_up() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
