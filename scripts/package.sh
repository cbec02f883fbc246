#!/usr/bin/env bash
# Builds the Debian package (debian/: dpkg-buildpackage -us -uc -b, a Release
# build without the tests, in debian's own obj-<triplet>/ folder) and moves
# what it makes into build-deb/ ($VANTRA_DEB_DIR): vantra_<version>_<arch>.deb,
# its -dbgsym package, .buildinfo and .changes. The last line of standard
# output is the .deb's path.
#
#   scripts/package.sh
#
# Installs what is missing first (scripts/deps.sh --package; root or sudo).
# The compilations are cached by ccache in $CCACHE_DIR (default
# ~/.cache/vantra-ccache): building the same sources again takes a fraction
# of the first build. The build runs under nice, beside other builds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${VANTRA_DEB_DIR:-$root/build-deb}"

"$root/scripts/deps.sh" --package
cd "$root"
# deps.sh installs the build list; debian/control must not ask for more.
dpkg-checkbuilddeps

export CCACHE_DIR="${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vantra-ccache}"
# Paths under the tree hashed relative to it: another clone of the same
# sources hits the same cache entries.
export CCACHE_BASEDIR="$root"
mkdir -p "$CCACHE_DIR" "$out"

version="$(dpkg-parsechangelog -S Version)"
arch="$(dpkg-architecture -qDEB_HOST_ARCH)"
made=("vantra_${version}_${arch}.deb" "vantra-dbgsym_${version}_${arch}.deb"
      "vantra_${version}_${arch}.buildinfo" "vantra_${version}_${arch}.changes")
# dpkg-buildpackage writes into the parent folder; nothing stale there or here.
for f in "${made[@]}"; do rm -f "$root/../$f" "$out/$f"; done

log="$out/build.log"
echo "== Debian package (dpkg-buildpackage; log: $log)" >&2
start=$SECONDS
ccache -z >/dev/null 2>&1 || true
if ! nice -n 10 dpkg-buildpackage -us -uc -b -j"$(nproc)" >"$log" 2>&1; then
  tail -n 80 "$log" >&2
  echo "package.sh : la construction du paquet a échoué (journal complet : $log)" >&2
  exit 1
fi
for f in "${made[@]}"; do
  if [[ -e "$root/../$f" ]]; then mv -f "$root/../$f" "$out/"; fi
done
deb="$out/vantra_${version}_${arch}.deb"
if [[ ! -s "$deb" ]]; then
  echo "package.sh : $deb absent après la construction (journal : $log)" >&2
  exit 1
fi
echo "== package built in $((SECONDS - start)) s, $(du -k "$deb" | cut -f1) KiB ($(ccache -s 2>/dev/null | grep -m1 -i 'hits:' | tr -s ' ' || true))" >&2
echo "$deb"
