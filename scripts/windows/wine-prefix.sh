# Sourced by the Windows stage's scripts: one Wine prefix of our own in the cache folder, made
# once per machine, and one Wine server kept for the whole run.
#
#   . scripts/windows/wine-prefix.sh
#   wine_prefix_ready CACHE_DIR     # exports WINEPREFIX (CACHE_DIR/wine, or $VEYRA_WINEPREFIX)
#                                   # and friends; creates the prefix if needed
#   wine_server_stop                # at the end of the run
#
# Without the .NET and browser add-ons Wine would offer to install (no installer dialog appears).

# wine_step LOG COMMAND...: runs a Wine command with its output in LOG; on failure prints what
# Wine said, so a broken step is not a bare exit status.
wine_step() {
  local log=$1
  shift
  local status=0
  "$@" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "windows: '$*' failed with status $status; Wine said:" >&2
    tail -n 40 "$log" >&2
    return "$status"
  fi
}

wine_prefix_ready() {
  local cache=$1
  export WINEPREFIX=${VEYRA_WINEPREFIX:-$cache/wine} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$cache"
  if [ ! -f "$WINEPREFIX/.veyra-complete" ]; then
    echo "windows: creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    local started=$SECONDS
    wine_step "$cache/wineboot.log" wineboot --init
    # wineboot leaves its own server running for a few seconds; a second server for the same
    # prefix cannot start until it has ended.
    wine_step "$cache/wineserver-wait.log" wineserver --wait
    touch "$WINEPREFIX/.veyra-complete"
    echo "windows: Wine prefix made in $((SECONDS - started)) s"
  fi
  # One server for every program of the run, so that each start is quick. A server that is
  # still running for this prefix (another stage, a previous run) is reused as it is.
  if ! wineserver --persistent=60 >"$cache/wineserver.log" 2>&1; then
    echo "windows: reusing the Wine server already running for $WINEPREFIX"
  fi
}

wine_server_stop() {
  wineserver --kill 2>/dev/null || true
}
