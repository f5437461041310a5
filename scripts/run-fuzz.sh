#!/usr/bin/env bash
# Runs every libFuzzer target of the host tree for a bounded time each, from
# its own corpus folder.
set -eu
B="$(cd "$1" && pwd)"; seconds="${2:-20}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
status=0
for target in "$B"/host/bin/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$B/fuzz-corpus/$name"; mkdir -p "$corpus"
  seeds="$ROOT/fuzz/seeds/${name%_fuzz}"
  [ -d "$seeds" ] || seeds=""
  if "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
       -artifact_prefix="$B/fuzz-corpus/" $corpus $seeds >"$B/fuzz-corpus/$name.log" 2>&1; then
    echo "$name: $(grep -Eo 'Done [0-9]+ runs' "$B/fuzz-corpus/$name.log" | tail -1)"
  else
    echo "$name: FAILED"; tail -30 "$B/fuzz-corpus/$name.log"; status=1
  fi
done

exit $status
