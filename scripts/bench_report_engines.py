"""The sections of docs/PERFORMANCE.md that set the engine beside other
engines: the matrix pass against Irrlicht's and OGRE's, the software 3D
device against Irrlicht's Burning's Video, the run conversions of pixels
against pixman and SDL2, and the demo's frame files. Each function returns
(goals, text) as the sections of bench_report.py do."""

import os
import re
import shutil

from bench_report import SHAPES, SIZES, fmt, per_node, ratio, table, verdict


def engines_pass(runs):
    """Time per node of the four passes on every tree, everything edited."""
    rows, worst = [], {"irrlicht": (0, ""), "ogre": (0, ""), "flat": (0, "")}
    limit = {"irrlicht": 0.5, "ogre": 0.25, "flat": 1.3}
    misses = {k: [] for k in limit}
    for shape, name in SHAPES:
        for n in SIZES:
            per = {v: per_node(runs, v, shape, n) for v in ("entity", "flat", "irrlicht", "ogre")}
            if per["entity"] is None:
                continue
            row = [name, f"{n:,}", fmt(per["entity"]), fmt(per["flat"]), fmt(per["irrlicht"]), fmt(per["ogre"])]
            for k in ("irrlicht", "ogre", "flat"):
                r = ratio(per["entity"], per[k])
                row.append(fmt(r))
                if r is not None:
                    if r > worst[k][0]:
                        worst[k] = (r, f"{name}, {n:,}")
                    if r > limit[k]:
                        # Beside each engine's miss, what the flat loop alone takes of its time there.
                        flat = ratio(per["flat"], per[k]) if k != "flat" else None
                        misses[k].append((f"{name} {n:,} ({r:.2f})", flat))
            rows.append(row)
    if not rows:
        return [], "Not measured.\n"
    goals = []
    for k, title in (("irrlicht", "Irrlicht's"), ("ogre", "OGRE's"), ("flat", "the flat loop's")):
        r, where = worst[k]
        if r == 0:
            continue
        missed = misses[k]
        goals.append([f"matrix pass, every tree and size, against {title} time per node", f"≤ {limit[k]} ×",
                      f"worst {r:.2f} × ({where})" + (f"; over the goal: {len(missed)} of {len(rows)}" if missed else ""),
                      verdict(not missed)])
    text = ("Every node of the tree edited, then the pass, timed per node in the thread's processor time, on "
            "the same trees as above (`bench/matrix_trees.h`). Irrlicht: `setPosition` and `setRotation` on "
            "every node, then `updateAbsolutePosition` on every node in depth-first order (its parent first). "
            "OGRE: `setPosition` and `setOrientation` on every node, then `_update` of the tree's root and "
            "`_getFullTransform` of every node. Ours: `SetPivotPosition` on every entity, then `UpdateMatrices`. "
            "Only the pass is timed, not the edits. Ratios are ours ÷ theirs.\n\n")
    text += table(["tree", "nodes", "ours ns", "flat loop", "Irrlicht", "OGRE", "÷ Irrlicht", "÷ OGRE", "÷ flat"], rows)
    text += limits(runs, misses)
    return goals, text


def engine_misses(engine, missed):
    """An engine's missed cells, each with the flat loop's share of the engine's time there."""
    if not missed:
        return f"{engine}: none"
    return f"{engine}: " + "; ".join(
        label + (f", where the flat loop takes {flat:.2f} × {engine}'s time" if flat is not None else "")
        for label, flat in missed)


