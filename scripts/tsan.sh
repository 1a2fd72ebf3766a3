#!/usr/bin/env bash
# Builds the program and its tests with ThreadSanitizer into $BUILD_DIR
# (default build-tsan) and runs every test. Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
# tsan.supp: false positives inside Qt (see there). die_after_fork=0: a test
# runs ImageMagick through QProcess, which starts it with a vfork-like clone()
# that shares our memory; ThreadSanitizer then takes the test process for a
# forked child and would end it at the next thread Qt starts.
export TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp die_after_fork=0 ${TSAN_OPTIONS:-}"
BUILD_DIR=${BUILD_DIR:-build-tsan} bash scripts/test.sh -DLMX_TSAN=ON -DLMX_BENCH=OFF "$@"
