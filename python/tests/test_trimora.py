"""The Python module against the built tool's own bytes: convert, read, write, info, the errors,
the meshio plugin and conversions on several threads at once."""

import gzip
import json
import os
import subprocess
import sys
import types
import warnings
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import numpy as np
import pytest

import trimora
from trimora import _meshio

ROOT = Path(__file__).resolve().parents[2]
TOOL = Path(os.environ.get("TRIMORA_EXE", ROOT / "build" / "trimora"))
CORPUS = Path(os.environ.get("TRIMORA_CORPUS", ROOT.parent / "shared" / "corpus"))
FORMS = [("text", False), ("numb", False), ("wire", False), ("stl", False), ("wire", True)]

needs_tool = pytest.mark.skipif(not TOOL.exists(), reason=f"the built tool is not at {TOOL} (TRIMORA_EXE)")


def run_tool(folder, *args):
    return subprocess.run([str(TOOL), *args], cwd=folder, capture_output=True, check=False)


def tool_convert(folder, form, all_edges, output, source):
    args = ["-q", "-f", form, "-o", output, source]
    if all_edges:
        args.insert(0, "--all-edges")
    return run_tool(folder, *args)


def masked(path):
    """The file's bytes with the date of its "$ Date:" line masked."""
    lines = Path(path).read_bytes().split(b"\r\n")
    return b"\r\n".join(b"$ Date: <date>" if line.startswith(b"$ Date: ") else line for line in lines)


def torus(rings=8, sides=6):
    """A closed torus as (n, 3, 3) triangles whose coordinates are floats, so that binary STL
    holds them exactly."""
    u = 2 * np.pi * np.arange(rings + 1) / rings
    v = 2 * np.pi * np.arange(sides + 1) / sides
    r = 40.0 + 12.5 * np.cos(v)
    grid = np.stack([np.outer(np.cos(u), r), np.outer(np.sin(u), r),
                     np.broadcast_to(12.5 * np.sin(v), (rings + 1, sides + 1))], axis=-1)
    grid = grid.astype(np.float32).astype(np.float64)
    grid[rings] = grid[0]
    grid[:, sides] = grid[:, 0]
    a, b = grid[:-1, :-1], grid[1:, :-1]
    c, d = grid[1:, 1:], grid[:-1, 1:]
    first = np.stack([a, b, c], axis=2).reshape(-1, 3, 3)
    second = np.stack([a, c, d], axis=2).reshape(-1, 3, 3)
    return np.stack([first, second], axis=1).reshape(-1, 3, 3)


RECORD = np.dtype([("normal", "<f4", (3,)), ("vertices", "<f4", (3, 3)), ("attribute", "<u2")])


def binary_stl(path, triangles, normals=None):
    records = np.zeros(len(triangles), dtype=RECORD)
    records["vertices"] = triangles
    if normals is not None:
        records["normal"] = normals
    Path(path).write_bytes(b"made".ljust(80, b" ") + np.uint32(len(triangles)).tobytes() + records.tobytes())


@pytest.fixture
def made(tmp_path):
    """A binary STL torus, its OBJ twin with quads, and its triangles."""
    triangles = torus()
    binary_stl(tmp_path / "part.stl", triangles)
    points, inverse = np.unique(triangles.reshape(-1, 3), axis=0, return_inverse=True)
    faces = inverse.reshape(-1, 3) + 1
    quads = [f"f {p[0]} {p[1]} {p[2]} {q[2]}" for p, q in zip(faces[0::2], faces[1::2])]
    vertices = [f"v {x!r} {y!r} {z!r}" for x, y, z in points.tolist()]
    (tmp_path / "part.obj").write_text("\n".join(vertices + quads) + "\n")
    return triangles


