#!/usr/bin/env python3
"""Peak memory of each reader against the size of its input, hostile inputs included.

    fuzz/memory_table.py build/bench/mgmesh_memory_probe [--scale N]

Writes the inputs into a temporary folder, loads each with the probe (one process per input:
the library's reader on a file stream, nothing else) and prints a Markdown table: the input, its
size, the peak resident size the load added to the process, that per input byte, and the
outcome (what was loaded, or the message the reader threw). --scale multiplies the sizes
(default 1: inputs of 10 to 250 MB).
"""
import os
import subprocess
import sys
import tempfile

MIB = 1 << 20


def box_face(n, number=1):
    """A face of an n x n grid of vertices, its facets linked, a boundary edge and corners."""
    lines = [f"\tfaceBegin {number}", "\t\ttolerance 0.05"]
    index = lambda i, j: i * n + j
    for i in range(n):
        for j in range(n):
            lines.append(f"\t\tvertex {index(i, j)} {j} {i} 0 {j} {i} 0 0 1")
    f = 0
    for i in range(n - 1):
        for j in range(n - 1):
            a, b, c, d = index(i, j), index(i, j + 1), index(i + 1, j + 1), index(i + 1, j)
            lines.append(f"\t\tfacet {f} {a} {b} {c} -1 -1 -1")
            lines.append(f"\t\tfacet {f + 1} {a} {c} {d} -1 -1 -1")
            f += 2
    ring = [index(0, j) for j in range(n)] + [index(i, n - 1) for i in range(1, n)]
    ring += [index(n - 1, j) for j in range(n - 2, -1, -1)]
    ring += [index(i, 0) for i in range(n - 2, 0, -1)]
    lines.append("\t\tedge " + " ".join(map(str, ring)))
    lines.append("\t\tcorner 0 0 0")
    lines.append("\tfaceEnd")
    return "\n".join(lines) + "\n"


def stl_grid(n):
    out = ["solid grid\n"]
    for i in range(n):
        for j in range(n):
            for t in ((j, i, j + 1, i, j + 1, i + 1), (j, i, j + 1, i + 1, j, i + 1)):
                out.append(
                    "  facet normal 0.000000e+00 0.000000e+00 1.000000e+00\n    outer loop\n"
                    f"      vertex {t[0]:e} {t[1]:e} 0.000000e+00\n"
                    f"      vertex {t[2]:e} {t[3]:e} 0.000000e+00\n"
                    f"      vertex {t[4]:e} {t[5]:e} 0.000000e+00\n"
                    "    endloop\n  endfacet\n")
    out.append("endsolid grid\n")
    return "".join(out)


def trg_grid(n):
    out = ["grid\nTRG 1\nFACE 1\n"]
    for i in range(n):
        for j in range(n):
            for (x, y) in ((j, i), (j + 1, i), (j + 1, i + 1), (j, i), (j + 1, i + 1), (j, i + 1)):
                out.append(f"0 0 {x} {y} 0 0 0 1\n")
    out.append("ENDFACE 0 0\n")
    return "".join(out)