def limits(runs, misses):
    """What bounds the pass where it misses, from the flat loop of the same run."""
    out = []
    if misses["irrlicht"] or misses["ogre"]:
        flat_vs = []
        for shape, name in SHAPES:
            for n in SIZES:
                f, i = runs.get(f"pass/flat/{shape}/all/{n}"), runs.get(f"pass/irrlicht/{shape}/all/{n}")
                if f and i:
                    flat_vs.append((f["ns"] / i["ns"], f"{name} {n:,}"))
        worst = max(flat_vs, default=None)
        out.append("- *Against Irrlicht and OGRE* (" + engine_misses("Irrlicht", misses["irrlicht"]) + "; "
                   + engine_misses("OGRE", misses["ogre"]) + "). The flat loop is the same arithmetic on "
                   "arrays with nothing else to do: where it alone is over a goal, the pass cannot be under it. "
                   + (f"It takes up to {worst[0]:.2f} × Irrlicht's time ({worst[1]}): " if worst else "")
                   + "on a chain every product waits for its parent's, so the pass runs at the latency "
                   "of one double-precision product and its rounding, not at its throughput; the engine's "
                   "rule (sums in double precision, one rounding) costs that latency where Irrlicht sums "
                   "in single precision.")
    if misses["flat"]:
        # At a million nodes, by shape: the pass, the flat loop over its lines, the flat loop.
        big = [tuple(per_node(runs, v, s, 1000000) for v in ("entity", "lines", "flat")) for s, _ in SHAPES]
        per = [(e, f) for e, _, f in big if e and f]
        lined = [(e, l, f) for e, l, f in big if e and l and f]
        text = ("- *Against the flat loop* (" + "; ".join(label for label, _ in misses["flat"]) + "). The flat loop reads 108 bytes a "
                "node (pivot, world, parent index, flags, queue entry) from arrays and writes 52; the pass "
                "never touches the entities but reads each one's matrix record, two cache lines (pivot and "
                "links; world matrix and flags) kept in two arrays of a pooled chunk in creation order, "
                "and an 8-byte queue entry, and writes back the record's second line: 136 bytes read and "
                "64 written a node, in one sweep (a parent's world-changed flag is cleared as its last "
                "child reads it).")
        if per:
            text += (f" Once the trees outgrow the caches the pass is bound by memory traffic: at a million "
                     f"nodes, {min(p[0] for p in per):.1f} to {max(p[0] for p in per):.1f} ns a node against the "
                     f"flat loop's {min(p[1] for p in per):.1f} to {max(p[1] for p in per):.1f} ns.")
        if lined:
            span = lambda values: f"{min(values):.2f} to {max(values):.2f} ×"
            text += (f" The flat loop over the pass's own layout (the two lines a node in two arrays, 8-byte "
                     f"queue entries) takes {min(l for _, l, _ in lined):.1f} to "
                     f"{max(l for _, l, _ in lined):.1f} ns a node at a million: the layout's bytes cost "
                     f"{span([l / f for _, l, f in lined])} the flat loop's time, and the pass, which "
                     f"reaches the records through their chunks and keeps the world-changed bookkeeping, "
                     f"takes {span([e / l for e, l, _ in lined])} the time of that loop.")
        out.append(text)
    return ("\nWhere these goals are missed:\n\n" + "\n".join(out) + "\n") if out else ""


def batch_pixels(runs):
    goals, rows = [], []
    moved = {}  # bytes read and written a second, by conversion
    for direction, title in (("from", "ARGB8888 to {}"), ("to", "{} to ARGB8888")):
        for name, width in (("RGB565", 2), ("ARGB5551", 2), ("ARGB4444", 2), ("RGB888", 3)):
            base = f"pixels/{direction}/{name}/"
            batch, pix, sdl = runs.get(base + "batch"), runs.get(base + "pixman"), runs.get(base + "sdl")
            if not batch:
                continue
            faster = min((r["ns"] for r in (pix, sdl) if r), default=None)
            r = ratio(batch["ns"], faster)
            mps = lambda x: x["items_per_second"] / 1e6 if x else None
            moved[title.format(name)] = batch["items_per_second"] * (4 + width)
            rows.append([title.format(name), fmt(mps(batch)), fmt(mps(pix)) if pix else "not installed",
                         fmt(mps(sdl)), fmt(r), f"{batch.get('differs', 0):,.0f}"])
            goals.append([f"`ConvertPixels`, {title.format(name)}", "≤ 1 × the faster of pixman and SDL2",
                          f"{r:.2f} ×" + ("" if pix else " (SDL2 only: pixman was not installed)"),
                          verdict(r is not None and r <= 1.0)])
    text = ("`cPixelFormat::ConvertPixels` over the same million pixels in one call, against the same "
            "library calls; ratios are our time ÷ the faster library's. *Differs* counts the pixels where "
            "the run's result is not the per-pixel functions' (it must be 0).\n\n")
    text += table(["conversion", "ConvertPixels Mpixel/s", "pixman", "SDL2", "÷ faster", "differs"], rows)
    missed = [g[0].split(", ", 1)[1] for g in goals if g[3] != "met"]
    if missed:
        busiest = max(moved, key=moved.get)
        text += ("\nWhere the goal is missed: " + "; ".join(
            f"{title} moves {moved[title] / 1e9:.1f} GB/s of source and target" for title in missed)
                 + f", against {moved[busiest] / 1e9:.1f} GB/s for {busiest} in the same run.\n")
    return goals, text


