"""The mgmesh module's surface: arrays, files, report, repairs, split, lifetimes and errors."""
import gc
import struct
import subprocess
import sys
import threading
import warnings
import zlib

import numpy as np
import pytest

import mgmesh
from conftest import MODELS, square, tetrahedron


def test_arrays_describe_the_face(bracket):
    face = bracket.faces[0]
    v, f = face.vertices, face.facets
    assert (v.dtype, v.shape) == (np.float32, (bracket.num_vertices, 3))
    assert (f.dtype, f.shape) == (np.int32, (bracket.num_facets, 3))
    assert face.normals.shape == v.shape and face.uvs.shape == (len(v), 2)
    assert f.min() >= 0 and f.max() < len(v)
    assert len(np.unique(f)) == len(v)  # STL vertices are all used
    # the area from the arrays is the library's
    cross = np.cross(v[f[:, 1]] - v[f[:, 0]], v[f[:, 2]] - v[f[:, 0]])
    assert bracket.area == pytest.approx(0.5 * np.linalg.norm(cross, axis=1).sum(), rel=1e-5)
    lo, hi = bracket.bounding_box
    assert lo.tolist() == v.min(axis=0).tolist() and hi.tolist() == v.max(axis=0).tolist()
    assert face.object == bracket and face.object.num_facets == 444


def test_arrays_are_copies(bracket):
    face = bracket.faces[0]
    v = face.vertices
    v[:] = 0
    face.facets[:] = 0
    assert face.vertices.max() == 40 and face.facets.max() == bracket.num_vertices - 1


def test_every_format_round_trips(bracket, tmp_path):
    face = bracket.faces[0]
    for name, binary in [("a.stl", False), ("b.stl", True), ("c.obj", False), ("d.ply", False),
                         ("e.ply", True), ("f.scb", False), ("g.STL", False)]:
        bracket.save(tmp_path / name, binary=binary)
        back = mgmesh.load(tmp_path / name, strict=True)
        assert (back.num_vertices, back.num_facets) == (220, 444), name
        again = back.faces[0]
        assert np.array_equal(again.vertices[again.facets], face.vertices[face.facets]), name
    assert mgmesh.load(tmp_path / "f.scb").name == "bracket"
    with pytest.raises(mgmesh.Error, match="unknown model format 'xyz'"):
        bracket.save(tmp_path / "a.xyz")
    assert not (tmp_path / "a.xyz").exists()
    bracket.save(tmp_path / "noext", format="obj")
    assert mgmesh.load(tmp_path / "noext", format="OBJ").num_facets == 444


def test_sample_files_of_each_reader():
    box = mgmesh.load(MODELS / "box.scb")
    assert [f.id for f in box.faces] == [1, 2, 3, 4, 5, 6]
    assert all(len(f.boundary_loops) == 1 for f in box.faces)  # SCB carries the loops
    pyramid = mgmesh.load(MODELS / "pyramid.trg")
    assert sorted(f.id for f in pyramid.faces) == [1, 2, 3, 4, 5]
    torus = mgmesh.load(MODELS / "torus-binary.stl")
    assert torus.num_facets == 2304 and torus.report()["shells"] == 1
    with pytest.raises(mgmesh.Error, match="load_multi"):
        mgmesh.load(MODELS / "assembly.scb")


def test_multi_part_objects(tmp_path):
    multi = mgmesh.load_multi(MODELS / "assembly.scb")
    parts = multi.parts
    assert [sorted(f.id for f in p.faces) for p in parts] == [list(range(201, 207)), [301]]
    total = multi.unprocessed.num_facets + sum(p.num_facets for p in parts)
    old = multi.original
    assert old.num_facets == total
    multi.add_part(tetrahedron())
    assert len(multi.parts) == 3 and old.num_facets == total  # stale until reset
    multi.reset_original()
    assert multi.original.num_facets == total + 4
    with pytest.raises(mgmesh.Error, match="the object was deleted"):
        old.num_facets
    face = parts[1].faces[0]
    del multi, parts
    gc.collect()
    assert face.num_facets > 0  # a face keeps the whole model alive


