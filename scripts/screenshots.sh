#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the pictures of README.md and docs/demo.md of the real program on a
# virtual display (Xvfb), fed by our generator through a private sound
# server, with xdotool giving the commands:
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
source scripts/lib/x-server.sh

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
program=
cleanup() {
  stop_signal
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  stop_sound_server
  stop_x_server
  rm -rf "$work"
}
trap cleanup EXIT

step() { echo "screenshots: $*"; }
fail() { echo "screenshots: $*" >&2; exit 1; }

# A virtual display of its own, without a window manager: the pictures show
# the window's inside only.
start_x_server "$work/x" 1024x768 || fail "no virtual display"

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
eval "$(xdotool getwindowgeometry --shell "$window")"
top=$((HEIGHT - 566))  # the client area's top, under the menu bar

# How many pure red pixels (the trace's colour) the window shows in the
# client area's rectangle WIDTHxHEIGHT+X+Y.
red_pixels() {
  local size=$1 x=$2 y=$3
  import -window "$window" -crop "$size+$x+$((top + y))" +repage -depth 8 txt:- 2>/dev/null | grep -c '#FF0000' || true
}
painted() {
  import -window "$window" -crop "1x1+400+$((top + 300))" -depth 8 txt:- 2>/dev/null | grep '#FFFFFF' >/dev/null
}
windows_shown() { xdotool search --onlyvisible --pid "$program" 2>/dev/null | wc -l; }
wait_until 20 painted || fail "the main window was not painted"
shown=$(windows_shown)
menu_open() { [ "$(windows_shown)" -gt "$shown" ]; }
menu_closed() { [ "$(windows_shown)" -le "$shown" ]; }

# Menu commands by keyboard: Alt+S opens "Spectrum", the key chooses the
# command and closes the menu.
menu() {
  xdotool key --clearmodifiers alt+s
  wait_until 20 menu_open || fail "the Spectrum menu did not open"
  xdotool key "$1"
  wait_until 20 menu_closed || fail "the Spectrum menu did not close"
}
shot() { import -window "$window" -strip "$1"; }
# The top left corner (menu bar, Start and Stop) looks the same whenever no
# recording runs.
corner() { import -window "$window" -crop 60x48+0+0 -strip rgb:- | md5sum; }
idle=$(corner)
wait_until_idle() { wait_until "$1" is_idle || fail "the recording did not end"; }
is_idle() { [ "$(corner)" = "$idle" ]; }
is_busy() { [ "$(corner)" != "$idle" ]; }
recording() { wait_until 20 is_busy || fail "the recording did not start"; }
playing() { [ -n "$(pactl list short sink-inputs 2>/dev/null)" ]; }
# The lamp's light reaches the upper part of the drawing area (the monitor's
# trace of a dark input stays at its bottom half).
lamp_shown() { [ "$(red_pixels 800x100 0 52)" -gt 0 ]; }
# The scan's curve has reached point N (one pixel per point from x = 30).
scanned_to() { [ "$(red_pixels 1x450 $((30 + $1)) 52)" -gt 0 ]; }

step "monitor"
play_signal "$generator" lamp --lead-in 0 --hold 4047
wait_until 20 playing || fail "the generator does not play"
menu s  # Start, with "Input signal" checked
wait_until 30 lamp_shown || fail "the monitor shows no lamp light"
mkdir -p docs
shot docs/screenshot-monitor.png
menu t  # Stop
wait_until_idle 30

step "scan"
menu i  # uncheck "Input signal"
if $full; then
  play_signal "$generator" lamp --lead-in 0
  wait_until 20 playing || fail "the generator does not play"
  menu s
  recording
  step "waiting for the whole scan (about 18 minutes)"
  wait_until_idle 1400
else
  play_signal "$generator" lamp --lead-in 0 --sweep-seconds 84 --line-width 150
  wait_until 20 playing || fail "the generator does not play"
  menu s
  recording
  # The generator's sweep fills the first 60 points (84 s); stopped a little after.
  wait_until 180 scanned_to 62 || fail "the scan did not reach point 62"
  menu t
  wait_until_idle 30
fi
shot docs/screenshot-scan.png
step "wrote docs/screenshot-monitor.png and docs/screenshot-scan.png"
