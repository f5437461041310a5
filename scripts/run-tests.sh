#!/usr/bin/env bash
# Runs every test layer against the trees in BUILD_DIR and ends with one
# "N passed, M failed" line over the layers.
set -u
B="$1"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
# Windows need a display: without one, the whole run moves onto a virtual
# display of its own.
if [ -z "${DISPLAY:-}" ]; then
  TESSARO_VIRTUAL_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
source "$ROOT/scripts/wine-env.sh" "$B"
wine_server_start || exit 1
trap wine_server_stop EXIT
# No window manager runs on the virtual display: Wine places and frames its
# windows itself, and no window waits for a manager's answer.
if [ "${TESSARO_VIRTUAL_DISPLAY:-0}" = 1 ]; then
  for setting in Managed Decorated; do
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v "$setting" /d N /f >/dev/null 2>&1 </dev/null
  done
fi

passed=0
failed=0
layer() {
  local name="$1" started=$SECONDS; shift
  echo "== $name"
  if "$@"; then
    echo "== $name: passed ($((SECONDS - started)) s)"; passed=$((passed + 1))
  else
    echo "== $name: FAILED ($((SECONDS - started)) s)"; failed=$((failed + 1))
  fi
}

# Where 32-bit code runs only under qemu, every layer on the i686 product
# would take hours: two package runs of it prove what only a 32-bit process
# shows (registry views and redirected system folders, versions read from
# the file found, a checked download installed silently, the log's header).
# They run in a WoW64 prefix of their own, kept between runs because making
# one there takes minutes. Where 32-bit code cannot run at all, this fails.
win32_smoke() {
  if [ "$WINE32_EMULATED" -ne 1 ]; then
    echo "the i686 product cannot run here: $WINE32_WHY" >&2
    return 1
  fi
  (
    WINE_WOW64=1
    source "$ROOT/scripts/wine-env.sh" "$B" wine-smoke
    wine_server_start || exit 1
    trap wine_server_stop EXIT
    /usr/bin/python3 "$ROOT/tests/e2e/run.py" --build "$B" --tree win32 --prefix "$WINEPREFIX" --slowdown 10 \
      "wow64:" "smoke:"
  )
}

layer "product imports" bash "$ROOT/scripts/check-imports.sh" "$B"
layer "product size and no exception machinery" bash "$ROOT/scripts/check-product.sh" "$B"
# Both Windows trees share the one WoW64 prefix, so their layers run one
# after the other. win32 is the product (a 32-bit process on 64-bit Windows).
if [ "$WINE32_RUNS" -eq 1 ]; then
  layer "unit tests (win32 product, WoW64 Wine)" ctest --test-dir "$B/win32" --output-on-failure -j 2
fi
layer "unit tests (win64, Wine)" ctest --test-dir "$B/win64" --output-on-failure -j 2
layer "host tests (sanitizers)" ctest --test-dir "$B/host" --output-on-failure -j 2
if [ "$WINE32_RUNS" -eq 1 ]; then
  layer "end-to-end scenarios (win32 product)" /usr/bin/python3 "$ROOT/tests/e2e/run.py" --build "$B" --tree win32
else
  layer "end-to-end smoke (win32 product, emulated)" win32_smoke
fi
layer "end-to-end scenarios (win64)" /usr/bin/python3 "$ROOT/tests/e2e/run.py" --build "$B" --tree win64
layer "fuzz (bounded)" bash "$ROOT/scripts/run-fuzz.sh" "$B" "${FUZZ_SECONDS:-20}"

echo "layers: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
