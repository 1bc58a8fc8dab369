"""The OpenGL device's section of docs/PERFORMANCE.md, from the demo's two runs of bench.sh."""

import os
import re

from bench_report import table, verdict

SUMMARY = re.compile(r"demo: (\d+) frames, (\d+) triangles each, render ([\d.]+) ms a frame "
                     r"\(([\d.]+) to ([\d.]+)\), png ([\d.]+) ms")
SCENE = re.compile(r"demo: \d+ triangles in \d+ entities, (\d+) mesh subsets")
COUNTS = re.compile(r"Last frame: (\d+) draw calls, (\d+) state changes, (\d+) uploads, "
                    r"(\d+) programs compiled")


def read(results, name):
    path = os.path.join(results, name)
    return open(path).read() if os.path.exists(path) else ""


def opengl(results):
    """(goal rows, section text): the demo scene on the OpenGL device against the software device."""
    software, gl = read(results, "demo.txt"), read(results, "demo_gl.txt")
    soft_run, gl_run = SUMMARY.search(software), SUMMARY.search(gl)
    scene, counts = SCENE.search(gl), COUNTS.search(gl)
    if not soft_run or not gl_run or not scene or not counts:
        return [], ("Not measured: the demo did not run on both devices (the OpenGL device needs SDL2 "
                    "and Mesa's drivers).\n" + (f"\n```\n{gl}```\n" if gl else ""))
    subsets = int(scene.group(1))
    draws, changes, uploads, compiles = map(int, counts.groups())
    # The software device renders a frame by the end of EndScene; the card, and llvmpipe,
    # by the swap in Flip: its frame is both, and Flip writes no file there.
    soft_ms = float(soft_run.group(3))
    gl_render, gl_present = float(gl_run.group(3)), float(gl_run.group(6))
    gl_ms = gl_render + gl_present
    goals = [
        ["OpenGL device: draw calls a frame of the demo", "one per mesh subset",
         f"{draws} for {subsets} subsets", verdict(draws <= subsets)],
        ["OpenGL device: buffers and textures uploaded a frame (none changes)", "0", str(uploads),
         verdict(uploads == 0)],
        ["OpenGL device: programs compiled in the last frame", "0 after the first frames", str(compiles),
         verdict(compiles == 0)],
        ["OpenGL device on llvmpipe: demo frame time against the software device's", "≤ 1 ×",
         f"{gl_ms / soft_ms:.2f} × ({gl_ms:.2f} ms against {soft_ms:.2f} ms)", verdict(gl_ms <= soft_ms)],
    ]
    rows = [["software (`--video software`)", soft_run.group(1), f"{soft_ms:.2f}", "–", f"{soft_ms:.2f}",
             f"{1e3 / soft_ms:.0f}", "–", "–", "–", "–"],
            ["OpenGL (`SDL_VIDEODRIVER=offscreen`)", gl_run.group(1), f"{gl_render:.2f}", f"{gl_present:.2f}",
             f"{gl_ms:.2f}", f"{1e3 / gl_ms:.0f}", str(draws), str(changes), str(uploads), str(compiles)]]
    text = (f"The demo game's scene ({int(gl_run.group(2)):,} triangles in {subsets} mesh subsets, "
            "640 × 480) on each 3D device, in the same run, timed by the demo with the wall clock and "
            "averaged over all its frames, the first ones included. The OpenGL device runs on Mesa's "
            "llvmpipe without a display, which rasterizes on the processor's cores as the software "
            "device does; it does its work when Flip swaps the picture to the window, so its frame is "
            "the render and the present time together. The software device's present, which writes a "
            "PNG file, is left out. The counts are what the OpenGL device asked of the driver in the "
            "last frame: draw calls, state changes (fixed-function state, program, texture and vertex "
            "layout), buffer and texture uploads, programs compiled.\n\n")
    text += table(["device", "frames", "render ms", "present ms", "frame ms", "frames/s", "draw calls",
                   "state changes", "uploads", "compiles"], rows)
    return goals, text