@needs_tool
@pytest.mark.parametrize("form,all_edges", FORMS)
@pytest.mark.parametrize("name", ["part.stl", "part.obj", "cube.stl", "tri.stl"])
def test_convert_writes_the_tools_bytes(tmp_path, made, form, all_edges, name):
    for example in ("cube.stl", "tri.stl"):
        (tmp_path / example).write_bytes((ROOT / "examples" / example).read_bytes())
    tool = tool_convert(tmp_path, form, all_edges, "tool.out", name)
    result = trimora.convert(tmp_path / name, tmp_path / "lib.out", form=form, all_edges=all_edges)
    assert result.ok == (tool.returncode == 0)
    assert result.output == str(tmp_path / "lib.out")
    # The header names the input as given: the tool was given the bare name.
    library = masked(tmp_path / "lib.out").replace(str(tmp_path / name).encode(), name.encode())
    assert library == masked(tmp_path / "tool.out")
    assert result.facets == len(made) or name != "part.stl"


@needs_tool
def test_convert_corpus_files_as_the_tool_does(tmp_path):
    if not CORPUS.is_dir():
        pytest.skip("the shared STL corpus is not here (TRIMORA_CORPUS)")
    files = sorted((CORPUS / "ascii").iterdir())[::5] + sorted((CORPUS / "binary").iterdir())[::5]
    assert files
    for source in files:
        (tmp_path / "model.stl").write_bytes(source.read_bytes())
        tool = tool_convert(tmp_path, "text", False, "tool.kpf", "model.stl")
        os.chdir(tmp_path)
        try:
            result = trimora.convert("model.stl", "lib.kpf")
        except ValueError:
            assert tool.returncode != 0 and not (tmp_path / "tool.kpf").exists()
            continue
        finally:
            os.chdir(ROOT)
        assert masked(tmp_path / "lib.kpf") == masked(tmp_path / "tool.kpf"), source.name
        assert result.ok == (tool.returncode == 0), source.name
        for problem in result.problems:
            # The modern console ends its lines as the system's text does.
            assert (problem + os.linesep).encode() in tool.stdout, source.name
        # The report and the triangles of the same file.
        report = run_tool(tmp_path, "-q", "--info", "--json", "model.stl")
        os.chdir(tmp_path)
        try:
            with warnings.catch_warnings():
                warnings.simplefilter("ignore", trimora.TrimoraWarning)
                assert trimora.info("model.stl") == json.loads(report.stdout), source.name
                assert len(trimora.read("model.stl")) == json.loads(report.stdout)["facets"] or result.problems
        finally:
            os.chdir(ROOT)
        os.remove(tmp_path / "lib.kpf")
        os.remove(tmp_path / "tool.kpf")


@needs_tool
@pytest.mark.parametrize("name", ["part.stl", "a.b.STL", "part.obj.gz", "noextension", ".hidden"])
def test_default_output_is_the_tools_name(tmp_path, made, name):
    source = tmp_path / "part.obj"
    data = source.read_bytes()
    (tmp_path / name).write_bytes(gzip.compress(data) if name.endswith(".gz") else data)
    before = set(os.listdir(tmp_path))
    run_tool(tmp_path, "-q", "--from", "obj", name)
    written = set(os.listdir(tmp_path)) - before
    assert written == {trimora.default_output(name)}
    os.remove(tmp_path / written.pop())
    result = trimora.convert(tmp_path / name, from_format="obj")
    assert result.output == str(tmp_path / trimora.default_output(name))
    assert Path(result.output).exists()


@needs_tool
@pytest.mark.parametrize("form,all_edges", FORMS)
def test_write_gives_the_tools_bytes_for_the_same_facets(tmp_path, form, all_edges):
    triangles = torus()
    normals = np.zeros((len(triangles), 3))
    normals[::3] = [0.0, 0.0, 2.0]
    normals[1::3] = [0.0, -1.0, 1.0]
    binary_stl(tmp_path / "bare.stl", triangles)
    binary_stl(tmp_path / "given.stl", triangles, normals)
    tool_convert(tmp_path, form, all_edges, "bare.out", "bare.stl")
    tool_convert(tmp_path, form, all_edges, "given.out", "given.stl")
    expected = masked(tmp_path / "bare.out")

    result = trimora.write(tmp_path / "a.out", triangles, form=form, name="bare.stl", all_edges=all_edges)
    assert result.ok and result.facets == len(triangles)
    assert masked(tmp_path / "a.out") == expected
    # A (points, faces) pair, float32 and a view that is not contiguous give the same bytes.
    points, inverse = np.unique(triangles.reshape(-1, 3), axis=0, return_inverse=True)
    trimora.write(tmp_path / "b.out", (points, inverse.reshape(-1, 3)), form=form, name="bare.stl",
                  all_edges=all_edges)
    assert masked(tmp_path / "b.out") == expected
    trimora.write(tmp_path / "c.out", triangles.astype(np.float32), form=form, name="bare.stl", all_edges=all_edges)
    assert masked(tmp_path / "c.out") == expected
    doubled = np.repeat(triangles, 2, axis=0)[::2]
    trimora.write(tmp_path / "d.out", doubled, form=form, name="bare.stl", all_edges=all_edges)
    assert masked(tmp_path / "d.out") == expected

    trimora.write(tmp_path / "e.out", triangles, normals=normals, form=form, name="given.stl", all_edges=all_edges)
    assert masked(tmp_path / "e.out") == masked(tmp_path / "given.out")


