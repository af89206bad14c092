#!/bin/sh
# Runs a Windows program under wine64 in the Wine prefix WINEPREFIX, as the
# cross build's tests do. The first run prepares the prefix, once even when
# tests start together: Wine's own virtual desktop, so that windows have
# caption bars and frames, drawn by Wine, as on Windows, even where no
# window manager runs (as under Xvfb).
set -e
: "${WINEPREFIX:?set WINEPREFIX to the Wine prefix to use}"
export WINEDEBUG="${WINEDEBUG:--all}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine64

if [ ! -e "$WINEPREFIX/.desktop-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -e "$WINEPREFIX/.desktop-ready" ]; then
      "$wine" wineboot -i >/dev/null 2>&1
      "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
      "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
      # The desktop setting takes effect when the Wine server starts anew.
      wineserver -w
      touch "$WINEPREFIX/.desktop-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
