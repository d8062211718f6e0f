#!/usr/bin/env bash
# Builds the Debian package of Zumbrik (game, tool, manual pages, desktop
# entry, icon, player library and its development files) and the Windows zip
# (the two .exe files and how to start them). Prints the .deb's path last.
#   ZUMBRIK_PACKAGE_DIR          build folder of the .deb (default: build-package)
#   ZUMBRIK_WINDOWS_BUILD_DIR    the Windows build folder (default: build-windows,
#                                the one scripts/windows-ci.sh builds)
#   ZUMBRIK_PACKAGE_WINDOWS=0    leaves the zip out
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
bash "$root/scripts/setup.sh" "${PACKAGE_PACKAGES[@]}" >&2

build=${ZUMBRIK_PACKAGE_DIR:-$root/build-package}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DZUMBRIK_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/zumbrik_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/zumbrik_*.deb)

if [[ ${ZUMBRIK_PACKAGE_WINDOWS:-1} != 0 ]]; then
  windows=${ZUMBRIK_WINDOWS_BUILD_DIR:-$root/build-windows}
  cmake -S "$root" -B "$windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$windows" -j"$(nproc)" --target zumbrik zumbrik-xm
  version=$(sed -n 's/^#define ZUMBRIK_VERSION "\(.*\)"$/\1/p' "$build/generated/zumbrik/version.h")
  folder=$build/zumbrik-$version-windows
  rm -rf "$folder" "$folder.zip"
  mkdir -p "$folder"
  cp "$windows/app/zumbrik.exe" "$windows/app/xm_tool/zumbrik-xm.exe" "$folder/"
  # Windows editors want CR LF.
  sed "s/@PROJECT_VERSION@/$version/; s/\$/\r/" "$root/share/README-windows.txt" >"$folder/README-windows.txt"
  (cd "$build" && zip -q -r "$folder.zip" "$(basename "$folder")")
  printf 'Windows zip: %s (%d bytes)\n' "$folder.zip" "$(stat -c %s "$folder.zip")"
fi

printf 'Debian package: %d bytes\n' "$(stat -c %s "$deb")"
# Depends comes from dpkg-shlibdeps; ALSA, opened at the first play, is declared by hand.
for field in Depends Recommends; do printf '  %s: %s\n' "$field" "$(dpkg-deb -f "$deb" "$field")"; done
echo "$deb"