def test_write_names_and_refuses(tmp_path):
    result = trimora.write(tmp_path / "empty.kpf", np.zeros((0, 3, 3)))
    assert not result.ok
    assert result.problems == ["No facet to convert in [empty.kpf]"]
    assert (tmp_path / "empty.kpf").read_bytes().startswith(b"$ File: empty.kpf\r\n$ Date: ")
    with pytest.raises(OSError):
        trimora.write(tmp_path / "no" / "folder.kpf", torus())
    with pytest.raises(ValueError):
        trimora.write(tmp_path / "x.kpf", np.zeros((4, 3)))
    with pytest.raises(ValueError):
        trimora.write(tmp_path / "x.kpf", (np.zeros((3, 3)), np.array([[0, 1, 3]])))
    with pytest.raises(ValueError):
        trimora.write(tmp_path / "x.kpf", torus(), normals=np.zeros((2, 3)))
    with pytest.raises(ValueError):
        trimora.write(tmp_path / "x.kpf", torus(), form="dxf")
    assert not (tmp_path / "x.kpf").exists()


def test_read_gives_the_fanned_triangles_in_file_order(tmp_path, made):
    from_stl = trimora.read(tmp_path / "part.stl")
    assert from_stl.shape == made.shape and from_stl.dtype == np.float64
    assert np.array_equal(from_stl, made)
    # Quads fan from their first vertex: the two triangles of each quad, in order.
    assert np.array_equal(trimora.read(tmp_path / "part.obj"), made)
    (tmp_path / "part.mesh").write_bytes((tmp_path / "part.obj").read_bytes())
    assert np.array_equal(trimora.read(tmp_path / "part.mesh", from_format="obj"), made)
    assert trimora.read(tmp_path / "part.stl").flags["C_CONTIGUOUS"]


def test_read_warns_of_problem_lines(tmp_path):
    (tmp_path / "bad.obj").write_text("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\nf 1 2 3\n")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        triangles = trimora.read(tmp_path / "bad.obj")
    assert triangles.shape == (1, 3, 3)
    assert len(caught) == 1 and issubclass(caught[0].category, trimora.TrimoraWarning)
    assert "bad.obj" in str(caught[0].message)
    result = trimora.convert(tmp_path / "bad.obj")
    assert not result.ok and len(result.problems) == 1


