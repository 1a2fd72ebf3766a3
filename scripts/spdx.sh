#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The project's licence identifier at the top of every C++ source and header
# ("// SPDX-License-Identifier: GPL-3.0-or-later" as the first line), shell
# script and CMake file ("# ..." as the first line, after the "#!" line of a
# script), among the files git tracks or would track:
#
#   bash scripts/spdx.sh           adds the line where it is missing (again: no change)
#   bash scripts/spdx.sh --check   names the files without it and fails if there are any
set -euo pipefail
cd "$(dirname "$0")/.."
identifier="SPDX-License-Identifier: GPL-3.0-or-later"

check=false
case "${1:-}" in
  "") ;;
  --check) check=true ;;
  *) echo "usage: bash scripts/spdx.sh [--check]" >&2; exit 2 ;;
esac

lacking=0 files=0
while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue  # deleted, not yet committed
  first=$(head -n 1 "$file" | tr -d '\0')
  case "$file" in
    *.cpp | *.h | *.h.in) line="// $identifier" ;;
    *.sh | CMakeLists.txt | */CMakeLists.txt | *.cmake) line="# $identifier" ;;
    *)
      # Scripts without the ending, such as .ci/run.
      [[ $first =~ ^#!.*[/\ ](ba|da)?sh([[:space:]]|$) ]] || continue
      line="# $identifier"
      ;;
  esac
  files=$((files + 1))
  # Its place: line 1, or line 2 under a "#!" line.
  place=1
  [[ $first == '#!'* ]] && place=2
  [ "$(sed -n "${place}p" "$file")" = "$line" ] && continue
  lacking=$((lacking + 1))
  if $check; then
    echo "spdx: $file lacks \"$line\" as line $place" >&2
  elif [ ! -s "$file" ]; then
    printf '%s\n' "$line" >"$file"
  elif [ $place -eq 2 ]; then
    sed -i "1a\\$line" "$file"
  else
    sed -i "1i\\$line" "$file"
  fi
done < <(git ls-files -z --cached --others --exclude-standard)

if $check; then
  [ $lacking -eq 0 ] || { echo "spdx: $lacking of $files files lack the licence line; bash scripts/spdx.sh adds it" >&2; exit 1; }
  echo "spdx: all $files files carry the licence line"
else
  echo "spdx: added the licence line to $lacking of $files files"
fi
