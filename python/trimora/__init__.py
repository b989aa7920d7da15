"""trimora: mesh files and meshes in numpy arrays converted into KPF facet, VQ wire-frame and STL
files, byte for byte as the trimora tool writes them.

A file that cannot be opened raises OSError (FileNotFoundError when it does not exist); a file that
cannot be read as its format raises ValueError with the tool's one-line message. Problem lines of
a file that is read to its end raise nothing: they are in Result.problems (read and info give them
as warnings of the class TrimoraWarning).

The conversions release the GIL: separate conversions may run on separate threads at once.
Importing trimora registers the format "kpf" (.kpf) with meshio when meshio is installed.
"""

from __future__ import annotations

import errno
import json
import os
import warnings
from dataclasses import dataclass, field
from typing import Any, Optional, Sequence, Tuple, Union

import numpy as np

from . import _trimora

__all__ = ["Result", "TrimoraWarning", "convert", "read", "write", "info", "__version__"]

__version__: str = _trimora.version()

PathLike = Union[str, "os.PathLike[str]"]

# The failures of trimora::Failure, in its order.
_NONE, _BAD_OPTION, _INPUT_NOT_OPENED, _OUTPUT_NOT_OPENED, _INPUT_NOT_READ, _OUTPUT_NOT_WRITTEN, _OUT_OF_MEMORY = range(7)

_FORMS = ("text", "numb", "number", "wire", "stl")


class TrimoraWarning(UserWarning):
    """A problem line of a file that read and info read to its end."""


@dataclass(frozen=True)
class Result:
    """How a conversion or a write went.

    facets: the facet count the tool reports; problems: the tool's problem lines for the file;
    ok: True when there is none (the tool's exit status 0); output: the file written;
    format: what was read (stl-ascii, stl-binary, obj, ply-ascii, ply-binary, off, 3mf, kpf,
    with ".gz" for a compressed input; empty for a write).
    """

    facets: int
    problems: list = field(default_factory=list)
    ok: bool = True
    output: str = ""
    format: str = ""


def _name(path: PathLike) -> bytes:
    """The name's bytes, as the system holds it."""
    return os.fsencode(os.fspath(path))


def _raise_failure(outcome: tuple, input_path: Optional[PathLike], output_path: Optional[PathLike]) -> None:
    """Raises the exception of a run that could not go on; nothing for one that could."""
    _facets, problems, failure, _format, _unit = outcome
    message = problems[-1] if problems else "trimora failed"
    if failure == _NONE:
        return
    if failure == _INPUT_NOT_OPENED:
        if input_path is not None and not os.path.lexists(os.fspath(input_path)):
            raise FileNotFoundError(errno.ENOENT, message, os.fspath(input_path))
        raise OSError(message)
    if failure in (_OUTPUT_NOT_OPENED, _OUTPUT_NOT_WRITTEN):
        raise OSError(message)
    if failure == _OUT_OF_MEMORY:
        raise MemoryError(message)
    # An option the run cannot take, or an input that cannot be read as its format.
    raise ValueError(message)


def _result(outcome: tuple, output: PathLike) -> Result:
    facets, problems, failure, format_name, _unit = outcome
    return Result(facets=facets, problems=list(problems), ok=failure == _NONE and not problems,
                  output=os.fspath(output), format=format_name)


def _check_form(form: str) -> None:
    if form not in _FORMS:
        raise ValueError(f"form must be text, numb, wire or stl, not {form!r}")


def default_output(src: PathLike, form: str = "text") -> str:
    """The output the tool names for src: its last extension (with a last ".gz") replaced by
    .kpf, or .stl for the form stl."""
    name = os.fspath(src)
    extension = "stl" if form == "stl" else "kpf"
    start = max(name.rfind("/"), name.rfind("\\")) + 1
    if len(name) > start + 3 and name[-3:].lower() == ".gz" and name.find(".", start + 1, len(name) - 3) != -1:
        name = name[:-3]
    dot = name.rfind(".")
    has_extension = dot > start and name[start:].strip(".") != "" and dot != -1
    return (name[:dot] if has_extension else name) + "." + extension


