"""The Windows kit: its files, the servers' version resource, the names the VBA and C# samples use
against `novaflux describe`, and under Wine (64-bit) register.cmd and unregister.cmd per machine and
per user and the VBScript sample against the native tool. Usage: kit_test.py NATIVE_BUILD COM_DIR"""
import json, os, re, shutil, struct, subprocess, sys, tempfile, zipfile

native, com = (os.path.abspath(p) for p in sys.argv[1:3])
root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
tool = os.path.join(native, "bin", "novaflux")
version = subprocess.run([tool, "--version"], capture_output=True, text=True).stdout.split()[-1]
folder = "novaflux-%s-windows" % version
table = json.loads(subprocess.run([tool, "describe"], capture_output=True, text=True).stdout)
types = dict([(p["name"], p["type"]) for p in table["properties"]] + [(m["name"], "method") for m in table["methods"]])
lib, cls = table["typeLibrary"], table["class"]
results = {"passed": 0, "failed": 0}


def check(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + str(detail)[:2000]), flush=True)


def names_check(label, text, library_pattern):
    used = set(re.findall(r"\bk\.(\w+)", text))
    check(label + ": %d members of the type library" % len(used), used and used <= set(types), used - set(types))
    check(label + ": ProgID and type library", set(re.findall(r'CreateObject\("([^"]+)"\)', text)) <= {cls["progId"]} and
          set(re.findall(library_pattern, text)) == {lib["name"]})


def static_checks(kit):
    files = {n[len(folder) + 1:]: kit.read(n) for n in kit.namelist()}
    want = {a + "/" + f for a in ("win64", "win32") for f in ("novaflux.dll", "psylib32.dll", "NOVAFLUX.db")} | {"README.txt",
            "register.cmd", "unregister.cmd", "CHANGELOG.md", "samples/NovafluxRating.bas", "samples/rate_design_day.vbs",
            "samples/csharp/Program.cs", "samples/csharp/RateDesignDay.csproj"}
    check("kit: servers, scripts, README and samples in " + folder, want <= set(files), want - set(files))
    for arch in ("win64", "win32"):  # VS_FIXEDFILEINFO: file and product version
        dll = files[arch + "/novaflux.dll"]
        fixed = struct.unpack_from("<4I", dll, dll.find(struct.pack("<I", 0xFEEF04BD)) + 8)
        check(arch + ": version resource " + version, all(
            "%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16) == version for ms, ls in (fixed[:2], fixed[2:])), fixed)
    bas, cs = files["samples/NovafluxRating.bas"].decode(), files["samples/csharp/Program.cs"].decode()
    names_check("VBA module", bas, r"\bAs (?:New )?(\w+)\.KivClass\b")
    members = {m["name"]: m["value"] for e in table["enumerations"] for m in e["members"]}
    model = re.findall(r"\bk\.KivinputModel = (\d+)\s*' (\w+)", bas)
    check("VBA module: the model number is the member it names", model and all(members.get(n) == int(v) for v, n in model))
    names_check("C# program", cs, r"(?m)^using (?!System)(\w+);")
    project = files["samples/csharp/RateDesignDay.csproj"].decode()
    field = lambda tag: re.search(r"<%s>([^<]*)<" % tag, project).group(1)
    check("C# project: the type library's GUID, version and locale", (field("Guid"), field("VersionMajor") + "." +
          field("VersionMinor"), int(field("Lcid"))) == (lib["guid"], lib["version"], int(lib["locale"], 16)))


def wine_checks(kit):
    here = os.path.join(tmp, "Program Files", folder)  # a space in the path, as on Windows
    kit.extractall(os.path.dirname(here))

    def wine(*args):  # output through a file: the services Wine starts with the first program keep a pipe open
        with tempfile.TemporaryFile("w+") as out:
            status = subprocess.run([WINE64, *args], cwd=here, env=ENV, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.DEVNULL, timeout=300).returncode
            out.seek(0)
            return status, out.read().replace("\r", "")

    def server(hive):
        status, out = wine("reg", "query", hive + "\\Software\\Classes\\CLSID\\" + cls["guid"] + "\\InprocServer32")
        return status == 0 and ("program files\\%s\\win64\\novaflux.dll" % folder) in out.lower()

    def sample_rates(label, inputs):
        expected = json.loads(subprocess.run([tool, "rate", "-"], input=json.dumps(inputs), capture_output=True, text=True).stdout)
        with open(os.path.join(here, "samples", "case.vbs"), "w", newline="\r\n") as f:
            f.write(re.sub(r"k\.KivinputAltitude = \d+", "k.KivinputAltitude = %d" % inputs["KivinputAltitude"], sample))
        status, out = wine("cscript", "//nologo", "samples\\case.vbs")
        if expected["error"]:
            check(label, status == 2 and out.strip() == "error %(number)d: %(description)s" % expected["error"], out)
            return
        values = dict(line.split(" = ", 1) for line in out.splitlines() if " = " in line)
        same = lambda n, v: v == expected[n] if isinstance(expected[n], str) else \
            float(v) == float("%.*g" % (7 if types[n] == "Single" else 15, expected[n]))  # the digits VBScript prints
        wrong = [(n, v, expected[n]) for n, v in values.items() if not same(n, v)]
        check(label + ": %d figures as the native tool's" % len(values), len(values) >= 10 and not wrong, wrong or out)

    sample, day = open(os.path.join(here, "samples", "rate_design_day.vbs")).read(), json.load(open(os.path.join(root, "examples", "si_design_day.json")))
    subprocess.run([WINE64, "wineboot", "-i"], env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    # A persistent server saves a start per program; its output goes nowhere (it outlives the call).
    subprocess.run(["wineserver", "-p"], env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    check("register.cmd win64: the kit's DLL for every user", wine("cmd", "/c", "register.cmd", "win64")[0] == 0 and server("HKLM"))
    sample_rates("VBScript sample", day)
    sample_rates("VBScript sample: a failing rating as Err.Number and Err.Description", dict(day, KivinputAltitude=40000))
    check("unregister.cmd win64: gone", wine("cmd", "/c", "unregister.cmd", "win64")[0] == 0 and not server("HKLM"))
    # Wine 8 does not merge the user's classes into HKCR as Windows does, so no host can use a
    # per-user registration here: its keys are checked instead.
    check("register.cmd user win64: for the current user only", wine("cmd", "/c", "register.cmd", "user", "win64")[0] == 0
          and server("HKCU") and not server("HKLM"))
    check("unregister.cmd user win64: gone", wine("cmd", "/c", "unregister.cmd", "user", "win64")[0] == 0 and not server("HKCU"))


WINE64 = next(p for p in ("/usr/lib/wine/wine64", shutil.which("wine64"), shutil.which("wine")) if p and os.access(p, os.X_OK))
tmp = tempfile.mkdtemp(prefix="novaflux-kit-")
ENV = dict({k: v for k, v in os.environ.items() if k != "DISPLAY"}, WINEPREFIX=os.path.join(tmp, "prefix"),
           WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LANG="C.UTF-8", LC_ALL="C.UTF-8")
try:
    with zipfile.ZipFile(os.path.join(com, folder + ".zip")) as kit:
        static_checks(kit)
        wine_checks(kit)
finally:
    subprocess.run(["wineserver", "-k"], env=ENV, capture_output=True)
    shutil.rmtree(tmp, ignore_errors=True)
print("%d passed, %d failed" % (results["passed"], results["failed"]))
sys.exit(1 if results["failed"] else 0)