def caller_limit(results):
    """What splitting the frame costs, from the timing program's two-thread
    run: two cores cannot finish the threads' processor time in less than
    half of it; and how much of the extra time is the threads waiting."""
    paths = [os.path.join(results, f) for f in ("video3d.txt", "video3d_2.txt")]
    if not all(os.path.exists(p) for p in paths):
        return ""
    texts = [open(p).read() for p in paths]
    single = re.search(r"on 1 thread\(s\): ([\d.]+) ms per frame", texts[0])
    two = re.search(r"on 2 thread\(s\): ([\d.]+) ms per frame.*the calling thread ([\d.]+) ms of processor time",
                    texts[1], re.S)
    if not single or not two:
        return ""
    single, total, caller = float(single[1]), float(two[1]), float(two[2])
    text = (f" `zunfert_video_timing` in the same run gives the processor time: on two threads a frame costs "
            f"{total:.2f} ms on both threads together ({caller:.2f} ms of it on the calling thread), against "
            f"{single:.2f} ms on one thread")
    if total <= single:
        # Splitting never saves processor time: the host slowed the one-thread run.
        return text + (", less than one thread: the host's load changed between the two runs, so they do "
                       "not show what splitting the frame costs.")
    text += (f". Two cores cannot spend {total:.2f} ms in less than {total / 2:.2f} ms, so two threads give "
             f"at most {2 * single / total:.2f} × here: splitting the frame costs {total / single - 1:.0%} more "
             f"processor time")
    spun = re.search(r"the threads spun ([\d.]+) ms", texts[1])
    if not spun:
        return text + "."
    spun = float(spun[1])
    more = total - spun - single
    text += (f": {spun:.2f} ms of it the threads spinning while one waited for the other (by the wall clock; "
             f"for the caller's next draw, and at the end of the frame), which alone holds two threads to "
             f"{2 * single / (single + spun):.2f} ×")
    if more <= 0:
        return text + "."
    return text + (f", and the rest {more:.2f} ms of more work (each thread places every vertex and tests "
                   "every triangle against its band, and the two cores share the memory bus).")

