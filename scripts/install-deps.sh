#!/usr/bin/env bash
# Installs, idempotently, every Debian package that building and testing need.
# Fast when everything is present: it only calls apt-get when a package is missing.
set -euo pipefail

packages=(
  cmake make ninja-build
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine64 wine
  googletest
  clang libclang-rt-14-dev
  msitools wixl
  xvfb xauth
  python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# MinGW's default alternatives may point at the win32 thread model; the build
# names the -posix compilers explicitly, so nothing to switch here.
for tool in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix /usr/lib/wine/wine64 wixl; do
  command -v "$tool" >/dev/null 2>&1 || [ -x "$tool" ] || { echo "install-deps: $tool is missing" >&2; exit 1; }
done