def inputs(scale):
    grid = int(700 * scale ** 0.5)
    stl = int(200 * scale ** 0.5)
    huge = 2_000_000_000
    many = int(1_000_000 * scale)
    yield "SCB, grid face", "grid.scb", "scb1\npart grid\n" + box_face(grid)
    yield "SCB, grid face, 4 x", "grid4.scb", "scb1\npart grid\n" + box_face(2 * grid)
    yield ("SCB, vertex and facet numbers near 2^31", "huge_numbers.scb",
           "scb1\npart huge\n\tfaceBegin 1\n" + "".join(
               f"\t\tvertex {huge - k} {k} 0 0 0 0 0 0 1\n" for k in range(3 * many // 10)) +
           "".join(f"\t\tfacet {huge - k} {huge - k} {huge - k - 1} {huge - k - 2} "
                   f"{huge} {huge - 5} -7\n" for k in range(3 * many // 10)) + "\tfaceEnd\n")
    yield ("SCB, empty face blocks", "empty_faces.scb",
           "scb1\npart empty\n" + "faceBegin 1\nfaceEnd\n" * many)
    yield "SCB, one enormous token", "token.scb", "scb1\npart " + "x" * (40 * many) + "\n"
    yield ("SCB, one enormous number", "number.scb",
           "scb1\npart n\nfaceBegin 1\nvertex 0 " + "9" * (40 * many) + " 0 0 0 0 0 0 1\nfaceEnd\n")
    yield ("SCB, repeated edge runs", "edges.scb",
           "scb1\npart e\nfaceBegin 1\nvertex 0 0 0 0 0 0 0 0 1\nvertex 1 1 0 0 0 0 0 0 1\n" +
           ("edge " + "0 1 " * 1000 + "\n") * (many // 250) + "faceEnd\n")
    yield ("SCB, edges of undefined vertices", "edges_undefined.scb",
           "scb1\npart e\nfaceBegin 1\n" + ("edge " + "123456789 " * 1000 + "\n") * (many // 200)
           + "faceEnd\n")
    yield ("multi-part SCB, empty object blocks", "empty_objects.scb",
           "scb2\npart p\n" + "objectBegin 1 0 0 1\nobjectEnd\n" * (many // 2))
    yield ("multi-part SCB, grid faces in objects", "multi_grid.scb",
           "scb2\npart p\n" + "".join(f"objectBegin {k} 0 0 1\n" + box_face(grid // 4, k) +
                                      "objectEnd\n" for k in range(16)))
    yield "ASCII STL, grid", "grid.stl", stl_grid(stl)
    yield "ASCII STL, grid, 4 x", "grid4.stl", stl_grid(2 * stl)
    yield "ASCII STL, one enormous token", "token.stl", "solid t\n  facet " + "n" * (40 * many) + "\n"
    yield ("ASCII STL, one enormous number", "number.stl",
           "solid t\n  facet normal " + "1" * (40 * many) + " 0 0\n")
    yield "TRG, grid", "grid.trg", trg_grid(stl)
    yield ("TRG, empty face blocks", "empty_faces.trg",
           "t\nTRG 1\n" + "FACE 1\nENDFACE 0 0\n" * many)
    yield "TRG, one enormous token", "token.trg", "t\nTRG 1\nFACE " + "7" * (40 * many) + "\n"
    yield "binary STL, grid", "grid.bstl", binary_stl(2 * stl)
    yield ("binary STL claiming 4,000,000,000 facets in 84 bytes", "claims.bstl",
           binary_stl(0, 4_000_000_000))
    yield ("binary STL claiming 4,000,000,000 facets, any-STL rule", "claims.astl",
           binary_stl(0, 4_000_000_000))
    yield ("binary STL with a wrong count, lenient import", "wrong_count.istl",
           binary_stl(stl, 4_000_000_000))
    yield "ASCII STL, grid, lenient import", "grid.istl", stl_grid(stl)
    yield "OBJ, grid of quads", "grid.obj", obj_grid(2 * stl)
    yield ("OBJ, an index far past the end", "far_index.obj",
           "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3000000000\n")
    yield ("OBJ, a polygon of many corners", "long_polygon.obj",
           "v 0 0 0\nv 1 0 0\nv 0 1 0\nf" + " 1 2 3" * many + "\n")
    yield ("PLY header claiming 10^12 vertices", "claims.ply",
           "ply\nformat ascii 1.0\nelement vertex 1000000000000\nproperty float x\n"
           "property float y\nproperty float z\nelement face 1\n"
           "property list uchar int vertex_indices\nend_header\n0 0 0\n")
    yield ("PLY binary, claiming 2^31 faces after 3 vertices", "claims_faces.ply",
           "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
           "property float y\nproperty float z\nelement face 2147483647\n"
           "property list uchar int vertex_indices\nend_header\n" + "\0" * 36)


READERS = {".scb": "scb", ".stl": "stl", ".trg": "trg", ".bstl": "binary-stl",
           ".astl": "any-stl", ".istl": "import-stl", ".obj": "obj", ".ply": "ply"}


def binary_stl(n, claimed=None):
    """A binary STL of an n x n grid, its count `claimed` (default the true one)."""
    import struct
    facets = []
    for i in range(n):
        for j in range(n):
            for t in ((j, i, j + 1, i, j + 1, i + 1), (j, i, j + 1, i + 1, j, i + 1)):
                facets.append(struct.pack("<12fH", 0, 0, 1, t[0], t[1], 0, t[2], t[3], 0,
                                          t[4], t[5], 0, 0))
    count = len(facets) if claimed is None else claimed
    return b"grid".ljust(80, b" ") + struct.pack("<I", count) + b"".join(facets)


def obj_grid(n):
    out = [f"v {j} {i} 0\n" for i in range(n + 1) for j in range(n + 1)]
    for i in range(n):
        for j in range(n):
            a = i * (n + 1) + j + 1
            out.append(f"f {a} {a + 1} {a + n + 2} {a + n + 1}\n")
    return "".join(out)


def load(probe, path, text):
    """The KiB of peak resident size the load added, and the probe's outcome."""
    multi = isinstance(text, str) and text.startswith("scb2")
    reader = "multi" if multi else READERS[os.path.splitext(path)[1]]
    result = subprocess.run([probe, reader, path], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        return 0, f"probe failed ({result.returncode}): {result.stderr.strip()}"
    before, after, outcome = result.stdout.strip().split(" ", 2)
    return int(after) - int(before), outcome


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    probe = sys.argv[1]
    scale = float(sys.argv[sys.argv.index("--scale") + 1]) if "--scale" in sys.argv else 1.0
    print("| input | size MB | peak added by the load MB | per input byte | outcome |")
    print("|---|---|---|---|---|")
    with tempfile.TemporaryDirectory(prefix="mgmesh-memory-") as folder:
        for label, name, text in inputs(scale):
            path = os.path.join(folder, name)
            with open(path, "wb" if isinstance(text, bytes) else "w") as out:
                out.write(text)
            size = os.path.getsize(path)
            added, outcome = load(probe, path, text)
            del text
            os.remove(path)
            print(f"| {label} | {size / MIB:.1f} | {added / 1024:.1f} | "
                  f"{added * 1024 / max(size, 1):.2f} | {outcome} |", flush=True)


if __name__ == "__main__":
    main()