def test_report_and_repairs():
    report = tetrahedron().report()
    assert report == {"volume": pytest.approx(1 / 6), "shells": 1, "open_edges": 0,
                      "non_manifold_edges": 0, "misoriented_edges": 0, "degenerate_facets": 0}
    bad = tetrahedron(flip=[1])
    assert bad.report()["misoriented_edges"] == 3
    fixed = bad.orient_shells()
    assert fixed["facets_reversed"] == 1 and bad.report()["misoriented_edges"] == 0
    inside = tetrahedron()
    inside.reverse()
    assert inside.report()["volume"] == pytest.approx(-1 / 6)
    assert inside.faces[0].orient_shells()["facets_reversed"] == 4
    assert inside.describe() == "closed, 1 shell, volume 0.166667"

    sq = square()
    assert sq.report()["open_edges"] == 4 and sq.report()["shells"] == 1
    loops = sq.faces[0].boundary_loops
    assert len(loops) == 1 and loops[0].dtype == np.int32 and sorted(loops[0]) == [0, 1, 2, 3]
    # two copies of the square's corners, a degenerate sliver, merged and dropped
    obj = mgmesh.Object()
    v = [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [1, 1, 1e-6], [0.5, 0.5, 0]]
    face = obj.add_face(v, np.array([[0, 1, 2], [0, 4, 3], [0, 5, 2]]))
    assert face.report()["degenerate_facets"] == 1
    assert obj.merge_vertices(1e-3)["vertices_merged"] == 1
    assert obj.drop_degenerate_facets()["facets_dropped"] == 1
    assert face.report() == sq.report() and face.num_vertices == 4


