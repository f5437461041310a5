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

# One 512 MiB file from nginx over loopback: curl, the engine and a minimal
# synchronous WinINet loop fetch it in turn, each result checked against the
# source's digest and removed before the next, so that at most two copies lie
# on disk.
download_against_curl() {
  local dir="$B/bench-download"
  rm -rf "$dir" && mkdir -p "$dir/site" || return 1
  head -c $((512 * 1024 * 1024)) /dev/urandom >"$dir/site/file.bin"
  local want; want=$(md5sum <"$dir/site/file.bin" | cut -d' ' -f1)
  /usr/bin/python3 "$ROOT/tests/servers/web_server.py" --serve "$dir/site" --port-file "$dir/port" &
  local server=$!
  for _ in $(seq 100); do [ -s "$dir/port" ] && break; sleep 0.1; done
  if [ ! -s "$dir/port" ]; then
    echo "the web server did not start"; kill "$server" 2>/dev/null; rm -rf "$dir"; return 1
  fi
  local url; url="http://127.0.0.1:$(head -1 "$dir/port")/file.bin"
  local exe="$B/win32/bin/bench_download.exe"
  [ "$WINE32_RUNS" -eq 1 ] && [ -f "$exe" ] || exe="$B/win64/bin/bench_download.exe"
  local curl_s engine_s loop_s
  # Each mode prints its seconds; a wrong or missing file turns them into "".
  fetched() {
    local got; got=$(md5sum "$dir/$1.bin" 2>/dev/null | cut -d' ' -f1)
    rm -f "$dir/$1.bin" "$dir/$1.bin.part"
    [ "$got" = "$want" ] || { echo "  $1: no file, or not the source's bytes" >&2; return 1; }
  }
  curl_s=$(timeout "$LIMIT" curl -s -o "$dir/curl.bin" -w '%{time_total}' "$url" | awk '{printf "%.3f", $1}')
  fetched curl || curl_s=""
  for mode in engine loop; do
    local s
    s=$(timeout "$LIMIT" "$WINE" "$exe" "$mode" "$url" "Z:${dir//\//\\}\\$mode.bin" </dev/null | tr -d '\r')
    fetched "$mode" || s=""
    printf -v "${mode}_s" '%s' "$s"
  done
  kill "$server"; wait "$server" 2>/dev/null
  rm -rf "$dir"
  local tree; tree=$(basename "$(dirname "$(dirname "$exe")")")
  ratio() { [ -n "$1" ] && [ -n "$2" ] && awk "BEGIN {printf \"%.2f\", $2 / $1}" || echo "?"; }
  echo "engine ${engine_s:-?} s, curl ${curl_s:-?} s: $(ratio "$engine_s" "$curl_s") of curl's speed ($tree, Wine)"
  echo "minimal WinINet loop ${loop_s:-?} s: $(ratio "$loop_s" "$curl_s") of curl's speed;" \
    "the engine $(ratio "$engine_s" "$loop_s") of the loop's"
}
echo "== download"
download_against_curl

for exe in "$B"/win64/bin/bench_*.exe; do
  [ -f "$exe" ] || continue
  case "$exe" in */bench_md5.exe | */bench_download.exe) continue ;; esac
  run_one "$(basename "$exe" .exe)" "$WINE" "$exe"
done
for prog in "$B"/host/bin/bench_*; do
  [ -x "$prog" ] || continue
  run_one "$(basename "$prog")" "$prog"
done
