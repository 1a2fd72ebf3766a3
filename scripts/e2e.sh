#!/usr/bin/env bash
# The measurements against a real sound server on their own, with their
# figures: builds (the preset in $PRESET, default "default"; extra arguments
# go to CMake) and runs the lmx_e2e test, which starts a private PulseAudio.
set -euo pipefail
cd "$(dirname "$0")/.."
LMX_TEST_SELECTION='^lmx_e2e$' exec bash scripts/test.sh "$@"
