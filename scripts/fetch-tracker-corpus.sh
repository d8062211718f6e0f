#!/usr/bin/env bash
# Collects the MOD and S3M modules of Debian's packages into DIR/mod/ and
# DIR/s3m/ (default DIR: /work/extra), as the reference material the MOD and
# S3M loaders are compared on (bench/compare-with-peers.sh). The package list
# is every package whose file list holds a *.mod or *.s3m file under a games,
# sound or music folder (apt-file search -x '\.(mod|MOD|s3m|S3M)$', less the
# compiler modules, boot loader modules and 3-D models that share the ending).
# Usage: scripts/fetch-tracker-corpus.sh [DIR]
set -euo pipefail

dir="${1:-/work/extra}"
packages=(bb bomberclone-data bugsquish circuslinux-data clanlib-doc freedroid-data gambas3-examples gemdropx
  gl-117-data gweled ironseed-data libplib-doc madbomber-data monsterz-data njam-data open-invaders-data
  pachi-data pathogen penguin-command pingus-data rafkill-data ri-li-data rockdodger sdlbasic tecnoballz-data
  tuxmath-data tuxtype-data vectoroids)

mkdir -p "$dir/debs" "$dir/unpacked-tracker" "$dir/mod" "$dir/s3m"
dir="$(cd "$dir" && pwd)"

if ! apt-cache show "${packages[0]}" >/dev/null 2>&1; then
  apt-get update >/dev/null || echo "fetch-tracker-corpus: apt-get update failed; trying with the lists there are" >&2
fi

failed=0
for package in "${packages[@]}"; do
  if ! ls "$dir/debs/${package}"_*.deb >/dev/null 2>&1; then
    if ! (cd "$dir/debs" && apt-get download "$package" >/dev/null 2>&1); then
      echo "fetch-tracker-corpus: could not download $package" >&2
      failed=1
      continue
    fi
  fi
  deb="$(ls "$dir/debs/${package}"_*.deb | head -n 1)"
  rm -rf "$dir/unpacked-tracker/$package"
  dpkg -x "$deb" "$dir/unpacked-tracker/$package"
  # Names are prefixed with the package so that modules of the same name stay apart.
  while IFS= read -r -d '' module; do
    case "${module,,}" in
      *.mod) cp "$module" "$dir/mod/${package}__$(basename "$module")" ;;
      *.s3m) cp "$module" "$dir/s3m/${package}__$(basename "$module")" ;;
    esac
  done < <(find "$dir/unpacked-tracker/$package" -type f \( -iname '*.mod' -o -iname '*.s3m' \) -print0)
done

echo "fetch-tracker-corpus: $(find "$dir/mod" -type f | wc -l) MOD and $(find "$dir/s3m" -type f | wc -l) S3M modules in $dir"
exit "$failed"
