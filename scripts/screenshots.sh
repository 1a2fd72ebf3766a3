#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's pictures of the real program on a virtual display (Xvfb),
# fed by our generator through a private sound server, with xdotool giving
# the commands:
#   docs/screenshot-monitor.png  the input-signal monitor at a mercury line
#   docs/screenshot-scan.png     the main window after a scan
#
#   bash scripts/screenshots.sh          the scan is stopped after 90 s; the
#                                        generator squeezes the lamp's spectrum
#                                        into its first 60 points (2 minutes)
#   bash scripts/screenshots.sh --full   a whole scan (about 19 minutes)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
source scripts/lib/sound-server.sh

full=false
case "${1:-}" in
  "") ;;
  --full) full=true ;;
  *) echo "usage: bash scripts/screenshots.sh [--full]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
ensure_sound_server_packages
ensure_packages xvfb xdotool x11-utils imagemagick
BUILD_DIR=build
bash scripts/build.sh >/dev/null
generator=$BUILD_DIR/tools/lmx-signal

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-screenshots-XXXXXX")
xvfb= program=
cleanup() {
  stop_signal
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  stop_sound_server
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

step() { echo "screenshots: $*"; }

# A virtual display of its own; Xvfb picks a free number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "screenshots: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$work/display")

start_sound_server "$work/pulse" || { echo "screenshots: the private sound server did not start" >&2; exit 1; }
export XDG_CONFIG_HOME=$work/config  # default settings; yours stay untouched
program_input_is_server "$BUILD_DIR/tools/lmx-input" || exit 1

step "starting the program"
QT_QPA_PLATFORM=xcb "$BUILD_DIR/app/lmx" >"$work/lmx.log" 2>&1 &
program=$!
wait_for_calibration "$XDG_CONFIG_HOME/lmx/settings.reg" 20 || { echo "screenshots: no calibration" >&2; exit 1; }
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ Spectrometer LMX$' | head -1)
# Without a window manager nobody applies the window's fixed size: do it here.
size=$(xprop -id "$window" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
[ -n "$size" ] && xdotool windowsize --sync "$window" $size
xdotool windowfocus --sync "$window"
sleep 0.5

# Menu commands by keyboard: Alt+S opens "Spectrum".
menu() {
  xdotool key --clearmodifiers alt+s
  sleep 0.4
  xdotool key "$1"
  sleep 0.4
}
shot() { import -window "$window" -strip "$1"; }
# The top left corner (menu bar, Start and Stop) looks the same whenever no
# recording runs.
corner() { import -window "$window" -crop 60x48+0+0 -strip rgb:- | md5sum; }
idle=$(corner)
wait_until_idle() {
  local limit=$1 waited=0
  until [ "$(corner)" = "$idle" ]; do
    sleep 5
    waited=$((waited + 5))
    [ $waited -lt "$limit" ] || { echo "screenshots: the recording did not end" >&2; exit 1; }
  done
}

step "monitor"
play_signal "$generator" lamp --lead-in 0 --hold 4047
sleep 1
menu s  # Start, with "Input signal" checked
sleep 3
mkdir -p docs
shot docs/screenshot-monitor.png
menu t  # Stop
wait_until_idle 30

step "scan"
menu i  # uncheck "Input signal"
if $full; then
  play_signal "$generator" lamp --lead-in 0
  menu s
  step "waiting for the whole scan (about 18 minutes)"
  sleep 1050
  wait_until_idle 300
else
  play_signal "$generator" lamp --lead-in 0 --sweep-seconds 84 --line-width 150
  menu s
  sleep 90
  menu t
  wait_until_idle 30
fi
shot docs/screenshot-scan.png
step "wrote docs/screenshot-monitor.png and docs/screenshot-scan.png"
