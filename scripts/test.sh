#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test (no display or sound
# card needed): the live-audio tests run against private sound servers that
# they start themselves (PulseAudio, and PipeWire reached in two ways), the
# desktop tests on a virtual X server of their own and on Xwayland under a
# headless weston. PRESET chooses the build (CMakePresets.json; default
# "default"); extra arguments go to CMake.
# LMX_TEST_SELECTION (a CTest name pattern) runs only the tests it names, with
# their whole output.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
bash scripts/install-deps.sh
ensure_sound_server_packages
# The desktop tests: a virtual X server, a window manager, a compositor, input
# events; weston's headless compositor with Xwayland for the Wayland desktop.
ensure_packages xvfb openbox xcompmgr xdotool x11-utils weston xwayland
preset=${PRESET:-default}
build_dir=build
[ "$preset" = default ] || build_dir=build-$preset
# The PipeWire live-audio runs are in the plain build only (tests/e2e).
if [ "$preset" = default ]; then ensure_pipewire_alsa_plugin "$build_dir/pipewire-alsa"; fi
bash scripts/build.sh "$@"
selection=()
[ -n "${LMX_TEST_SELECTION:-}" ] && selection=(--tests-regex "$LMX_TEST_SELECTION" --verbose)
ctest --preset "$preset" -j"$(nproc)" "${selection[@]}"
