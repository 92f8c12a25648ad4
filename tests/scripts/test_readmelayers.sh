#!/usr/bin/env bash
# The README's source layout table says what scripts/check-layers checks, and
# the check names every folder whose "may use" column says otherwise.
#   test_readmelayers.sh SOURCE_DIR
set -uo pipefail
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fails=0
check() { if eval "$2"; then echo "PASS: $1"; else echo "FAIL: $1"; fails=$((fails + 1)); fi; }

"$src/scripts/check-layers" "$src" --readme "$src/README.md" > "$tmp/out"; rc=$?
cat "$tmp/out"
check "the README's table matches the layers" '[ "$rc" = 0 ]'

# sites/ said to use engine/, shell/ said to use no folder, app/ left out.
sed -e '/^| `sites\/` |/s/`base\/`, /`base\/`, `engine\/`, /' \
    -e '/^| `shell\/` |/s/|[^|]*|$/| the folders above |/' \
    -e '/^| `app\/` |/d' "$src/README.md" > "$tmp/README.md"
"$src/scripts/check-layers" "$src" --readme "$tmp/README.md" > "$tmp/out"; rc=$?
cat "$tmp/out"
check "a table that disagrees fails" '[ "$rc" = 1 ]'
check "sites/ named" 'grep -q "sites/ may use base/, campaign/, platform/, software/, web/, the table says base/, campaign/, engine/" "$tmp/out"'
check "shell/ named" 'grep -q "shell/ may use .*, the table says no folder" "$tmp/out"'
check "the missing row named" 'grep -q "no row for app/" "$tmp/out"'
[ "$fails" = 0 ]
