#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds one of the CMake presets (CMakePresets.json; default:
# "default", into build/). Extra arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
PRESET=${PRESET:-default}
cmake --preset "$PRESET" "$@" >/dev/null
cmake --build --preset "$PRESET" -j"$(nproc)"
