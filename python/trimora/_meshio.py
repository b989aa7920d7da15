"""The meshio plugin of trimora: the format kpf (.kpf) for triangle meshes."""

from __future__ import annotations

from typing import Any

import numpy as np


def read_kpf(filename: Any) -> Any:
    """A meshio.Mesh of the KPF file's triangles: one point per distinct vertex, in the order of
    first use, and one triangle cell block."""
    import meshio

    from . import read

    triangles = read(filename, from_format="kpf")
    corners = triangles.reshape(-1, 3)
    points, first, inverse = np.unique(corners, axis=0, return_index=True, return_inverse=True)
    # The points in the order the file first uses them.
    order = np.argsort(first, kind="stable")
    rank = np.empty_like(order)
    rank[order] = np.arange(len(order))
    cells = rank[inverse.reshape(-1)].reshape(-1, 3)
    return meshio.Mesh(points[order], [("triangle", cells)])


def write_kpf(filename: Any, mesh: Any, form: str = "text", **kwargs: Any) -> None:
    """Writes the triangle cells of a meshio.Mesh as KPF facets (form "text" or "numb"), as the
    tool writes the same facets; a mesh with other cells than triangles raises ValueError."""
    from . import write

    blocks = [block for block in mesh.cells if len(block.data)]
    other = sorted({block.type for block in blocks if block.type != "triangle"})
    if other:
        raise ValueError(f"KPF holds triangles only, not {', '.join(other)}")
    faces = [np.asarray(block.data) for block in blocks]
    cells = np.concatenate(faces) if faces else np.zeros((0, 3), dtype=np.intp)
    write(filename, (np.asarray(mesh.points, dtype=np.float64)[:, :3], cells), form=form, **kwargs)


def register(meshio: Any) -> None:
    """Registers kpf with the meshio module given."""
    meshio.register_format("kpf", [".kpf"], read_kpf, {"kpf": write_kpf})
