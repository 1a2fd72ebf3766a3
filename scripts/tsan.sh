#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program and its tests with ThreadSanitizer (preset "tsan", into
# build-tsan) and runs every test. Extra arguments go to CMake.
# scripts/tsan.supp: false positives inside Qt (see there). die_after_fork=0
# (set by the test preset): a test runs ImageMagick through QProcess, which
# starts it with a vfork-like clone() that shares our memory; ThreadSanitizer
# then takes the test process for a forked child and would end it at the next
# thread Qt starts.
set -euo pipefail
cd "$(dirname "$0")/.."
PRESET=tsan exec bash scripts/test.sh "$@"
