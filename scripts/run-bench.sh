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

# Each digest against its coreutils twin on the same 512 MiB file, in the
# same run: FileMd5Hex against md5sum, FileSha256Hex against sha256sum.
digest_against_sum() {  # FILE ALGORITHM PRODUCT_FUNCTION
  local file="$1" sum="$2sum" name="$3"
  local start end theirs ours seconds
  start=$(date +%s.%N); theirs=$("$sum" "$file" | cut -d' ' -f1); end=$(date +%s.%N)
  local sum_seconds; sum_seconds=$(awk "BEGIN {print $end - $start}")
  # The product's build where this machine runs 32-bit code.
  local exe="$B/win32/bin/bench_digest.exe"
  [ "$WINE32_RUNS" -eq 1 ] && [ -f "$exe" ] || exe="$B/win64/bin/bench_digest.exe"
  read -r seconds ours < <(timeout "$LIMIT" "$WINE" "$exe" "$2" "Z:${file//\//\\}" | tr -d '\r')
  echo "$sum ${sum_seconds}s, $name ($(basename "$(dirname "$(dirname "$exe")")"), Wine) ${seconds}s:" \
    "$(awk "BEGIN {printf \"%.2f\", $sum_seconds / $seconds}") of $sum's speed"
  [ "$theirs" = "$ours" ] || echo "  digests differ: $sum $theirs, $name $ours"
}
digests_against_sums() {
  local file="$B/bench-digest.bin"
  head -c $((512 * 1024 * 1024)) /dev/urandom >"$file"
  cat "$file" >/dev/null  # every tool reads from the page cache
  digest_against_sum "$file" md5 FileMd5Hex
  digest_against_sum "$file" sha256 FileSha256Hex
  rm -f "$file"
}
echo "== md5 and sha256"
digests_against_sums

