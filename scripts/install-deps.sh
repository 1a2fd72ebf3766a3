#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the program and its tests need, if missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6
  portaudio19-dev libasound2-dev libxcb1-dev
  libgtest-dev
  fonts-dejavu-core fonts-wine
)
source "$(dirname "$0")/lib/packages.sh"
ensure_packages "${packages[@]}"
