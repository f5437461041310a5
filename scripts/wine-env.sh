# Sourced by the scripts: one Wine prefix per build folder, one wineserver
# kept alive for a whole run. Usage: source scripts/wine-env.sh BUILD_DIR
export WINEPREFIX="$1/wine"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64

# A WoW64 prefix runs both builds; its syswow64 holds the 32-bit system.
wine_prefix_is_wow64() { [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; }

# Whether this machine runs 32-bit code at all: some virtual machines run
# 64-bit user code only (the kernel then answers every i386 program with
# "Exec format error"), and there Wine's 32-bit loader cannot start.
WINE32_RUNS=0
WINE32_WHY=""
# Where the kernel refuses i386 code, qemu-i386 may run it through
# binfmt_misc: 32-bit Wine then works, but far too slowly for every layer.
WINE32_EMULATED=0
wine32_probe() {
  if [ -f /proc/sys/fs/binfmt_misc/qemu-i386 ] && grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
    WINE32_EMULATED=1
    WINE32_WHY="32-bit code runs here only under qemu emulation"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null; then
    WINE32_RUNS=1
  elif [ ! -e /usr/lib/wine/wine ]; then
    WINE32_WHY="wine32:i386 is not installed (scripts/install-deps.sh installs it)"
  else
    WINE32_WHY="this machine cannot run 32-bit programs (the kernel refuses i386 code; see dmesg)"
  fi
}

# A prefix made before wine32 could run has an empty syswow64 and cannot
# start the 32-bit build, so it is made anew rather than reused.
wine_prefix_ready() {
  wine32_probe
  if [ "$WINE32_RUNS" -eq 1 ] && [ -f "$WINEPREFIX/system.reg" ] && ! wine_prefix_is_wow64; then
    echo "wine-env: $WINEPREFIX has no 32-bit system; creating it anew" >&2
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 </dev/null || true
    wineserver -w
  fi
  if [ "$WINE32_RUNS" -eq 1 ] && ! wine_prefix_is_wow64; then
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
