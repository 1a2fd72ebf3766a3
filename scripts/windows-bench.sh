#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Linux build and the Windows build under Wine side by side, in one run
# on one virtual display (openbox) and one private PulseAudio playing a
# 270 Hz sine of amplitude 6000, each with "zero" stored (no calibration)
# and the attenuation 40:
# - start-up: from the spawn to the main window shown with its white drawing
#   area painted, as seen on the display (polled every 20 ms), 5 fresh starts
#   each after one to warm the caches;
# - CPU while the monitor runs (Start clicked, the trace on the screen): the
#   program's share of one core over 10 s, all its threads; for Wine also
#   wineserver's. The sound server and the X server are counted apart.
# Needs build/ (scripts/build.sh) and build-windows/ (scripts/windows-build.sh).
# Prints a Markdown table for docs/performance.md. KEEP_WORK=1 keeps the work
# folder (the programs' output, the servers' logs).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
source scripts/lib/sound-server.sh
source scripts/lib/x-server.sh
ensure_packages xvfb openbox xdotool imagemagick wine64
linux_program=build/app/lmx
windows_build=build-windows
generator=build/tools/lmx-signal

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-windows-bench-XXXXXX")
program=""
cleanup() {
  [ -z "$program" ] || kill "$program" 2>/dev/null || true
  WINEPREFIX=$work/wine wineserver -k 2>/dev/null || true
  stop_signal
  stop_sound_server
  stop_x_server
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

start_x_server "$work/x" 1024x768 --window-manager
start_sound_server "$work/pulse"
play_signal "$generator" tone --frequency 270

# The Linux program's settings file and the Windows program's registry key.
mkdir -p "$work/config/lmx"
printf '%s\n' '[HKEY_CURRENT_USER\software\microsoft\windows\lmx]' '"weak"=dword:00000028' \
  '"start"=dword:000003e8' '"finish"=dword:00001388' '"zero"=dword:00000000' >"$work/config/lmx/settings.reg"
export XDG_CONFIG_HOME=$work/config
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH
WINEPATH=$(sed -n 's/^export WINEPATH="\(.*\)"$/\1/p' "$windows_build/wine-run.sh")
wineboot --init >/dev/null 2>&1
wineserver --wait
for value in weak:40 start:1000 finish:5000 zero:0; do
  wine reg add 'HKCU\software\microsoft\windows\lmx' /v "${value%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null
done
wineserver --wait
wineserver -p  # one Wine server for the whole run, as an installed program finds it running

window=""
main_window() { window=$(xdotool search --onlyvisible --name '^ Spectrometer LMX$' 2>/dev/null | head -n 1) && [ -n "$window" ]; }
# A pixel of the window, as #RRGGBB.
pixel_at() { import -window "$window" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1; }
red_pixels() { import -window "$window" -crop "$1" +repage -depth 8 txt:- 2>/dev/null | grep -c '#FF0000' || true; }
painted() { main_window && eval "$(xdotool getwindowgeometry --shell "$window")" && [ "$(pixel_at 400 $((HEIGHT - 566 + 300)))" = "#FFFFFF" ]; }
recording() { [ -n "$(pactl list short source-outputs 2>/dev/null)" ]; }

# Starts "$@" and leaves its process in $program once its window is painted,
# and in $shown_ms the milliseconds that took.
shown_ms=0
start_shown() {
  local t0
  t0=$(date +%s%N)
  "$@" >>"$work/programs.log" 2>&1 &
  program=$!
  wait_until 60 painted || { echo "windows-bench: no main window from $*" >&2; return 1; }
  shown_ms=$((($(date +%s%N) - t0) / 1000000))
}
stop_program() {
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  program=""
  wait_until 10 sh -c '! xdotool search --onlyvisible --name "^ Spectrometer LMX$" >/dev/null 2>&1' || true
}

# Ticks of user and system time of the processes $@ (all their threads).
ticks() { local sum=0 pid; for pid in "$@"; do sum=$((sum + $(awk '{print $14 + $15}' "/proc/$pid/stat"))); done; echo $sum; }
# Share of one core, in per cent, of each process list given as "a b,c d"
# over 10 s.
shares() {
  local hz lists before=() after=() t0 t1 i
  hz=$(getconf CLK_TCK)
  IFS=, read -ra lists <<<"$1"
  for i in "${!lists[@]}"; do before[i]=$(ticks ${lists[i]}); done
  t0=$(date +%s%N)
  sleep 10  # the measuring interval
  for i in "${!lists[@]}"; do after[i]=$(ticks ${lists[i]}); done
  t1=$(date +%s%N)
  for i in "${!lists[@]}"; do
    awk -v d=$((after[i] - before[i])) -v hz="$hz" -v ns=$((t1 - t0)) 'BEGIN {printf "%.1f %% ", d / hz / (ns / 1e9) * 100}'
  done
}

measure() {
  local name=$1 times=()
  shift
  start_shown "$@" && stop_program  # warm-up
  for _ in 1 2 3 4 5; do
    start_shown "$@" || return 1
    times+=("$shown_ms")
    stop_program
  done
  start_shown "$@"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  local top=$((HEIGHT - 566))
  xdotool mousemove --window "$window" 20 $((top + 14)) click 1  # Start
  tone_shown() { recording && [ "$(red_pixels "800x150+0+$((top + 180))")" -gt 0 ]; }
  wait_until 30 tone_shown || { echo "windows-bench: the monitor of $name did not start" >&2; return 1; }
  local pids=$program
  [ "$name" = Linux ] || pids="$(pgrep -f 'lmx\.exe' | tr '\n' ' ') $(pgrep -x wineserver64 || pgrep -x wineserver)"
  local cpu
  cpu=$(shares "$pids,$SOUND_SERVER_PID,${X_SERVER_PIDS[0]}")
  stop_program
  local sorted
  sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
  echo "| $name | ${sorted% } ms | $cpu|"
}

echo "| Build | Start-up to the painted window, 5 starts (ms) | CPU while monitoring: program (under Wine with wineserver), sound server, X server |"
echo "|---|---|---|"
measure Linux env QT_QPA_PLATFORM=xcb "$linux_program"
measure "Windows under Wine 8.0" wine "$windows_build/app/lmx.exe"
