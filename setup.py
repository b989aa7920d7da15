"""Builds the Python module trimora from this repository, offline:

    python3 -m venv --system-site-packages V
    V/bin/python -m pip install --no-build-isolation .

with Debian's python3-pybind11, python3-setuptools, python3-numpy, python3-pip and python3-venv.
The extension is compiled from the library's own sources (the layers below the command lines and
library/), as the CMake build compiles them for libtrimora.
"""

import glob
import os
import re

import pybind11
from setuptools import Extension, setup

HERE = os.path.dirname(os.path.abspath(__file__))
# The folders of the library, in the order tools/check_layers declares them.
FOLDERS = ["platform", "textutil", "mesh", "readers", "writers", "report", "convert", "usage", "library"]
# The one file of the system layer that fits the system.
OTHER_SYSTEM = "system_posix.cpp" if os.name == "nt" else "system_windows.cpp"


def library_sources():
    sources = []
    for folder in FOLDERS:
        # Relative to this folder, as setuptools wants its sources.
        for path in sorted(glob.glob(os.path.join(HERE, folder, "*.cpp"))):
            if os.path.basename(path) != OTHER_SYSTEM:
                sources.append(os.path.relpath(path, HERE))
    return sources


def version():
    with open(os.path.join(HERE, "CMakeLists.txt"), encoding="utf-8") as cmake:
        return re.search(r"project\(trimora VERSION ([0-9.]+)", cmake.read()).group(1)


extension = Extension(
    "trimora._trimora",
    sources=library_sources() + ["python/_trimora.cpp"],
    include_dirs=[".", "include", pybind11.get_include()],
    libraries=["z"],
    # As the CMake release build: IEEE double arithmetic as written, no fused multiply-add.
    extra_compile_args=["-std=c++20", "-O3", "-DNDEBUG", "-ffp-contract=off", "-fvisibility=hidden", "-g0"],
    extra_link_args=["-pthread"],
    language="c++",
)

setup(
    name="trimora",
    version=version(),
    description="Mesh files and numpy triangles converted into KPF facet and VQ wire-frame files",
    license="MIT",
    packages=["trimora"],
    package_dir={"trimora": "python/trimora"},
    package_data={"trimora": ["py.typed", "*.pyi"]},
    ext_modules=[extension],
    install_requires=["numpy"],
    python_requires=">=3.9",
    zip_safe=False,
    # Out of the CMake build folder; two files at once on the two cores.
    options={"build": {"build_base": "build-python"}, "build_ext": {"parallel": 2},
             "egg_info": {"egg_base": "build-python"}},
)
