#!/usr/bin/env bash
# The product may import only DLLs that ship with Windows: a bootstrapper
# cannot depend on the runtimes it is meant to install. Statically it imports
# only libraries the loader always takes from the system (known DLLs, and
# comctl32 through the manifest); others (version, msi, wininet, mpr) are
# loaded from the system folder at run time, so that a DLL planted beside
# setup.exe in a Downloads folder is never picked up.
set -eu
B="$1"
allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|msvcrt|api-ms-win-.*)\.dll$'
status=0
for pair in "win32:i686-w64-mingw32-objdump" "win64:x86_64-w64-mingw32-objdump"; do
  tree="${pair%%:*}"; objdump="${pair#*:}"
  exe="$B/$tree/bin/tessaro.exe"
  [ -f "$exe" ] || { echo "missing $exe"; status=1; continue; }
  dlls=$("$objdump" -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
  echo "$tree imports: $(echo $dlls)  ($(stat -c %s "$exe") bytes)"
  for dll in $dlls; do
    if ! echo "$dll" | grep -Eq "$allowed"; then
      echo "  not a system DLL: $dll"; status=1
    fi
  done
  if "$objdump" -p "$exe" | grep -q 'Subsystem.*0*2.*(Windows GUI)\|Subsystem\s*00000002'; then :; else
    echo "  $tree: not a GUI-subsystem program"; status=1
  fi
done
exit $status
