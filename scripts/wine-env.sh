# Sourced by the scripts: one Wine prefix per build folder, one wineserver
# kept alive for a whole run. Usage: source scripts/wine-env.sh BUILD_DIR [NAME]
# (NAME: a prefix of that name in BUILD_DIR instead of "wine").
export WINEPREFIX="$1/${2:-wine}"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64

# A WoW64 prefix runs both builds; its syswow64 holds the 32-bit system.
wine_prefix_is_wow64() { [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; }

# How this machine runs 32-bit code: natively (WINE32_RUNS=1, every layer
# runs the i686 product), only under qemu-i386 (WINE32_EMULATED=1: far too
# slow for every layer, so a smoke), or not at all (WINE32_WHY says why).
# Only the registered emulator tells the two working cases apart: binfmt_misc
# hands it every i386 program before the kernel's own loader would try, and
# `wine --version` answers either way.
WINE32_RUNS=0
WINE32_EMULATED=0
WINE32_WHY=""
wine32_probe() {
  local out
  if [ ! -e /usr/lib/wine/wine ]; then
    WINE32_WHY="wine32:i386 is not installed (scripts/install-deps.sh installs it)"
  elif grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
    if out=$(/usr/lib/wine/wine --version 2>&1 </dev/null); then
      WINE32_EMULATED=1
      WINE32_WHY="32-bit code runs here only under qemu-i386"
    else
      WINE32_WHY="32-bit Wine fails under qemu-i386: $out"
    fi
  elif out=$(/usr/lib/wine/wine --version 2>&1 </dev/null); then
    WINE32_RUNS=1
  else
    WINE32_WHY="this kernel refuses i386 code and no qemu-i386 entry is enabled in binfmt_misc"
    WINE32_WHY="$WINE32_WHY (scripts/install-deps.sh registers it, as root): $out"
  fi
}

# A prefix made before wine32 could run has an empty syswow64 and cannot
# start the 32-bit build, so it is made anew rather than reused. The main
# prefix needs it only where 32-bit code runs natively; a caller that runs
# the product wherever it can sets WINE_WOW64=1.
wine_prefix_ready() {
  wine32_probe
  local wow64=$WINE32_RUNS
  [ "${WINE_WOW64:-0}" = 1 ] && wow64=1
  if [ "$wow64" -eq 1 ] && [ -f "$WINEPREFIX/system.reg" ] && ! wine_prefix_is_wow64; then
    echo "wine-env: $WINEPREFIX has no 32-bit system; creating it anew" >&2
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 </dev/null || true
    wineserver -w
  fi
  if [ "$wow64" -eq 1 ] && ! wine_prefix_is_wow64; then
    echo "wine-env: $WINEPREFIX did not become a WoW64 prefix" >&2
    return 1
  fi
  return 0
}

# The first program that talks to a fresh server makes Wine start its system
# services, which inherit that program's output pipes and keep them open for
# as long as the server lives (a test runner reading them would wait forever).
# So the services are started here, detached from every pipe.
wine_server_start() {
  wine_prefix_ready || return 1
  wineserver -p >/dev/null 2>&1 </dev/null || true
  "$WINE" wineboot >/dev/null 2>&1 </dev/null || true
}
wine_server_stop() { wineserver -k >/dev/null 2>&1 || true; }
