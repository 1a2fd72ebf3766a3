#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the desktop tests (the test binary, $1 after the options) on a virtual
# X server of their own with the openbox window manager and a private sound
# server, as a user's desktop would run the program:
#
#   with-desktop.sh [--scale N] [--compositor] TEST_BINARY [GTEST ARGS...]
#
# --scale N      the program runs with QT_SCALE_FACTOR=N (the screen grows to fit)
# --compositor   a compositing manager (xcompmgr) runs beside openbox
#
# Where Xvfb, openbox or the sound server cannot start, the run fails under
# CI (CI=true) and is skipped elsewhere (exit code 77, "skipped" in CTest).
set -euo pipefail
scale=1 compositor=false
while [ $# -gt 0 ]; do
  case "$1" in
    --scale) scale=$2; shift 2 ;;
    --compositor) compositor=true; shift ;;
    *) break ;;
  esac
done
test_binary=$1
shift
source "$(dirname "$0")/../../scripts/lib/sound-server.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-desktop-XXXXXX")
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  stop_sound_server
  rm -rf "$work"
}
trap cleanup EXIT

unavailable() {
  if [ "${CI:-}" = true ]; then
    echo "desktop: FAILED: $*" >&2
    exit 1
  fi
  echo "desktop: SKIPPED: $*" >&2
  exit 77
}

for tool in Xvfb openbox xdotool xwininfo xprop xmessage; do
  command -v "$tool" >/dev/null || unavailable "$tool is missing (see README, \"Further checks\")"
done
$compositor && { command -v xcompmgr >/dev/null || unavailable "xcompmgr is missing"; }

# A screen large enough for the main window at the chosen scale.
width=$((1024 * scale)) height=$((768 * scale))
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || unavailable "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The window manager is there once it has named itself on the root window.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || unavailable "openbox did not start"
if $compositor; then
  xcompmgr >"$work/xcompmgr.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xprop -root _NET_WM_CM_S0 >/dev/null 2>&1 && break; sleep 0.1; done
fi

start_sound_server "$work/pulse" || unavailable "the private sound server did not start"

export LMX_DESKTOP_SCALE=$scale LMX_DESKTOP_COMPOSITOR=$compositor LMX_DESKTOP_WORK=$work
export LMX_DESKTOP_SHOTS=${LMX_DESKTOP_SHOTS:-$PWD/desktop-shots}
mkdir -p "$LMX_DESKTOP_SHOTS"
unset QT_SCALE_FACTOR QT_QPA_PLATFORM  # the test itself sees the screen as it is
status=0
QT_QPA_PLATFORM=xcb timeout 280 "$test_binary" "$@" || status=$?
if [ $status -ne 0 ]; then
  echo "desktop: FAILED (exit $status); screenshots in $LMX_DESKTOP_SHOTS" >&2
  tail -n 20 "$work"/lmx-*.log 2>/dev/null >&2 || true
fi
exit $status
