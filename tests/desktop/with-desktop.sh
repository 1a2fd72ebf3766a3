#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the desktop tests (the test binary, $1 after the options) on a display
# of their own with a window manager and a private sound server, as a user's
# desktop would run the program:
#
#   with-desktop.sh [--scale N] [--compositor | --xwayland] TEST_BINARY [GTEST ARGS...]
#
# --scale N      the program runs with QT_SCALE_FACTOR=N (1.25, 1.5, 2...; the
#                screen grows to fit)
# --compositor   a compositing manager (xcompmgr) runs beside openbox
# --xwayland     instead of Xvfb and openbox: Xwayland under weston's headless
#                compositor, whose own X window manager places and frames the
#                windows, as on a Wayland desktop without Qt's Wayland plug-in
#
# Where a server is not installed, the run fails under CI (CI=true) and is
# skipped elsewhere (exit code 77, "skipped" in CTest). An installed display
# server that does not start fails the run everywhere.
set -euo pipefail
scale=1 compositor=false xwayland=false
while [ $# -gt 0 ]; do
  case "$1" in
    --scale) scale=$2; shift 2 ;;
    --compositor) compositor=true; shift ;;
    --xwayland) xwayland=true; shift ;;
    *) break ;;
  esac
done
test_binary=$1
shift
source "$(dirname "$0")/../../scripts/lib/sound-server.sh"
source "$(dirname "$0")/../../scripts/lib/x-server.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-desktop-XXXXXX")
cleanup() {
  stop_sound_server
  stop_x_server
  rm -rf "$work"
}
trap cleanup EXIT

unavailable() {
  [ "${CI:-}" = true ] && failed "$*"
  echo "desktop: SKIPPED: $*" >&2
  exit 77
}

failed() {
  echo "desktop: FAILED: $*" >&2
  tail -n 20 "$work"/display/*.log >&2 2>/dev/null || true
  exit 1
}

tools=(xdotool xwininfo xprop xmessage)
if $xwayland; then
  tools+=(weston Xwayland)
else
  tools+=(Xvfb openbox)
  $compositor && tools+=(xcompmgr)
fi
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || unavailable "$tool is missing (see docs/testing.md, \"Desktop tests\")"
done

# A screen large enough for the main window at the chosen scale.
size=$(awk -v s="$scale" 'BEGIN { printf "%dx%d", 1024 * s, 768 * s }')
if $xwayland; then
  start_weston "$work/display" "$size" --xwayland || failed "weston with Xwayland did not start"
else
  options=(--window-manager)
  $compositor && options+=(--compositor)
  start_x_server "$work/display" "$size" "${options[@]}" || failed "the X server did not start"
fi

start_sound_server "$work/pulse" || unavailable "the private sound server did not start"

export LMX_DESKTOP_SCALE=$scale LMX_DESKTOP_COMPOSITOR=$compositor LMX_DESKTOP_XWAYLAND=$xwayland LMX_DESKTOP_WORK=$work
export LMX_DESKTOP_SHOTS=${LMX_DESKTOP_SHOTS:-$PWD/desktop-shots}
mkdir -p "$LMX_DESKTOP_SHOTS"
unset QT_SCALE_FACTOR QT_QPA_PLATFORM WAYLAND_DISPLAY  # the test itself sees the X screen as it is
status=0
QT_QPA_PLATFORM=xcb timeout 280 "$test_binary" "$@" || status=$?
if [ $status -ne 0 ]; then
  echo "desktop: FAILED (exit $status); screenshots in $LMX_DESKTOP_SHOTS" >&2
  tail -n 20 "$work"/lmx-*.log 2>/dev/null >&2 || true
fi
exit $status
