#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Windows installer lmx-<version>-setup.exe and the portable
# lmx-<version>-portable.zip in build-windows/ (cpack; run
# scripts/windows-build.sh first) and tries the installer under Wine in a
# fresh Wine prefix, as a user would on a new PC:
# - a silent install (/S) puts lmx.exe into "Program Files\Spectrometer LMX\bin"
#   with a Start-menu entry and an entry in Add/Remove Programs;
# - the installed program starts from there with its own DLLs (nothing of the
#   build is on the DLL path) on a virtual display and, with Wine's audio
#   drivers off, shows its error box ("Audio devices absent!", kept as a
#   screenshot in build-windows/shots/) and ends with status 0 on OK, after
#   writing the default settings into the user's registry key;
# - the portable zip holds the same files;
# - the silent uninstall removes every program file, the Start-menu entry and
#   the Add/Remove Programs entry, and leaves the user's settings key;
# - on Windows 7 the setup refuses with a message and installs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/build.sh
source scripts/lib/packages.sh
source scripts/lib/wine.sh
source scripts/lib/x-server.sh
ensure_packages nsis unzip wine64 fonts-wine xvfb xdotool imagemagick
build=${BUILD_DIR:-build-windows}
version=$(build_version "$build")
setup=$build/lmx-$version-setup.exe
zip=$build/lmx-$version-portable.zip

echo "== Packages"
(cd "$build" && cpack -G NSIS >/dev/null && cpack -G ZIP >/dev/null)
ls -l "$setup" "$zip" | awk '{printf "%s: %.1f MB\n", $NF, $5 / 1048576}'

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-setup-XXXXXX")
export WINEPREFIX=$work/wine
# No Mono or Gecko installer offered, Wine's own diagnostics quiet, and no
# audio driver: the program must find no device.
export WINEDLLOVERRIDES="mscoree,mshtml=;winepulse.drv,winealsa.drv,wineoss.drv=d"
export WINEDEBUG=-all
unset WINEPATH DISPLAY
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_x_server
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "windows-package: $*" >&2
  exit 1
}
prepare_wine_prefix || fail "Wine could not make a prefix"

echo "== Silent install"
wine "$setup" /S
wineserver --wait
dir="$WINEPREFIX/drive_c/Program Files/Spectrometer LMX"
[ -f "$dir/bin/lmx.exe" ] || fail "lmx.exe is not in $dir/bin"
(cd "$dir" && find . -type f | sort) >"$work/installed"
sed 's/^/installed: /' "$work/installed"
shortcut=$(find "$WINEPREFIX/drive_c" -name 'Spectrometer LMX.lnk' | head -n 1)
[ -n "$shortcut" ] || fail "no Start-menu entry"
echo "Start menu: ${shortcut#"$WINEPREFIX/drive_c/"}"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Spectrometer LMX'
wine reg query "$uninstall_key" >"$work/arp" 2>/dev/null || fail "no Add/Remove Programs entry"
grep -q 'DisplayName.*Spectrometer LMX' "$work/arp" || fail "the Add/Remove Programs entry has no name"

# The zip holds what the installer installs, besides the uninstaller.
unzip -Z1 "$zip" | grep -v '/$' | sed "s|^lmx-$version-portable/|./|" | sort >"$work/zipped"
grep -v '^./Uninstall.exe$' "$work/installed" | diff - "$work/zipped" || fail "the zip differs from the installation"

