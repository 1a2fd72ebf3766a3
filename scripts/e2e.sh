#!/usr/bin/env bash
# The measurements against a real sound server on their own: builds (into
# $BUILD_DIR, default build; extra arguments go to CMake) and runs tests/e2e
# against a private PulseAudio. The README's test command runs them as well,
# as one of the CTest tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh

bash scripts/install-deps.sh
ensure_sound_server_packages
bash scripts/build.sh "$@"
exec bash tests/e2e/with-sound-server.sh "${BUILD_DIR:-build}/tests/e2e/lmx_e2e"
