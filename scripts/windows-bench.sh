#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Linux build and the Windows build under Wine side by side, in one run
# on one virtual display (openbox) and one private PulseAudio playing a
# 270 Hz sine of amplitude 6000, each with "zero" stored (no calibration)
# and the attenuation 40:
# - start-up: from the spawn to the main window viewable (lmx_viewable_timer),
#   5 starts each after one to warm the caches, beside a bare Qt main window
#   of the same size built the same way (lmx_bare_window);
# - CPU while the monitor runs (Start clicked, the trace on the screen): the
#   program's share of one core over 10 s, all its threads; for Wine also
#   that of the Wine server this script starts. The sound server and the X
#   server are counted apart.
# Only processes this script started are measured and ended.
# Needs build/ (scripts/build.sh) and build-windows/ (scripts/windows-build.sh).
# Prints Markdown tables for docs/performance.md. KEEP_WORK=1 keeps the work
# folder (the programs' output, the servers' logs).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/build.sh
source scripts/lib/packages.sh
source scripts/lib/sound-server.sh
source scripts/lib/wine.sh
source scripts/lib/x-server.sh
ensure_packages xvfb openbox xdotool imagemagick wine64 fonts-wine libx11-dev
cmake --build build --target lmx lmx-signal lmx_bare_window lmx_viewable_timer >/dev/null
linux_program=build/app/lmx
linux_bare=build/bench/lmx_bare_window
timer=build/bench/lmx_viewable_timer
windows_build=build-windows
generator=build/tools/lmx-signal

work=$(mktemp -d "${TMPDIR:-/tmp}/lmx-windows-bench-XXXXXX")
program="" wineserver_pid=""
cleanup() {
  [ -z "$program" ] || kill -- -"$program" 2>/dev/null || true
  [ -z "$wineserver_pid" ] || kill "$wineserver_pid" 2>/dev/null || true
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
WINEPATH=$(build_setting "$windows_build" LMX_WINEPATH)
prepare_wine_prefix
for value in weak:40 start:1000 finish:5000 zero:0; do
  wine reg add 'HKCU\software\microsoft\windows\lmx' /v "${value%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null
done
wineserver --wait
# One Wine server for the whole run, as an installed program finds it
# running; in the foreground, so that its process is this script's child.
wineserver --foreground --persistent >"$work/wineserver.log" 2>&1 &
wineserver_pid=$!
wine wineboot >/dev/null 2>&1  # Wine's services, which a desktop has running

window=""
main_window() { window=$(xdotool search --onlyvisible --name '^ Spectrometer LMX$' 2>/dev/null | head -n 1) && [ -n "$window" ]; }
# A pixel of the window, as #RRGGBB.
pixel_at() { import -window "$window" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1; }
red_pixels() { import -window "$window" -crop "$1" +repage -depth 8 txt:- 2>/dev/null | grep -c '#FF0000' || true; }
painted() { main_window && eval "$(xdotool getwindowgeometry --shell "$window")" && [ "$(pixel_at 400 $((HEIGHT - 566 + 300)))" = "#FFFFFF" ]; }
recording() { [ -n "$(pactl list short source-outputs 2>/dev/null)" ]; }

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
median() { printf '%s\n' "$@" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }

# startup NAME LAUNCHER PROGRAM BARE: a row of the start-up table, the
# program's starts beside those of the bare window, each started as
# "LAUNCHER PROGRAM", and their medians' ratio.
startup() {
  local name=$1 launcher=$2 program_ms bare_ms
  # shellcheck disable=SC2086
  program_ms=$("$timer" ' Spectrometer LMX' 5 $launcher "$3" | sort -n | tr '\n' ' ')
  # shellcheck disable=SC2086
  bare_ms=$("$timer" ' Bare Qt window' 5 $launcher "$4" | sort -n | tr '\n' ' ')
  # shellcheck disable=SC2086
  echo "| $name | ${program_ms% } | ${bare_ms% } | $(awk -v a="$(median $program_ms)" -v b="$(median $bare_ms)" \
    'BEGIN { printf "%.2f", a / b }') |"
}

# cpu NAME COMMAND...: a row of the CPU table. The program is started and its
# monitor with a click on Start; under Wine the Wine server is counted too.
cpu() {
  local name=$1 extra=
  shift
  # In a process group of its own, so that it ends with all it started.
  setsid "$@" >>"$work/programs.log" 2>&1 &
  program=$!
  wait_until 60 painted || { echo "windows-bench: no main window from $*" >&2; return 1; }
  local top=$((HEIGHT - 566))
  xdotool mousemove --window "$window" 20 $((top + 14)) click 1  # Start
  tone_shown() { recording && [ "$(red_pixels "800x150+0+$((top + 180))")" -gt 0 ]; }
  wait_until 30 tone_shown || { echo "windows-bench: the monitor of $name did not start" >&2; return 1; }
  # env becomes the program; under Wine the program is a child of what wine
  # becomes, and the Wine server works for it too.
  local pids
  pids=$(pgrep -g "$program" | tr '\n' ' ')
  [ "$1" != wine ] || pids+=" $wineserver_pid"
  echo "| $name | $(shares "$pids,$SOUND_SERVER_PID,${X_SERVER_PIDS[0]}")|"
  kill -- -"$program"
  wait "$program" 2>/dev/null || true
  program=""
  wait_until 10 sh -c '! xdotool search --onlyvisible --name "^ Spectrometer LMX$" >/dev/null 2>&1' || true
}

echo "| Build | lmx: start-up to the main window viewable, 5 starts (ms) | Bare Qt window, the same (ms) | Ratio of the medians |"
echo "|---|---|---|---|"
linux="env QT_QPA_PLATFORM=xcb"  # Qt on Windows has a platform of its own
startup Linux "$linux" "$linux_program" "$linux_bare"
startup "Windows under Wine $(wine --version | sed 's/^wine-//')" wine "$windows_build/app/lmx.exe" \
  "$windows_build/bench/lmx_bare_window.exe"
echo
echo "| Build | CPU while monitoring: program (under Wine with its Wine server), sound server, X server |"
echo "|---|---|"
cpu Linux $linux "$linux_program"
cpu "Windows under Wine" wine "$windows_build/app/lmx.exe"