def test_faces_from_arrays():
    obj = mgmesh.Object()
    v = np.array([[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [1, 0, 0.001]], dtype=np.float32)
    normals = np.tile([0.0, 0.0, 1.0], (5, 1))
    uvs = np.array([[0, 0], [1, 0], [1, 1], [0, 1], [1, 0]])
    tri = np.array([[0, 1, 2], [0, 2, 3], [0, 4, 4]], dtype=np.uint16)  # the last is skipped
    face = obj.add_face(v, tri, normals=normals, uvs=uvs, merge=True, tolerance=0.1, id=7)
    assert (face.id, face.tolerance, face.num_facets) == (7, pytest.approx(0.1), 2)
    assert face.num_vertices == 4  # vertex 4 merged into vertex 1, then unused
    assert np.array_equal(face.uvs, uvs[:4]) and np.array_equal(face.normals, normals[:4])
    assert np.array_equal(face.facets, [[0, 1, 2], [0, 2, 3]])
    assert np.array_equal(face.neighbors, [[-1, -1, 1], [0, -1, -1]])
    with pytest.raises(mgmesh.Error, match="^Bad host face record$"):
        obj.add_face(v, [[0, 1, 5]])
    with pytest.raises(mgmesh.Error, match="out of range"):
        obj.add_face(v, [[0, 1, 2**32]])
    for bad in ([[0, 1], [1, 2]], np.array([[0.0, 1, 2]]), "text"):
        with pytest.raises(mgmesh.Error, match="triangles must be"):
            obj.add_face(v, bad)
    with pytest.raises(mgmesh.Error, match="vertices must be"):
        obj.add_face(np.zeros((3, 2)), [[0, 1, 2]])
    with pytest.raises(mgmesh.Error, match="a row per vertex"):
        obj.add_face(v, [[0, 1, 2]], uvs=np.zeros((2, 2)))
    assert len(obj.faces) == 1


def test_split_and_undo():
    obj = tetrahedron()
    face = obj.faces[0]
    before = (face.vertices.copy(), face.facets.copy())
    assert face.split(0, 1, 0.25) == 2 and face.split(-1, 0) == 2
    assert face.num_facets == 8 and obj.report()["open_edges"] == 0
    face.undo_split()
    face.undo_split()
    assert np.array_equal(face.facets, before[1]) and np.array_equal(face.vertices, before[0])
    with pytest.raises(mgmesh.Error, match="no split to undo"):
        face.undo_split()
    face.split(0, 0)
    face.reverse()  # any other change forgets the splits
    with pytest.raises(mgmesh.Error, match="no split to undo"):
        face.undo_split()
    with pytest.raises(mgmesh.Error, match="^Bad facet structure$"):
        face.split(0, 3)
    with pytest.raises(IndexError):
        face.split(face.num_facets, 0)


def test_rebuild_edges_result():
    sq = square()
    assert sq.faces[0].rebuild_edges() is True
    # two squares that touch at one corner: that vertex is on the boundary twice
    obj = mgmesh.Object()
    v = [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [2, 1, 0], [2, 2, 0], [1, 2, 0]]
    face = obj.add_face(v, np.array([[0, 1, 2], [0, 2, 3], [2, 4, 5], [2, 5, 6]]))
    assert face.rebuild_edges() is False and face.corrupt


def test_deleted_items_raise_and_faces_keep_objects_alive():
    obj = tetrahedron()
    face = obj.faces[0]
    del obj
    gc.collect()
    assert face.num_facets == 4 and face.object.num_facets == 4
    other = square()
    with pytest.raises(mgmesh.Error, match="not in this object"):
        other.remove_face(face)
    owner = face.object
    owner.remove_face(face)
    assert owner.faces == [] and "deleted" in repr(face)
    for use in (lambda: face.vertices, lambda: face.rebuild_edges(), lambda: face.split(0, 0),
                lambda: owner.remove_face(face)):
        with pytest.raises(mgmesh.Error, match="the face was deleted"):
            use()


def test_bad_input_raises_the_library_text(tmp_path):
    cases = {
        "bad.ply": (b"ply\nformat ascii 1.0\nelement vertex 1\n", "^Bad PLY header$"),
        "bad.obj": (b"v 0 0 0\nf 1 2 3\n", "^Bad OBJ index$"),
        "bad.scb": (b"scb1 name\nfaceBegin\nvertex x\n", "^File problem$"),
        "cut.stl": (b"solid s\nfacet normal 0 0 1\nouter loop\nvertex 0 0 x\n", "^line 4"),
    }
    for name, (text, message) in cases.items():
        (tmp_path / name).write_bytes(text)
        with pytest.raises(mgmesh.Error, match=message):
            mgmesh.load(tmp_path / name, strict=not name.endswith(".stl"))
    # the lenient OBJ and PLY imports skip what they cannot read and say where
    with pytest.warns(mgmesh.LoadWarning, match="bad.obj: line 2, column 5: 1 face"):
        assert mgmesh.load(tmp_path / "bad.obj").num_facets == 0
    with pytest.raises(mgmesh.Error, match="^line 4"):
        mgmesh.load(tmp_path / "bad.ply")
    binary = bytearray(84 + 50)
    binary[80] = 2  # two facets counted, one there
    (tmp_path / "short.stl").write_bytes(bytes(binary))
    with pytest.raises(mgmesh.Error, match="^File problem$"):
        mgmesh.load(tmp_path / "short.stl", strict=True)
    with pytest.warns(mgmesh.LoadWarning, match="short.stl: .*count"):
        assert mgmesh.load(tmp_path / "short.stl").num_facets == 1
    with pytest.raises(FileNotFoundError):
        mgmesh.load(tmp_path / "missing.stl")
    with pytest.raises(IsADirectoryError):
        mgmesh.load(tmp_path, format="stl")
    with pytest.raises(mgmesh.Error, match="unknown model format"):
        mgmesh.load(tmp_path / "bad")
    with pytest.raises(OSError):
        tetrahedron().save(tmp_path / "no" / "such" / "dir.stl")
    assert issubclass(mgmesh.LoadWarning, UserWarning)


def test_lenient_import_warnings(tmp_path):
    text = b"SOLID x\nfacet normal 0 0 0\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n" \
           b"endloop\nendfacet\n"
    (tmp_path / "odd.stl").write_bytes(text)
    with warnings.catch_warnings(record=True) as seen:
        warnings.simplefilter("always")
        obj = mgmesh.load(tmp_path / "odd.stl")
    assert obj.num_facets == 1
    messages = [str(w.message) for w in seen]
    assert all(m.startswith(str(tmp_path / "odd.stl") + ": ") for m in messages)
    assert any("normal" in m for m in messages) and any("endsolid" in m for m in messages)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(mgmesh.LoadWarning):
            mgmesh.load(tmp_path / "odd.stl")
        with pytest.raises(mgmesh.Error, match="^File problem$"):  # "SOLID" is binary to it
            mgmesh.load(tmp_path / "odd.stl", strict=True)


def test_threads_on_one_model_wait_for_each_other(bracket):
    face = bracket.faces[0]
    failures = []

    def work(k):
        try:
            for _ in range(20):
                if k % 2:
                    face.rebuild_edges()
                    bracket.orient_shells()
                else:
                    assert face.facets.shape == (444, 3)
                    assert bracket.report()["shells"] == 1
        except Exception as e:  # noqa: BLE001 - collected for the main thread
            failures.append(e)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []


def rss_kib():
    with open("/proc/self/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


def test_no_leak_over_many_loads():
    path = MODELS / "torus-binary.stl"

    def cycle(n):
        for _ in range(n):
            obj = mgmesh.load(path)
            face = obj.faces[0]
            face.rebuild_edges()
            face.vertices, face.facets, face.boundary_loops, obj.report()
            del obj, face

    cycle(50)  # the pools and allocator reach their working size
    before = rss_kib()
    cycle(400)
    # one torus model is about 0.5 MiB: a leak of it per load would add 200 MiB
    assert rss_kib() - before < 8 * 1024


def test_example_script(tmp_path):
    script = MODELS.parent / "python" / "explore_model.py"
    run = subprocess.run([sys.executable, str(script), "--plot", str(tmp_path / "b.png")],
                         capture_output=True, text=True, check=True)
    assert "bracket: 1 face(s), 220 vertices, 444 facets" in run.stdout
    assert "closed, 1 shell, volume 10250" in run.stdout
    assert (tmp_path / "b.png").exists() or "matplotlib is not installed" in run.stdout


def png_pixels(path):
    """(width, height, rows of RGB bytes) of an 8-bit RGB PNG, with its five row filters."""
    data = path.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    chunks, at = {}, 8
    while at < len(data):
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        chunks[kind] = chunks.get(kind, b"") + data[at + 8:at + 8 + size]
        at += 12 + size
    width, height = struct.unpack(">II", chunks[b"IHDR"][:8])
    raw, stride, rows, prev = zlib.decompress(chunks[b"IDAT"]), 3 * width, [], bytes(3 * width)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a, b = line[i - 3] if i >= 3 else 0, prev[i]
            c = prev[i - 3] if i >= 3 else 0
            p = a + b - c
            near = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c
            line[i] = (line[i] + [0, a, b, (a + b) // 2, near][kind]) & 255
        rows.append(bytes(line))
        prev = rows[-1]
    return width, height, rows


@pytest.mark.skipif(not hasattr(mgmesh.Object, "render"), reason="built without EGL or libpng")
def test_render_draws_the_model(tmp_path):
    obj = tetrahedron()
    obj.render(tmp_path / "t.png", width=64, height=48, view="top", color=(1, 0, 0))
    width, height, rows = png_pixels(tmp_path / "t.png")
    assert (width, height) == (64, 48)
    corner, inside = rows[0][0:3], rows[30][3 * 25:3 * 25 + 3]  # (0.25, 0.25) seen from above
    assert corner[0] < 60 and inside[0] > 60 and inside[1] < 30  # dark background, red model
    mgmesh.Object().render(tmp_path / "empty.png", width=8, height=8)
    assert len(set(png_pixels(tmp_path / "empty.png")[2])) == 1
    with pytest.raises(mgmesh.Error, match="view must be"):
        obj.render(tmp_path / "x.png", view="back")
    with pytest.raises(mgmesh.Error, match="x.png: cannot write"):
        obj.render(tmp_path / "no" / "x.png")
