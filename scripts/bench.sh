#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds in Release (preset "bench", into build-bench), runs every
# benchmark and prints the figures against their goals; writes the same table
# with the date and the machine to docs/performance.md, above the sections
# written there by hand.
#
# Takes about four minutes after the build: the quick benchmarks (the monitor
# frame once more at QT_SCALE_FACTOR=2), the start-up runs offscreen and on a
# virtual display beside a bare Qt main window, the CPU of a
# running monitor on a virtual display beside xoscope's (skipped with a note
# where xoscope is not installed), then 50 scan points and 300 pauses in real
# time (about 85 s). Measure on a quiet machine: the load average is recorded
# with the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=build-bench

bash scripts/install-deps.sh
source scripts/lib/packages.sh
source scripts/lib/sound-server.sh
source scripts/lib/x-server.sh
# Google Benchmark; a sound server and ALSA's PulseAudio plug-in to start the real program with;
# a virtual display and xdotool to run it as a user does.
ensure_packages libbenchmark-dev libx11-dev xvfb openbox xdotool x11-utils imagemagick xoscope
ensure_sound_server_packages

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" \
  --target lmx_bench lmx_bench_realtime lmx_startup_bench lmx_bench_report lmx lmx-signal \
  lmx_bare_window lmx_viewable_timer

began=$(date +%s)
work=$(mktemp -d)
xvfb= program=
cleanup() {
  stop_signal
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  stop_sound_server
  stop_x_server
  rm -rf "$work"
}
trap cleanup EXIT

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
bench=$BUILD_DIR/bench

echo "== Quick benchmarks"
"$bench/lmx_bench" --benchmark_out="$work/quick.json" --benchmark_out_format=json
echo "== Monitor frame at QT_SCALE_FACTOR=2"
QT_SCALE_FACTOR=2 "$bench/lmx_bench" --benchmark_filter='^BM_MonitorFrame' \
  --benchmark_out="$work/quick-scale2.json" --benchmark_out_format=json

echo "== Start-up"
# A private sound server with one silent source, so the real program finds an input.
if start_sound_server "$work/pulse"; then
  "$bench/lmx_startup_bench" --benchmark_out="$work/startup.json" --benchmark_out_format=json
else
  echo "No private sound server: the real program's start-up is not measured"
  unset PULSE_SERVER
  "$bench/lmx_startup_bench" --benchmark_out="$work/startup.json" --benchmark_out_format=json
fi
stop_sound_server

# The settings of the runs on the display: "zero" stored (no calibration) and
# the attenuation at which the CPU run's tone of +-150 units fits the drawing area.
mkdir -p "$work/display-config/lmx"
printf '%s\n' '[HKEY_CURRENT_USER\software\microsoft\windows\lmx]' '"weak"=dword:00000028' \
  '"start"=dword:000003e8' '"finish"=dword:00001388' '"zero"=dword:00000000' >"$work/display-config/lmx/settings.reg"

# A figure that could not be measured, as a JSON entry for the report.
error_entry() { printf '{"name": "%s", "error_occurred": true, "error_message": "%s"}' "$1" "$2"; }
# startup_entry NAME MS...: the starts as one JSON entry named NAME for the report.
startup_entry() {
  local name=$1
  shift
  printf '%s\n' "$@" | sort -n | awk -v n="$name" '{ t[NR] = $1 } END {
    printf "{\"name\": \"%s\", \"median_ms\": %s, \"max_ms\": %s, \"runs\": %d}", n, t[int((NR + 1) / 2)], t[NR], NR }'
}

echo "== Start-up on a virtual display with openbox: lmx beside a bare Qt main window"
# As a user sees it: from the spawn to the main window viewable, 5 starts of
# each after a warm-up one, twice in turn; with a sound server, so that the
# program finds an input.
startup_entries=()
if ! start_x_server "$work/x-startup" 1024x768 --window-manager; then
  startup_entries+=("$(error_entry StartUpX_lmx "no virtual display")")
elif ! start_sound_server "$work/pulse-startup"; then
  startup_entries+=("$(error_entry StartUpX_lmx "no private sound server")")