def convert(src: PathLike, dst: Optional[PathLike] = None, *, form: str = "text",
            from_format: Optional[str] = None, all_edges: bool = False) -> Result:
    """Converts the mesh file src into dst as `trimora -f FORM -o DST SRC` does, with the same bytes.

    form is "text" (KPF with nrml and trng lines), "numb" (KPF with 5 and 4), "wire" (the VQ wire
    frame; all_edges=True gives every distinct edge) or "stl" (ASCII STL). dst defaults to the
    name the tool gives: src with its extension replaced by .kpf (.stl for the form stl).
    from_format names src's format (stl, obj, ply, off, 3mf, kpf, optionally ".gz") when its
    name's extension tells none. dst is replaced whole, and only when src was read to its end.

    Raises FileNotFoundError when src does not exist, OSError when a file cannot be opened or
    written, ValueError when src cannot be read as its format or an option is wrong.
    """
    _check_form(form)
    if dst is None:
        dst = default_output(src, form)
    outcome = _trimora.convert(_name(src), _name(dst), form, from_format, all_edges)
    _raise_failure(outcome, src, dst)
    return _result(outcome, dst)


def _triangles_of(triangles: Any) -> np.ndarray:
    """An (n, 3, 3) float64 array of the triangles, or of a (points, faces) pair."""
    if isinstance(triangles, tuple) and len(triangles) == 2:
        points = np.asarray(triangles[0], dtype=np.float64)
        faces = np.asarray(triangles[1])
        if points.ndim != 2 or points.shape[1] != 3:
            raise ValueError("points must have the shape (m, 3)")
        if faces.ndim != 2 or faces.shape[1] != 3 or (faces.size and not np.issubdtype(faces.dtype, np.integer)):
            raise ValueError("faces must be whole numbers of the shape (n, 3)")
        if faces.size and (faces.min() < 0 or faces.max() >= len(points)):
            raise ValueError("faces must index the points")
        return points[faces.astype(np.intp, copy=False)]
    array = np.asarray(triangles, dtype=np.float64)
    if array.ndim != 3 or array.shape[1:] != (3, 3):
        raise ValueError("triangles must have the shape (n, 3, 3), or be a (points, faces) pair")
    return array


def write(path: PathLike, triangles: Any, *, form: str = "text", normals: Any = None,
          name: Optional[str] = None, all_edges: bool = False) -> Result:
    """Writes triangles into path as the tool writes the same facets read from a binary STL file.

    triangles is an (n, 3, 3) array (vertex i of triangle k is triangles[k, i]) or a
    (points, faces) pair of an (m, 3) array and an (n, 3) array of indices. normals, an (n, 3)
    array, gives each facet's normal; where it is missing or zero the normal is the vertices'
    ((v1 - v0) x (v2 - v0) made unit), as for a zero normal in binary STL. name is written in
    the "$ File:" line (and after solid and endsolid for the form stl); by default the file's
    own name. No facet at all is a problem line, as the tool says of an input with none.

    Raises OSError when path cannot be written, ValueError for arrays of the wrong shape.
    """
    _check_form(form)
    array = np.ascontiguousarray(_triangles_of(triangles), dtype=np.float64)
    given = None
    if normals is not None:
        given = np.ascontiguousarray(normals, dtype=np.float64)
        if given.shape != (len(array), 3):
            raise ValueError("normals must have the shape (n, 3) of the triangles' n")
    label = os.path.basename(os.fspath(path)) if name is None else name
    outcome = _trimora.write(_name(path), array, given, form, label, all_edges)
    _raise_failure(outcome, None, path)
    return _result(outcome, path)


def _warn(problems: Sequence[str]) -> None:
    for line in problems:
        warnings.warn(line, TrimoraWarning, stacklevel=3)


def read(path: PathLike, *, from_format: Optional[str] = None) -> np.ndarray:
    """The triangles of a mesh file of any format the tool reads, as an (n, 3, 3) float64 array:
    polygons fanned from their first vertex, in file order.

    Problem lines of the file are given as TrimoraWarning warnings. Raises FileNotFoundError when
    path does not exist, OSError when it cannot be opened, ValueError when it cannot be read as
    its format.
    """
    triangles, outcome = _trimora.read(_name(path), from_format)
    _raise_failure(outcome, path, None)
    _warn(outcome[1])
    return triangles


def info(path: PathLike, *, from_format: Optional[str] = None) -> dict:
    """The mesh report of `trimora --info --json path`, as the dict of its JSON line: file,
    format, unit (3MF only), facets, vertices, edges, boundary_edges, nonmanifold_edges,
    degenerate_facets, min, max, area, volume, closed.

    Problem lines of the file are given as TrimoraWarning warnings. Raises as read does.
    """
    line, outcome = _trimora.info(_name(path), from_format)
    _raise_failure(outcome, path, None)
    _warn(outcome[1])
    return json.loads(line)


def _register_with_meshio() -> None:
    """Registers the format kpf (.kpf) with meshio when meshio is installed."""
    try:
        import meshio
    except ImportError:
        return
    from ._meshio import register

    register(meshio)


_register_with_meshio()
