#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the program for 64-bit Windows with mingw-w64: lmx.exe and the
# unit tests, into build-windows/ (the "windows" preset). Before that it
# prepares the Qt for mingw (scripts/windows-sdk.sh) and builds lmx-icon-png
# for this machine into build-windows-tools/, which renders the icons (the
# Qt for mingw has no SVG), and lmx-signal, which plays the signals of the
# live-audio test under Wine (lmx_e2e_wine). Extra arguments go to CMake's configure step of
# the Windows build. `ctest --preset windows` then runs the tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
bash scripts/windows-sdk.sh
# The Linux build of the icon renderer needs what the Linux build needs.
bash scripts/install-deps.sh
# locales: the live-audio test under Wine makes the French locale it runs in.
ensure_packages libgtest-dev ninja-build locales

jobs=${LMX_JOBS:-2}
cmake -S . -B build-windows-tools -DCMAKE_BUILD_TYPE=Release -DLMX_TESTS=OFF -DLMX_BENCH=OFF >/dev/null
cmake --build build-windows-tools --target lmx-icon-png lmx-signal -j"$jobs"

cmake --preset windows "$@" >/dev/null
cmake --build --preset windows -j"$jobs"
