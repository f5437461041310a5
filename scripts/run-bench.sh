#!/usr/bin/env bash
# Runs the benchmarks of BUILD_DIR: the Windows ones under Wine in the build
# folder's prefix, the host ones natively. Benchmarks print figures and
# ratios; none of them decides pass or fail, so a failing one is reported
# and the others still run.
set -u
B="$(cd "$1" && pwd)"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/wine-env.sh" "$B"
wine_server_start
trap wine_server_stop EXIT

# Seconds one benchmark may take before it is given up.
LIMIT="${BENCH_SECONDS:-600}"

run_one() {
  local name="$1"; shift
  echo "== $name"
  timeout "$LIMIT" "$@" </dev/null || echo "== $name: ended with status $?"
}

for exe in "$B"/win64/bin/bench_*.exe; do
  [ -f "$exe" ] || continue
  run_one "$(basename "$exe" .exe)" "$WINE" "$exe"
done
for prog in "$B"/host/bin/bench_*; do
  [ -x "$prog" ] || continue
  run_one "$(basename "$prog")" "$prog"
done
