#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the Windows-only settings code compiles and links: the registry
# store with the rest of the Qt-free settings code, cross-compiled with
# mingw-w64 into build-windows/settings-check.exe (warnings are errors). The
# program is not run; on Windows it would read and write the program's
# registry key.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
ensure_packages g++-mingw-w64-x86-64

compiler=x86_64-w64-mingw32-g++
out=${BUILD_DIR:-build-windows}
mkdir -p "$out"
"$compiler" -std=c++17 -Wall -Wextra -Wshadow -Werror -O1 -I. -Icommon -Isettings \
  settings/RegistryKeyStore.cpp settings/KeyStore.cpp settings/Settings.cpp common/IntegerText.cpp \
  tests/mingw/SettingsLinkCheck.cpp \
  -static -ladvapi32 -o "$out/settings-check.exe"
# The registry functions must really be imported, not left out by mistake.
imports=$(x86_64-w64-mingw32-objdump -p "$out/settings-check.exe")
for symbol in RegCreateKeyExA RegQueryValueExA RegSetValueExA RegCloseKey; do
  if ! grep -qw "$symbol" <<<"$imports"; then
    echo "windows-check: $symbol is not imported" >&2
    exit 1
  fi
done
echo "windows-check: $out/settings-check.exe built (registry store linked)"
