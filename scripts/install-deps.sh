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
  xvfb xauth imagemagick
  nginx-light python3-pyftpdlib tinyproxy curl openssl osslsigncode
  python3
)
# The 32-bit loader beside wine64 makes every prefix WoW64, so that the i686
# product runs as it does on 64-bit Windows.
WINE32=wine32:i386

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
fail() { echo "install-deps: $*" >&2; exit 1; }

# The system's Debian sources reduced to the release's main suites (the
# codename and codename-updates), as one deb822 list on standard output.
main_suites() {
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || return 1
  local files=()
  [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
  for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  [ ${#files[@]} -gt 0 ] || return 1
  awk -v main="$codename" -v updates="$codename-updates" '
    function wanted(suite) { return suite == main || suite == updates }
    function flush(   i, out, n, w, kept) {
      if (n_lines == 0) return
      if (suites != "" && !disabled) {
        n = split(suites, w, /[ \t]+/); kept = ""
        for (i = 1; i <= n; i++) if (wanted(w[i])) kept = kept " " w[i]
        if (kept != "") {
          for (i = 1; i <= n_lines; i++)
            print (lines[i] ~ /^Suites:/ ? "Suites:" kept : lines[i])
          print ""
        }
      }
      n_lines = 0; suites = ""; disabled = 0
    }
    FNR == 1 { flush() }
    FILENAME ~ /\.sources$/ {
      if ($0 ~ /^[ \t]*$/) { flush(); next }
      if ($0 ~ /^#/) next
      lines[++n_lines] = $0
      if ($1 == "Suites:") { suites = $0; sub(/^Suites:[ \t]*/, "", suites) }
      if ($1 == "Enabled:" && $2 == "no") disabled = 1
      next
    }
    { flush() }
    /^deb[ \t]/ {
      # One-line form: deb [options] URI suite components...
      line = $0; opts = ""
      if (match(line, /\[[^]]*\]/)) { opts = substr(line, RSTART + 1, RLENGTH - 2); line = substr(line, 1, RSTART - 1) substr(line, RSTART + RLENGTH) }
      n = split(line, f, /[ \t]+/)
      if (n >= 4 && wanted(f[3])) {
        comps = f[4]; for (i = 5; i <= n; i++) comps = comps " " f[i]
        print "Types: deb"; print "URIs: " f[2]; print "Suites: " f[3]; print "Components: " comps
        if (match(opts, /signed-by=[^ ]+/)) print "Signed-By: " substr(opts, RSTART + 10, RLENGTH - 10)
        print ""
      }
    }
    END { flush() }
  ' "${files[@]}"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
need_wine32=0
installed "$WINE32" || need_wine32=1

if [ ${#missing[@]} -gt 0 ] || [ "$need_wine32" -eq 1 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # Another install may hold the dpkg lock for a while: wait instead of failing.
  APT=($SUDO apt-get -o DPkg::Lock::Timeout=600)

  if [ "$need_wine32" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: adding the i386 architecture"
    $SUDO dpkg --add-architecture i386 || fail "step 'dpkg --add-architecture i386' failed"
  fi
  # An index that fails to download (a stale i386 one, say) makes update
  # report an error although every other list was refreshed; the installs
  # below tell whether what we need is there.
  if ! out=$("${APT[@]}" update -qq 2>&1); then
    echo "install-deps: apt-get update reported errors; going on with the lists it got:" >&2
    printf '%s\n' "$out" | grep '^E:' | head -3 >&2 || true
  fi

  if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    "${APT[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
      || fail "step 'apt-get install ${missing[*]}' failed"
  fi

  if [ "$need_wine32" -eq 1 ]; then
    # Best effort in a subshell: a failing step names itself and ends only
    # this attempt; the test run's layer for the product then fails with it.
    if ! (
      echo "install-deps: installing $WINE32"
      if ! "${APT[@]}" install -y -qq --no-install-recommends "$WINE32" >/dev/null 2>&1; then
        # The mirror's i386 index of the security suite can lag behind the
        # amd64 one, leaving no i386 build at the installed wine64's version.
        # Then take wine64 and wine32 together from the main suites only, with
        # lists of our own so that the system's lists stay as they are.
        echo "install-deps: the plain install of $WINE32 failed; installing wine64 and $WINE32 from the main suites"
        dir=$(mktemp -d)
        chmod 755 "$dir"  # apt fetches as its own unprivileged user
        trap 'rm -rf "$dir"' EXIT
        mkdir -p "$dir/parts" "$dir/lists/partial"
        main_suites >"$dir/parts/main.sources" || fail "step 'write the main-suites source list' failed"
        [ -s "$dir/parts/main.sources" ] || fail "step 'write the main-suites source list' found no Debian source"
        OWN=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$dir/parts" -o Dir::State::Lists="$dir/lists")
        "${APT[@]}" "${OWN[@]}" update -qq \
          || fail "step 'apt-get update' with the main suites only failed"
        # An amd64 library that came from the security suite pins its i386
        # twin to a version these lists lack, and apt never downgrades on its
        # own: each such library is named at the main suites' version, then
        # the install is tried again.
        wanted=(wine64 "$WINE32")
        for _ in 1 2 3 4 5 6 7 8; do
          if out=$("${APT[@]}" "${OWN[@]}" install -y -q --allow-downgrades --no-install-recommends "${wanted[@]}" 2>&1); then
            break
          fi
          pinned=0
          for lib in $(printf '%s\n' "$out" | sed -n 's/.*Depends: \([^ :]*\):i386 .*but it is not installable.*/\1/p' | sort -u); do
            version=$(apt-cache "${OWN[@]}" policy "$lib:i386" | awk '$1 == "Candidate:" {print $2}')
            if installed "$lib:amd64" && [ -n "$version" ] && [ "$version" != "(none)" ] \
               && ! printf '%s\n' "${wanted[@]}" | grep -qx "$lib:amd64=$version"; then
              echo "install-deps: taking $lib:amd64 at $version, the version of its i386 twin"
              wanted+=("$lib:amd64=$version"); pinned=1
            fi
          done
          if [ "$pinned" -eq 0 ]; then
            printf '%s\n' "$out" | tail -15 >&2
            fail "step 'apt-get install --allow-downgrades ${wanted[*]}' from the main suites failed"
          fi
        done
      fi
      installed "$WINE32" || fail "$WINE32 is still not installed"
    ); then
      echo "install-deps: $WINE32 could not be installed; the 32-bit product's test layer will fail" >&2
    fi
  fi
fi

# Some virtual machines run 64-bit user code only: the kernel answers every
# i386 program with "Exec format error". There qemu-i386 runs 32-bit Wine
# once binfmt_misc knows i386 ELF (Debian registers no i386 handler on an
# x86-64 host), slowly, so the tests give the product a short smoke there.
# Only the kernel's refusal leads here: where it runs i386 code itself, an
# emulator would take over every 32-bit program. A failing step is reported
# and left for the test run, whose smoke layer then fails with the reason.
QEMU_I386=/usr/bin/qemu-i386-static
BINFMT=/proc/sys/fs/binfmt_misc
I386_ENTRY=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$QEMU_I386"':F'
emulate_i386() {
  local out
  [ -x /usr/lib/wine/wine ] || return 0  # no 32-bit Wine: the test run says so
  grep -qx enabled "$BINFMT/qemu-i386" 2>/dev/null && return 0
  out=$(/usr/lib/wine/wine --version 2>&1 </dev/null) && return 0
  case "$out" in *"Exec format error"*) ;; *) return 0 ;; esac
  local SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "install-deps: this kernel runs no i386 code; registering qemu-i386 for it in binfmt_misc"
  if ! installed qemu-user-static; then
    $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq >/dev/null 2>&1 || true  # the installs tell
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
      --no-install-recommends qemu-user-static >/dev/null \
      || { echo "install-deps: step 'apt-get install qemu-user-static' failed" >&2; return 1; }
  fi
  if [ ! -e "$BINFMT/register" ]; then
    $SUDO mount -t binfmt_misc binfmt_misc "$BINFMT" \
      || { echo "install-deps: step 'mount binfmt_misc on $BINFMT' failed" >&2; return 1; }
  fi
  if [ -e "$BINFMT/qemu-i386" ]; then
    # Left disabled by someone: an entry of that name cannot be written again.
    $SUDO sh -c "echo 1 >'$BINFMT/qemu-i386'" \
      || { echo "install-deps: step 'enable $BINFMT/qemu-i386' failed" >&2; return 1; }
  else
    # The kernel reads the \x escapes itself; F opens the emulator now, so
    # that it serves every mount namespace.
    $SUDO sh -c 'printf "%s" "$1" >"$2"' sh "$I386_ENTRY" "$BINFMT/register" \
      || { echo "install-deps: step 'register qemu-i386 in $BINFMT/register' failed" >&2; return 1; }
  fi
  out=$(/usr/lib/wine/wine --version 2>&1 </dev/null) \
    || { echo "install-deps: 32-bit Wine still does not start under qemu-i386: $out" >&2; return 1; }
}
emulate_i386 || true

# MinGW's default alternatives may point at the win32 thread model; the build
# names the -posix compilers explicitly, so nothing to switch here.
for tool in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix /usr/lib/wine/wine64 wixl /usr/sbin/nginx curl openssl; do
  command -v "$tool" >/dev/null 2>&1 || [ -x "$tool" ] || fail "$tool is missing"
done
