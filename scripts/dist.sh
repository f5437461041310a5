#!/usr/bin/env bash
# Builds the release a package author downloads: dist/tessaro-VERSION.zip,
# everything under one folder tessaro-VERSION/: the i686 product and its
# checker at the top (they run on every supported Windows), the x64 build of
# both in x64/ (for 64-bit Windows without its 32-bit subsystem), the guide,
# the sample package, README.txt and SHA256SUMS.
# Builds nothing itself (`make dist` builds first). Usage: dist.sh BUILD_DIR
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$(cd "${1:-$ROOT/build}" && pwd)"
VERSION="$(head -n 1 "$ROOT/VERSION")"
NAME="tessaro-$VERSION"
ZIP="$ROOT/dist/$NAME.zip"
STAGE="$B/dist/$NAME"

# What an author runs must be what the trees built: stripped (the build
# strips them; a release with symbols would mean the build changed).
# tree:objdump:folder in the zip
BUILDS="win32:i686-w64-mingw32-objdump: win64:x86_64-w64-mingw32-objdump:x64/"
for build in $BUILDS; do
  IFS=: read -r tree objdump _ <<<"$build"
  for program in tessaro tessaro-check; do
    exe="$B/$tree/bin/$program.exe"
    [ -f "$exe" ] || { echo "dist: $exe is missing; build first (make dist)" >&2; exit 1; }
    if ! "$objdump" -t "$exe" | grep -q '^no symbols$' || "$objdump" -h "$exe" | grep -q ' \.debug'; then
      echo "dist: $exe is not stripped" >&2; exit 1
    fi
  done
done

rm -rf "$STAGE"
mkdir -p "$STAGE/examples/basic/package" "$STAGE/x64"
for build in $BUILDS; do
  IFS=: read -r tree _ folder <<<"$build"
  cp "$B/$tree/bin/tessaro.exe" "$B/$tree/bin/tessaro-check.exe" "$STAGE/$folder"
done
cp -R "$ROOT/docs" "$STAGE/docs"
# The sample split as an author meets it: package/ is what ships (setup.exe
# joins it), web/ stands for the vendor's server, README.md explains both.
cp -R "$ROOT/examples/basic/." "$STAGE/examples/basic/package/"
mv "$STAGE/examples/basic/package/README.md" "$STAGE/examples/basic/package/web" "$STAGE/examples/basic/"
# README.txt is the README's section on the zip, so the steps live in one place.
{
  printf 'Tessaro %s\n\n' "$VERSION"
  awk '/^## From the release zip/ { on = 1 } on && /^## / && !/^## From the release zip/ { exit } on' "$ROOT/README.md"
} | sed 's/$/\r/' >"$STAGE/README.txt"
grep -q '^## From the release zip' "$STAGE/README.txt" \
  || { echo "dist: README.md has no section on the release zip" >&2; exit 1; }
(cd "$STAGE" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs -d '\n' sha256sum) >"$STAGE/SHA256SUMS"

# Dated by the commit it was built from, so that rebuilding a tree gives the same bytes.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 315532800)}"
mkdir -p "$ROOT/dist"
/usr/bin/python3 "$ROOT/scripts/zip_tree.py" "$STAGE" "$ZIP"
echo "dist: $ZIP ($(stat -c %s "$ZIP") bytes)"
