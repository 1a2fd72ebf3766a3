#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program's settings in the registry, under Wine in a fresh
# prefix (run scripts/windows-build.sh and scripts/windows-package.sh first):
# 1. First start on a virtual display, measuring from a private PulseAudio
#    through Wine's audio driver while a constant level of -2900 plays: the
#    main window comes up (kept as build-windows/shots/installed-first-start.png)
#    and the key
#    HKCU\software\microsoft\windows\lmx then holds "weak" 1, "start" 1000,
#    "finish" 5000 and the calibrated "zero" -2900, all REG_DWORD.
# 2. With Wine's audio driver off, "Audio devices absent!"; a value of the
#    wrong type ("weak" as text "5") is reported in the default error box
#    with the registry's text; the program ends with status 0, and nothing in
#    the key is lost or replaced by defaults, a value of another program
#    included.
# The program is the one the setup installs (silently, into the fresh
# prefix). The second start runs on Qt's offscreen platform (its plug-in
# added beside the installed ones from the Qt for mingw), where message boxes
# go to standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/build.sh
source scripts/lib/packages.sh
source scripts/lib/sound-server.sh
source scripts/lib/wine.sh
source scripts/lib/x-server.sh
ensure_sound_server_packages
ensure_packages wine64 fonts-wine xvfb xdotool imagemagick
build=${BUILD_DIR:-build-windows}
version=$(build_version "$build")
qt_cmake=$(build_setting "$build" Qt6_DIR)
generator=${LMX_SIGNAL:-build-windows-tools/tools/lmx-signal}

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-registry-XXXXXX")
export WINEPREFIX=$work/wine WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH DISPLAY
cleanup() {
  stop_signal
  wineserver -k 2>/dev/null || true
  stop_sound_server
  stop_x_server
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "windows-registry-check: $*" >&2
  exit 1
}

prepare_wine_prefix || fail "Wine could not make a prefix"
wine "$build/lmx-$version-setup.exe" /S
wineserver --wait
program="$WINEPREFIX/drive_c/Program Files/Spectrometer LMX/bin/lmx.exe"
[ -f "$program" ] || fail "the setup did not install lmx.exe"
cp "$qt_cmake/../../../plugins/platforms/qoffscreen.dll" "${program%/*}/platforms/"
key='HKCU\software\microsoft\windows\lmx'
# "NAME TYPE DATA" of every value of the key, sorted.
values() { wine reg query "$key" 2>/dev/null | tr -d '\r' | awk 'NF == 3 {print $1, $2, $3}' | sort; }

echo "== First start on a display: calibration from PulseAudio through Wine"
start_sound_server "$work/server" pulseaudio || fail "the private PulseAudio did not start"
play_signal "$generator" tone --amplitude 0 --offset -2900
shots=$build/shots
mkdir -p "$shots"
start_x_server "$work/x" 1024x768 || fail "the virtual display did not start"
wineserver --wait  # a server left from the install knows no display
(cd "$work" && wine "$program" >"$work/first.log" 2>&1) &
first=$!
calibrated() { [[ $'\n'$(values) == *$'\n'"zero "* ]]; }
wait_until 60 calibrated || true  # the key is compared below
main_window() { xdotool search --onlyvisible --name '^ Spectrometer LMX$' >/dev/null 2>&1; }
# Kept once painted: more than the black of the empty screen.
painted() {
  import -window root "$shots/installed-first-start.png" 2>/dev/null &&
    [ "$(identify -format '%k' "$shots/installed-first-start.png")" -gt 2 ]
}
window=yes
wait_until 60 main_window && wait_until 30 painted || window=no
wineserver -k
wait "$first" || true
stop_x_server
unset DISPLAY
[ "$window" = yes ] || fail "the main window did not come up on the display"
echo "the main window came up (screenshot: $shots/installed-first-start.png)"
sed 's/^/lmx: /' "$work/first.log"
values | sed 's/^/key: /'
expected="finish REG_DWORD 0x1388
start REG_DWORD 0x3e8
weak REG_DWORD 0x1
zero REG_DWORD 0xfffff4ac"
[ "$(values)" = "$expected" ] || fail "the key after the first start is not: $expected"
stop_signal
stop_sound_server

echo "== A value of the wrong type"
wine reg add "$key" /v weak /t REG_SZ /d 5 /f >/dev/null
wine reg add "$key" /v note /t REG_SZ /d kept /f >/dev/null
before=$(values)
export WINEDLLOVERRIDES="mscoree,mshtml=;winepulse.drv,winealsa.drv,wineoss.drv=d"
status=0
output=$(cd "$work" && timeout 120 wine "$program" -platform offscreen 2>&1) || status=$?
sed 's/^/lmx: /' <<<"$output"
boxes=$(grep -E '^(Spectrometer LMX|Error|Warning|Information): ' <<<"$output" | tr -d '\r' || true)
# The device is counted first, then the settings are loaded.
[ "$boxes" = "Error: Audio devices absent!
Spectrometer LMX: Invalid data type for 'weak'" ] || fail "expected \"Audio devices absent!\", then the registry's error box"
[ "$status" -eq 0 ] || fail "lmx.exe ended with status $status"
[ "$(values)" = "$before" ] || fail "the key changed: $(values)"
echo "windows-registry-check: first start and a wrongly typed value as expected"
