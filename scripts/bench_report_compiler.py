"""The model compiler's section of docs/PERFORMANCE.md, from bench_compiler's JSON."""

import json
import os

from bench_report import UNIT, fmt, load, table, verdict


def wall_ms(results):
    """Median wall-clock milliseconds per benchmark: the machine is shared, so for reference only."""
    with open(os.path.join(results, "bench_compiler.json")) as f:
        data = json.load(f)
    return {b["run_name"]: b["real_time"] * UNIT[b["time_unit"]] / 1e6 for b in data["benchmarks"]
            if b.get("aggregate_name") == "median"}


def compiler(results):
    """(goal rows, section text) for the compile and load of a million triangles."""
    runs, _ = load(results, "bench_compiler")
    imp, comp, loaded = (runs.get("Model/" + name) for name in ("AssimpImport", "Compile", "LoadCompiled"))
    if not imp or not comp or not loaded:
        return [], "Not measured: `bench_compiler` did not run (it needs Assimp).\n"
    ms = {name: run["ns"] / 1e6 for name, run in (("import", imp), ("compile", comp), ("load", loaded))}
    wall = wall_ms(results)
    wall_import, wall_load = wall.get("Model/AssimpImport"), wall.get("Model/LoadCompiled")
    faster = ms["import"] / ms["load"]
    load_text = ""
    path = os.path.join(results, "compiler_uptime.txt")
    if os.path.exists(path):
        load_text = " Load average before and after the run: " + " / ".join(
            line.split("load average:")[-1].strip() for line in open(path) if "load average" in line) + "."
    goals = [["compiled scene through `LoadPlugin` against importing the glTF file with Assimp",
              "≥ 10 × faster", f"{faster:.0f} × ({fmt(ms['load'])} ms against {fmt(ms['import'])} ms)",
              verdict(faster >= 10)]]
    body = (f"`bench_compiler` writes a binary glTF of a rolling terrain, {int(imp['triangles']):,} triangles "
            "on 502,681 vertices with normals (24 MB), then times, as processor time, Assimp's own import of "
            "it with the compiler's post-processing steps, the whole compile (import, conversion into "
            "pieces of at most 65,536 vertices, writing the scene files) and the load of the compiled scene "
            "through `LoadPlugin`. Peak memory is the peak resident size of a fresh process doing the "
            "operation once, less that of one doing nothing." + load_text + "\n\n")
    body += table(["operation", "ms", "peak MB", "against the import"], [
        ["Assimp import of the glTF file", fmt(ms["import"]), fmt(imp["peak_MB"]), "1 ×"],
        ["compile (import, convert, write)", fmt(ms["compile"]), fmt(comp["peak_MB"]),
         f"{ms['compile'] / ms['import']:.2f} × the time, +{fmt(comp['peak_MB'] - imp['peak_MB'])} MB"],
        ["load the compiled scene (`LoadPlugin`)", fmt(ms["load"]), fmt(loaded["peak_MB"]),
         f"{faster:.0f} × faster"]])
    if wall_import and wall_load:
        body += (f"\nBy the wall clock, on this shared machine, the import took {fmt(wall_import)} ms and the "
                 f"load {fmt(wall_load)} ms ({wall_import / wall_load:.0f} × faster): the load reads the scene's "
                 "files, which processor time does not count while the disk answers.\n")
    return goals, body
