#!/usr/bin/env bash
# Collects the XM modules of a few Debian game-data packages into DIR/xm/ as
# real-world test material for the module loader (default DIR: .cache/corpus).
# Usage: scripts/fetch-corpus.sh [DIR]
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$repo/.cache/corpus}"
packages=(bomberclone-data flobopuyo gemdropx vodovod njam-data ballz-data ceferino-data vor)

mkdir -p "$dir/debs" "$dir/unpacked" "$dir/xm"
dir="$(cd "$dir" && pwd)"

# apt-get download needs package lists; fetch them once when there are none.
if ! apt-cache show "${packages[0]}" >/dev/null 2>&1; then
  apt-get update >/dev/null || echo "fetch-corpus: apt-get update failed; trying with the lists there are" >&2
fi

failed=0
for package in "${packages[@]}"; do
  if ! ls "$dir/debs/${package}"_*.deb >/dev/null 2>&1; then
    if ! (cd "$dir/debs" && apt-get download "$package" >/dev/null 2>&1); then
      echo "fetch-corpus: could not download $package" >&2
      failed=1
      continue
    fi
  fi
  deb="$(ls "$dir/debs/${package}"_*.deb | head -n 1)"
  rm -rf "$dir/unpacked/$package"
  dpkg -x "$deb" "$dir/unpacked/$package"
  # Names are prefixed with the package so that modules of the same name stay apart.
  while IFS= read -r -d '' module; do
    cp "$module" "$dir/xm/${package}__$(basename "$module")"
  done < <(find "$dir/unpacked/$package" -type f -iname '*.xm' -print0)
done

count="$(find "$dir/xm" -type f | wc -l)"
echo "fetch-corpus: $count modules in $dir/xm"
exit "$failed"
