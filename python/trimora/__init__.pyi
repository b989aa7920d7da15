# Type stubs of the package trimora.
import os
import numpy as np
import numpy.typing as npt
from typing import Any, List, Optional, Union

PathLike = Union[str, os.PathLike[str]]

__version__: str

class TrimoraWarning(UserWarning): ...

class Result:
    facets: int
    problems: List[str]
    ok: bool
    output: str
    format: str
    def __init__(self, facets: int, problems: List[str] = ..., ok: bool = ..., output: str = ...,
                 format: str = ...) -> None: ...

def default_output(src: PathLike, form: str = ...) -> str: ...
def convert(src: PathLike, dst: Optional[PathLike] = ..., *, form: str = ..., from_format: Optional[str] = ...,
            all_edges: bool = ...) -> Result: ...
def write(path: PathLike, triangles: Any, *, form: str = ..., normals: Optional[npt.ArrayLike] = ...,
          name: Optional[str] = ..., all_edges: bool = ...) -> Result: ...
def read(path: PathLike, *, from_format: Optional[str] = ...) -> npt.NDArray[np.float64]: ...
def info(path: PathLike, *, from_format: Optional[str] = ...) -> dict[str, Any]: ...
