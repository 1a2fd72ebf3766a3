#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a folder of the program includes a header from a folder above
# it in the layer table of docs/source-layout.md ("The layers"): a folder may
# use its own headers and those of the layers below it.
set -euo pipefail
cd "$(dirname "$0")/.."

# Rows of the table: | <layer> | `<folder>/` | ...
declare -A layer
while read -r number folder; do
  layer[$folder]=$number
done < <(sed -n 's/^| \([0-9][0-9]*\) | `\([a-z]*\)\/` |.*/\1 \2/p' docs/source-layout.md)
[ ${#layer[@]} -gt 0 ] || { echo "check-layers: no layer table in docs/source-layout.md" >&2; exit 1; }

# The folder of every header of the program.
declare -A home
for folder in "${!layer[@]}"; do
  for header in "$folder"/*.h "$folder"/*.h.in; do
    [ -e "$header" ] || continue
    name=${header##*/}
    home[${name%.in}]=$folder
  done
done

status=0
for folder in "${!layer[@]}"; do
  for file in "$folder"/*.cpp "$folder"/*.h; do
    [ -e "$file" ] || continue
    while IFS= read -r included; do
      target=${home[$included]:-}
      [ -n "$target" ] || continue  # not one of ours (Qt, the standard library, ...)
      if [ "${layer[$target]}" -gt "${layer[$folder]}" ]; then
        echo "check-layers: $file (layer ${layer[$folder]}, $folder/) includes $included from $target/ (layer ${layer[$target]})" >&2
        status=1
      fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
  done
done
[ $status -eq 0 ] && echo "check-layers: ${#layer[@]} folders, no include from a higher layer"
exit $status
