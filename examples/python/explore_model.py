"""Inspecting a model from Python, step by step, as one would in a notebook.

    PYTHONPATH=PREFIX/lib/python3.11/site-packages python3 examples/python/explore_model.py \
        [MODEL] [--plot OUT.png]

Loads a model (the bundled bracket by default), prints its counts and mesh report, repairs a
copy, measures it with NumPy, and draws it with matplotlib when that is installed.
"""
import argparse
import pathlib
import sys

import numpy as np

import mgmesh

HERE = pathlib.Path(__file__).resolve().parent
parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("model", nargs="?", default=HERE.parent / "models" / "bracket.stl")
parser.add_argument("--plot", metavar="PNG", help="draw the model into this PNG file")
args = parser.parse_args()

# %% Load: the format comes from the extension; lenient STL warnings arrive as LoadWarning.
obj = mgmesh.load(args.model)
print(f"{obj.name}: {len(obj.faces)} face(s), {obj.num_vertices} vertices, "
      f"{obj.num_facets} facets, area {obj.area:g}")
lo, hi = obj.bounding_box
print("bounding box", lo, "to", hi)

# %% The mesh report: what is right and wrong, without touching the model.
for key, value in obj.report().items():
    print(f"  {key:20} {value:g}")
print(" ", obj.describe())

# %% Edges: neighbour links and boundary loops, per face.
for face in obj.faces:
    simple = face.rebuild_edges()
    loops = face.boundary_loops
    print(f"face {face.id}: {'simple' if simple else 'corrupt'} boundary, "
          f"{len(loops)} loop(s) of {[len(loop) for loop in loops]} vertices")

# %% Repairs work in place, so here on a copy.
fixed = obj.copy()
changed = {}
for result in (fixed.merge_vertices(1e-4), fixed.drop_degenerate_facets(), fixed.orient_shells()):
    changed.update({key: changed.get(key, 0) + n for key, n in result.items() if n})
print("repair:", changed or "nothing to change")

# %% NumPy: the arrays are copies, free to change.
face = obj.faces[0]
v, f = face.vertices, face.facets
edges = np.linalg.norm(v[f] - v[np.roll(f, 1, axis=1)], axis=2)
print(f"edge lengths: min {edges.min():g}, mean {edges.mean():g}, max {edges.max():g}")

# %% A picture, where matplotlib is installed.
if args.plot:
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
        from mpl_toolkits.mplot3d.art3d import Poly3DCollection
    except ImportError:
        print("matplotlib is not installed: no picture")
        sys.exit(0)
    figure = plt.figure(figsize=(6, 5))
    axes = figure.add_subplot(projection="3d")
    for face in obj.faces:
        axes.add_collection3d(Poly3DCollection(face.vertices[face.facets], facecolor="#8ab",
                                               edgecolor="#345", linewidth=0.2))
    axes.auto_scale_xyz(*zip(lo, hi))
    axes.set_title(obj.name)
    figure.savefig(args.plot, dpi=100)
    print("picture written to", args.plot)
