# Sourced by the Windows stage's scripts: one Wine prefix of our own in the cache folder, made
# once per machine, and one Wine server kept for the whole run.
#
#   . scripts/windows/wine-prefix.sh
#   wine_prefix_ready CACHE_DIR     # exports WINEPREFIX (CACHE_DIR/wine, or $VEYRA_WINEPREFIX)
#                                   # and friends; creates the prefix if needed
#   wine_server_stop                # at the end of the run
#   wine_display_start              # a private Xvfb for the windows; exports DISPLAY
#   wine_display_stop
#   "${traditional_locale[@]}" wine PROGRAM   # runs PROGRAM on a Traditional-Chinese system
#
# The prefix reports Windows 10, maps the Windows Chinese faces onto AR PL UMing / UKai (so
# Chinese renders as Chinese) and lets Wine draw window frames itself ("Decorated"="N"), so that
# with no window manager the X windows stand where GetWindowRect says. These settings are keyed
# by their own marker, so a prefix made before them receives them too.
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
  wine_prefix_settings "$cache"
  wine_locale_ready "$cache"
  # One server for every program of the run, so that each start is quick. A server that is
  # still running for this prefix (another stage, a previous run) is reused as it is.
  if ! wineserver --persistent=60 >"$cache/wineserver.log" 2>&1; then
    echo "windows: reusing the Wine server already running for $WINEPREFIX"
  fi
}

wine_prefix_settings() {
  local cache=$1 marker="$WINEPREFIX/.veyra-settings-2"
  [ -f "$marker" ] && return 0
  local reg="$cache/veyra-settings.reg"
  # regedit reads UTF-16 files, which carry the Chinese face names intact whatever the locale.
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"新細明體"="AR PL UMing TW"' '"細明體"="AR PL UMing TW"' \
    '"PMingLiU"="AR PL UMing TW"' '"MingLiU"="AR PL UMing TW"' \
    '"標楷體"="AR PL UKai TW"' '"DFKai-SB"="AR PL UKai TW"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Decorated"="N"' '' |
    iconv -f UTF-8 -t UTF-16 >"$reg"
  wine_step "$cache/regedit.log" wine regedit /S "$(winepath -w "$reg")"
  # Windows 10, as the players have. Wine reports Windows 7 otherwise, and curl offers ALPN
  # through Schannel only from Windows 8.1 on: no HTTP/2 over TLS would ever be tried.
  wine_step "$cache/winecfg.log" wine winecfg -v win10
  wine_step "$cache/wineserver-wait.log" wineserver --wait
  touch "$marker"
}

# Wine takes the user locale from LC_ALL, and glibc must know it. Without zh_TW.UTF-8 on the
# system, it is built once into the cache and found through LOCPATH.
wine_locale_ready() {
  local cache=$1
  traditional_locale=(env LC_ALL=zh_TW.UTF-8)
  if locale -a 2>/dev/null | grep -qix 'zh_TW.utf-\?8'; then return 0; fi
  local folder="$cache/locale"
  if [ ! -d "$folder/zh_TW.UTF-8" ]; then
    mkdir -p "$folder"
    localedef -i zh_TW -f UTF-8 "$folder/zh_TW.UTF-8" >"$cache/localedef.log" 2>&1 || {
      echo "windows: cannot build the zh_TW.UTF-8 locale:" >&2
      tail -n 5 "$cache/localedef.log" >&2
      return 1
    }
  fi
  traditional_locale=(env LOCPATH="$folder" LC_ALL=zh_TW.UTF-8)
}

# VEYRA_XVFB_DISPLAY=N asks for display :N only.
wine_display_start() {
  local number
  for number in ${VEYRA_XVFB_DISPLAY:-$(seq 90 120)}; do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    wine_xvfb_pid=$!
    local tries
    for tries in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$number" ] && break
      sleep 0.1
    done
    if kill -0 "$wine_xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$number" ]; then
      export DISPLAY=":$number"
      return 0
    fi
  done
  echo "windows: no free X display for Xvfb" >&2
  return 1
}

wine_display_stop() {
  if [ -n "${wine_xvfb_pid:-}" ]; then
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wait "$wine_xvfb_pid" 2>/dev/null || true
    wine_xvfb_pid=
  fi
}

wine_server_stop() {
  wineserver --kill 2>/dev/null || true
}
