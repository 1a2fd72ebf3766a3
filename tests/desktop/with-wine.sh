#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the desktop tests against the Windows build under Wine:
#
#   with-wine.sh [--scale N] WINDOWS_BUILD_FOLDER TEST_BINARY [GTEST ARGS...]
#
# --scale N   the display's scale as Windows keeps it (LogPixels, 96 dots per
#             inch times N), which Qt follows
# The program is WINDOWS_BUILD_FOLDER/app/lmx.exe, run by `wine` with the Qt
# DLLs found through the build's WINEPATH, on with-desktop.sh's X server and
# sound server (Wine's audio reaches it through PULSE_SERVER). Its Wine
# prefix, with the fonts of a Windows PC (scripts/lib/wine.sh), is made for
# this run alone, so that no other Windows test shares its registry key; the
# test reads the registry with `wine reg` in the same prefix. Without that
# build the run is skipped (exit code 77), unless LMX_REQUIRE_WINDOWS=1 asks
# for it.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/build.sh"
source "$(dirname "$0")/../../scripts/lib/wine.sh"
scale=1
if [ "${1:-}" = --scale ]; then
  scale=$2
  shift 2
fi
build=$(realpath -m "$1")
shift
program=$build/app/lmx.exe
missing() {
  if [ "${LMX_REQUIRE_WINDOWS:-}" = 1 ]; then
    echo "desktop (Wine): FAILED: $*" >&2
    exit 1
  fi
  echo "desktop (Wine): SKIPPED: $*" >&2
  exit 77
}
[ -f "$program" ] || missing "no Windows build in $build (bash scripts/windows-build.sh)"
command -v wine >/dev/null || missing "wine is missing"
WINEPATH=$(build_setting "$build" LMX_WINEPATH)
[ -n "$WINEPATH" ] || missing "the build in $build names no WINEPATH (configure it with its tests)"
export WINEPATH

prefix=$(mktemp -d "${TMPDIR:-/tmp}/lmx-wine-XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
# Made before the X server exists: Wine's first start then opens no window.
(unset DISPLAY; prepare_wine_prefix) || missing "Wine could not make a prefix"
dpi=$(awk -v s="$scale" 'BEGIN { printf "%d", 96 * s + 0.5 }')
if [ "$dpi" != 96 ]; then
  (unset DISPLAY; wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f && wineserver --wait) \
    </dev/null >/dev/null 2>&1 || missing "Wine did not take the display scale"
fi

export LMX_DESKTOP_PROGRAM="wine \"$program\""
status=0
# Windows composes its windows (and Wine keeps each window's picture): a
# covered window is not repainted, as with with-desktop.sh's compositor.
bash "$(dirname "$0")/with-desktop.sh" --scale "$scale" --compositor "$@" || status=$?
exit $status
