#!/usr/bin/env bash
# Installs the Debian package on this machine and checks it as a user of it
# would meet it: the programs from PATH, the manual pages and the desktop
# entry, the examples built against the installed library with pkg-config
# (shared, and wholly static with --static) and with find_package: the
# offline renderer run on the theme without needing ALSA, the background
# player's results on an output that does not exist and a play on ALSA's
# null output; then purges the package and checks that none of its files is
# left. Needs root (it installs and removes).
#   scripts/check-installed.sh PATH/TO/zumbrik_VERSION_ARCH.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "$1")
source "$root/scripts/packages.sh"
bash "$root/scripts/setup.sh" "${INSTALLED_PACKAGES[@]}"

work=$(mktemp -d)
# A failed check leaves no package behind either.
cleanup() {
  if dpkg-query -W -f='${Status}' zumbrik 2>/dev/null | grep -q 'ok installed'; then
    apt-get purge -y -qq zumbrik >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
dpkg-query -L zumbrik | LC_ALL=C sort >"$work/files"

# Debian puts /usr/games on the PATH of its users, not always on root's.
[[ :$PATH: == *:/usr/games:* ]] || PATH=$PATH:/usr/games
for program in zumbrik zumbrik-xm; do
  version=$("$program" --version)
  echo "$(command -v "$program"): $version"
done

for page in /usr/share/man/man6/zumbrik.6.gz /usr/share/man/man1/zumbrik-xm.1.gz; do
  # -ww: every groff warning; the page must also render through man.
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [[ -z $warnings ]] || { echo "$page: $warnings"; exit 1; }
  MANWIDTH=80 man -l "$page" >/dev/null
done
desktop-file-validate /usr/share/applications/zumbrik.desktop

# ALSA is opened at the first play, so dpkg-shlibdeps cannot see it: the package names it itself.
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ $recommends == *libasound2* ]] || { echo "the package does not recommend ALSA's library ($recommends)"; exit 1; }
echo "Recommends: $recommends"

# The examples, built against the installed files only, every way.
cc -std=c99 -Wall -Wextra -Werror "$root/examples/render_wav.c" -o "$work/render_wav_pkgconfig" \
  $(pkg-config --cflags --libs zumbrik-player)
cmake -S "$root/examples" -B "$work/example" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/example" >/dev/null
for program in "$work/render_wav_pkgconfig" "$work/example/render_wav"; do
  library=$(ldd "$program" | awk '/libzumbrik-player/ { print $3 }')
  installed=$(grep '/libzumbrik-player\.so\.[0-9.]*$' "$work/files" | tail -n1)
  [[ -n $library && $(realpath "$library") == $(realpath "$installed") ]] ||
    { echo "$program does not use the installed library ($library)"; exit 1; }
  # A program that only renders needs no sound library.
  if ldd "$program" | grep -q libasound; then
    echo "$program depends on ALSA:"; ldd "$program"; exit 1
  fi
  echo "$(basename "$program") with $library:"
  ldd "$program" | sed 's/^/  /'
  (cd "$work" && "$program" "$root/resources/theme.xm" "$(basename "$program").wav")
done
cmp "$work/render_wav_pkgconfig.wav" "$work/render_wav.wav"

# Wholly static, from what pkg-config --static says the static library needs.
# (glibc warns that a static program's dlopen wants its own glibc at run
# time: the library only opens ALSA when a song plays.)
if ! cc -std=c99 -static "$root/examples/render_wav.c" -o "$work/render_wav_static" \
  $(pkg-config --cflags --libs --static zumbrik-player) 2>"$work/static.log"; then
  cat "$work/static.log"; echo "the static link with pkg-config --static failed"; exit 1
fi
[[ $(ldd "$work/render_wav_static" 2>&1 || true) == *'not a dynamic executable'* ]] ||
  { echo "render_wav_static is not static"; exit 1; }
echo "render_wav_static, linked with $(pkg-config --libs --static zumbrik-player) -static:"
(cd "$work" && ./render_wav_static "$root/resources/theme.xm" render_wav_static.wav)
cmp "$work/render_wav.wav" "$work/render_wav_static.wav"

# The background player tells a module that does not load from an output
# that does not open (status 1 and 3), and plays on ALSA's null output.
player=$work/example/play_once
status=0; "$player" "$root/README.md" null || status=$?
(( status == 1 )) || { echo "play_once on a text file: status $status, not 1"; exit 1; }
status=0; "$player" "$root/resources/theme.xm" zumbrik_no_such_pcm || status=$?
(( status == 3 )) || { echo "play_once on a missing output: status $status, not 3"; exit 1; }
"$player" "$root/resources/theme.xm" null 1.5

apt-get purge -y -qq zumbrik >/dev/null
left=0
while IFS= read -r path; do
  # Directories the system shares (/usr/share/man, ...) stay; ours must go.
  if [[ -d $path && ! -L $path ]]; then
    [[ $path == *zumbrik* || $path == *Zumbrik* ]] && { echo "left behind: $path/"; left=1; }
  elif [[ -e $path || -L $path ]]; then
    echo "left behind: $path"
    left=1
  fi
done <"$work/files"
(( left == 0 )) || exit 1
echo "purged: none of the package's $(wc -l <"$work/files") paths is left"
