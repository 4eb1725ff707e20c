"""The STL corpus through Python: the reference figures the C++ corpus test checks, and the
report mgtool (the C++ host) gives for the same files."""
import json
import os
import subprocess
import warnings

import numpy as np
import pytest

import mgmesh
from conftest import CORPUS

NAMES = sorted(p.name[: -len(".expected.json")] for p in CORPUS.glob("*.expected.json"))
pytestmark = pytest.mark.skipif(not NAMES, reason=f"no STL corpus at {CORPUS}")


def strict_load(path):
    """LoadAnySTL keeps what it read before a throw; through Python the throw is all there is,
    so a file the reference calls broken is expected to raise its text."""
    return mgmesh.load(path, strict=True)


@pytest.mark.parametrize("name", NAMES)
def test_reference_figures(name):
    expected = json.loads((CORPUS / (name + ".expected.json")).read_text())
    load, rebuild = expected["load"], expected["rebuild_edges"]
    if load["outcome"] != "ok":
        with pytest.raises(mgmesh.Error, match=f"^{load['outcome']}$"):
            strict_load(CORPUS / name)
        return
    obj = strict_load(CORPUS / name)
    face = obj.faces[0]
    assert (obj.num_facets, obj.num_vertices) == (load["facets"], load["vertices"])
    facets = face.facets.astype(np.int64)
    k = np.arange(1, len(facets) + 1)[:, None]
    checksum = int((k * np.array([1, 2, 3]) * facets).sum()) % (1 << 61)
    assert checksum == load["checks"]["facet_vertex_index_checksum"]
    area = load["area"]["f32_emulated"]
    assert obj.area == pytest.approx(area, rel=1e-4)
    lo, hi = face.bounding_box
    assert lo.tolist() == load["bounds"]["min"] and hi.tolist() == load["bounds"]["max"]
    assert obj.report()["degenerate_facets"] == load["degenerate_facets"]

    assert face.rebuild_edges() is rebuild["result"] and face.corrupt is rebuild["corrupt"]
    assert face.num_vertices == rebuild["vertices"]
    assert sorted(len(loop) for loop in face.boundary_loops) == rebuild["loop_lengths"]
    linked = (face.neighbors >= 0).sum(axis=1)
    assert np.bincount(linked, minlength=4).tolist() == rebuild["facets_by_neighbours_set"]


MGTOOL = os.environ.get("MGTOOL", "")


@pytest.mark.skipif(not os.access(MGTOOL, os.X_OK), reason="MGTOOL names no mgtool binary")
@pytest.mark.parametrize("name", NAMES)
def test_same_as_mgtool(name):
    """The lenient import and the report, as mgtool info --json has them."""
    run = subprocess.run([MGTOOL, "info", "--json", str(CORPUS / name)], capture_output=True,
                         text=True, check=False)
    whole = json.loads(run.stdout)["files"][0]["whole"]
    with warnings.catch_warnings(record=True) as seen:
        warnings.simplefilter("always")
        obj = mgmesh.load(CORPUS / name)
    assert len(seen) == run.stderr.count(": warning: ")
    for face in obj.faces:  # mgtool derives the edges, which drops unused vertices
        try:
            face.rebuild_edges()
        except mgmesh.Error:
            pass
    assert (len(obj.faces), obj.num_vertices, obj.num_facets, obj.num_edges) == (
        whole["faces"], whole["vertices"], whole["facets"], whole["loops"])
    assert obj.area == pytest.approx(whole["area"], rel=1e-6)
    report = obj.report()
    assert report.pop("volume") == pytest.approx(whole["volume"], rel=1e-6, abs=1e-9)
    assert report == {key: whole[key] for key in report}

