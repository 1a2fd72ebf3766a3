#!/usr/bin/env bash
# Runs the measurements against a real sound server: starts a private
# PulseAudio, runs the test binary ($1) against it, and last runs the test
# that kills the server in the middle of a scan.
#
# A sound server that cannot start fails the run under CI (CI=true); elsewhere
# the run is skipped with exit code 77 (CTest reports it as skipped).
set -euo pipefail
test_binary=$1
source "$(dirname "$0")/../../scripts/lib/sound-server.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-e2e-XXXXXX")
cleanup() {
  stop_sound_server
  rm -rf "$work"
}
trap cleanup EXIT

if ! start_sound_server "$work/pulse"; then
  if [ "${CI:-}" = true ]; then
    echo "e2e: FAILED: the private sound server did not start" >&2
    exit 1
  fi
  echo "e2e: SKIPPED: the private sound server did not start" >&2
  exit 77
fi

export QT_QPA_PLATFORM=offscreen
export LMX_E2E_SERVER_PID=$SOUND_SERVER_PID
# The settings of the tests stay in the work folder.
export XDG_CONFIG_HOME=$work/config

status=0
timeout 180 "$test_binary" --gtest_filter='RealSoundServer.*' || status=1
# Ends the server: only after everything that needs it.
timeout 60 "$test_binary" --gtest_filter='LostSoundServer.*' || status=1
if [ $status -ne 0 ]; then
  echo "e2e: FAILED; the sound server's log:" >&2
  tail -n 30 "$work/pulse/server.log" >&2 || true
fi
exit $status
