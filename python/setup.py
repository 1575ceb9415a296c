"""Builds the sparsim package: the extension by the repository's CMake
build (target _sparsim, against the library's own sources), the rest as it
is. Needs CMake, a C++20 compiler, CLI11 and pybind11 (Debian: cmake g++
libcli11-dev pybind11-dev python3-pybind11 python3-numpy); nothing is
downloaded:

    pip install --no-build-isolation ./python
"""

import os
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        if not (ROOT / "CMakeLists.txt").exists():
            raise RuntimeError(f"the sparsim sources are not at {ROOT}: build from the repository")
        output = Path(self.get_ext_fullpath(ext.name)).resolve().parent
        build = Path(self.build_temp).resolve() / "cmake"
        configure = ["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                     "-DSPARSIM_BUILD_TESTS=OFF", f"-DPYTHON_EXECUTABLE={sys.executable}",
                     f"-DSPARSIM_PYTHON_OUTPUT={output}"]
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(["cmake", "--build", str(build), "--target", "_sparsim", "--parallel",
                        jobs], check=True)


setup(
    name="sparsim",
    version="2.0",
    description="Random point patterns from Sparsim, as NumPy arrays",
    packages=["sparsim"],
    python_requires=">=3.9",
    install_requires=["numpy"],
    ext_modules=[Extension("sparsim._sparsim", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
