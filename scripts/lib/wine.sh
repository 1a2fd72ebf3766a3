# SPDX-License-Identifier: GPL-3.0-or-later
# Wine prefixes laid out like a Windows PC, for every test, check and
# benchmark that runs the Windows build under Wine. Source this file, then:
#
#   prepare_wine_prefix
#       makes the prefix that WINEPREFIX names where it is not made yet
#       (wineboot --init), reporting Windows 10 to programs as a PC of the
#       program's users does (Debian's Wine makes a prefix report Windows 7),
#       and gives it Tahoma and Tahoma Bold as Windows has them: the files in C:\windows\Fonts and named in the registry's font
#       list (HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts,
#       "Tahoma (TrueType)"="tahoma.ttf"). Returns when the prefix's Wine
#       server has ended; does nothing for a prefix made so before. Non-zero,
#       with the reason on stderr, where Wine or the faces are missing.
#
# The windows are laid out for a face of Tahoma's widths (plot/LayoutFont.h).
# Wine draws with its own Tahoma but names no file for it in the font list,
# where Qt's FreeType engine, the program's on Windows, looks a face's file
# up. The faces are Wine's own, which Debian's fonts-wine installs.

prepare_wine_prefix() {
  local source=/usr/share/wine/fonts fonts=$WINEPREFIX/drive_c/windows/Fonts face file
  local list='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
  [ -f "$fonts/tahomabd.ttf" ] && return 0
  for file in tahoma.ttf tahomabd.ttf; do
    [ -f "$source/$file" ] || { echo "wine prefix: $source/$file is missing (Debian: apt-get install fonts-wine)" >&2; return 1; }
  done
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init </dev/null >/dev/null 2>&1 || { echo "wine prefix: Wine could not make $WINEPREFIX" >&2; return 1; }
  fi
  winecfg -v win10 </dev/null >/dev/null 2>&1 || { echo "wine prefix: Wine did not take Windows 10" >&2; return 1; }
  for face in "Tahoma:tahoma.ttf" "Tahoma Bold:tahomabd.ttf"; do
    wine reg add "$list" /v "${face%:*} (TrueType)" /d "${face#*:}" /f </dev/null >/dev/null 2>&1 ||
      { echo "wine prefix: the font list of $WINEPREFIX cannot be written" >&2; return 1; }
  done
  mkdir -p "$fonts"
  cp "$source/tahoma.ttf" "$source/tahomabd.ttf" "$fonts/"
  wineserver --wait
}
