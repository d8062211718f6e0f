#!/usr/bin/env bash
# Makes sure the Debian packages Zumbrik needs are installed.
# Usage: scripts/setup.sh PACKAGE...   (each script passes the packages it needs)
# As root it installs what is missing; otherwise it names the packages and stops.
set -euo pipefail

missing=()
for pkg in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Zumbrik needs these Debian packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]} (this can take a few minutes)"
export DEBIAN_FRONTEND=noninteractive
# Another install in progress holds the package lock: wait for it rather than fail.
apt-get -o DPkg::Lock::Timeout=300 update -qq
apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
