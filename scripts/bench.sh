#!/usr/bin/env bash
# Builds in Release (preset "bench", into build-bench), runs every
# benchmark and prints the figures against their goals; writes the same table
# with the date and the machine to docs/performance.md.
#
# Takes about three minutes after the build: the quick benchmarks, the
# start-up runs, then 50 scan points and 300 pauses in real time (about 85 s).
# Measure on a quiet machine: the load average is recorded with the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=build-bench

bash scripts/install-deps.sh
source scripts/lib/packages.sh
source scripts/lib/sound-server.sh
# Google Benchmark; a sound server and ALSA's PulseAudio plug-in to start the real program with.
ensure_packages libbenchmark-dev
ensure_sound_server_packages

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" --target lmx_bench lmx_bench_realtime lmx_startup_bench lmx_bench_report

began=$(date +%s)
work=$(mktemp -d)
cleanup() {
  stop_sound_server
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

echo "== Pause and 50 scan points in real time (about 85 s)"
"$bench/lmx_bench_realtime" --benchmark_out="$work/realtime.json" --benchmark_out_format=json

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
took=$(( $(date +%s) - began ))
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
{
  echo "# Performance"
  echo
  echo "Written by \`scripts/bench.sh\` ($took s of benchmarks after the build); Release build, Qt offscreen platform."
  echo
  echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- Machine: ${cpu:-unknown CPU}, $(nproc) cores, $(uname -sr)"
  echo "- Load average (1, 5, 15 min): $load_before before, $load_after after"
  echo
  "$bench/lmx_bench_report" "$work/quick.json" "$work/startup.json" "$work/realtime.json"
} >"$work/performance.md"
mkdir -p docs
cp "$work/performance.md" docs/performance.md
echo
cat docs/performance.md
