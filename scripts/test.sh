#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (no display or sound
# card needed). The live-audio tests run against private sound servers that
# they start themselves (PulseAudio, and PipeWire reached in two ways).
# LMX_TEST_SELECTION (a CTest name pattern) runs only the tests it names, with
# their whole output.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
bash scripts/install-deps.sh
ensure_sound_server_packages
ensure_pipewire_alsa_plugin "${BUILD_DIR:-build}/pipewire-alsa"
bash scripts/build.sh "$@"
selection=()
[ -n "${LMX_TEST_SELECTION:-}" ] && selection=(--tests-regex "$LMX_TEST_SELECTION" --verbose)
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure "${selection[@]}"
