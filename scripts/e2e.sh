#!/usr/bin/env bash
# The measurements against a real sound server: builds (into $BUILD_DIR,
# default build; extra arguments go to CMake), starts a private PulseAudio and
# runs tests/e2e, which plays known signals into it through our generator and
# checks calibration, monitor and scan against the captured samples. Last, it
# ends the server in the middle of a scan.
#
# A sound server that cannot start fails the run under CI (CI=true); elsewhere
# the run is skipped with exit code 77.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
source scripts/lib/sound-server.sh

bash scripts/install-deps.sh
ensure_packages pulseaudio pulseaudio-utils libasound2-plugins
BUILD_DIR=${BUILD_DIR:-build}
bash scripts/build.sh "$@"
test_binary=$BUILD_DIR/tests/e2e/lmx_e2e
if [ ! -x "$test_binary" ]; then
  echo "e2e: $test_binary was not built (tests/CMakeLists.txt needs add_subdirectory(e2e))" >&2
  exit 1
fi

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
  echo "e2e: FAILED; sound server log: $work/pulse/server.log" >&2
  tail -n 30 "$work/pulse/server.log" >&2 || true
fi
exit $status
