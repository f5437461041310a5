#!/usr/bin/env bash
# Runs the benchmarks of BUILD_DIR: the Windows ones under Wine in the build
# folder's prefix, the host ones natively. Benchmarks print figures and
# ratios; none of them decides pass or fail, so a failing one is reported
# and the others still run.
set -u
B="$(cd "$1" && pwd)"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/wine-env.sh" "$B"
wine_server_start || exit 1
trap wine_server_stop EXIT

# Seconds one benchmark may take before it is given up.
LIMIT="${BENCH_SECONDS:-600}"

run_one() {
  local name="$1"; shift
  echo "== $name"
  timeout "$LIMIT" "$@" </dev/null || echo "== $name: ended with status $?"
}

# The digest against md5sum on the same 512 MiB file, in the same run.
md5_against_md5sum() {
  local file="$B/bench-md5.bin"
  head -c $((512 * 1024 * 1024)) /dev/urandom >"$file"
  cat "$file" >/dev/null  # both read from the page cache
  local start end theirs ours
  start=$(date +%s.%N); theirs=$(md5sum "$file" | cut -d' ' -f1); end=$(date +%s.%N)
  local md5sum_seconds; md5sum_seconds=$(awk "BEGIN {print $end - $start}")
  # The product's build where this machine runs 32-bit code.
  local exe="$B/win32/bin/bench_md5.exe"
  [ "$WINE32_RUNS" -eq 1 ] && [ -f "$exe" ] || exe="$B/win64/bin/bench_md5.exe"
  read -r seconds ours < <(timeout "$LIMIT" "$WINE" "$exe" "Z:${file//\//\\}" | tr -d '\r')
  rm -f "$file"
  echo "md5sum ${md5sum_seconds}s, FileMd5Hex ($(basename "$(dirname "$(dirname "$exe")")"), Wine) ${seconds}s:" \
    "$(awk "BEGIN {printf \"%.2f\", $md5sum_seconds / $seconds}") of md5sum's speed"
  [ "$theirs" = "$ours" ] || echo "  digests differ: md5sum $theirs, FileMd5Hex $ours"
}
echo "== md5"
md5_against_md5sum

for exe in "$B"/win64/bin/bench_*.exe; do
  [ -f "$exe" ] || continue
  case "$exe" in */bench_md5.exe) continue ;; esac
  run_one "$(basename "$exe" .exe)" "$WINE" "$exe"
done
for prog in "$B"/host/bin/bench_*; do
  [ -x "$prog" ] || continue
  run_one "$(basename "$prog")" "$prog"
done
