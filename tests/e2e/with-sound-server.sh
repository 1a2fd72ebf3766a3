#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the measurements against a real sound server: starts a private one,
# runs the test binary against it, and last runs the test that kills the
# server in the middle of a scan.
#
#   with-sound-server.sh ROUTE TEST_BINARY [PLUGIN_DIR | WINE_RUNNER GENERATOR]
#
# ROUTE is the way the samples reach the program:
#   pulseaudio      PulseAudio, through ALSA's "pulse" device
#   pipewire-pulse  PipeWire, through the "pulse" device and pipewire-pulse
#   pipewire-alsa   PipeWire, through the "pipewire" device of pipewire-alsa;
#                   where that package is not installed, its plug-in comes
#                   from PLUGIN_DIR (scripts/lib/packages.sh unpacks it there)
#   wine            PulseAudio, through the wave-input device "PulseAudio" of
#                   Wine's audio driver (winepulse): TEST_BINARY is the Windows
#                   build's, run by WINE_RUNNER (the build's wine-run.sh, which
#                   keeps a Wine prefix of its own) in a French Wine; it plays
#                   its signals with GENERATOR, lmx-signal built for this machine
#
# A sound server that cannot start fails the run under CI (CI=true); elsewhere
# the run is skipped with exit code 77 (CTest reports it as skipped).
set -euo pipefail
route=$1 test_binary=$2 plugin_dir=${3:-} runner=()
source "$(dirname "$0")/../../scripts/lib/sound-server.sh"

cannot() {
  if [ "${CI:-}" = true ]; then
    echo "e2e: FAILED: $1" >&2
    exit 1
  fi
  echo "e2e: SKIPPED: $1" >&2
  exit 77
}

case $route in
  pulseaudio) server=pulseaudio device=pulse ;;
  pipewire-pulse) server=pipewire device=pulse ;;
  pipewire-alsa) server=pipewire device=pipewire ;;
  wine) server=pulseaudio device=PulseAudio runner=("${3:?the Wine runner}") ;;
  *) echo "usage: with-sound-server.sh pulseaudio|pipewire-pulse|pipewire-alsa|wine TEST_BINARY [PLUGIN_DIR | WINE_RUNNER GENERATOR]" >&2; exit 2 ;;
esac
if [ "$route" = wine ]; then
  [ -x "${4:-}" ] || cannot "the generator lmx-signal for this machine is not at ${4:-(no path given)} (scripts/windows-build.sh builds it)"
  command -v wine >/dev/null || cannot "wine is not installed"
fi

# The ALSA devices as a PipeWire desktop has them: where pipewire-alsa is
# installed, its "pipewire" device comes before "pulse" in ALSA's list; the
# unpacked plug-in's configuration is read before ALSA's own for the same order.
pipewire_alsa_installed() { [ -e /etc/alsa/conf.d/50-pipewire.conf ]; }
if [ "$route" = pipewire-alsa ] && ! pipewire_alsa_installed; then
  [ -f "$plugin_dir/alsa.conf" ] || cannot "PipeWire's ALSA plug-in is not in ${plugin_dir:-(no folder given)} (scripts/test.sh puts it there)"
  export ALSA_CONFIG_PATH=$plugin_dir/alsa.conf:${ALSA_CONFIG_PATH:-/usr/share/alsa/alsa.conf}
fi
if [ "$route" = pipewire-pulse ] && pipewire_alsa_installed; then
  cannot "with pipewire-alsa installed, the program measures from the \"pipewire\" device, not \"pulse\""
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-e2e-XXXXXX")
# Under Wine the test's signals play from processes of their own, not the
# test's children (tests/e2e/wine-native.sh): a test that ends without
# stopping them leaves their process groups listed here.
export LMX_E2E_NATIVE_DIR=$work/native
mkdir "$LMX_E2E_NATIVE_DIR"
stop_left_signals() {
  local group
  for group in "$LMX_E2E_NATIVE_DIR"/*.group; do
    [ -e "$group" ] || continue
    group=${group##*/}
    kill -KILL -- "-${group%.group}" 2>/dev/null || true
    rm -f "$LMX_E2E_NATIVE_DIR/$group"
  done
}
cleanup() {
  stop_left_signals
  stop_sound_server
  rm -rf "$work"
}
trap cleanup EXIT

# Wine speaks French in this run, so that the system's texts that reach the
# program (its error texts) are not ASCII. Wine takes its language from the C
# library's locale, which must exist: it is made here, from the sources of
# Debian's locales package (Debian generates no such locale by default).
if [ "$route" = wine ]; then
  mkdir "$work/locale"
  localedef -i fr_FR -f UTF-8 "$work/locale/fr_FR.UTF-8" 2>/dev/null || cannot "the locale fr_FR.UTF-8 could not be made (package locales)"
  runner=(env LOCPATH="$work/locale" LC_ALL=fr_FR.UTF-8 "${runner[@]}")
fi

start_sound_server "$work/server" "$server" || cannot "the private sound server ($server) did not start"

export QT_QPA_PLATFORM=offscreen
export LMX_E2E_SERVER=$server LMX_E2E_DEVICE=$device LMX_E2E_SERVER_PID=$SOUND_SERVER_PID
# The settings of the tests stay in the work folder.
export XDG_CONFIG_HOME=$work/config

# The test binary, like the server, ends with this script, however it ends.
run() {
  local status=0
  setpriv --pdeathsig KILL timeout "$1" setpriv --pdeathsig KILL "${runner[@]}" "$test_binary" --gtest_filter="$2" || status=$?
  stop_left_signals
  return $status
}
status=0
run 180 'RealSoundServer.*' || status=1
# Ends the server: only after everything that needs it.
run 60 'LostSoundServer.*' || status=1
if [ $status -ne 0 ]; then
  echo "e2e: FAILED; the sound server's log:" >&2
  tail -n 30 "$work/server"/*.log "$work/server"/*.err "$LMX_E2E_NATIVE_DIR/native.log" >&2 2>/dev/null || true
fi
exit $status
