#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The measurements against real sound servers on their own, with their
# figures: builds (the preset in $PRESET, default "default"; extra arguments
# go to CMake) and runs the lmx_e2e tests, which start a private PulseAudio
# (lmx_e2e) and a private PipeWire (lmx_e2e_pipewire_pulse, _alsa).
set -euo pipefail
cd "$(dirname "$0")/.."
LMX_TEST_SELECTION='^lmx_e2e' exec bash scripts/test.sh "$@"
