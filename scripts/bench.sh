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

scripts/install-deps.sh libglm-dev libeigen3-dev libpixman-1-dev python3-matplotlib \
  libsdl2-image-dev libirrlicht-dev libogre-1.12-dev xvfb xauth
cmake --preset default -DTOLMAK_BUILD_BENCHMARKS=ON
programs=(bench_fastfloat bench_matrix bench_pixels bench_buffers bench_matrix_pass
  bench_software_render)
programs+=(bench_image_decode bench_compiler bench_audio)
cmake --build --preset default --target "${programs[@]}" zunfert_video_timing demo

out=build/default/bench
mkdir -p "$out"
started=$(date +%s)
run() {
  local program=$1
  shift
  echo "== $program"
  ${launcher:-} "build/default/bin/$program" --benchmark_out="$out/$program.json" --benchmark_out_format=json \
    --benchmark_report_aggregates_only=true "$@"
}
small=(--benchmark_repetitions=7 --benchmark_min_time=0.05 --benchmark_enable_random_interleaving=true)
run bench_fastfloat "${small[@]}" "$@"
run bench_matrix "${small[@]}" "$@"
run bench_pixels "${small[@]}" "$@"
run bench_buffers "${small[@]}" "$@"
run bench_image_decode --benchmark_repetitions=5 --benchmark_min_time=0.2 \
  --benchmark_enable_random_interleaving=true "$@"
run bench_audio "${small[@]}" "$@"
# The matrix pass shares one tree between neighbouring benchmarks: no interleaving.
# OGRE updates a tree recursively: a million-deep chain needs a deep stack.
(ulimit -s unlimited && run bench_matrix_pass --benchmark_repetitions=3 --benchmark_min_time=0.1 "$@")
# Burning's Video draws into an X window; both renderers' pictures go beside the results.
# Its frame times spread by 5 to 18 % from one repetition to the next: nine of them.
TOLMAK_BENCH_PICTURES="$out" launcher="xvfb-run -a" run bench_software_render \
  --benchmark_repetitions=9 --benchmark_min_time=0.5 --benchmark_enable_random_interleaving=true "$@"
# The model compiler: each operation takes a second or more, three times.
uptime >"$out/compiler_uptime.txt"
run bench_compiler --benchmark_repetitions=3 --benchmark_min_time=0.01 "$@"
uptime >>"$out/compiler_uptime.txt"
# The software 3D device on the plug-in's demo-like scene, 300 frames.
echo "== zunfert_video_timing"
build/default/bin/zunfert_video_timing 300 | tee "$out/video3d.txt"
# Again on two threads, to time the calling thread's own share apart.
build/default/bin/zunfert_video_timing 300 2 | tee "$out/video3d_2.txt"
# And the demo game itself, which times its own frames.
echo "== demo"
build/default/bin/demo --video software --frames 300 --output "$out/demo" | tail -1 |
  tee "$out/demo.txt"
# The same frames on the OpenGL device (Mesa's llvmpipe, no display), with
# the scene's mesh subsets and what the device sent to the card for its last frame.
echo "== demo on OpenGL"
SDL_VIDEODRIVER=offscreen build/default/bin/demo --frames 300 --output "$out/demo-gl" |
  grep -E '^(demo: [0-9]+ triangles|Last frame|demo: [0-9]+ frames)' | tee "$out/demo_gl.txt"
echo "$(($(date +%s) - started))" >"$out/seconds"

# Debian's own interpreter, which has the python3-matplotlib package.
/usr/bin/python3 scripts/bench_report.py "$out" build/default/compile_commands.json docs
echo "Wrote docs/PERFORMANCE.md and docs/matrix_pass.png"
