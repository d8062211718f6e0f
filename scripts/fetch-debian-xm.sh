#!/usr/bin/env bash
# Collects every XM module that Debian's packages ship (66 files in 19
# packages) into DIR/xm-debian/, the wider set the speed benchmarks are judged
# on (default DIR: .cache/corpus). The 22 of scripts/fetch-corpus.sh are among
# them; names are prefixed with the package, as there.
# Usage: scripts/fetch-debian-xm.sh [DIR]
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$repo/.cache/corpus}"
packages=(bomberclone-data flobopuyo gemdropx vodovod njam-data ballz-data ceferino-data vor
          clanlib-doc criticalmass-data dodgindiamond2 fb-music-high gambas3-examples heroes-sound-tracks
          pekka-kana-2-data rafkill-data ri-li-data solarwolf emscripten)
expected=66

mkdir -p "$dir/debs" "$dir/xm-debian"
dir="$(cd "$dir" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if ! apt-cache show "${packages[0]}" >/dev/null 2>&1; then
  apt-get update >/dev/null || echo "fetch-debian-xm: apt-get update failed; trying with the lists there are" >&2
fi

failed=0
for package in "${packages[@]}"; do
  if ! ls "$dir/debs/${package}"_*.deb >/dev/null 2>&1; then
    if ! (cd "$dir/debs" && apt-get download "$package" >/dev/null 2>&1); then
      echo "fetch-debian-xm: could not download $package" >&2
      failed=1
      continue
    fi
  fi
  deb="$(ls "$dir/debs/${package}"_*.deb | head -n 1)"
  # Only the modules are unpacked: some of these packages are large.
  rm -rf "$work/unpacked"
  mkdir -p "$work/unpacked"
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/unpacked" --wildcards --no-anchored '*.xm' '*.XM' 2>/dev/null || true
  while IFS= read -r -d '' module; do
    cp "$module" "$dir/xm-debian/${package}__$(basename "$module")"
  done < <(find "$work/unpacked" -type f -iname '*.xm' -print0)
done

count="$(find "$dir/xm-debian" -type f | wc -l)"
echo "fetch-debian-xm: $count modules in $dir/xm-debian"
[ "$count" -eq "$expected" ] || echo "fetch-debian-xm: expected $expected" >&2
exit "$failed"
