"""`pip install --no-build-isolation .`: the Python package with the component inside it.

The same CMake build as ever builds the component and the module (Debian's setuptools drives
it; nothing is downloaded); the wheel's novaflux/ folder then holds the package, the component,
its psychrometric library and the catalogue, where the component looks for them. With
NOVAFLUX_CMAKE_BUILD_DIR set, an existing build tree is installed instead of building anew.
"""
import glob
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Distribution, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent
VERSION = re.search(r"project\(novaflux VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)
os.makedirs(ROOT / "build-pip", exist_ok=True)
COMPONENT_FILES = ("libnovaflux.so", "libpsylib32.so", "NOVAFLUX.db")


class BuildWithCMake(build_ext):
    def run(self):
        build_temp = pathlib.Path(self.build_temp).resolve()
        tree = os.environ.get("NOVAFLUX_CMAKE_BUILD_DIR")
        if not tree:
            tree = build_temp / "cmake"
            generator = ["-G", "Ninja"] if shutil.which("ninja") else []
            subprocess.check_call(["cmake", "-S", str(ROOT), "-B", str(tree), *generator,
                                   "-DCMAKE_BUILD_TYPE=Release", "-DNOVAFLUX_TESTS=OFF",
                                   "-DNOVAFLUX_PYTHON=ON", f"-DPython3_EXECUTABLE={sys.executable}"])
            subprocess.check_call(["cmake", "--build", str(tree), "-j", os.environ.get("JOBS", "2")])
        stage = build_temp / "stage"
        shutil.rmtree(stage, ignore_errors=True)
        subprocess.check_call(["cmake", "--install", str(tree), "--prefix", str(stage)],
                              stdout=subprocess.DEVNULL)
        package = glob.glob(str(stage / "lib" / "python*" / "dist-packages" / "novaflux"))
        component = glob.glob(str(stage / "lib" / "**" / "novaflux" / COMPONENT_FILES[0]), recursive=True)
        if len(package) != 1 or len(component) != 1:
            raise RuntimeError(f"the CMake tree {tree} did not install the Python package and the component")
        target = pathlib.Path(self.build_lib) / "novaflux"
        shutil.rmtree(target, ignore_errors=True)
        shutil.copytree(package[0], target)
        for name in COMPONENT_FILES:
            shutil.copy2(pathlib.Path(component[0]).parent / name, target / name)


class BinaryDistribution(Distribution):
    def has_ext_modules(self):
        return True


setup(
    name="novaflux",
    version=VERSION,
    description="Rating of rotary heat-recovery wheels, with pandas tables and Dask studies",
    python_requires=">=3.9",
    install_requires=[],
    extras_require={"frames": ["pandas", "numpy"], "dask": ["dask[dataframe]", "distributed"]},
    packages=[],
    cmdclass={"build_ext": BuildWithCMake},
    distclass=BinaryDistribution,
    options={"build": {"build_base": "build-pip"}, "egg_info": {"egg_base": "build-pip"}},
)
