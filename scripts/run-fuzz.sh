#!/usr/bin/env bash
# Runs every fuzz target for a bounded time each, from its own corpus folder:
# the libFuzzer targets of the host tree natively, the targets of code that
# only Windows has (fuzz/windows, a mutation driver of our own) from the
# win64 tree under Wine.
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

source "$ROOT/scripts/wine-env.sh" "$B"
for target in "$B"/win64/bin/*_fuzz.exe; do
  [ -f "$target" ] || continue
  name=$(basename "$target" .exe)
  log="$B/fuzz-corpus/$name.log"; mkdir -p "$B/fuzz-corpus"
  if "$WINE" "$target" -max_total_time="$seconds" -artifact_prefix="$(dirname "$log")/" \
       "$ROOT/fuzz/seeds/${name%_fuzz}" >"$log" 2>&1 </dev/null; then
    echo "$name (win64, Wine): $(grep -Eo 'Done [0-9]+ runs' "$log" | tail -1)"
  else
    echo "$name (win64, Wine): FAILED"; tail -30 "$log"; status=1
  fi
done
exit $status
