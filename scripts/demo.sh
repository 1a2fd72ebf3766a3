#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries the program without a spectrometer or a sound card: starts a private
# sound server, plays our generator's chopped mercury lamp into it and starts
# the program on the server's input.
#
#   bash scripts/demo.sh           a whole scan: the sweep takes 17.5 minutes
#   bash scripts/demo.sh --quick   the sweep takes 84 s (the first 60 points)
#
# The demo keeps its settings in a temporary folder: your own settings, and
# the zero level measured for your sound card, are not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
source scripts/lib/sound-server.sh

sweep=(--sweep-seconds 1050)
case "${1:-}" in
  "") ;;
  --quick) sweep=(--sweep-seconds 84 --line-width 150) ;;
  *) echo "usage: bash scripts/demo.sh [--quick]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
ensure_sound_server_packages
BUILD_DIR=build
bash scripts/build.sh >/dev/null
generator=$BUILD_DIR/tools/lmx-signal

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-demo-XXXXXX")
program=
cleanup() {
  stop_signal
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  stop_sound_server
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_sound_server "$work/pulse" || { echo "demo: the private sound server did not start" >&2; exit 1; }
export XDG_CONFIG_HOME=$work/config

program_input_is_server "$BUILD_DIR/tools/lmx-input" || exit 1

"$BUILD_DIR/app/lmx" &
program=$!
# The first start measures the zero level: the lamp is off meanwhile.
wait_for_calibration "$XDG_CONFIG_HOME/lmx/settings.reg" || true
play_signal "$generator" lamp --lead-in 0 --hold 4047

cat <<TEXT

Spectrometer LMX demo: a mercury lamp behind a light chopper (270 Hz).
 - Monitor: Start with "Spectrum > Input signal" checked shows the chopped
   detector signal. The demo spectrometer stands at the 4047 angstrom line.
 - Scan: uncheck "Input signal", press Start in the program and Enter here at
   the same moment: the demo spectrometer sweeps from 1000 to 5000 angstrom
   in ${sweep[1]} s (the program's default range).
   Enter again restarts the sweep; "h" and Enter goes back to the line.
 - Close the program to end the demo.
TEXT

while kill -0 "$program" 2>/dev/null; do
  if [ -t 0 ] && read -r -t 1 answer; then
    if [ "$answer" = h ]; then
      play_signal "$generator" lamp --lead-in 0 --hold 4047
      echo "demo: at the 4047 angstrom line"
    else
      play_signal "$generator" lamp --lead-in 0 "${sweep[@]}"
      echo "demo: sweep started"
    fi
  elif [ ! -t 0 ]; then
    sleep 1
  fi
done
wait "$program" || true
program=
