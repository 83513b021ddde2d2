"""The package as `cmake --install` and `pip install` lay it out, imported by a new interpreter."""
import os
import subprocess
import sys

from conftest import BUILD, SOURCE

RATE = ("import novaflux, json; r = novaflux.rate(json.load(open(%r))); "
        "print(novaflux.__file__, r['KivOutNOVAFLUXModel'])" % str(SOURCE / "examples" / "si_design_day.json"))


def imported_from(path):
    env = dict(os.environ, PYTHONPATH=str(path))
    out = subprocess.run([sys.executable, "-c", RATE], env=env, cwd="/", check=True,
                         capture_output=True, text=True).stdout.split()
    assert out[0].startswith(str(path)) and out[1] == "TXL-1600-Q_480(1.9)_Condensation"


def test_cmake_install_and_pip_install(tmp_path):
    subprocess.run(["cmake", "--install", str(BUILD), "--prefix", str(tmp_path / "prefix")],
                   check=True, capture_output=True)
    version = f"python{sys.version_info.major}.{sys.version_info.minor}"
    imported_from(tmp_path / "prefix" / "lib" / version / "dist-packages")
    env = dict(os.environ, NOVAFLUX_CMAKE_BUILD_DIR=str(BUILD))
    subprocess.run([sys.executable, "-m", "pip", "install", "--no-build-isolation", "--no-deps",
                    "--no-index", "--target", str(tmp_path / "pip"), str(SOURCE)],
                   env=env, check=True, capture_output=True)
    imported_from(tmp_path / "pip")