else
  timer=$BUILD_DIR/bench/lmx_viewable_timer
  bare_ms=() lmx_ms=()
  for _ in 1 2; do
    bare=$(QT_QPA_PLATFORM=xcb "$timer" ' Bare Qt window' 5 "$BUILD_DIR/bench/lmx_bare_window") &&
      lmx=$(XDG_CONFIG_HOME=$work/display-config QT_QPA_PLATFORM=xcb "$timer" ' Spectrometer LMX' 5 \
        "$BUILD_DIR/app/lmx") || break
    bare_ms+=($bare) lmx_ms+=($lmx)
  done
  if [ ${#lmx_ms[@]} -eq 10 ]; then
    startup_entries+=("$(startup_entry StartUpX_bare "${bare_ms[@]}")" "$(startup_entry StartUpX_lmx "${lmx_ms[@]}")")
  else
    startup_entries+=("$(error_entry StartUpX_lmx "a window did not come")")
  fi
  stop_sound_server
fi
stop_x_server
(IFS=,; echo "{\"benchmarks\": [${startup_entries[*]}]}") >"$work/startup-x.json"
cat "$work/startup-x.json"

echo "== CPU while the monitor runs: lmx, then xoscope (about 40 s)"
# A share of one core over 10 s for the program (all its threads), the sound
# server and the X server, as one JSON entry named $1 for the report.
cpu_shares() {
  local name=$1 pid=$2 hz p0 s0 x0 t0 p1 s1 x1 t1
  hz=$(getconf CLK_TCK)
  ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # utime + stime
  p0=$(ticks "$pid") s0=$(ticks "$SOUND_SERVER_PID") x0=$(ticks "$xvfb") t0=$(date +%s.%N)
  sleep 10  # the measuring interval
  p1=$(ticks "$pid") s1=$(ticks "$SOUND_SERVER_PID") x1=$(ticks "$xvfb") t1=$(date +%s.%N)
  # In per cent: ticks / (seconds x ticks per second) x 100.
  awk -v n="$name" -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" \
    'BEGIN { w = (t1 - t0) * hz / 100
      printf "{\"name\": \"%s\", \"program\": %.3f, \"server\": %.3f, \"xserver\": %.3f}", n, p / w, s / w, x / w }'
}
recording() { [ -n "$(pactl list short source-outputs 2>/dev/null)" ]; }
# How many pure red pixels (the trace's colour) the window $window shows in
# its rectangle WIDTHxHEIGHT+X+Y; and whether a pixel is white.
red_pixels() { import -window "$window" -crop "$1" +repage -depth 8 txt:- 2>/dev/null | grep -c '#FF0000' || true; }
white_at() { import -window "$window" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep '#FFFFFF' >/dev/null; }
cpu_entries=()
if ! start_x_server "$work/x" 1024x768; then
  cpu_entries+=("$(error_entry CPU_lmx "no virtual display")")
elif ! start_sound_server "$work/pulse-cpu"; then
  cpu_entries+=("$(error_entry CPU_lmx "no private sound server")")
else
  xvfb=${X_SERVER_PIDS[0]}
  play_signal "$BUILD_DIR/tools/lmx-signal" tone --frequency 270
  XDG_CONFIG_HOME=$work/display-config QT_QPA_PLATFORM=xcb "$BUILD_DIR/app/lmx" >"$work/lmx.log" 2>&1 &
  program=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ Spectrometer LMX$' | head -1 || true)
  if [ -n "$window" ]; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    top=$((HEIGHT - 566))  # the client area, under the menu bar
    # Ready for the click once its white drawing area is painted.
    wait_until 20 white_at 400 $((top + 300)) || echo "bench: the main window was not painted" >&2
    # Start is the first tool button, at 8..33 x 2..27 of the client area.
    xdotool mousemove --window "$window" 20 $((top + 14)) click 1
    # Measured once the tone's trace is on the screen: the input delivers
    # (the first samples of a sound server take a second or two).
    tone_shown() { recording && [ "$(red_pixels "800x150+0+$((top + 180))")" -gt 0 ]; }
    wait_until 30 tone_shown || true
  fi
  if recording; then
    cpu_entries+=("$(cpu_shares CPU_lmx "$program")")
  else
    cpu_entries+=("$(error_entry CPU_lmx "the monitor did not start")")
  fi
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  program=
  if command -v xoscope >/dev/null; then
    # Its defaults, reading the server through ALSA's "pulse" device; its files go to the work folder.
    mkdir -p "$work/xoscope-home"
    HOME=$work/xoscope-home xoscope -A pulse >"$work/xoscope.log" 2>&1 &
    program=$!
    wait_until 30 recording || true
    if recording; then
      cpu_entries+=("$(cpu_shares CPU_xoscope "$program")")
    else
      cpu_entries+=("$(error_entry CPU_xoscope "xoscope did not start recording")")
    fi
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    program=
  else
    cpu_entries+=("$(error_entry CPU_xoscope "xoscope is not installed (apt-get install xoscope)")")
  fi
  stop_signal
  stop_sound_server
fi
stop_x_server
xvfb=
(IFS=,; echo "{\"benchmarks\": [${cpu_entries[*]}]}") >"$work/cpu.json"
cat "$work/cpu.json"

echo "== Pause and 50 scan points in real time (about 85 s)"
"$bench/lmx_bench_realtime" --benchmark_out="$work/realtime.json" --benchmark_out_format=json

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
took=$(( $(date +%s) - began ))
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
{
  echo "# Performance"
  echo
  echo "Written by \`scripts/bench.sh\` ($took s of benchmarks after the build); Release build, Qt offscreen platform"
  echo "but where a virtual display is named."
  echo
  echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- Machine: ${cpu:-unknown CPU}, $(nproc) cores, $(uname -sr)"
  echo "- Load average (1, 5, 15 min): $load_before before, $load_after after"
  echo
  "$bench/lmx_bench_report" "$work/quick.json" "scale2:$work/quick-scale2.json" "$work/startup.json" \
    "$work/startup-x.json" "$work/cpu.json" "$work/realtime.json"
  # The sections written by hand (## headings) stay as they were.
  [ ! -f docs/performance.md ] || { echo; sed -n '/^## /,$p' docs/performance.md; }
} >"$work/performance.md"
mkdir -p docs
cp "$work/performance.md" docs/performance.md
echo
cat docs/performance.md
