#!/usr/bin/env bash
# Re-blesses the golden renders (tests/player/golden_renders.txt) from the
# player as it is now, and prints the cases whose render changed. Commit the
# new table together with the change of behaviour that moved it.
# ZUMBRIK_BUILD_DIR picks the build folder (default: build-tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZUMBRIK_BUILD_DIR:-$root/build-tests}
table=$root/tests/player/golden_renders.txt
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target golden_render_test >/dev/null
fresh=$(mktemp)
trap 'rm -f "$fresh"' EXIT
ZUMBRIK_BLESS_GOLDEN="$fresh" "$build/tests/player/golden_render_test" \
  --gtest_filter=GoldenRenders.EveryCaseRendersItsBlessedSamples >/dev/null
# One line per case (name and everything blessed for it), to compare by name.
flatten() { [ -f "$1" ] || return 0; awk '/^case /{if(c)print c; c=$0; next} /^#/{next} {c=c" "$0} END{if(c)print c}' "$1"; }
changed=0
while read -r name; do
  old=$(flatten "$table" | awk -v n="$name" '$2==n' || true)
  new=$(flatten "$fresh" | awk -v n="$name" '$2==n' || true)
  if [ -z "$old" ]; then echo "added:   $name"; changed=$((changed + 1))
  elif [ -z "$new" ]; then echo "removed: $name"; changed=$((changed + 1))
  elif [ "$old" != "$new" ]; then echo "changed: $name"; changed=$((changed + 1)); fi
done < <({ flatten "$table"; flatten "$fresh"; } | awk '{print $2}' | sort -u)
cp "$fresh" "$table"
echo "$changed case(s) changed; $(grep -c '^case ' "$table") in $table"
