"""The package as `cmake --install`, `pip install` and a wheel lay it out, imported by a new
interpreter that rates the SI design day."""
import json
import os
import subprocess
import sys
import zipfile

from conftest import BUILD, SOURCE

RATE = ("import novaflux, json; r = novaflux.rate(json.load(open(%r))); "
        "print(json.dumps([novaflux.__file__, r['KivOutNOVAFLUXModel'], novaflux.__version__]))"
        % str(SOURCE / "examples" / "si_design_day.json"))
VERSION = subprocess.run([str(BUILD / "bin" / "novaflux"), "--version"], capture_output=True, text=True).stdout.split()[1]


def imported_from(path, python=sys.executable, search_path=True):
    env = dict(os.environ, PYTHONPATH=str(path))
    if not search_path:
        del env["PYTHONPATH"]
    module, model, version = json.loads(subprocess.run([str(python), "-c", RATE], env=env, cwd="/", check=True,
                                                       capture_output=True, text=True).stdout)
    assert module.startswith(str(path)) and model == "TXL-1600-Q_480(1.9)_Condensation" and version == VERSION


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


def test_wheel_in_a_fresh_virtual_environment(tmp_path):
    env = dict(os.environ, NOVAFLUX_CMAKE_BUILD_DIR=str(BUILD))
    subprocess.run([sys.executable, "-m", "pip", "wheel", "--no-build-isolation", "--no-deps", "--no-index",
                    "-w", str(tmp_path / "wheels"), str(SOURCE)], env=env, check=True, capture_output=True)
    (wheel,) = (tmp_path / "wheels").glob(f"novaflux-{VERSION}-*.whl")
    names = zipfile.ZipFile(wheel).namelist()
    assert {"novaflux/libnovaflux.so", "novaflux/libpsylib32.so", "novaflux/NOVAFLUX.db"} <= set(names)
    assert any(n.startswith("novaflux/_core.") and n.endswith(".so") for n in names), names
    # pandas and numpy come from Debian's packages; pip is the system's, installing into the venv.
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", "--without-pip", str(venv)], check=True)
    python = venv / "bin" / "python"
    subprocess.run([str(python), "-m", "pip", "install", "--no-index", "--no-deps", str(wheel)],
                   check=True, capture_output=True)
    site = subprocess.run([str(python), "-c", "import sysconfig; print(sysconfig.get_path('platlib'))"],
                          check=True, capture_output=True, text=True).stdout.strip()
    imported_from(site, python, search_path=False)
    metadata = subprocess.run([str(python), "-c", "import importlib.metadata as m; print(m.version('novaflux'))"],
                              check=True, capture_output=True, text=True).stdout.strip()
    assert metadata == VERSION
