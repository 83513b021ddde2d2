#!/usr/bin/python3
"""The Windows kit as a host gets it: the zip's files and the version resource of its servers;
register.cmd and unregister.cmd per machine and per user under Wine (64-bit), the VBScript sample
rating the SI design day as the native tool does and failing through its Err.Number handling; the VBA module and the C# program checked for the names they use against `novaflux
describe` (the type library's own table). Usage: kit_test.py NATIVE_BUILD COM_DIR"""
import json, os, re, shutil, struct, subprocess, sys, tempfile, zipfile

native, com = (os.path.abspath(p) for p in sys.argv[1:3])
root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
tool = os.path.join(native, "bin", "novaflux")
version = subprocess.run([tool, "--version"], capture_output=True, text=True).stdout.split()[-1]
folder = "novaflux-%s-windows" % version
table = json.loads(subprocess.run([tool, "describe"], capture_output=True, text=True).stdout)
types = {p["name"]: p["type"] for p in table["properties"]}
types.update({m["name"]: "method" for m in table["methods"]})
library = table["typeLibrary"]
results = {"passed": 0, "failed": 0}


def check(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + str(detail)[:2000]), flush=True)


def fixed_file_version(dll):
    """FILEVERSION and PRODUCTVERSION of the VS_FIXEDFILEINFO in a DLL's version resource."""
    at = dll.find(struct.pack("<I", 0xFEEF04BD))
    ms, ls, pms, pls = struct.unpack_from("<4I", dll, at + 8)
    return [(v >> 16, v & 0xFFFF, w >> 16, w & 0xFFFF) for v, w in ((ms, ls), (pms, pls))]


def names_check(label, text, progid_pattern, library_pattern):
    used = set(re.findall(r"\bk\.(\w+)", text))
    check(label + ": %d members known to the type library" % len(used), used and used <= set(types),
          sorted(used - set(types)))
    flags = re.findall(r"\bk\.(\w+)\s*=\s*(True|False|true|false)\b", text, re.I)
    numbers = re.findall(r"\bk\.(\w+)\s*=\s*-?[0-9]", text)
    check(label + ": True/False only to Boolean properties, numbers to the others",
          all(types.get(n) == "Boolean" for n, _ in flags) and all(types.get(n) != "Boolean" for n in numbers),
          [n for n, _ in flags if types.get(n) != "Boolean"] + [n for n in numbers if types.get(n) == "Boolean"])
    progids = set(re.findall(progid_pattern, text))
    check(label + ": ProgID", progids <= {table["class"]["progId"]}, progids)
    libraries = set(re.findall(library_pattern, text))
    check(label + ": type library name", libraries == {library["name"]}, libraries)


def static_checks(kit):
    names = set(kit.namelist())
    want = {"%s/%s/%s" % (folder, a, f) for a in ("win64", "win32") for f in ("novaflux.dll", "psylib32.dll", "NOVAFLUX.db")}
    want |= {folder + "/" + f for f in ("register.cmd", "unregister.cmd", "README.txt", "CHANGELOG.md",
                                         "samples/NovafluxRating.bas", "samples/rate_design_day.vbs",
                                         "samples/csharp/Program.cs", "samples/csharp/RateDesignDay.csproj")}
    check("kit: servers, scripts, README, samples", want <= names, sorted(want - names))
    text = {n: kit.read(n) for n in names if not n.endswith((".dll", ".db"))}
    check("kit: text files with CRLF line ends", all(b"\n" not in t.replace(b"\r\n", b"") for t in text.values()))
    check("kit: README names the release", ("Release %s." % version).encode() in text[folder + "/README.txt"])
    expected = tuple(int(p) for p in version.split(".")) + (0,)
    for arch in ("win64", "win32"):
        dll = kit.read("%s/%s/novaflux.dll" % (folder, arch))
        strings = [dll.find(("%s\0" % key).encode("utf-16-le")) for key in ("FileVersion", "ProductVersion")]
        check(arch + ": version resource " + version, fixed_file_version(dll) == [expected, expected] and
              all(at > 0 and version.encode("utf-16-le") in dll[at:at + 80] for at in strings), fixed_file_version(dll))

    bas = text[folder + "/samples/NovafluxRating.bas"].decode()
    names_check("VBA module", bas, r'CreateObject\("([^"]+)"\)', r"\bAs (?:New )?(\w+)\.KivClass\b")
    members = {m["name"]: m["value"] for e in table["enumerations"] for m in e["members"]}
    model = re.findall(r"\bk\.KivinputModel = (\d+)\s*' (\w+)", bas)
    check("VBA module: the model number is the member it names", model and all(members.get(n) == int(v) for v, n in model), model)
    cs = text[folder + "/samples/csharp/Program.cs"].decode()
    names_check("C# program", cs, r'GetTypeFromProgID\("([^"]+)"\)', r"(?m)^using (?!System)(\w+);")
    enum_used = set(re.findall(r"\b(Modelall|SeriesList|UnitList)\b", cs))
    check("C# program: enumerations of the type library", enum_used <= {e["name"] for e in table["enumerations"]}, enum_used)
    project = text[folder + "/samples/csharp/RateDesignDay.csproj"].decode()
    field = lambda tag: re.search(r"<%s>([^<]*)</%s>" % (tag, tag), project).group(1)
    check("C# project: the type library's GUID, version and locale",
          (field("Guid").upper(), field("VersionMajor") + "." + field("VersionMinor"), int(field("Lcid"))) ==
          (library["guid"].upper(), library["version"], int(library["locale"], 16)), project)
    names_check("VBScript sample", text[folder + "/samples/rate_design_day.vbs"].decode(),
                r'CreateObject\("([^"]+)"\)', r'CreateObject\("(\w+)\.KivClass"\)')


