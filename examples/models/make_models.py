#!/usr/bin/env python3
"""Writes the sample models of this folder. Run it from anywhere; it writes beside itself.

bracket.stl        ASCII STL: an L-shaped bracket with a square hole in each leg, one closed solid
torus-binary.stl   binary STL: a torus (mgtool converts it to the ASCII text the reader takes)
box.scb            single-object SCB: a 2 x 2 x 2 box of six faces (ids 1..6), each with its
                   boundary loop and four corners
assembly.scb       multi-part SCB: a base plate (unprocessed) and two processed parts, a block
                   and a tube
pyramid.trg        TRG: a square pyramid, one face per side and one for the base (ids 1..5)
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def unit(a):
    n = math.sqrt(a[0] ** 2 + a[1] ** 2 + a[2] ** 2)
    return (a[0] / n, a[1] / n, a[2] / n) if n else (0.0, 0.0, 0.0)


def normal(tri):
    return unit(cross(sub(tri[1], tri[0]), sub(tri[2], tri[0])))


def g(x):
    text = "%.6g" % x
    return "0" if text == "-0" else text


# ---------------------------------------------------------------- bracket (ASCII STL)

def bracket():
    """An L-shaped bracket built from 5 mm cells: a base plate 40 x 30 x 5 and an upright
    5 x 30 x 35 on its edge, each with a square 10 mm hole. The outer faces of the cell set form
    a closed, consistently wound surface whose corners all lie on the 5 mm grid."""
    cells = set()
    for i in range(8):
        for j in range(6):
            if not (4 <= i < 6 and 2 <= j < 4):       # hole through the base
                cells.add((i, j, 0))
    for j in range(6):
        for k in range(1, 8):
            if not (2 <= j < 4 and 4 <= k < 6):       # hole through the upright
                cells.add((0, j, k))
    size = 5.0
    facets = []
    # for each direction: the offset to the neighbour and the face's four corners, counter-
    # clockwise seen from outside
    sides = [
        ((1, 0, 0), [(1, 0, 0), (1, 1, 0), (1, 1, 1), (1, 0, 1)]),
        ((-1, 0, 0), [(0, 0, 0), (0, 0, 1), (0, 1, 1), (0, 1, 0)]),
        ((0, 1, 0), [(0, 1, 0), (0, 1, 1), (1, 1, 1), (1, 1, 0)]),
        ((0, -1, 0), [(0, 0, 0), (1, 0, 0), (1, 0, 1), (0, 0, 1)]),
        ((0, 0, 1), [(0, 0, 1), (1, 0, 1), (1, 1, 1), (0, 1, 1)]),
        ((0, 0, -1), [(0, 0, 0), (0, 1, 0), (1, 1, 0), (1, 0, 0)]),
    ]
    for cell in sorted(cells):
        for offset, quad in sides:
            if tuple(c + o for c, o in zip(cell, offset)) in cells:
                continue
            p = [tuple(size * (c + q) for c, q in zip(cell, corner)) for corner in quad]
            facets.append((p[0], p[1], p[2]))
            facets.append((p[0], p[2], p[3]))
    return facets


def write_ascii_stl(path, name, facets):
    with open(path, "w", newline="\n") as out:
        out.write("solid %s\n" % name)
        for tri in facets:
            nx, ny, nz = normal(tri)
            out.write("  facet normal %s %s %s\n    outer loop\n" % (g(nx), g(ny), g(nz)))
            for p in tri:
                out.write("      vertex %s %s %s\n" % (g(p[0]), g(p[1]), g(p[2])))
            out.write("    endloop\n  endfacet\n")
        out.write("endsolid %s\n" % name)


# ---------------------------------------------------------------- torus (binary STL)

def torus(big, small, nu, nv):
    def point(i, j):
        u, v = 2 * math.pi * i / nu, 2 * math.pi * j / nv
        r = big + small * math.cos(v)
        return (r * math.cos(u), r * math.sin(u), small * math.sin(v))

    facets = []
    for i in range(nu):
        for j in range(nv):
            a, b = point(i, j), point(i + 1, j)
            c, d = point(i + 1, j + 1), point(i, j + 1)
            facets.append((a, b, c))
            facets.append((a, c, d))
    return facets


def write_binary_stl(path, facets):
    with open(path, "wb") as out:
        out.write(b"binary STL written by make_models.py".ljust(80, b" "))
        out.write(struct.pack("<I", len(facets)))
        for tri in facets:
            out.write(struct.pack("<3f", *normal(tri)))
            for p in tri:
                out.write(struct.pack("<3f", *p))
            out.write(struct.pack("<H", 0))


# ---------------------------------------------------------------- SCB

def grid_face(origin, du, dv, nu, nv):
    """A rectangular face as an nu x nv grid of quads, two facets each, counter-clockwise seen
    along du x dv. Returns vertices (uv, position, normal), facets and the boundary loop."""
    n = unit(cross(du, dv))
    verts = []
    for j in range(nv + 1):
        for i in range(nu + 1):
            s, t = i / nu, j / nv
            p = tuple(origin[k] + s * du[k] + t * dv[k] for k in range(3))
            verts.append(((s, t), p, n))
    idx = lambda i, j: j * (nu + 1) + i
    facets = []
    for j in range(nv):
        for i in range(nu):
            facets.append((idx(i, j), idx(i + 1, j), idx(i + 1, j + 1)))
            facets.append((idx(i, j), idx(i + 1, j + 1), idx(i, j + 1)))
    loop = ([idx(i, 0) for i in range(nu)] + [idx(nu, j) for j in range(nv)] +
            [idx(i, nv) for i in range(nu, 0, -1)] + [idx(0, j) for j in range(nv, 0, -1)])
    corners = [verts[idx(0, 0)][1], verts[idx(nu, 0)][1], verts[idx(nu, nv)][1],
               verts[idx(0, nv)][1]]
    return verts, facets, [loop], corners


def neighbours(facets):
    sides = {}
    for m, f in enumerate(facets):
        for i in range(3):
            sides[(f[i], f[(i + 1) % 3])] = m
    result = []
    for f in facets:
        result.append([sides.get((f[(i + 1) % 3], f[i]), -1) for i in range(3)])
    return result


def scb_face(face_id, face):
    verts, facets, loops, corners = face
    lines = ["\tfaceBegin %d" % face_id, "\t\ttolerance 0.05"]
    for n, (uv, p, nn) in enumerate(verts):
        lines.append("\t\tvertex %d %s %s %s %s %s %s %s %s" % (
            n, g(uv[0]), g(uv[1]), g(p[0]), g(p[1]), g(p[2]), g(nn[0]), g(nn[1]), g(nn[2])))
    for m, (f, nb) in enumerate(zip(facets, neighbours(facets))):
        lines.append("\t\tfacet %d\t%d %d %d \t%d %d %d " % ((m,) + tuple(f) + tuple(nb)))
    for loop in loops:
        lines.append("\t\tedge" + "".join(" %d" % v for v in loop))
    for c in corners:
        lines.append("\t\tcorner %s %s %s" % (g(c[0]), g(c[1]), g(c[2])))
    lines.append("\tfaceEnd")
    return lines


def box_faces(lo, hi, steps):
    (x0, y0, z0), (x1, y1, z1) = lo, hi
    dx, dy, dz = x1 - x0, y1 - y0, z1 - z0
    return [
        grid_face((x0, y0, z0), (0, dy, 0), (dx, 0, 0), steps, steps),   # bottom, -z
        grid_face((x0, y0, z1), (dx, 0, 0), (0, dy, 0), steps, steps),   # top, +z
        grid_face((x0, y0, z0), (dx, 0, 0), (0, 0, dz), steps, steps),   # front, -y
        grid_face((x0, y1, z0), (0, 0, dz), (dx, 0, 0), steps, steps),   # back, +y
        grid_face((x0, y0, z0), (0, 0, dz), (0, dy, 0), steps, steps),   # left, -x
        grid_face((x1, y0, z0), (0, dy, 0), (0, 0, dz), steps, steps),   # right, +x
    ]


def tube_face(centre, radius, height, n):
    """The side of an open cylinder about z: one face with two boundary loops."""
    cx, cy, cz = centre
    verts = []
    for level in (0, 1):
        for k in range(n):
            a = 2 * math.pi * k / n
            p = (cx + radius * math.cos(a), cy + radius * math.sin(a), cz + level * height)
            verts.append(((k / n, level), p, (math.cos(a), math.sin(a), 0.0)))
    facets = []
    for k in range(n):
        k1 = (k + 1) % n
        facets.append((k, k1, n + k1))
        facets.append((k, n + k1, n + k))
    bottom = list(range(n))                        # runs with the facets' sides k -> k1
    top = [n + k for k in range(n - 1, -1, -1)]    # runs n+k1 -> n+k
    corners = [verts[0][1], verts[n // 2][1], verts[n][1], verts[n + n // 2][1]]
    return verts, facets, [bottom, top], corners


def write_scb(path, header, parts):
    lines = list(header)
    for part_header, faces in parts:
        lines.extend(part_header)
        for face_id, face in faces:
            lines.extend(scb_face(face_id, face))
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


# ---------------------------------------------------------------- TRG

def write_trg(path):
    apex = (0.0, 0.0, 3.0)
    base = [(-2.0, -2.0, 0.0), (2.0, -2.0, 0.0), (2.0, 2.0, 0.0), (-2.0, 2.0, 0.0)]
    faces = [(1, [(base[0], base[3], base[2]), (base[0], base[2], base[1])])]
    for k in range(4):
        faces.append((k + 2, [(base[k], base[(k + 1) % 4], apex)]))
    lines = ["pyramid", "TRG 1"]
    for face_id, tris in faces:
        lines.append("FACE %d" % face_id)
        for tri in tris:
            nn = normal(tri)
            for p in tri:
                lines.append("0 0 %s %s %s %s %s %s" % (g(p[0]), g(p[1]), g(p[2]),
                                                        g(nn[0]), g(nn[1]), g(nn[2])))
        lines.append("ENDFACE 0 0")
    lines.append("END 0 0")
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


def main():
    write_ascii_stl(os.path.join(HERE, "bracket.stl"), "bracket", bracket())
    write_binary_stl(os.path.join(HERE, "torus-binary.stl"), torus(3.0, 1.0, 48, 24))
    write_scb(os.path.join(HERE, "box.scb"), ["scb1", "part box"],
              [([], list(zip(range(1, 7), box_faces((0, 0, 0), (2, 2, 2), 2))))])
    base = box_faces((-1, -1, -0.5), (5, 3, 0), 3)
    block = box_faces((0, 0, 0), (2, 2, 1.5), 2)
    tube = tube_face((3.5, 1, 0), 0.8, 2.5, 24)
    write_scb(os.path.join(HERE, "assembly.scb"), ["scb2", "part assembly"], [
        (["objectBegin 0 0 0 0"], list(zip(range(101, 107), base))),
        (["objectEnd", "objectBegin 1 0 0 1"], list(zip(range(201, 207), block))),
        (["objectEnd", "objectBegin 2 1 0 0"], [(301, tube)]),
    ])
    with open(os.path.join(HERE, "assembly.scb"), "a") as out:
        out.write("objectEnd\n")
    write_trg(os.path.join(HERE, "pyramid.trg"))


if __name__ == "__main__":
    main()
