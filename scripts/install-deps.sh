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
  nginx-light python3-pyftpdlib curl openssl
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
    # this attempt; the test run then reports the product's layers as
    # skipped (or failed, where TESSARO_REQUIRE_WIN32=1 says they must run).
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
      echo "install-deps: $WINE32 could not be installed; the 32-bit product's test layers will be skipped" >&2
    fi
  fi
fi

# MinGW's default alternatives may point at the win32 thread model; the build
# names the -posix compilers explicitly, so nothing to switch here.
for tool in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix /usr/lib/wine/wine64 wixl /usr/sbin/nginx curl openssl; do
  command -v "$tool" >/dev/null 2>&1 || [ -x "$tool" ] || fail "$tool is missing"
done