# One 512 MiB file from nginx over loopback, fetched by curl, by the engine
# and by a minimal synchronous WinINet loop, and installed by a whole silent
# run of the product that checks its MD5, set against curl followed by
# md5sum. The tools take turns for a few rounds; each tool's best time counts,
# since other work on the machine only ever slows a round down. Every result
# is checked against the source's digest (the run's by its own MD5 check: its
# setup runs only after it accepted the file) and removed before the next, so
# that at most two copies lie on disk.
DOWNLOAD_ROUNDS="${BENCH_DOWNLOAD_ROUNDS:-5}"
download_against_curl() {
  local dir="$B/bench-download"
  rm -rf "$dir" && mkdir -p "$dir/site" "$dir/package" || return 1
  # The product's build where this machine runs 32-bit code.
  local tree=win64
  [ "$WINE32_RUNS" -eq 1 ] && [ -f "$B/win32/bin/bench_download.exe" ] && tree=win32
  local bin="$B/$tree/bin"
  # The fake setup, grown to the size with random bytes that it never reads.
  { cat "$bin/exit_with.exe"; head -c $((512 * 1024 * 1024 - $(stat -c %s "$bin/exit_with.exe"))) /dev/urandom; } \
    >"$dir/site/setup.exe"
  local want; want=$(md5sum <"$dir/site/setup.exe" | cut -d' ' -f1)
  /usr/bin/python3 "$ROOT/bench/serve_folder.py" --serve "$dir/site" --port-file "$dir/port" &
  local server=$!
  for _ in $(seq 100); do [ -s "$dir/port" ] && break; sleep 0.1; done
  if [ ! -s "$dir/port" ]; then
    echo "the web server did not start"; kill "$server" 2>/dev/null; rm -rf "$dir"; return 1
  fi
  local url; url="http://127.0.0.1:$(head -1 "$dir/port")/setup.exe"
  local win="Z:${dir//\//\\}"
  local marker="$dir/installed.txt"
  { printf '\xff\xfe'; printf '%s\r\n' "[GeneralOptions]" "Options=q" "DownloadFolder=$win\\downloads" \
      "[PREREQUISITES]" "App1=Big" "[Big]" "Url=$url" "MD5=$want" "NoUiCommandLine=0 --write \"$win\\installed.txt\"" \
      "SearchType1=5" "SearchString1=HKCU\\Software\\Tessaro Bench\\absent" | iconv -f UTF-8 -t UTF-16LE; } \
    >"$dir/package/setup.ini"
  # Seconds per tool: the best round, or "?" once a round failed.
  local -A best=()
  # The engine's speed against the loop's, round by round: the two run one
  # after the other, in the same state of the machine.
  local pairs=""
  local round tool s got start alone engineNow=""
  for round in $(seq "$DOWNLOAD_ROUNDS"); do
    engineNow=""
    for tool in curl+md5sum run engine loop; do
      [ "${best[$tool]:-}" = "?" ] && continue
      # Each starts with the disk idle: the file the tool before wrote is
      # still going out to it, and slows the next writer.
      sync
      got=""
      case "$tool" in
        curl+md5sum)
          start=$(date +%s.%N)
          alone=$(timeout "$LIMIT" curl -s -o "$dir/$tool.bin" -w '%{time_total}' "$url") &&
            got=$(md5sum "$dir/$tool.bin" | cut -d' ' -f1)
          s=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.3f", b - a}')
          [ "$got" = "$want" ] &&
            best[curl]=$(awk -v s="$alone" -v b="${best[curl]:-}" 'BEGIN {printf "%.3f", (b == "" || s < b) ? s : b}') ;;
        run)
          cp "$B/$tree/bin/tessaro.exe" "$dir/package/setup.exe" && rm -f "$marker"
          start=$(date +%s.%N)
          (cd "$dir/package" && timeout "$LIMIT" "$WINE" setup.exe </dev/null)
          s=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.3f", b - a}')
          [ -f "$marker" ] && got=$want ;;
        *)
          s=$(timeout "$LIMIT" "$WINE" "$bin/bench_download.exe" "$tool" "$url" "$win\\$tool.bin" </dev/null | tr -d '\r')
          got=$(md5sum "$dir/$tool.bin" 2>/dev/null | cut -d' ' -f1) ;;
      esac
      rm -f "$dir/$tool.bin" "$dir/$tool.bin.part"
      if [ -z "$s" ] || [ "$got" != "$want" ]; then
        echo "  $tool, round $round: no file, or not the source's bytes"
        best[$tool]="?"
        continue
      fi
      best[$tool]=$(awk -v s="$s" -v b="${best[$tool]:-}" 'BEGIN {printf "%.3f", (b == "" || s < b) ? s : b}')
      case "$tool" in
        engine) engineNow=$s ;;
        loop) [ -n "$engineNow" ] && pairs="$pairs $(awk -v e="$engineNow" -v l="$s" 'BEGIN {printf "%.2f", l / e}')" ;;
      esac
    done
  done
  kill "$server"; wait "$server" 2>/dev/null
  rm -rf "$dir"
  # The first figure divided by the second.
  ratio() { [ "${1:-?}" != "?" ] && [ "${2:-?}" != "?" ] && awk "BEGIN {printf \"%.2f\", $1 / $2}" || echo "?"; }
  echo "whole silent run with MD5 ${best[run]} s, curl -o + md5sum ${best[curl+md5sum]} s:" \
    "$(ratio "${best[run]}" "${best[curl+md5sum]}") of their time ($tree, Wine, best of $DOWNLOAD_ROUNDS)"
  echo "engine ${best[engine]} s, curl ${best[curl]:-?} s: $(ratio "${best[curl]:-?}" "${best[engine]}") of curl's speed"
  echo "minimal WinINet loop ${best[loop]} s: $(ratio "${best[curl]:-?}" "${best[loop]}") of curl's speed;" \
    "the engine $(ratio "${best[loop]}" "${best[engine]}") of the loop's;" \
    "round by round $(tr ' ' '\n' <<<"$pairs" | sed '/^$/d' | sort -n | awk '{r[NR] = $1} END {if (NR) printf "%.2f (median; %.2f to %.2f)", r[int((NR + 1) / 2)], r[1], r[NR]; else printf "?"}')"
}
echo "== download"
download_against_curl

# 5,000 type 2 registry searches against a program that only opens, reads
# and closes the same values, with the product's build where this machine
# runs 32-bit code; the logs it writes are removed afterwards.
evaluation_against_floor() {
  local exe="$B/win32/bin/bench_evaluation.exe" logs="$B/bench-evaluation"
  [ "$WINE32_RUNS" -eq 1 ] && [ -f "$exe" ] || exe="$B/win64/bin/bench_evaluation.exe"
  rm -rf "$logs" && mkdir -p "$logs" || return 1
  echo "$(basename "$(dirname "$(dirname "$exe")")"), Wine:"
  timeout "$LIMIT" "$WINE" "$exe" floor "Z:${logs//\//\\}" </dev/null | tr -d '\r'
  rm -rf "$logs"
}
echo "== evaluation against its floor"
# The gigabytes the downloads wrote are still going out to disk for a while;
# the disk's work wakes the processors meanwhile, which speeds the floor's
# round trips to Wine's server more than the evaluation's.
sync
evaluation_against_floor

for exe in "$B"/win64/bin/bench_*.exe; do
  [ -f "$exe" ] || continue
  case "$exe" in */bench_digest.exe | */bench_download.exe) continue ;; esac
  run_one "$(basename "$exe" .exe)" "$WINE" "$exe"
done
for prog in "$B"/host/bin/bench_*; do
  [ -x "$prog" ] || continue
  run_one "$(basename "$prog")" "$prog"
done
