# Sourced by the scripts: one Wine prefix per build folder, one wineserver
# kept alive for a whole run. Usage: source scripts/wine-env.sh BUILD_DIR
export WINEPREFIX="$1/wine"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64

wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 </dev/null || true
    wineserver -w
  fi
}

# The first program that talks to a fresh server makes Wine start its system
# services, which inherit that program's output pipes and keep them open for
# as long as the server lives (a test runner reading them would wait forever).
# So the services are started here, detached from every pipe.
wine_server_start() {
  wine_prefix_ready
  wineserver -p >/dev/null 2>&1 </dev/null || true
  "$WINE" wineboot >/dev/null 2>&1 </dev/null || true
}
wine_server_stop() { wineserver -k >/dev/null 2>&1 || true; }