def renderers(results, runs, docs):
    ours, theirs = runs.get("render/zunfert"), runs.get("render/burnings")
    if not ours or not theirs:
        return [], "Not measured: `bench_software_render` did not run (it needs Irrlicht and `xvfb-run`).\n"
    fps = lambda r: 1e9 / r["ns"]
    r = fps(ours) / fps(theirs)
    goals = [["software 3D device against Burning's Video, shared scene, one core", "≥ 1 × its frames/s",
              f"{r:.2f} × ({fps(ours):.0f} against {fps(theirs):.0f} frames/s)", verdict(r >= 1.0)],
             ]
    one, two = runs.get("render/zunfert/wall/threads:1"), runs.get("render/zunfert/wall/threads:2")
    gain = ratio(one["ns"], two["ns"]) if one and two else None
    if gain is not None:
        goals.append(["software 3D device on 2 threads against one, by the wall clock", "≥ 1.7 × the frame rate",
                      f"{gain:.2f} × ({1e9 / two['ns']:.0f} against {1e9 / one['ns']:.0f} frames/s)",
                      verdict(gain >= 1.7)])
    text = ("`bench_software_render` draws one scene (`plugins/zunfert/video/timing_scene.h`) with the "
            "plug-in's software device and with Irrlicht's Burning's Video under `xvfb-run`: the same sphere "
            "mesh of 768 triangles six times, the same 64 × 64 checker texture with bilinear filtering, an "
            "ambient grey, a white directional light and a white point light, the same view and projection "
            "matrices, 640 × 480. A frame is clear, six draws and present (ours into memory, Burning's Video "
            "into its X window); the time is the drawing thread's processor time.\n\n")
    rows = [["Zunfert software device, one thread (processor time)", fmt(ours["ns"] / 1e6), fmt(fps(ours))],
            ["Burning's Video (processor time)", fmt(theirs["ns"] / 1e6), fmt(fps(theirs))]]
    for n in (1, 2):
        w = runs.get(f"render/zunfert/wall/threads:{n}")
        if w:
            rows.append([f"Zunfert software device, {n} thread{'s' if n > 1 else ''} (wall clock)",
                         fmt(w["ns"] / 1e6), fmt(1e9 / w["ns"])])
    by_core = lambda prefix: [runs[name] for name in sorted(runs) if name.startswith(prefix + "/core:")]
    cores, busy = by_core("render/zunfert/wall/threads:1"), by_core("render/zunfert/wall/busy")
    # What two threads can at best reach, in one-thread rates: the cores' frame rates added.
    ceiling = lambda held: one["ns"] * sum(1 / w["ns"] for w in held)
    for core, w in enumerate(cores):
        rows.append([f"Zunfert software device, one thread held to core {core} (wall clock)",
                     fmt(w["ns"] / 1e6), fmt(1e9 / w["ns"])])
    for core, w in enumerate(busy):
        rows.append([f"the same on core {core} while another device draws on core {1 - core}",
                     fmt(w["ns"] / 1e6), fmt(1e9 / w["ns"])])
    text += table(["renderer", "ms a frame", "frames/s"], rows)
    if gain is not None:
        # Met or missed, what the cores allowed: a host that slows the
        # one-thread run flatters two threads as much as it can hold them back.
        lead = "Where the two-thread goal is missed" if gain < 1.7 else "Against what the cores allow"
        # The one-thread run's own processor time against its wall clock.
        share = one["cpu_ns"] / one["ns"]
        text += (f"\n{lead}: by the wall clock two threads took "
                 f"{two['ns'] / 1e6:.2f} ms a frame against one thread's {one['ns'] / 1e6:.2f} ms, for which the "
                 f"machine gave the benchmark {share:.2f} of a core.")
        if len(cores) == 2:
            best = ceiling(cores)
            text += (f" Held to each core in turn, one thread took {cores[0]['ns'] / 1e6:.2f} and "
                     f"{cores[1]['ns'] / 1e6:.2f} ms a frame: two threads can at best add the two cores' frame "
                     f"rates, {best:.2f} × the one-thread rate here, of which they reached {gain / best:.0%}.")
        if len(busy) == 2:
            loaded = ceiling(busy)
            text += (f" But the cores slow each other down: with a second one-thread device drawing on the "
                     f"other core at the same time, they took {busy[0]['ns'] / 1e6:.2f} and "
                     f"{busy[1]['ns'] / 1e6:.2f} ms a frame, so that with both cores busy two threads can at "
                     f"best reach {loaded:.2f} × the one-thread rate, of which they reached {gain / loaded:.0%}.")
        text += caller_limit(results) + "\n"
    text += ("\nWith two threads the frame is cut into one band of rows a thread. A draw is queued, with "
             "copies of its state, vertices and indices, and returns; the other thread draws its band of "
             "each queued draw as it comes, and the calling thread draws its own band of them all at the end "
             "of the scene, so that neither waits for the other between draws. Each thread transforms "
             "the positions of all the draw's vertices and tests every triangle, and sets up, lights and "
             "draws only the triangles on its own rows: nothing passes from one core's cache to the other's. "
             "The cut comes from the frame before: each band tallies the estimated "
             "work of the rows it drew, by the triangles' areas, and each band's share of it follows the "
             "times the bands took. Clear and present share the frame out by blocks of 64 rows, each thread "
             "taking its own half first, so that a thread clears the rows it presented. The "
             "picture is the one-thread picture bit for bit (a test compares them), and the calling thread "
             "waits only for items the other has taken, never for it to wake. The wall "
             "clock counts the time spent waiting for a core: on a shared machine the gain is bounded by the "
             "core the others leave free (see the load average).\n")
    split = os.path.join(results, "video3d.txt")
    found = re.search(r"on 1 thread\(s\): ([\d.]+) ms per frame.*transform ([\d.]+) ms, "
                      r"raster ([\d.]+) ms", open(split).read(), re.S) if os.path.exists(split) else None
    if r < 1.0 and found:
        whole, transform, raster = map(float, found.groups())
        text += (f"\nWhere the goal is missed: the frame is rasterising above all. `zunfert_video_timing`, "
                 f"the same scene on the same device run alone in the same session, takes {whole:.2f} ms a "
                 f"frame, {raster:.2f} ms of it rasterising (triangles to pixels) and {transform:.2f} ms the "
                 f"vertices; here, its runs interleaved with Burning's Video's, it took {ours['ns'] / 1e6:.2f} "
                 f"ms against Burning's Video's {theirs['ns'] / 1e6:.2f} ms. The pictures below are not "
                 "identical: Burning's Video lights the spheres darker and draws the checker squares larger "
                 "from the same texture coordinates.\n")
    pictures = [(f, d) for f, d in (("zunfert.png", "render_zunfert.png"), ("burnings.png", "render_burnings.png"))
                if os.path.exists(os.path.join(results, f))]
    for source, target in pictures:
        shutil.copyfile(os.path.join(results, source), os.path.join(docs, target))
    if len(pictures) == 2:
        text += ("\nFrame 30 of each (ours left, Burning's Video right):\n\n"
                 "![The software device's frame](render_zunfert.png) "
                 "![Burning's Video's frame](render_burnings.png)\n")
    return goals, text


def demo_frames(results):
    path = os.path.join(results, "demo.txt")
    found = re.search(r"render ([\d.]+) ms a frame .*png ([\d.]+) ms", open(path).read()) if os.path.exists(path) else None
    if not found:
        return []
    render, png = map(float, found.groups())
    return [["demo: writing a PNG frame against rendering it", "≤ 1 ×",
             f"{png / render:.2f} × ({png:.2f} ms against {render:.2f} ms)", verdict(png <= render)]]
