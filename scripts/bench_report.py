#!/usr/bin/env python3
"""Turns the JSON of the benchmark programs into docs/PERFORMANCE.md and the
chart of the matrix pass, docs/matrix_pass.png.

Usage: bench_report.py RESULTS_DIR COMPILE_COMMANDS_JSON DOCS_DIR
"""

import json
import os
import platform
import re
import shlex
import subprocess
import sys

UNIT = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
SHAPES = [("chain", "chain"), ("binary", "binary tree"), ("wide500", "500 children per node"),
          ("octal", "8 children per node")]
EDITS = [("all", "everything edited"), ("1pct", "one percent edited"), ("none", "nothing edited")]
SIZES = [1000, 3000, 10000, 30000, 100000, 300000, 1000000]


def load(results, program):
    """run name -> median figures of that benchmark, times in ns."""
    path = os.path.join(results, program + ".json")
    if not os.path.exists(path):
        return {}, {}
    with open(path) as f:
        data = json.load(f)
    runs = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") not in ("median", "cv"):
            continue
        name = re.sub(r"/(iterations|repeats):\d+", "", b["run_name"])
        name = name.replace("/manual_time", "").replace("/real_time", "")
        # Wall-clock runs measure what threads gain: their real time is the figure.
        manual = b["run_name"].endswith(("/manual_time", "/real_time"))
        scale = UNIT[b["time_unit"]]
        entry = runs.setdefault(name, {})
        if b.get("aggregate_name") == "cv":
            entry["cv"] = b["real_time"] if manual else b["cpu_time"]
            continue
        # Manual timings are the thread's processor time; the others are
        # the process's processor time, not the wall clock, which counts the
        # time spent waiting for a core of a shared machine.
        entry["ns"] = (b["real_time"] if manual else b["cpu_time"]) * scale
        entry["cpu_ns"] = b["cpu_time"] * scale
        for key, value in b.items():
            if isinstance(value, (int, float)) and key not in ("real_time", "cpu_time"):
                entry.setdefault(key, value)
    return runs, data["context"]


def per_node(runs, variant, shape, size):
    """A matrix-pass run's time per queued node, everything edited; None if it did not run."""
    r = runs.get(f"pass/{variant}/{shape}/all/{size}")
    return r["ns"] / r["queued"] if r and r.get("queued") else None


def fmt(value, digits=3):
    if value is None:
        return "–"
    if value == 0:
        return "0"
    if abs(value) >= 100:
        return f"{value:,.0f}"
    return f"{value:.{digits}g}"


def ratio(ours, base):
    if ours is None or base is None or base == 0:
        return None
    return ours / base


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(lines) + "\n"


def verdict(ok):
    return "met" if ok else "**missed**"


