#!/usr/bin/env bash
# Checks the layering of the product folders and prints their include graph:
#   - no include cycle between folders,
#   - no platform conditional above the seam (game/, console/, model/, player/),
#   - no clock in the drawing: console/ never includes platform/clock.h (the
#     rules time the effects),
#   - no product source file over 450 lines (tests/, bench/, fuzz/ are not product).
# Folders are the top-level product folders; each subfolder of platform/ is a
# folder of its own, its top level being the seam, and so is each concern of
# the player (player/song, player/engine, ...). Exits 1 on any finding.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

product_folders=(app game console model player platform resources library web)
portable_folders=(game console model player)
max_lines=450

# The folder a path belongs to: platform/<sub>/... is platform/<sub>, and
# player/<concern>/... is player/<concern>.
folder_of() {
  case $1 in
    platform/*/*) local rest=${1#platform/}; printf 'platform/%s' "${rest%%/*}" ;;
    player/*/*) local rest=${1#player/}; printf 'player/%s' "${rest%%/*}" ;;
    *) printf '%s' "${1%%/*}" ;;
  esac
}

sources=()
for dir in "${product_folders[@]}"; do
  [[ -d $dir ]] || continue
  while IFS= read -r file; do sources+=("$file"); done < <(
    find "$dir" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \) | LC_ALL=C sort)
done

failed=0
fail() { printf 'check-layers: %s\n' "$1"; failed=1; }

# Edges "from to", one per folder pair.
edges=$(
  for file in "${sources[@]}"; do
    from=$(folder_of "$file")
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file" |
      while IFS= read -r included; do
        to=$(folder_of "$included")
        [[ $to != "$from" ]] && printf '%s %s\n' "$from" "$to"
      done
  done | LC_ALL=C sort -u)

echo "Folder graph (folder: the folders it includes)"
for file in "${sources[@]}"; do folder_of "$file"; echo; done | LC_ALL=C sort -u |
  while IFS= read -r folder; do
    targets=$(awk -v f="$folder" '$1 == f { printf " %s", $2 }' <<<"$edges")
    printf '  %-24s ->%s\n' "$folder" "${targets:- (nothing)}"
  done

# tsort names the members of every loop it meets on standard error.
if ! loop=$(tsort <<<"$edges" 2>&1 >/dev/null) || [[ -n $loop ]]; then
  members=$(sed -n 's/^tsort: \([^:]*\)$/\1/p' <<<"$loop" | grep -v 'input contains a loop' | tr '\n' ' ')
  fail "include cycle between folders: ${members:-$loop}"
fi

for dir in "${portable_folders[@]}"; do
  [[ -d $dir ]] || continue
  while IFS= read -r hit; do
    fail "platform conditional above the seam: $hit"
  done < <(grep -rnE --include='*.cpp' --include='*.h' --include='*.inc' \
    '^[[:space:]]*#[[:space:]]*(if|ifdef|ifndef|elif)\b.*(_WIN32|_WIN64|__linux__|__MINGW|__APPLE__|__unix__|__CYGWIN__)' \
    "$dir" || true)
done

while IFS= read -r hit; do
  fail "drawing must not wait, the rules time it: $hit"
done < <(grep -rn '#[[:space:]]*include[[:space:]]*"platform/clock\.h"' console 2>/dev/null || true)

largest_lines=0
largest_file=
for file in "${sources[@]}"; do
  lines=$(wc -l <"$file")
  (( lines > largest_lines )) && { largest_lines=$lines; largest_file=$file; }
  (( lines > max_lines )) && fail "$file has $lines lines (at most $max_lines)"
done
printf 'Largest product file: %s (%d lines)\n' "$largest_file" "$largest_lines"

# Functions are defined at namespace level: a signature from the left margin
# (over one line or more) ending in "{", the body up to the "}" at the margin.
awk '
  FNR == 1 { start = 0; pending = 0 }
  !start && /^[A-Za-z_]/ && !/^(namespace|struct|class|enum|union|extern|using|template|typedef)/ {
    pending = FNR; name = $0; sub(/\(.*/, "", name); sub(/.*[ *&:]/, "", name)
  }
  !start && pending && /;$/ { pending = 0 }
  !start && pending && /\{$/ { start = pending; pending = 0; next }
  start && /^}/ {
    lines = FNR - start + 1
    if (lines > best) { best = lines; where = FILENAME ": " name }
    start = 0
  }
  END { if (best) printf "Largest function: %s (%d lines)\n", where, best }
' $(printf '%s\n' "${sources[@]}" | grep '\.cpp$')

if (( failed )); then
  echo "check-layers: FAILED"
  exit 1
fi
echo "check-layers: OK"
