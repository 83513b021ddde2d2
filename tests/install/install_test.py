"""The release as host projects get it: the host project in host/ built out of tree against the
prefix of `cmake --install` and against the files of the Debian package, once through
find_package and once through pkg-config, rating the SI design day as the tool does; the Debian
package unpacked (tool and Python run from its files) and checked by lintian."""
import json
import os
import pathlib
import re
import subprocess

import pytest

SOURCE = pathlib.Path(os.environ.get("NOVAFLUX_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
BUILD = pathlib.Path(os.environ.get("NOVAFLUX_BUILD_DIR", SOURCE / "build"))
HOST = pathlib.Path(__file__).parent / "host"
DESIGN_DAY = SOURCE / "examples" / "si_design_day.json"
VERSION = re.search(r"project\(novaflux VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text()).group(1)
FIGURES = ("KivoutSaS_DBT", "KivoutSaW_DBT", "KivoutSaPDrop", "KivoutERWithWheelTotalWinter_KW")
PYTHON_RATING = ("import json, novaflux; r = novaflux.rate(json.load(open(%r))); "
                 "print(json.dumps([novaflux.__file__, novaflux.__version__, r]))" % str(DESIGN_DAY))


def run(*args, **kwargs):
    return subprocess.run([str(a) for a in args], check=True, capture_output=True, text=True, **kwargs).stdout


def tool_rating(tool):
    r = subprocess.run([str(tool), "rate", str(DESIGN_DAY)], capture_output=True, text=True)
    return json.loads(r.stdout)


@pytest.fixture(scope="module")
def reference():
    return tool_rating(BUILD / "bin" / "novaflux")


@pytest.fixture(scope="module")
def installed(tmp_path_factory):
    prefix = tmp_path_factory.mktemp("install") / "prefix"
    run("cmake", "--install", BUILD, "--prefix", prefix)
    return prefix


@pytest.fixture(scope="module")
def package(tmp_path_factory):
    """The Debian package CPack makes of the build tree, and its /usr unpacked."""
    out = tmp_path_factory.mktemp("deb")
    run("cpack", "--config", BUILD / "CPackConfig.cmake", "-B", out, cwd=out)
    deb = out / f"novaflux_{VERSION}_amd64.deb"
    run("dpkg-deb", "-x", deb, out / "root")
    return deb, out / "root" / "usr"


def build_host(prefix, how, work):
    exe = work / "rate_design_day"
    if how == "find_package":
        configured = run("cmake", "-S", HOST, "-B", work, "-G", "Ninja", f"-DCMAKE_PREFIX_PATH={prefix}")
        assert f"novaflux {VERSION} from {prefix}/" in configured
        run("cmake", "--build", work)
    else:
        (pc,) = prefix.glob("lib/**/pkgconfig/novaflux.pc")
        work.mkdir()
        env = dict(os.environ, PKG_CONFIG_PATH=str(pc.parent))
        assert run("pkg-config", "--modversion", "novaflux", env=env).strip() == VERSION
        flags = run("pkg-config", "--cflags", "--libs", "novaflux", env=env).split()
        run("c++", "-std=c++17", HOST / "rate_design_day.cpp", *flags, "-o", exe)
    return exe


@pytest.mark.parametrize("how", ["find_package", "pkg-config"])
@pytest.mark.parametrize("source", ["cmake-install", "debian-package"])
def test_host_project_rates_the_design_day(source, how, request, reference, tmp_path):
    prefix = request.getfixturevalue("installed") if source == "cmake-install" else request.getfixturevalue("package")[1]
    exe = build_host(prefix, how, tmp_path / "host")
    component = [line for line in run("ldd", exe).splitlines() if "libnovaflux.so" in line]
    assert len(component) == 1 and f"=> {prefix}/" in component[0], component
    inputs = [f"{name}={float(value)}" for name, value in json.loads(DESIGN_DAY.read_text()).items()]
    printed = dict(line.split(" ", 1) for line in run(exe, *inputs, cwd=tmp_path).splitlines())
    assert printed["version"] == f"{VERSION} {VERSION}"
    assert printed["KivOutNOVAFLUXModel"] == reference["KivOutNOVAFLUXModel"]
    assert {n: float(printed[n]) for n in FIGURES} == {n: reference[n] for n in FIGURES}


def test_debian_package_runs_from_its_files(package, reference):
    deb, usr = package
    fields = dict(line.split(": ", 1) for line in run("dpkg-deb", "-f", deb, "Version", "Architecture", "Depends").splitlines())
    depends = {d.split()[0] for d in fields["Depends"].split(", ")}
    assert (fields["Version"], fields["Architecture"]) == (VERSION, "amd64")
    assert {"libc6", "libsqlite3-0", "libstdc++6", "python3"} <= depends, depends
    files = {str(p.relative_to(usr)) for p in usr.rglob("*") if p.is_file()}
    component = {f for f in files if f.endswith("/novaflux/libnovaflux.so")}
    assert len(component) == 1, files
    folder = component.pop().rsplit("/", 1)[0]
    assert {f"{folder}/libpsylib32.so", f"{folder}/NOVAFLUX.db", "bin/novaflux", "include/novaflux/kiv.h",
            "include/novaflux/version.hpp", "share/man/man1/novaflux.1.gz", "share/doc/novaflux/copyright"} <= files
    assert any(f.endswith("/cmake/novaflux/novaflux-config.cmake") for f in files)
    leaks = [f for f in files if str(BUILD).encode() in (usr / f).read_bytes()]
    assert not leaks, f"files naming the build tree {BUILD}: {leaks}"

    tool = usr / "bin" / "novaflux"
    assert run(tool, "--version").strip() == f"novaflux {VERSION}"
    assert json.loads(run(tool, "describe"))["version"] == VERSION
    assert f"novaflux {VERSION};" in re.search(r"<footer>(.*?)</footer>", run(tool, "report", DESIGN_DAY, "-o", "-"), re.S).group(1)
    assert tool_rating(tool) == reference
    if not (usr / "lib" / "python3" / "dist-packages" / "novaflux").is_dir():
        pytest.skip("built without the Python module")
    env = dict(os.environ, PYTHONPATH=str(usr / "lib" / "python3" / "dist-packages"))
    module, version, rating = json.loads(run("/usr/bin/python3", "-c", PYTHON_RATING, env=env, cwd="/"))
    assert module.startswith(str(usr)) and version == VERSION
    assert {n: rating[n] for n in ("KivOutNOVAFLUXModel",) + FIGURES} == {n: reference[n] for n in ("KivOutNOVAFLUXModel",) + FIGURES}


def test_lintian_finds_no_error(package):
    r = subprocess.run(["lintian", "--fail-on", "error", str(package[0])], capture_output=True, text=True)
    print(r.stdout, r.stderr)
    assert r.returncode == 0 and "\nE: " not in "\n" + r.stdout, r.stdout
