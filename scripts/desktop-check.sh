#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the program into a temporary prefix with `cmake --install` and
# checks its desktop integration: the binary under bin/, the launcher, the
# icons and the AppStream description where desktops look for them, each
# accepted by desktop-file-validate and appstreamcli.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
bash scripts/install-deps.sh
ensure_packages desktop-file-utils appstream
BUILD_DIR=build
bash scripts/build.sh "$@" >/dev/null

prefix=$(mktemp -d "${TMPDIR:-/tmp}/lmx-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
cmake --install "$BUILD_DIR" --prefix "$prefix" >/dev/null

id=org.spectrometerlmx.lmx
status=0
for f in bin/lmx share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png; do
  if [ ! -s "$prefix/$f" ]; then
    echo "desktop-check: $f was not installed" >&2
    status=1
  fi
done
[ -x "$prefix/bin/lmx" ] || { echo "desktop-check: bin/lmx is not executable" >&2; status=1; }
# The bitmap icon really is 48 by 48 pixels (PNG header: width and height at bytes 16 to 23).
if [ "$(od -An -tx1 -j16 -N8 "$prefix/share/icons/hicolor/48x48/apps/$id.png" | tr -d ' \n')" != 0000003000000030 ]; then
  echo "desktop-check: the 48 px icon is not 48 x 48" >&2
  status=1
fi
desktop-file-validate "$prefix/share/applications/$id.desktop" || status=1
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || status=1
# Launcher, description and icon agree with each other.
appstreamcli validate-tree --no-net "$prefix" || status=1
if [ $status -eq 0 ]; then
  echo "desktop-check: installed files valid"
fi
exit $status
