#!/usr/bin/env bash
# Runs Tessaro under Wine on the sample package of examples/basic and shows
# what happened: the configuration, then two runs with exit code and log
# (the first installs the missing library, the second finds it). Each run
# gets the package laid out afresh in a folder of its own: at its end Tessaro
# deletes its configuration and, moments later, its own executable.
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
  rm -f "$1/README.md"
  cp "$EXE" "$1/setup.exe"
}
rm -rf "$DEMO"
lay_out "$DEMO/first"
lay_out "$DEMO/second"

utf16() { /usr/bin/python3 -c 'import sys; d=open(sys.argv[1],"rb").read(); print(d[2:].decode("utf-16-le", "replace") if d[:2]==b"\xff\xfe" else d.decode("utf-16-le", "replace"), end="")' "$1"; }

machine=$(/usr/bin/python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import harness; print(harness.pe_machine(sys.argv[2]))' "$ROOT/tests/e2e" "$EXE")
echo "== program: $EXE ($machine)"
echo "== package: $DEMO/first (and a copy in $DEMO/second)"
ls -1 "$DEMO/first"
echo
echo "== setup.ini"
utf16 "$DEMO/first/setup.ini" | tr -d '\r'
echo

# What a run of the sample installs: cleared first, so that every demo
# starts from a machine without "Sample Library".
"$WINE" reg delete 'HKCU\Software\Sample Vendor' /f >/dev/null 2>&1

# Started from elsewhere on purpose: the program makes its own folder the
# current directory, so the relative log still lands in the package.
run_setup() {
  local folder="$DEMO/$2"
  echo "== $1: running $folder/setup.exe under Wine"
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

run_setup "first run" first
first=$code
echo "== registry after the first run"
"$WINE" reg query 'HKCU\Software\Sample Vendor\Library' 2>/dev/null | tr -d '\r' | grep -v '^$'
"$WINE" reg query 'HKCU\InterbootContext' >/dev/null 2>&1 \
  && echo "HKCU\InterbootContext is still there" \
  || echo "HKCU\InterbootContext: removed at the end of the run (no reboot pending)"
echo

run_setup "second run (the library is found now)" second
echo "== the first run's package folder now (setup.exe and setup.ini deleted themselves at exit)"
ls -1 "$DEMO/first"
[ "$first" -eq 0 ] && [ "$code" -eq 0 ]