def machine(context, compile_commands, seconds):
    model = "unknown"
    try:
        with open("/proc/cpuinfo") as f:
            model = next(line.split(":", 1)[1].strip() for line in f if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    memory = ""
    try:
        with open("/proc/meminfo") as f:
            kb = int(next(line.split()[1] for line in f if line.startswith("MemTotal")))
        memory = f"{kb / 1024 / 1024:.0f} GiB"
    except (OSError, StopIteration):
        pass
    with open(compile_commands) as f:
        commands = json.load(f)

    def flags_of(suffix):
        for c in commands:
            if c["file"].endswith(suffix):
                words = shlex.split(c["command"])
                keep = [w for w in words[1:] if w.startswith(("-O", "-f", "-W", "-std", "-g", "-m", "-D"))
                        and not w.startswith(("-MD", "-MT", "-MF", "-DTOLMAK_BUILDING", "-Dtolmak_"))]
                return words[0], " ".join(keep)
        return "c++", ""

    compiler, library_flags = flags_of("scene/entity_transform.cpp")
    _, bench_flags = flags_of("bench/matrix_pass_bench.cpp")
    version = subprocess.run([compiler, "--version"], capture_output=True, text=True).stdout.splitlines()[0]

    def package(name):
        out = subprocess.run(["dpkg-query", "-W", "-f=${Version}", name], capture_output=True, text=True)
        return out.stdout.strip() or "not installed"

    baselines = ", ".join(f"{n} {package(p)}" for n, p in
                          [("GLM", "libglm-dev"), ("Eigen", "libeigen3-dev"), ("pixman", "libpixman-1-dev"),
                           ("SDL2", "libsdl2-dev"), ("Google Benchmark", "libbenchmark-dev")])
    load_avg = ", ".join(f"{x:.1f}" for x in context.get("load_avg", []))
    return table(["", ""], [
        ["processor", f"{model}, {context.get('num_cpus', '?')} cores at {context.get('mhz_per_cpu', '?')} MHz (as reported)"],
        ["memory", memory],
        ["system", f"{platform.system()} {platform.release()}, {platform.machine()}"],
        ["compiler", version],
        ["library flags", f"`{library_flags}`"],
        ["benchmark flags", f"`{bench_flags}`"],
        ["baselines", baselines],
        ["load average when the matrix pass began", load_avg],
        ["time taken by the benchmarks", f"{seconds} s" if seconds else "–"],
    ])


def matrix_pass(runs, docs):
    out = []
    per = {}  # (variant, shape, edit, size) -> ns per queued entity, or per pass for "none"
    for variant in ("entity", "flat"):
        for shape, _ in SHAPES:
            for edit, _ in EDITS:
                for size in SIZES:
                    r = runs.get(f"pass/{variant}/{shape}/{edit}/{size}")
                    if r is None:
                        continue
                    queued = r.get("queued", 0)
                    per[(variant, shape, edit, size)] = (r["ns"], queued)

    def per_entity(variant, shape, edit, size):
        v = per.get((variant, shape, edit, size))
        if v is None or not v[1]:
            return None
        return v[0] / v[1]

    goals = []
    worst100k = max((per_entity("entity", s, e, 100000) or 0) for s, _ in SHAPES for e in ("all", "1pct"))
    worst_ratio = max((ratio(per_entity("entity", s, e, 100000), per_entity("flat", s, e, 100000)) or 0)
                      for s, _ in SHAPES for e in ("all", "1pct"))
    goals.append(["`UpdateMatrices` at 100,000 entities, worst shape and edit", "≤ 20 ns per queued entity",
                  f"{worst100k:.1f} ns", verdict(worst100k <= 20)])
    goals.append(["the same against the flat-array loop", "≤ 1.5 ×", f"{worst_ratio:.2f} ×",
                  verdict(worst_ratio <= 1.5)])
    small = [per[("entity", s, "none", 1000)][0] for s, _ in SHAPES if ("entity", s, "none", 1000) in per]
    large = [per[("entity", s, "none", 1000000)][0] for s, _ in SHAPES if ("entity", s, "none", 1000000) in per]
    if small and large:
        # A pass of a few nanoseconds is at the mercy of any interruption: the
        # four shapes give four measurements of the same work at each size.
        median = lambda v: sorted(v)[len(v) // 2] if len(v) % 2 else sum(sorted(v)[len(v) // 2 - 1:][:2]) / 2
        growth = median(large) / median(small)
        goals.append(["empty pass at 1,000,000 against 1,000 entities (median of the four trees)",
                      "the same cost", f"{growth:.2f} × ({median(small):.1f} and {median(large):.1f} ns a pass; "
                      f"all runs {min(small + large):.1f} to {max(small + large):.1f} ns)", verdict(growth <= 1.5)])
    flat_growth = []
    for s, _ in SHAPES:
        a, b = per_entity("entity", s, "all", 1000), per_entity("entity", s, "all", 1000000)
        if a and b:
            flat_growth.append(b / a)
    if flat_growth:
        worst = max(flat_growth)
        goals.append(["time per entity at 1,000,000 against 1,000 (everything edited)", "≤ 1.5 ×",
                      f"{worst:.2f} × (worst shape)", verdict(worst <= 1.5)])
    chain = per.get(("entity", "chain", "all", 1000000))
    if chain:
        goals.append(["a 1,000,000-deep chain queued and updated", "works",
                      f"{chain[1]:,.0f} entities queued, {chain[0] / 1e6:.1f} ms a pass", verdict(chain[1] == 1000000)])
    small, large = runs.get("queue_removal/1000"), runs.get("queue_removal/1000000")
    if small and large:
        goals.append(["destroying a queued entity, 1,000,000 against 1,000 entities queued before",
                      "O(1): the same cost", f"{small['ns']:.0f} ns and {large['ns']:.0f} ns (new and delete)",
                      verdict(large["ns"] <= 1.5 * small["ns"])])

    out.append("Each row is one tree of that many entities, allocated one by one in depth-first "
               "order. *Everything edited*: every entity's pivot is set, so the whole tree is "
               "queued. *One percent edited*: one entity in a hundred, chosen at random, is edited, "
               "which queues it and its subtree. *Nothing edited*: the pass over an empty queue. "
               "The flat loop does the same work on the same tree and queue, with the pivots, world "
               "matrices, parents and flags in arrays: the physical limit of that work. Times are "
               "per queued entity (per pass for nothing edited); the ratio is entity ÷ flat.\n")
    for shape, title in SHAPES:
        rows = []
        for size in SIZES:
            for edit, edit_title in EDITS:
                e, f = per.get(("entity", shape, edit, size)), per.get(("flat", shape, edit, size))
                if not e:
                    continue
                if edit == "none":
                    rows.append([f"{size:,}", edit_title, 0, f"{e[0]:.1f} ns a pass",
                                 f"{f[0]:.1f} ns a pass" if f else "–", fmt(ratio(e[0], f[0] if f else None))])
                else:
                    pe, pf = per_entity("entity", shape, edit, size), per_entity("flat", shape, edit, size)
                    rows.append([f"{size:,}", edit_title, f"{e[1]:,.0f}", f"{pe:.1f} ns", fmt(pf) + " ns",
                                 fmt(ratio(pe, pf))])
        out.append(f"\n#### {title.capitalize()}\n\n")
        out.append(table(["entities", "edit", "queued", "UpdateMatrices", "flat loop", "ratio"], rows))
    chart(per, per_entity, docs)
    return goals, "".join(out)


def chart(per, per_entity, docs):
    try:
        import matplotlib
    except ImportError:
        return
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, axes = plt.subplots(1, 2, figsize=(12, 4.8), sharey=True)
    colours = ["tab:blue", "tab:orange", "tab:green", "tab:red"]
    for ax, (edit, title) in zip(axes, EDITS[:2]):
        for colour, (shape, name) in zip(colours, SHAPES):
            for variant, style in (("entity", "-"), ("flat", "--")):
                points = [(n, per_entity(variant, shape, edit, n)) for n in SIZES]
                points = [(n, v) for n, v in points if v]
                if points:
                    ax.plot([p[0] for p in points], [p[1] for p in points], style, color=colour, marker="o",
                            markersize=3, label=f"{name}, {'UpdateMatrices' if variant == 'entity' else 'flat loop'}")
        ax.set_xscale("log")
        ax.set_title(title.capitalize())
        ax.set_xlabel("entities in the tree")
        ax.grid(True, which="both", alpha=0.3)
        ax.axhline(20, color="grey", linewidth=0.8)
    axes[0].set_ylabel("ns per queued entity")
    axes[0].set_ylim(bottom=0)
    axes[1].legend(fontsize=7, loc="upper left")
    fig.suptitle("The matrix pass: time per queued entity (solid: UpdateMatrices, dashed: flat-array loop; "
                 "grey line: 20 ns)", fontsize=10)
    fig.tight_layout()
    fig.savefig(os.path.join(docs, "matrix_pass.png"), dpi=100)


def pixels(runs):
    goals, rows = [], []
    for direction, title in (("from", "ARGB8888 to {}"), ("to", "{} to ARGB8888")):
        for fmt_name in ("RGB565", "ARGB5551", "ARGB4444"):
            base = f"pixels/{direction}/{fmt_name}/"
            ours, pix, sdl = runs.get(base + "ours"), runs.get(base + "pixman"), runs.get(base + "sdl")
            if not ours:
                continue
            mps = lambda r: r["items_per_second"] / 1e6 if r else None
            worst = max(ratio(ours["ns"], (pix or {}).get("ns")) or 0, ratio(ours["ns"], sdl["ns"]) or 0)
            rows.append([title.format(fmt_name), fmt(mps(ours)), fmt(mps(pix)), fmt(mps(sdl)),
                         fmt(ratio(ours["ns"], (pix or {}).get("ns"))), fmt(ratio(ours["ns"], sdl["ns"])),
                         f"{(pix or {}).get('differs', 0):,.0f} / {sdl.get('differs', 0):,.0f}"])
            goals.append([f"`{'ConvertFromARGB' if direction == 'from' else 'ConvertToARGB'}`, {title.format(fmt_name)}",
                          "≥ 500 Mpixel/s, ≤ 1 × pixman and SDL2",
                          f"{mps(ours):,.0f} Mpixel/s, {worst:.2f} × the faster library",
                          verdict(mps(ours) >= 500 and worst <= 1.0)])
    text = ("A million pixels converted by a plain loop that calls the function once per pixel, "
            "against pixman (a SRC composite between two 1000 × 1000 images) and SDL2 "
            "(`SDL_ConvertPixels`) converting the same bytes. Ratios are our time ÷ theirs. The last "
            "column counts the pixels where a library's result differs from ours: widening a channel, "
            "both libraries repeat its top bits (a 5-bit 31 becomes FF), the engine shifts in zeros "
            "(F8) as its format promises.\n\n")
    text += table(["conversion", "ours Mpixel/s", "pixman", "SDL2", "÷ pixman", "÷ SDL2",
                   "pixels differing (pixman / SDL2)"], rows)
    vb_rows = []
    for conv, title in (("ARGB8888-ABGR8888", "ARGB8888 ⇄ ABGR8888 (in place)"),
                        ("ARGB8888-RGB565", "ARGB8888 ⇄ RGB565 (the block is re-laid)")):
        ours, sdl = runs.get(f"vb/{conv}/ours"), runs.get(f"vb/{conv}/sdl")
        if not ours:
            continue
        r = ratio(ours["ns"], sdl["ns"])
        vb_rows.append([title, fmt(ours["items_per_second"] / 1e6), fmt(sdl["items_per_second"] / 1e6), fmt(r)])
        goals.append([f"`cVertexBuffer::Convert`, {title}", "≤ 1 × SDL_ConvertPixels", f"{r:.2f} ×", verdict(r <= 1.0)])
    text += ("\n`cVertexBuffer::Convert` of a million colours (a buffer of diffuse colours only, so its "
             "block is exactly a pixel array), there and back each iteration, against "
             "`SDL_ConvertPixels` doing the same two conversions on the same bytes:\n\n")
    text += table(["conversion", "ours Mcolour/s", "SDL2", "÷ SDL2"], vb_rows)
    return goals, text


def fastfloat(runs):
    goals, rows = [], []
    ops = [("Sqrt", "std::sqrt", ["std::sqrt"]), ("OneOverSqrt", "1/std::sqrt", ["1/std::sqrt", "rsqrtss"]),
           ("OneOver", "1/x", ["1/x", "rcpss"]), ("Sin", "std::sin", ["std::sin"])]
    for op, std, others in ops:
        ours = runs.get(f"fastfloat/{op}/ours")
        if not ours:
            continue
        acc = runs.get(f"accuracy/{op}/ours", {})
        for name in ["ours"] + others:
            r = runs.get(f"fastfloat/{op}/{name}")
            a = runs.get(f"accuracy/{op}/{name}", {})
            if not r:
                continue
            per = r["ns"] / 4096
            if op == "Sin":
                err = f"{a.get('max_abs_error', 0):.3g} (absolute, at angle {a.get('at_angle', 0):.0f})" if a else "–"
                err_all = ""
            else:
                err = f"{a.get('max_rel_error_normal', 0):.3g} (at {a.get('at_normal', 0):.4g})" if a else "–"
                err_all = f"{a.get('max_rel_error_all', 0):.3g} (at {a.get('at_all', 0):.4g})" if a else "–"
            label = f"`{op}`" if name == "ours" else name
            rows.append([label, f"{per:.2f}", fmt(ratio(r["ns"], ours["ns"])) if name != "ours" else "1",
                         err, err_all])
        base = runs.get(f"fastfloat/{op}/{std}")
        if base:
            r = ratio(ours["ns"], base["ns"])
            goals.append([f"`cFastFloat::{op}` against {std}", "faster (< 1 ×)", f"{r:.2f} ×", verdict(r < 1.0)])
    text = ("Each operation over 4096 positive arguments (exponents spread from 2^-20 to 2^20; for "
            "`Sin`, integer angles and the same angles in radians for `std::sin`) that stay in the "
            "first-level cache; time per call, and the time of each baseline as a multiple of ours. "
            "The errors are the largest |result ÷ exact − 1| found by trying every positive finite "
            "float, the exact value computed in double precision: first over the normal floats, then "
            "with the denormals added (the tables index by exponent, and a denormal's exponent field "
            "is that of zero). For `Sin` every integer angle is one of 1024 table entries, so all "
            "1024 are tried, and the error is absolute (the sine has zeros).\n\n")
    text += table(["operation", "ns per call", "time ÷ ours", "largest relative error, normal floats",
                   "largest, denormals too"], rows)
    return goals, text


def matrix(runs):
    goals, rows = [], []
    for op, title in (("product", "product A · B"), ("point", "point transform p · M")):
        ours = runs.get(f"matrix/{op}/ours")
        if not ours:
            continue
        for name, label in (("ours", "ours (double sums, one rounding)"), ("glm", "GLM"), ("eigen", "Eigen")):
            r = runs.get(f"matrix/{op}/{name}")
            if r:
                rows.append([title, label, f"{1e9 / r['items_per_second']:.2f}", fmt(ratio(ours["ns"], r["ns"]))])
        glm = runs.get(f"matrix/{op}/glm")
        if glm:
            rr = ratio(ours["ns"], glm["ns"])
            goals.append([f"`cMatrix4x3` {title}", "≤ 2 × GLM", f"{rr:.2f} ×", verdict(rr <= 2.0)])
    text = ("256 products of different matrices (three arrays in the first-level cache), and 1024 points "
            "through one matrix. GLM does the same affine work with its own types (`mat3` products and a "
            "`mat3 · vec3` for the translation, `mat4x3 · vec4` for a point), Eigen with "
            "`AffineCompact3f`, all on the same twelve floats. *Ours ÷ them* is our time over theirs. "
            "Both libraries sum in single precision, so the ratio is what the engine's rule of summing "
            "in double precision and rounding once costs: every element is converted to double and "
            "back, and a 128-bit register holds two doubles where it would hold four floats.\n\n")
    text += table(["operation", "implementation", "ns each", "ours ÷ them"], rows)
    return goals, text


def buffers(runs):
    goals, rows = [], []
    for kind, title in (("vertex", "cVertexBuffer, 1,000,000 vertices of 36 bytes"),
                        ("index", "cIndexBuffer, 1,000,000 indices")):
        mem = runs.get(f"buffers/{kind}/memcpy")
        for op in ("Copy", "Save", "Load"):
            r = runs.get(f"buffers/{kind}/{op}/ours")
            if not r or not mem:
                continue
            share = r["bytes_per_second"] / mem["bytes_per_second"]
            rows.append([title, op, f"{r['bytes_per_second'] / 1e9:.2f}", f"{mem['bytes_per_second'] / 1e9:.2f}",
                         f"{share:.2f}"])
            goals.append([f"`{title.split(',')[0]}::{op}`", "≥ 0.5 × memcpy bandwidth", f"{share:.2f} ×",
                          verdict(share >= 0.5)])
    text = ("Bandwidth counts the buffer's block once per operation. `Save` writes into a memory stream "
            "that keeps its storage from one save to the next; `Load` reads into a buffer that already "
            "holds a block of that size, as a buffer loaded again would. The baseline is `memcpy` "
            "of the same number of bytes between two blocks.\n\n")
    text += table(["buffer", "operation", "ours GB/s", "memcpy GB/s", "ours ÷ memcpy"], rows)
    arr_rows = []
    for op, title in (("add", "append 1,000,000 ints to an empty array"), ("sum", "sum 1,000,000 ints"),
                      ("copy", "copy an array of 1,000,000 ints")):
        t, v = runs.get(f"array/{op}/tArray"), runs.get(f"array/{op}/std::vector")
        if t and v:
            arr_rows.append([title, f"{t['ns'] / 1e6:.3f}", f"{v['ns'] / 1e6:.3f}", fmt(ratio(t["ns"], v["ns"]))])
    text += "\n`tArray` against `std::vector` (times in ms):\n\n"
    text += table(["operation", "tArray", "std::vector", "tArray ÷ std::vector"], arr_rows)
    return goals, text


def audio(runs):
    """The audio driver's mix and its decoding beside libsndfile's own loop."""
    goals, rows = [], []
    for voices in (8, 32, 64):
        r = runs.get(f"audio/mix3d/{voices}")
        if r:
            rows.append([voices, f"{r['ns'] / 1e6:.2f}", f"{r['x_realtime']:.0f} ×"])
            if voices == 64:
                goals.append(["64 playing 3D voices at 48 kHz, one core", "≥ 50 × real time",
                              f"{r['x_realtime']:.0f} ×", verdict(r["x_realtime"] >= 50)])
    text = ("Processor time to mix one second of 48 kHz stereo through OpenAL Soft's loopback render, "
            "every voice a looping mono 3D sample at its own distance, velocity and pitch (so each is "
            "resampled, placed and attenuated):\n\n")
    text += table(["voices", "ms per second of sound", "real time"], rows)
    dec_rows = []
    for kind, title in (("ogg", "Ogg Vorbis"), ("flac", "FLAC")):
        ours, base = runs.get(f"audio/decode/{kind}/ours"), runs.get(f"audio/decode/{kind}/libsndfile")
        if ours and base:
            r = ratio(ours["ns"], base["ns"])
            dec_rows.append([title, f"{ours['ns'] / 1e6:.2f}", f"{base['ns'] / 1e6:.2f}", fmt(r)])
            goals.append([f"`cOpenALSoundStream::Decode`, {title}, against libsndfile's loop",
                          "≤ 1.05 ×", f"{r:.3f} ×", verdict(r <= 1.05)])
    text += ("\nDecoding a 10-second 48 kHz stereo file whole in 4,096-frame reads (ms): ours opens it "
             "through the stream manager and decodes through libsndfile's virtual I/O over the "
             "engine's stream; the baseline is `sf_open` of the path and a `sf_readf_short` loop.\n\n")
    text += table(["format", "ours", "libsndfile", "ours ÷ libsndfile"], dec_rows)
    return goals, text


def video3d(results):
    """The software 3D device's frame, from the timing program's output."""
    path = os.path.join(results, "video3d.txt")
    if not os.path.exists(path):
        return [], ("Not measured: the timing program of the software 3D device did not run.\n")
    text = open(path).read()
    head = re.search(r"(\d+) frames of (\d+) triangles at (\d+)x(\d+) on 1 thread\(s\): ([\d.]+) ms per frame "
                     r"\(([\d.]+) fps\)", text)
    split = re.search(r"transform ([\d.]+) ms, raster ([\d.]+) ms, present ([\d.]+) ms "
                      r"\(in memory\), clear ([\d.]+) ms", text)
    if not head or not split:
        return [], "The timing program's output could not be read:\n\n```\n" + text + "```\n"
    frames, triangles, width, height, ms, fps = head.groups()
    transform, raster, present, clear = split.groups()
    goals = [[f"software 3D device, demo-like scene at {width} × {height}", "≥ 60 frames/s on one core",
              f"{float(fps):.0f} frames/s ({ms} ms a frame)", verdict(float(fps) >= 60)]]
    body = (f"`zunfert_video_timing` (in `plugins/zunfert/video/`) draws a scene like the demo's with the "
            f"plug-in's software 3D device: six textured, lit spheres turning in a ring, {int(triangles):,} "
            f"triangles a frame of which about half face the camera, bilinear filtering, two lights, "
            f"{width} × {height} at 32 bits, {frames} frames on one core, timed in processor time.\n\n")
    body += table(["part of the frame", "ms"], [
        ["transform (vertices, lighting)", transform], ["raster (clipping, triangle set-up, pixels)", raster],
        ["present (into memory)", present], ["clear and the rest", clear],
        [f"**whole frame** ({float(fps):.0f} frames/s)", f"**{ms}**"]])
    demo = os.path.join(results, "demo.txt")
    found = re.search(r"demo: (\d+) frames, (\d+) triangles each, render ([\d.]+) ms a frame "
                      r"\(([\d.]+) to ([\d.]+)\), png ([\d.]+) ms", open(demo).read()) if os.path.exists(demo) else None
    if found:
        frames, triangles, render, least, most, png = found.groups()
        body += (f"\nThe demo game itself (`examples/demo`, {frames} frames of {int(triangles):,} textured "
                 f"triangles at 640 × 480) times its frames by the wall clock: it renders a frame (clear, "
                 f"transform and raster through the world) in {render} ms on average ({least} to {most} ms, "
                 f"{1e3 / float(render):.0f} frames/s), and presents it by writing a PNG file, {png} ms a "
                 "frame, which a screen would not cost.\n")
    return goals, body


def notes(runs, goals, context):
    """Why each missed goal is missed, from the figures of the same run."""
    missed = [g[0] for g in goals if g[3] != "met"]
    out = []
    if any(m.startswith("`UpdateMatrices`") for m in missed):
        flats = [runs.get(f"pass/flat/{s}/{e}/100000") for s, _ in SHAPES for e in ("all", "1pct")]
        per = [r["ns"] / r["queued"] for r in flats if r and r.get("queued")]
        product = runs.get("matrix/product/ours")
        load = ", ".join(f"{x:.1f}" for x in context.get("load_avg", []))
        worst = max((g[2] for g in goals if g[0] == "the same against the flat-array loop"), default="?")
        out.append(
            f"- *20 ns per entity at 100,000 entities.* The flat loop, which does nothing but the "
            f"arithmetic and the flag tests on arrays, takes {min(per):.1f} to {max(per):.1f} ns per "
            f"entity at that size here"
            + (f" (one product alone: {product['ns'] / 256:.1f} ns)" if product else "")
            + f", so on this machine, at the load average of {load} it had during the run, 20 ns "
            f"leave the entities at most {max(0.0, 20 - min(per)):.1f} ns beyond the arithmetic. "
            f"The entities, reached through their records in the matrix pool, take {worst} the flat "
            "loop's time at worst (see the comparison with the other engines below).")
    if "time per entity at 1,000,000 against 1,000 (everything edited)" in missed:
        node = lambda variant, shape, size: per_node(runs, variant, shape, size)
        grown = [(node("entity", s, 1000000) / node("entity", s, 1000), s, t) for s, t in SHAPES
                 if node("entity", s, 1000) and node("entity", s, 1000000)]
        growth, shape, title = max(grown)
        flat = [node("flat", shape, n) for n in (1000, 1000000)]
        out.append(
            f"- *Time per entity at a million.* On the worst tree ({title}) the pass takes "
            f"{node('entity', shape, 1000):.1f} ns an entity at 1,000 entities and "
            f"{node('entity', shape, 1000000):.1f} ns at 1,000,000 ({growth:.2f} ×)"
            + (f", where the flat loop on the same tree goes from {flat[0]:.1f} to {flat[1]:.1f} ns "
               f"({flat[1] / flat[0]:.2f} ×)" if all(flat) else "")
            + ": a thousand entities' records stay in the cache from pass to pass, a million's come "
            "from memory, where the pass reads 136 bytes an entity (two cache lines and its queue "
            "entry) and the flat loop 108 bytes from its arrays.")
    pixel_misses = [m for m in missed if m.startswith(("`ConvertFromARGB", "`ConvertToARGB"))]
    if pixel_misses:
        out.append(
            "- *Per-pixel conversions against pixman and SDL2* ("
            + "; ".join(m.replace("`", "") for m in pixel_misses)
            + "). The libraries convert a whole image per call, with a loop made for the pair of "
            "formats: pixman's ARGB8888 to RGB565 moves more than a pixel per clock cycle, which only "
            "vector code does. "
            "`ConvertFromARGB` and `ConvertToARGB` take one pixel and learn the format at run time, so "
            "the compiler keeps the caller's loop to one pixel at a time; inlined, they cost four "
            "shifts and masks from the format's table row per pixel. The engine's own batch path, "
            "which the vertex buffer uses, knows the format for a whole run and beats SDL2 (table "
            "below).")
    for kind, title in (("ogg", "Ogg Vorbis"), ("flac", "FLAC")):
        if not any(m.startswith("`cOpenALSoundStream::Decode`") and title in m for m in missed):
            continue
        ours, base = runs.get(f"audio/decode/{kind}/ours"), runs.get(f"audio/decode/{kind}/libsndfile")
        spread = [r.get("cv", 0) for r in (ours, base)]
        gap = ours["ns"] / base["ns"] - 1
        out.append(
            f"- *{title} decoding.* Both sides decode with the same codec through libsndfile; ours "
            f"only reads the file's bytes through the engine's stream. The medians differ by "
            f"{100 * gap:.1f} %, while the repetitions of each spread with a coefficient of variation "
            f"of {100 * spread[0]:.1f} % (ours) and {100 * spread[1]:.1f} % (libsndfile)"
            + (": the difference is smaller than the run's own noise." if gap < min(spread) else "."))
    if any("cIndexBuffer::Load" in m for m in missed):
        out.append(
            "- *Load.* Besides the copy, a load checks every index against the stream's maximum "
            "(a stream is never trusted), which reads the block a second time while it is in the "
            "cache.")
    if any(m.startswith("software 3D device, demo-like") for m in missed):
        out.append("- *60 frames a second.* The split of the frame, in the section of the device below, shows "
                   "where the time goes.")
    if not out:
        return ""
    return "\nWhere a goal is missed:\n\n" + "\n".join(out) + "\n"


def image_decode(results):
    """The plug-in's image decoders against the library a game would call."""
    runs, _ = load(results, "bench_image_decode")
    rows = []
    for fmt_name, title, base_name, base_title in (
            ("bmp", "BMP, 24-bit", "sdl_image", "SDL2_image + convert"),
            ("pcx", "PCX, 24-bit RLE", "sdl_image", "SDL2_image + convert"),
            ("tga", "TGA, 32-bit", "sdl_image", "SDL2_image + convert"),
            ("jpeg", "JPEG, quality 90", "libjpeg", "libjpeg-turbo"),
            ("png", "PNG, 8-bit RGBA", "libpng", "libpng")):
        ours, base = runs.get(f"decode/{fmt_name}/ours"), runs.get(f"decode/{fmt_name}/{base_name}")
        if ours and base:
            rows.append([title, f"{ours['file_kB'] / 1000:.2f}", f"{ours['ns'] / 1e6:.2f}", base_title,
                         f"{base['ns'] / 1e6:.2f}", fmt(ratio(ours["ns"], base["ns"]))])
    if not rows:
        return "Not measured (`bench_image_decode` needs SDL2_image).\n"
    text = ("One 1920 × 1080 picture (smooth shading, fine detail, a little noise), written by the "
            "plug-in's encoders and decoded from memory into 32-bit ARGB, times in ms. For JPEG and "
            "PNG the baseline is the same library called directly (libpng through its simplified "
            "interface), so the ratio is the wrappers' overhead; for BMP, PCX and TGA it is SDL2_image, "
            "its surface converted to ARGB 8888 as ours is. Every baseline gives the same pixels as "
            "ours, or the program stops before measuring.\n\n")
    return text + table(["file", "MB", "ours", "baseline", "baseline ms", "ours ÷ baseline"], rows)


def main():
    results, compile_commands, docs = sys.argv[1:4]
    os.makedirs(docs, exist_ok=True)
    runs = {}
    contexts = {}
    for program in ("bench_fastfloat", "bench_matrix", "bench_pixels", "bench_buffers", "bench_matrix_pass",
                    "bench_software_render", "bench_audio"):
        r, c = load(results, program)
        runs.update(r)
        contexts[program] = c
    seconds = None
    if os.path.exists(os.path.join(results, "seconds")):
        seconds = open(os.path.join(results, "seconds")).read().strip()
    pass_goals, pass_text = matrix_pass(runs, docs)
    pixel_goals, pixel_text = pixels(runs)
    ff_goals, ff_text = fastfloat(runs)
    m_goals, m_text = matrix(runs)
    b_goals, b_text = buffers(runs)
    v_goals, v_text = video3d(results)
    c_goals, c_text = compiler(results)
    a_goals, a_text = audio(runs)
    gl_goals, gl_text = opengl(results)
    goals = (pass_goals + pixel_goals + ff_goals + m_goals + b_goals + v_goals + gl_goals + c_goals
             + a_goals)
    # Against the engines and libraries users would otherwise pick.
    import bench_report_engines as engines
    e_goals, e_text = engines.engines_pass(runs)
    bp_goals, bp_text = engines.batch_pixels(runs)
    r_goals, r_text = engines.renderers(results, runs, docs)
    goals += e_goals + bp_goals + r_goals + engines.demo_frames(results)
    context = contexts.get("bench_matrix_pass") or next((c for c in contexts.values() if c), {})

    doc = ["# Performance\n\n",
           "Written by `bash scripts/bench.sh`, which installs the baseline libraries, builds the "
           "benchmark programs in `bench/` with the project's own flags, runs them and writes this "
           f"page. Run on {context.get('date', '?')[:10]}.\n\n",
           "Every figure is the median of the repetitions of one run (small benchmarks: 7, "
           "interleaved at random with their baselines; the matrix pass: 3; the renderers: 9), as "
           "processor time of the benchmark itself, not wall-clock time: these machines are shared, and "
           "time spent waiting for a core is nobody's speed. Ours and the baseline always come from the "
           "same run, so the ratios are what to compare between machines. (Google Benchmark warns that Debian "
           "built its own library without optimisation; that concerns its bookkeeping around the "
           "timed loops, not the code measured.)\n\n",
           "## Machine\n\n", machine(context, compile_commands, seconds),
           "\n## Goals\n\n", table(["what", "goal", "measured", ""], goals),
           notes(runs, goals, context),
           "\n## The matrix pass\n\n![Time per queued entity against the number of entities]"
           "(matrix_pass.png)\n\n", pass_text,
           "\n## Pixel conversion\n\n", pixel_text,
           "\n## Fast float\n\n", ff_text,
           "\n## Matrix product and point transform\n\n", m_text,
           "\n## Buffers and arrays\n\n", b_text,
           "\n## Software 3D device\n\n", v_text,
           "\n## OpenGL 3D device\n\n", gl_text,
           "\n## Image decoding\n\n", image_decode(results),
           "\n## Model compiler\n\n", c_text,
           "\n## Sound\n\n", a_text,
           "\n## The matrix pass against Irrlicht and OGRE\n\n", e_text,
           "\n## Run conversion of pixels\n\n", bp_text,
           "\n## The software 3D device against Burning's Video\n\n", r_text]
    with open(os.path.join(docs, "PERFORMANCE.md"), "w") as f:
        f.write("".join(doc))


if __name__ == "__main__":
    from bench_report_compiler import compiler
    from bench_report_opengl import opengl
    main()
