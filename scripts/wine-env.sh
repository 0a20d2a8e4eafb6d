# shellcheck shell=bash
# Sourced by the scripts that run Windows programs: a private Wine prefix and a headless
# display of their own. Never touches ~/.wine. The prefix is of the road that
# scripts/wine-road.sh chose: 32-bit, or 64-bit.
#   wine_env_start PREFIX_DIR
#   wine_env_stop             ends the prefix's server and the display
# The traps stay the caller's: it calls wine_env_stop itself, usually from its EXIT trap, set
# before wine_env_start so that a start that fails half-way is cleaned up too:
#   trap wine_env_stop EXIT
source "$(dirname "${BASH_SOURCE[0]}")/wine-road.sh"

wine_env_start() {
  export WINEPREFIX=$1
  QF_WINE_ENV_PREFIX=$WINEPREFIX
  export WINEDEBUG=-all
  export WINEARCH=$QF_WINE_ARCH
  if [ "$QF_WINE_ARCH" = win64 ]; then
    # Debian's wine command starts 32-bit Wine whenever it is installed, even where it cannot
    # run; "wine" and "wineboot" are taken to the 64-bit loader for everything this run starts.
    local bin=$WINEPREFIX-bin
    mkdir -p "$bin"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/wine"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot.exe "$@"\n' >"$bin/wineboot"
    chmod +x "$bin/wine" "$bin/wineboot"
    export WINELOADER=/usr/lib/wine/wine64
    case ":$PATH:" in *":$bin:"*) ;; *) export PATH="$bin:$PATH" ;; esac
  fi
  # Whatever the machine's locale, the prefix speaks English with the ANSI code page 1252, which
  # the tests of 8-bit texts typed into the pages count on.
  export LC_ALL=C.UTF-8
  # No prompts to fetch Mono or Gecko; the installer needs neither.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -z "${QF_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    QF_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  # Without a window manager Wine waits 2 s before showing a window that follows one just
  # closed; tell it that it manages the windows itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
}

# Does nothing for what was not started, so that it may run at any exit: a wineserver -k
# without our prefix would reach the user's own.
wine_env_stop() {
  if [ -n "${QF_WINE_ENV_PREFIX:-}" ]; then
    WINEPREFIX=$QF_WINE_ENV_PREFIX wineserver -k >/dev/null 2>&1 || true
    QF_WINE_ENV_PREFIX=
  fi
  if [ -n "${QF_XVFB_PID:-}" ]; then
    kill "$QF_XVFB_PID" 2>/dev/null || true
    QF_XVFB_PID=
  fi
}
