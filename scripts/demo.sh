#!/usr/bin/env bash
# Runs Tessaro under Wine on the sample package of examples/basic and shows
# what happened: the configuration, then three runs with exit code and log.
# The first is killed while the sample's framework trickles in from a slow
# loopback server and leaves a .part file; the second, in the same folder,
# resumes it from a real web server (nginx), checks its size and MD5 and
# installs the library and the framework; the third, from a fresh copy,
# finds both. A run that ends deletes its configuration and, moments later,
# its own executable, so the third run gets the package laid out afresh.
# Builds nothing itself (`make demo` builds first). Usage: demo.sh BUILD_DIR
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$(cd "${1:-$ROOT/build}" && pwd)"
PACKAGE="$ROOT/examples/basic"
DEMO="$B/demo"

source "$ROOT/scripts/wine-env.sh" "$B"
wine_server_start || exit 1
trap wine_server_stop EXIT

# The product users get: the 32-bit build, which runs under WoW64. A machine
# that cannot run 32-bit code shows the 64-bit build instead, and says so.
EXE="$B/win32/bin/tessaro.exe"
if [ "$WINE32_RUNS" -ne 1 ]; then
  echo "demo: NOTE: $WINE32_WHY; showing the 64-bit build instead of the product" >&2
  EXE="$B/win64/bin/tessaro.exe"
fi
[ -f "$EXE" ] || { echo "demo: $EXE is missing; build first (make demo)" >&2; exit 1; }

# A package folder as an installation package would leave it.
lay_out() {
  mkdir -p "$1"
  cp -R "$PACKAGE/." "$1/"
  rm -rf "$1/README.md" "$1/web"
  cp "$EXE" "$1/setup.exe"
}
rm -rf "$DEMO"
lay_out "$DEMO/first"
lay_out "$DEMO/second"

utf16() { /usr/bin/python3 -c 'import sys; d=open(sys.argv[1],"rb").read(); print(d[2:].decode("utf-16-le", "replace") if d[:2]==b"\xff\xfe" else d.decode("utf-16-le", "replace"), end="")' "$1"; }

machine=$(/usr/bin/python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import harness; print(harness.pe_machine(sys.argv[2]))' "$ROOT/tests/e2e" "$EXE")
echo "== program: $EXE ($machine)"
echo "== package: $DEMO/first (and a copy in $DEMO/second); served on loopback: $PACKAGE/web"
ls -1 "$DEMO/first"
echo
echo "== setup.ini"
utf16 "$DEMO/first/setup.ini" | tr -d '\r'
echo

# What an author runs before shipping: the checker from the same tree.
echo "== tessaro-check setup.ini (the configuration as Tessaro reads it)"
(cd "$DEMO/first" && "$WINE" "$(dirname "$EXE")/tessaro-check.exe" setup.ini </dev/null) | tr -d '\r'
echo "tessaro-check exit code: ${PIPESTATUS[0]} (0: no findings)"
echo

# What a run of the sample installs: cleared first, so that every demo
# starts from a machine without "Sample Library".
"$WINE" reg delete 'HKCU\Software\Sample Vendor' /f >/dev/null 2>&1

# Started from elsewhere on purpose: the program makes its own folder the
# current directory, so the relative log still lands in the package.
run_setup() {
  local folder="$DEMO/$2"
  echo "== $1: running $folder/setup.exe under Wine (SAMPLE_SERVER=$SAMPLE_SERVER)"
  (cd "$B" && timeout 300 "$WINE" "$folder/setup.exe")
  code=$?
  case "$code" in
    0) meaning="done, or nothing to do" ;;
    1) meaning="a mandatory prerequisite is still missing" ;;
    255) meaning="-1: a reboot is pending" ;;
    124) meaning="timed out" ;;
    *) meaning="unexpected" ;;
  esac
  echo "exit code: $code ($meaning)"
  echo
  echo "== $1: log ($folder/setup.log)"
  if [ -f "$folder/setup.log" ]; then
    utf16 "$folder/setup.log" | tr -d '\r'
  else
    echo "(no log written)"
  fi
  echo
}

# The sample's Url names its server through %SAMPLE_SERVER%: the slow one
# for the attempt that is interrupted, the web server afterwards.
PORTS="$DEMO/ports"
/usr/bin/python3 "$ROOT/scripts/demo_server.py" --serve "$PACKAGE/web" --port-file "$PORTS" >"$DEMO/requests.txt" &
SERVER=$!
trap 'kill $SERVER 2>/dev/null; wine_server_stop' EXIT
for _ in $(seq 100); do [ -s "$PORTS" ] && break; sleep 0.1; done
read -r FAST_PORT SLOW_PORT <"$PORTS" || { echo "demo: the loopback servers did not start" >&2; exit 1; }

PART="$DEMO/first/downloads/framework_setup.cmd.part"
export SAMPLE_SERVER="127.0.0.1:$SLOW_PORT"
echo "== interrupted attempt: running $DEMO/first/setup.exe (SAMPLE_SERVER=$SAMPLE_SERVER, a slow server),"
echo "   killed once part of the framework has arrived"
(cd "$B" && exec "$WINE" "$DEMO/first/setup.exe") &
attempt=$!
for _ in $(seq 300); do [ -f "$PART" ] && [ "$(stat -c %s "$PART")" -ge 100 ] && break; sleep 0.1; done
kill -KILL $attempt 2>/dev/null
wait $attempt 2>/dev/null
echo "left behind: $(ls -l "$PART" 2>/dev/null | awk '{print $5, $9}')"
echo

export SAMPLE_SERVER="127.0.0.1:$FAST_PORT"
run_setup "first run, same folder (resumes the .part)" first
first=$code
kill $SERVER
wait $SERVER
echo "== what the servers were asked for (the resumed request carries a Range)"
cat "$DEMO/requests.txt"
echo "== the download folder after the run (the framework's setup deleted: no KeepFiles)"
ls -A "$DEMO/first/downloads" | grep . || echo "(empty: the folder itself stays)"
echo
echo "== registry after the first run"
"$WINE" reg query 'HKCU\Software\Sample Vendor' /s 2>/dev/null | tr -d '\r' | grep -v '^$'
"$WINE" reg query 'HKCU\InterbootContext' >/dev/null 2>&1 \
  && echo "HKCU\InterbootContext is still there" \
  || echo "HKCU\InterbootContext: removed at the end of the run (no reboot pending)"
echo

run_setup "second run, fresh copy (the library and the framework are found now)" second
# The first run's clean-up script deletes setup.exe after the run has ended,
# retrying while the file is still busy: list the folder once it is gone.
for _ in $(seq 600); do [ -e "$DEMO/first/setup.exe" ] || break; sleep 0.1; done
if [ -e "$DEMO/first/setup.exe" ]; then
  echo "== the first run's package folder now (its clean-up script has not deleted setup.exe within 60 s)"
else
  echo "== the first run's package folder now (setup.exe and setup.ini deleted themselves at exit)"
fi
ls -1 "$DEMO/first"
[ "$first" -eq 0 ] && [ "$code" -eq 0 ] && grep -q "Range: bytes=" "$DEMO/requests.txt"
