"""The release as host projects get it: examples/host_project built against the prefix of `cmake
--install` and the Debian package's files through find_package and pkg-config; the package run from
its files and checked by lintian; the Python module of either and of a wheel in a new virtualenv."""
import json, os, pathlib, re, subprocess, zipfile

import pytest

SOURCE = pathlib.Path(os.environ["NOVAFLUX_SOURCE_DIR"])
BUILD = pathlib.Path(os.environ["NOVAFLUX_BUILD_DIR"])
HOST, DAY = SOURCE / "examples" / "host_project", SOURCE / "examples" / "si_design_day.json"
VERSION = re.search(r"project\(novaflux VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text()).group(1)
FIGURES = ("KivoutSaS_DBT", "KivoutSaW_DBT", "KivoutSaPDrop", "KivoutERWithWheelTotalWinter_KW")
EXPECTED = json.loads(subprocess.run([str(BUILD / "bin" / "novaflux"), "rate", str(DAY)], capture_output=True, text=True).stdout)
PYTHON = "import json, novaflux; print(json.dumps([novaflux.__file__, novaflux.__version__, novaflux.rate(json.load(open(%r)))]))"


def run(*args, **kwargs):
    return subprocess.run([str(a) for a in args], check=True, capture_output=True, text=True, **kwargs).stdout


@pytest.fixture(scope="module")
def prefixes(tmp_path_factory):
    """The prefix of `cmake --install`, the Debian package and its /usr unpacked."""
    out = tmp_path_factory.mktemp("release")
    run("cmake", "--install", BUILD, "--prefix", out / "prefix")
    run("cpack", "--config", BUILD / "CPackConfig.cmake", "-B", out, cwd=out)
    deb = out / f"novaflux_{VERSION}_amd64.deb"
    run("dpkg-deb", "-x", deb, out / "root")
    return {"cmake-install": out / "prefix", "debian-package": out / "root" / "usr", "deb": deb}


@pytest.mark.parametrize("how", ["find_package", "pkg-config"])
@pytest.mark.parametrize("source", ["cmake-install", "debian-package"])
def test_host_project_rates_the_design_day(source, how, prefixes, tmp_path):
    prefix, exe = prefixes[source], tmp_path / "rate_design_day"
    if how == "find_package":
        assert f"novaflux {VERSION} from {prefix}/" in run("cmake", "-S", HOST, "-B", tmp_path, f"-DCMAKE_PREFIX_PATH={prefix}")
        run("cmake", "--build", tmp_path)
    else:
        env = dict(os.environ, PKG_CONFIG_PATH=str(next(prefix.glob("lib/**/pkgconfig/novaflux.pc")).parent))
        assert run("pkg-config", "--modversion", "novaflux", env=env).strip() == VERSION
        run("c++", "-std=c++17", HOST / "rate_design_day.cpp", *run("pkg-config", "--cflags", "--libs", "novaflux", env=env).split(), "-o", exe)
    assert re.search(r"libnovaflux\.so => %s/" % re.escape(str(prefix)), run("ldd", exe))
    printed = dict(line.split(" ", 1) for line in run(exe, *(f"{n}={float(v)}" for n, v in json.loads(DAY.read_text()).items())).splitlines())
    assert (printed.pop("version"), printed.pop("KivOutNOVAFLUXModel")) == (f"{VERSION} {VERSION}", EXPECTED["KivOutNOVAFLUXModel"])
    assert {n: float(v) for n, v in printed.items()} == {n: EXPECTED[n] for n in FIGURES}


def test_debian_package_runs_from_its_files(prefixes):
    usr, deb = prefixes["debian-package"], prefixes["deb"]
    fields = dict(line.split(": ", 1) for line in run("dpkg-deb", "-f", deb, "Version", "Depends").splitlines())
    assert fields["Version"] == VERSION and {"libc6", "libsqlite3-0", "libstdc++6", "python3"} <= {d.split()[0] for d in fields["Depends"].split(", ")}
    files = [p for p in usr.rglob("*") if p.is_file()]
    (component,) = [p.parent for p in files if p.name == "libnovaflux.so"]
    assert {"libpsylib32.so", "NOVAFLUX.db"} <= {p.name for p in component.iterdir()} and (usr / "share/man/man1/novaflux.1.gz").exists()
    assert not [p for p in files if str(BUILD).encode() in p.read_bytes()], "a file names the build tree"
    tool = usr / "bin" / "novaflux"
    assert run(tool, "--version").strip() == f"novaflux {VERSION}" and json.loads(run(tool, "describe"))["version"] == VERSION
    assert f"novaflux {VERSION};" in re.search(r"<footer>(.*?)</footer>", run(tool, "report", DAY, "-o", "-"), re.S).group(1)
    assert json.loads(run(tool, "rate", DAY)) == EXPECTED


@pytest.mark.parametrize("source", ["cmake-install", "debian-package", "wheel"])
def test_python_module_rates_the_design_day(source, prefixes, tmp_path):
    python, env = "/usr/bin/python3", {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    if source == "wheel":  # built by Debian's setuptools from the tree, pandas from Debian's packages
        run(python, "-m", "pip", "wheel", "--no-build-isolation", "--no-deps", "--no-index", "-w", tmp_path, SOURCE,
            env=dict(env, NOVAFLUX_CMAKE_BUILD_DIR=str(BUILD)))
        (wheel,) = tmp_path.glob(f"novaflux-{VERSION}-*.whl")
        assert {"novaflux/libnovaflux.so", "novaflux/libpsylib32.so", "novaflux/NOVAFLUX.db"} <= set(zipfile.ZipFile(wheel).namelist())
        run(python, "-m", "venv", "--system-site-packages", "--without-pip", tmp_path / "env")
        python, site = tmp_path / "env" / "bin" / "python", tmp_path / "env" / "lib"
        run(python, "-m", "pip", "install", "--no-deps", "--no-index", wheel)  # the system's pip, into the environment
    else:
        (site,) = prefixes[source].glob("lib/python3*/dist-packages")
        env["PYTHONPATH"] = str(site)
    module, version, rating = json.loads(run(python, "-c", PYTHON % str(DAY), env=env, cwd="/"))
    assert module.startswith(f"{site}/") and version == VERSION
    assert {n: rating[n] for n in ("KivOutNOVAFLUXModel",) + FIGURES} == {n: EXPECTED[n] for n in ("KivOutNOVAFLUXModel",) + FIGURES}


def test_lintian_finds_no_error(prefixes):
    r = subprocess.run(["lintian", "--fail-on", "error", str(prefixes["deb"])], capture_output=True, text=True)
    assert r.returncode == 0, r.stdout + r.stderr
