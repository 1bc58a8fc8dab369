#!/usr/bin/env bash
# Installs the baseline libraries, builds the benchmark programs, runs them
# all and writes docs/PERFORMANCE.md with its chart docs/matrix_pass.png.
# About 15 minutes on a 2-core machine, most of it the matrix pass (each
# timing is the median of repetitions; the small benchmarks interleave
# their repetitions at random, so that ours and the baseline share the
# machine's noise).
# Usage: scripts/bench.sh [extra Google Benchmark flags, e.g. --benchmark_filter=...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh libjpeg62-turbo-dev libpng-dev \
  libglm-dev libeigen3-dev libpixman-1-dev libsdl2-dev python3-matplotlib \
  libepoxy-dev libgl1-mesa-dri libegl-mesa0 libegl1 xvfb xauth
cmake --preset default -DTOLMAK_BUILD_BENCHMARKS=ON
programs=(bench_fastfloat bench_matrix bench_pixels bench_buffers bench_matrix_pass)
cmake --build --preset default --target "${programs[@]}" zunfert_video_timing demo

out=build/default/bench
mkdir -p "$out"
started=$(date +%s)
run() {
  local program=$1
  shift
  echo "== $program"
  "build/default/bin/$program" --benchmark_out="$out/$program.json" --benchmark_out_format=json \
    --benchmark_report_aggregates_only=true "$@"
}
small=(--benchmark_repetitions=7 --benchmark_min_time=0.05 --benchmark_enable_random_interleaving=true)
run bench_fastfloat "${small[@]}" "$@"
run bench_matrix "${small[@]}" "$@"
run bench_pixels "${small[@]}" "$@"
run bench_buffers "${small[@]}" "$@"
# The matrix pass shares one tree between neighbouring benchmarks: no interleaving.
run bench_matrix_pass --benchmark_repetitions=3 --benchmark_min_time=0.1 "$@"
# The software 3D device on the plug-in's demo-like scene, 300 frames.
echo "== zunfert_video_timing"
build/default/bin/zunfert_video_timing 300 | tee "$out/video3d.txt"
# And the demo game itself, which times its own frames.
echo "== demo"
build/default/bin/demo --video software --output "$out/demo" | tail -1 | tee "$out/demo.txt"
# The same scene on the OpenGL device (Mesa's llvmpipe, no display), with
# what it sent to the card for its last frame.
echo "== demo on OpenGL"
SDL_VIDEODRIVER=offscreen build/default/bin/demo --frames 300 --output "$out/demo-gl" |
  grep -E '^(Last frame|demo: [0-9]+ frames)' | tee "$out/demo_gl.txt"
echo "$(($(date +%s) - started))" >"$out/seconds"

# Debian's own interpreter, which has the python3-matplotlib package.
/usr/bin/python3 scripts/bench_report.py "$out" build/default/compile_commands.json docs
echo "Wrote docs/PERFORMANCE.md and docs/matrix_pass.png"
