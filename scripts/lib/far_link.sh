# Sourced by the benches that compare the updater over a far link with other clients: a far link
# in front of a local server (bench/latency_bench/link_proxy.py), and curl fetching files in one
# --parallel command, which opens its connections afresh. Needs free_port (nginx.sh).
#
#   link_proxy_start DIR ORIGIN_PORT DELAY_MS RATE_MBIT [PROXY OPTIONS...]
#                          starts the proxy on a free 127.0.0.1 port in front of
#                          127.0.0.1:ORIGIN_PORT (DELAY_MS each direction, RATE_MBIT shared by all
#                          connections, 0: unlimited), its output in DIR/proxy.out and
#                          DIR/proxy.err; waits until it listens. Sets link_proxy_pid and
#                          link_proxy_port; the caller stops it. Exits when it does not start.
#   curl_parallel_config BASE_URL DEST
#                          prints a curl config fetching every remote name read from stdin
#                          (one a line) from BASE_URL into DEST under the same name.
#   curl_parallel MAX CONFIG [CURL OPTIONS...]
#                          fetches CONFIG's files in one curl command, at most MAX at once;
#                          fails when any of them fails.

_far_link_proxy=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../bench/latency_bench" && pwd)/link_proxy.py

link_proxy_start() {
  local dir=$1 origin=$2 delay=$3 rate=$4 _
  shift 4
  link_proxy_port=$(free_port)
  python3 "$_far_link_proxy" "$link_proxy_port" 127.0.0.1 "$origin" "$delay" "$rate" "$@" \
    >"$dir/proxy.out" 2>>"$dir/proxy.err" &
  link_proxy_pid=$!
  for _ in $(seq 50); do grep -q ready "$dir/proxy.out" 2>/dev/null && return; sleep 0.1; done
  echo "proxy did not start:" >&2
  cat "$dir/proxy.err" >&2
  exit 1
}

curl_parallel_config() {
  awk -v base="$1" -v dest="$2" '{printf "url = \"%s%s\"\noutput = \"%s/%s\"\n", base, $1, dest, $1}'
}

curl_parallel() {
  local max=$1 config=$2
  shift 2
  curl -sf --no-progress-meter --noproxy "*" --create-dirs --parallel --parallel-max "$max" "$@" \
    -K "$config"
}
