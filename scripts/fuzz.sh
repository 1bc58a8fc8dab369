#!/usr/bin/env bash
# Builds the fuzz targets (clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a fixed time on its seeds.
#
# Usage: scripts/fuzz.sh [seconds per target, default 600] [target...]
#   FUZZ_JOBS=2 scripts/fuzz.sh 600     two targets at a time
#
# The seeds are written by fuzz_seeds, and the BMP Suite beside the
# repository (../shared/conformance/bmpsuite), when present, adds its files
# and reference renderings as seeds of the bmp, png and jpeg targets, read
# but never written. The inputs a run finds are kept in
# build/fuzz/run/corpus/<target> for the next run, crashes in
# build/fuzz/run/findings/<target>, the output in build/fuzz/run/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(vertexbuffer indexbuffer bitmap sprite entity model bmp pcx tga jpeg png gltf obj sound)
fi
jobs=${FUZZ_JOBS:-1}

scripts/install-deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_seeds "${targets[@]/#/fuzz_}"

bin=build/fuzz/bin
out=build/fuzz/run
rm -rf "$out/seeds"
"$bin/fuzz_seeds" "$out/seeds"
export UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp

suite=../shared/conformance/bmpsuite
suite_seeds() {
  [[ -d $suite ]] || return 0
  case $1 in
    bmp) echo "$suite/g" "$suite/q" "$suite/b" ;;
    png | jpeg) echo "$suite/html" ;;
  esac
}

run_target() {
  local target=$1 dict=() extra
  read -ra extra <<<"$(suite_seeds "$target")"
  rm -rf "$out/findings/$target"
  mkdir -p "$out/corpus/$target" "$out/findings/$target"
  if [[ -f $out/seeds/$target.dict ]]; then
    dict=(-dict="$out/seeds/$target.dict")
  elif [[ -f fuzz/dict/$target.dict ]]; then
    dict=(-dict="fuzz/dict/$target.dict")
  fi
  "$bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/findings/$target/" "${dict[@]}" \
    "$out/corpus/$target" "$out/seeds/$target" "${extra[@]}" >"$out/$target.log" 2>&1
}

failed=0
running=0
for target in "${targets[@]}"; do
  if ((running == jobs)); then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run_target "$target" &
  running=$((running + 1))
done
while ((running > 0)); do
  wait -n || failed=1
  running=$((running - 1))
done

printf '%-13s %12s %8s %8s  %s\n' target executions edges features result
for target in "${targets[@]}"; do
  log=$out/$target.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  result=ok
  if ls "$out/findings/$target"/* >/dev/null 2>&1 || ! grep -q '^stat::' "$log"; then
    result="FINDING, see $log"
    failed=1
  fi
  printf '%-13s %12s %8s %8s  %s\n' "$target" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $failed
