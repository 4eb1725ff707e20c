"""Shared places and shapes for the tests of the mgmesh Python module.

The module comes from PYTHONPATH (make test points it at the build); the corpus from
MGMESH_CORPUS_DIR or ../shared/corpus beside the repository; mgtool from MGTOOL.
"""
import os
import pathlib

import numpy as np
import pytest

import mgmesh

REPO = pathlib.Path(__file__).resolve().parents[2]
MODELS = REPO / "examples" / "models"
CORPUS = pathlib.Path(os.environ.get("MGMESH_CORPUS_DIR", REPO.parent / "shared" / "corpus")) / "stl"


def tetrahedron(flip=()):
    """A closed, outward-facing tetrahedron as an Object; facets listed in `flip` reversed."""
    vertices = np.array([[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1]], dtype=np.float64)
    triangles = np.array([[0, 2, 1], [0, 1, 3], [1, 2, 3], [0, 3, 2]])
    for i in flip:
        triangles[i] = triangles[i][::-1]
    obj = mgmesh.Object()
    obj.add_face(vertices, triangles)
    return obj


def square():
    """Two facets forming the unit square in z = 0: an open face with one boundary loop."""
    obj = mgmesh.Object()
    obj.add_face([[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0]], np.array([[0, 1, 2], [0, 2, 3]]))
    return obj


@pytest.fixture
def bracket():
    return mgmesh.load(MODELS / "bracket.stl")