echo "== The installed program, without audio devices"
# On a virtual display, started from a folder without DLLs (Windows looks for
# DLLs in the current folder too), with Wine's loader errors shown: the
# error box must come up, and OK must end the program with status 0.
shots=$build/shots
mkdir -p "$shots"
start_x_server "$work/x" 1024x768 || fail "the virtual display did not start"
# A Wine server still running from the steps before (`wine reg` leaves one
# for a few seconds) keeps the desktop it made without a display: the
# program would find no window driver there.
wineserver --wait
(cd "$work" && WINEDEBUG=err+module wine "$dir/bin/lmx.exe" >"$work/lmx.log" 2>&1; echo $? >"$work/status") &
error_box() { box=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -n 1) && [ -n "$box" ]; }
wait_until 60 error_box || { cat "$work/lmx.log" >&2; fail "no error box within 60 s"; }
# Mapped comes before painted: the screenshot is kept once it shows more
# than the black of the empty screen.
painted() {
  import -window root "$shots/installed-no-audio.png" 2>/dev/null &&
    [ "$(identify -format '%k' "$shots/installed-no-audio.png")" -gt 2 ]
}
wait_until 30 painted || fail "the error box was not painted"
xdotool key --window "$box" Return
wait_until 30 test -f "$work/status" || fail "the program did not end after OK"
stop_x_server
unset DISPLAY
grep -E 'err:module|not found' "$work/lmx.log" >&2 && fail "a DLL or plug-in was not found"
[ "$(cat "$work/status")" = 0 ] || fail "lmx.exe ended with status $(cat "$work/status")"
echo "the error box came up (screenshot: $shots/installed-no-audio.png); OK ended the program with status 0"
settings='HKCU\software\microsoft\windows\lmx'
wine reg query "$settings" >"$work/settings" 2>/dev/null || fail "no settings key after the first start"
for value in weak start finish; do
  grep -Eq "^ +$value +REG_DWORD" "$work/settings" || fail "\"$value\" is not a REG_DWORD in the settings key"
done
wine reg query 'HKCU\Software\QtProject' >/dev/null 2>&1 && fail "the program left Qt's dialog state in the registry"

echo "== Silent uninstall"
wine "$dir/Uninstall.exe" /S
wineserver --wait
[ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is still there"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the Add/Remove Programs entry is still there"
wine reg query "$settings" >/dev/null 2>&1 || fail "the user's settings key went with the program"
echo "== On Windows 7"
# Reported as Windows 6.1 to programs: the setup says it needs Windows 10 or
# 11, on the screen and, silent, by its status, and installs nothing. Its
# status 1150 reaches this shell as its low byte, 126.
export WINEPREFIX=$work/windows7
prepare_wine_prefix || fail "Wine could not make a prefix"
winecfg -v win7 && wineserver --wait
status=0
wine "$setup" /S || status=$?
wineserver --wait
[ "$status" = $((1150 % 256)) ] || fail "the silent setup ended with status $status on Windows 7, not 1150"
[ ! -e "$WINEPREFIX/drive_c/Program Files/Spectrometer LMX" ] || fail "the setup installed on Windows 7"
start_x_server "$work/x7" 1024x768 || fail "the virtual display did not start"
wineserver --wait
(wine "$setup" && echo 0 >"$work/status7" || echo $? >"$work/status7") &
refusal() { box=$(xdotool search --onlyvisible --name 'Setup$' 2>/dev/null | head -n 1) && [ -n "$box" ]; }
wait_until 60 refusal || fail "no message from the setup on Windows 7 within 60 s"
painted() {
  import -window root "$shots/setup-windows7.png" 2>/dev/null &&
    [ "$(identify -format '%k' "$shots/setup-windows7.png")" -gt 2 ]
}
wait_until 30 painted || fail "the setup's message was not painted"
# Without a window manager nothing has the focus: the box is given it.
xdotool windowfocus "$box" key Return
wait_until 30 test -f "$work/status7" || fail "the setup did not end after OK"
[ "$(cat "$work/status7")" = $((1150 % 256)) ] || fail "the setup ended with status $(cat "$work/status7") on Windows 7"
[ ! -e "$WINEPREFIX/drive_c/Program Files/Spectrometer LMX" ] || fail "the setup installed on Windows 7"
echo "on Windows 7 the setup says what it needs (screenshot: $shots/setup-windows7.png) and installs nothing"
echo "windows-package: installed, started, uninstalled; the settings key stays; refused on Windows 7"