def test_errors_are_the_issues_types(tmp_path):
    with pytest.raises(FileNotFoundError):
        trimora.convert(tmp_path / "none.stl", tmp_path / "out.kpf")
    with pytest.raises(FileNotFoundError):
        trimora.read(tmp_path / "none.stl")
    with pytest.raises(FileNotFoundError):
        trimora.info(tmp_path / "none.stl")
    with pytest.raises(OSError) as folder:
        trimora.read(tmp_path)
    assert not isinstance(folder.value, FileNotFoundError)
    (tmp_path / "corrupt.stl").write_bytes(b"\x1f\x8b\x08\x00garbagegarbage")
    (tmp_path / "old.kpf").write_bytes(b"old")
    with pytest.raises(ValueError) as corrupt:
        trimora.convert(tmp_path / "corrupt.stl", tmp_path / "old.kpf")
    assert str(corrupt.value) == f"Cannot read file: [{tmp_path / 'corrupt.stl'}]"
    assert (tmp_path / "old.kpf").read_bytes() == b"old"
    with pytest.raises(ValueError):
        trimora.read(tmp_path / "corrupt.stl")
    with pytest.raises(ValueError):
        trimora.info(tmp_path / "corrupt.stl")
    binary_stl(tmp_path / "in.stl", torus())
    with pytest.raises(OSError):
        trimora.convert(tmp_path / "in.stl", tmp_path / "no" / "folder.kpf")
    with pytest.raises(OSError):
        trimora.convert(tmp_path / "in.stl", tmp_path / "in.stl", form="stl")
    with pytest.raises(ValueError):
        trimora.convert(tmp_path / "in.stl", from_format="dwg")
    with pytest.raises(ValueError):
        trimora.convert(tmp_path / "in.stl", all_edges=True)


@needs_tool
def test_info_is_the_tools_json_line(tmp_path, made):
    for name in ("part.stl", "part.obj"):
        tool = run_tool(tmp_path, "--info", "--json", name)
        os.chdir(tmp_path)
        try:
            assert trimora.info(name) == json.loads(tool.stdout)
        finally:
            os.chdir(ROOT)
    figures = trimora.info(tmp_path / "part.stl")
    assert figures["closed"] is True and figures["facets"] == len(made)


def test_meshio_registration_with_a_stub_module():
    calls = []
    stub = types.SimpleNamespace(register_format=lambda *args: calls.append(args))
    _meshio.register(stub)
    assert calls == [("kpf", [".kpf"], _meshio.read_kpf, {"kpf": _meshio.write_kpf})]


def test_meshio_round_trip(tmp_path):
    meshio = pytest.importorskip("meshio")
    triangles = torus()
    points, inverse = np.unique(triangles.reshape(-1, 3), axis=0, return_inverse=True)
    mesh = meshio.Mesh(points, [("triangle", inverse.reshape(-1, 3))])
    meshio.write(tmp_path / "m.kpf", mesh)
    trimora.write(tmp_path / "t.kpf", triangles, name="m.kpf")
    assert masked(tmp_path / "m.kpf") == masked(tmp_path / "t.kpf")
    back = meshio.read(tmp_path / "m.kpf")
    cells = back.get_cells_type("triangle")
    # KPF holds six decimals: the triangles read back are the file's.
    assert np.array_equal(back.points[cells], trimora.read(tmp_path / "m.kpf"))
    assert np.allclose(back.points[cells], triangles, rtol=0, atol=5e-7)
    assert len(back.points) == len(points)
    with pytest.raises(ValueError):
        meshio.write(tmp_path / "q.kpf", meshio.Mesh(points, [("quad", np.array([[0, 1, 2, 3]]))]))


@needs_tool
def test_several_threads_at_once(tmp_path):
    triangles = torus(60, 40)
    binary_stl(tmp_path / "in.stl", triangles)
    tool_convert(tmp_path, "text", False, "tool.kpf", "in.stl")
    expected = masked(tmp_path / "tool.kpf")

    def job(i):
        out = tmp_path / f"out{i}.kpf"
        if i % 3 == 0:
            trimora.convert(tmp_path / "in.stl", out)
            text = masked(out).replace(str(tmp_path / "in.stl").encode(), b"in.stl")
        elif i % 3 == 1:
            trimora.write(out, trimora.read(tmp_path / "in.stl"), name="in.stl")
            text = masked(out)
        else:
            return trimora.info(tmp_path / "in.stl")["facets"] == len(triangles)
        return text == expected

    with ThreadPoolExecutor(max_workers=4) as pool:
        assert all(pool.map(job, range(12)))


def test_every_function_has_a_docstring():
    for function in (trimora.convert, trimora.read, trimora.write, trimora.info, trimora.default_output):
        assert function.__doc__ and len(function.__doc__) > 40
    package = Path(trimora.__file__).parent
    assert (package / "py.typed").exists() and (package / "__init__.pyi").exists()
    assert sys.modules["trimora"].__version__ == "1.3"
