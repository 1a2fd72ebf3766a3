#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets (fuzz/) with clang (preset "fuzz", into
# build-fuzz) and runs them side by side, each for the given seconds (default 30),
# starting from the seed corpus in fuzz/corpus/<target>/. New inputs go to the
# build folder, so the seeds in the repository stay as they are. A finding is
# kept as $BUILD_DIR/fuzz-artifacts/<target>-crash-... and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
BUILD_DIR=build-fuzz
targets=(bitmap settings_file integer_text)

bash scripts/install-deps.sh
source scripts/lib/packages.sh
ensure_packages clang libclang-rt-14-dev

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

mkdir -p "$BUILD_DIR/fuzz-artifacts"
# The targets run side by side, each for the given time; then each reports.
pids=()
for target in "${targets[@]}"; do
  work="$BUILD_DIR/fuzz-corpus/$target"
  mkdir -p "$work"
  options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1
           -artifact_prefix="$BUILD_DIR/fuzz-artifacts/$target-")
  [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
  "$BUILD_DIR/fuzz/fuzz_$target" "${options[@]}" "$work" "fuzz/corpus/$target" >"$BUILD_DIR/fuzz-$target.log" 2>&1 &
  pids+=($!)
done
failed=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  log="$BUILD_DIR/fuzz-$target.log"
  status=0
  wait "${pids[$i]}" || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "fuzz_$target: ${runs:-?} executions in $seconds s, corpus $(ls "$BUILD_DIR/fuzz-corpus/$target" | wc -l) files"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$target FAILED (exit $status); the end of $log:"
    tail -n 40 "$log"
    failed=1
  fi
done
exit "$failed"
