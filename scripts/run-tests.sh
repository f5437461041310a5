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
skipped=0
layer() {
  local name="$1"; shift
  echo "== $name"
  if "$@"; then
    echo "== $name: passed"; passed=$((passed + 1))
  else
    echo "== $name: FAILED"; failed=$((failed + 1))
  fi
}

# The product's layers need 32-bit code to run. Where the machine cannot run
# it they are reported as skipped, loudly; TESSARO_REQUIRE_WIN32=1 makes that
# a failure for a machine that is known to run it.
win32_layer() {
  if [ "$WINE32_RUNS" -eq 1 ]; then
    layer "$@"
  elif [ "${TESSARO_REQUIRE_WIN32:-0}" = 1 ]; then
    echo "== $1: FAILED: $WINE32_WHY"; failed=$((failed + 1))
  else
    echo "== $1: SKIPPED: $WINE32_WHY"; skipped=$((skipped + 1))
  fi
}

layer "product imports" bash "$ROOT/scripts/check-imports.sh" "$B"
layer "product size and no exception machinery" bash "$ROOT/scripts/check-product.sh" "$B"
# Both Windows trees share the one WoW64 prefix, so their layers run one
# after the other. win32 is the product (a 32-bit process on 64-bit Windows).
win32_layer "unit tests (win32 product, WoW64 Wine)" ctest --test-dir "$B/win32" --output-on-failure -j 2
layer "unit tests (win64, Wine)" ctest --test-dir "$B/win64" --output-on-failure -j 2
layer "host tests (sanitizers)" ctest --test-dir "$B/host" --output-on-failure -j 2
win32_layer "end-to-end scenarios (win32 product)" /usr/bin/python3 "$ROOT/tests/e2e/run.py" --build "$B" --tree win32
layer "end-to-end scenarios (win64)" /usr/bin/python3 "$ROOT/tests/e2e/run.py" --build "$B" --tree win64
layer "fuzz (bounded)" bash "$ROOT/scripts/run-fuzz.sh" "$B" "${FUZZ_SECONDS:-20}"

echo "layers: $passed passed, $failed failed, $skipped skipped"
[ "$skipped" -eq 0 ] || echo "NOTE: the i686 product was NOT tested on this machine: $WINE32_WHY"
[ "$failed" -eq 0 ]