def same(expected, printed, kind):
    """A native value and the text the sample printed, to the digits VBScript prints."""
    if isinstance(expected, str) or expected is None:
        return printed == (expected or "")
    return float("%.*g" % (7 if kind == "Single" else 15, expected)) == float(printed)


def sample_matches(label, printed, expected):
    values = dict(l.split(" = ", 1) for l in printed.splitlines() if " = " in l)
    wrong = [(n, expected[n], v) for n, v in values.items() if not same(expected[n], v, types[n])]
    check(label + ": %d figures as the native tool's" % len(values), len(values) >= 10 and not wrong, wrong or printed)


def wine_checks(kit):
    here = os.path.join(tmp, "Program Files", folder)  # a space in the path, as on Windows
    kit.extractall(os.path.dirname(here))

    def wine(*args):
        """Status and standard output of a Windows program run in the kit's folder. The output goes
        through a file: Wine's services started by the first program keep a pipe open."""
        with tempfile.TemporaryFile("w+") as out:
            status = subprocess.run([WINE64, *args], cwd=here, env=ENV, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.DEVNULL, timeout=300).returncode
            out.seek(0)
            return subprocess.CompletedProcess(args, status, out.read().replace("\r", ""))

    registered = lambda key: wine("reg", "query", key).returncode == 0
    cls = table["class"]["guid"]
    machine, user = "HKLM\\Software\\Classes\\CLSID\\" + cls, "HKCU\\Software\\Classes\\CLSID\\" + cls
    subprocess.run([WINE64, "wineboot", "-i"], env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    # A persistent server saves a start per command; its output goes nowhere (it outlives the call).
    subprocess.run(["wineserver", "-p"], env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    day = json.load(open(os.path.join(root, "examples", "si_design_day.json")))
    expected = json.loads(subprocess.run([tool, "rate", "-"], input=json.dumps(day), capture_output=True, text=True).stdout)

    check("register.cmd with a wrong argument shows its usage", wine("cmd", "/c", "register.cmd", "everyone").returncode == 2)
    r = wine("cmd", "/c", "register.cmd", "win64")
    server = wine("reg", "query", machine + "\\InprocServer32").stdout
    check("register.cmd win64: per machine, the kit's DLL", r.returncode == 0 and
          "program files\\%s\\win64\\novaflux.dll" % folder in server.lower(), (r.stdout, server))
    sample_matches("VBScript sample, per machine", wine("cscript", "//nologo", "samples\\rate_design_day.vbs").stdout, expected)

    failing = os.path.join(here, "samples", "failing.vbs")
    with open(failing, "w", newline="\r\n") as f:
        f.write(open(os.path.join(here, "samples", "rate_design_day.vbs")).read()
                .replace("k.KivinputAltitude = 200", "k.KivinputAltitude = 40000"))
    native = json.loads(subprocess.run([tool, "rate", "-"], input=json.dumps(dict(day, KivinputAltitude=40000)),
                                       capture_output=True, text=True).stdout)["error"]
    r = wine("cscript", "//nologo", "samples\\failing.vbs")
    check("VBScript sample: a failing rating as Err.Number and Err.Description", r.returncode == 2 and
          r.stdout.strip() == "error %d: %s" % (native["number"], native["description"]), (r.returncode, r.stdout, native))

    r = wine("cmd", "/c", "unregister.cmd", "win64")
    check("unregister.cmd win64: the class is gone", r.returncode == 0 and not registered(machine), r.stdout)
    # Wine 8 does not merge the user's classes into HKCR as Windows does, so no host can use a
    # per-user registration here: its keys are checked instead.
    r = wine("cmd", "/c", "register.cmd", "user", "win64")
    server = wine("reg", "query", user + "\\InprocServer32").stdout
    check("register.cmd user win64: for the current user only", r.returncode == 0 and not registered(machine) and
          "program files\\%s\\win64\\novaflux.dll" % folder in server.lower(), (r.stdout, server))
    r = wine("cmd", "/c", "unregister.cmd", "user", "win64")
    check("unregister.cmd user win64: the class is gone", r.returncode == 0 and not registered(user), r.stdout)


WINE64 = next((p for p in ("/usr/lib/wine/wine64", shutil.which("wine64"), shutil.which("wine"))
               if p and os.access(p, os.X_OK)), None)
tmp = tempfile.mkdtemp(prefix="novaflux-kit-")
ENV = dict(os.environ, WINEPREFIX=os.path.join(tmp, "prefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
           LANG="C.UTF-8", LC_ALL="C.UTF-8")
ENV.pop("DISPLAY", None)
try:
    with zipfile.ZipFile(os.path.join(com, folder + ".zip")) as kit:
        static_checks(kit)
        wine_checks(kit)
finally:
    subprocess.run(["wineserver", "-k"], env=ENV, capture_output=True)
    shutil.rmtree(tmp, ignore_errors=True)
print("%d passed, %d failed" % (results["passed"], results["failed"]))
sys.exit(1 if results["failed"] else 0)
