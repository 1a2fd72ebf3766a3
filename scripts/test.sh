#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (no display or sound card needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh "$@"
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure
