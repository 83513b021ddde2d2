#!/usr/bin/python3
"""Both COM servers under Wine against the native component: the 64-bit one run by Wine's 64-bit
loader, the 32-bit one by its 32-bit loader. For each: registration, a late-bound VBScript host and
an early-bound host of the same bitness on the design days, a fixed-model run, a failing run and
the rounding-tie cases of tie_cases.json, the early-bound host rating them in each floating-point
state that hosts set (every property equal to the native one, the host's state kept by every
call). Then the type libraries against `novaflux describe`, unload counts, errors and apartments
(64-bit).
Usage: run_com_tests.py NATIVE_BUILD COM_DIR"""
import ctypes, json, os, shutil, struct, subprocess, sys, tempfile

native, com = (os.path.abspath(p) for p in sys.argv[1:3])
here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
tool = os.path.join(native, "bin", "novaflux")
results = {"passed": 0, "failed": 0}
VT = {"Double": "5", "Single": "4", "Integer": "2", "Boolean": "11", "Variant": "12", "String": "8"}
# Wine's 64-bit loader; `wine` starts 32-bit programs once the 32-bit Wine is installed.
WINE64 = next((p for p in ("/usr/lib/wine/wine64", "/usr/lib64/wine/wine64", shutil.which("wine64")) if p and
               os.access(p, os.X_OK)), None)
LOADER = {64: WINE64, 32: "wine"}
SYSTEM = {64: "C:\\windows\\system32\\", 32: "C:\\windows\\syswow64\\"}

def check(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + str(detail)[:2000]), flush=True)


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def wine(bits, *args, stdin=None):
    r = subprocess.run([LOADER[bits], *args], input=stdin, capture_output=True, text=True, env=ENV, timeout=900)
    return r.returncode, r.stdout.replace("\r", "")


def native_rate(inputs, model):
    r = subprocess.run([tool, "rate", "-", *(["--model", str(model)] if model else [])], input=json.dumps(inputs),
                       capture_output=True, text=True)
    return json.loads(r.stdout)


def literal(v):
    return ("True" if v else "False") if isinstance(v, bool) else json.dumps(v)


def lines_by_case(printed):
    """'CASE|name=value' lines (CASE itself may hold a '|') as {case: {name: value}}."""
    out = {}
    for line in printed.splitlines():
        key, sep, value = line.partition("=")
        case, bar, name = key.rpartition("|")
        if sep and bar:
            out.setdefault(case, {})[name] = value
    return out


def same(expected, got, kind, exact):
    """A native value and a host's: the bits it printed (exact), or the text CStr printed, 15
    significant digits, 7 for a Single (those of the float itself, which the native text identifies)."""
    if kind == "Boolean":
        return got == ("True" if expected else "False")
    if isinstance(expected, str) or expected is None:
        return got == (expected or "")
    try:
        if not exact:
            places, value = (7, struct.unpack("<f", struct.pack("<f", expected))[0]) if kind == "Single" else (15, expected)
            return float("%.*g" % (places, value)) == float("%.*g" % (places, float(got)))
        if not got.startswith("0x"):
            return kind not in ("Double", "Single", "Variant") and int(got) == expected
        number, bits = ("<f", "<I") if kind == "Single" else ("<d", "<Q")
        return struct.pack(number, expected) == struct.pack(bits, int(got, 16))
    except ValueError:
        return False


def compare(values, expected, exact):
    err = expected["error"]
    want = "" if err is None else "%d|%s" % (err["number"], err["description"])
    wrong = [(p["name"], expected[p["name"]], values.get(p["name"])) for p in PROPS
             if not same(expected[p["name"]], values.get(p["name"], "?"), p["type"], exact)]
    if values.get("error") != want:
        wrong.append(("error", want, values.get("error")))
    return wrong


def host_value(name, v):
    """An input as the early-bound host takes it: numbers as the bits of their Double or Single."""
    kind = TYPES[name]
    if kind == "Boolean":
        return "True" if v else "False"
    if kind == "Single":
        return "0x%08x" % struct.unpack("<I", struct.pack("<f", v))[0]
    if kind in ("Double", "Variant"):
        return "0x%016x" % struct.unpack("<Q", struct.pack("<d", v))[0]
    return str(int(v))


def vbscript(bits, cases):
    blocks = []
    for i, (name, inputs, model) in enumerate(cases):
        blocks.append('Set obj = CreateObject("%s")' % PROGID)
        blocks += ["obj.%s = %s" % (k, literal(v)) for k, v in dict(inputs, **({"KivinputModel": model} if model else {})).items()]
        blocks.append('Report "%d", obj, RunMethod(obj, "%s")' % (i, "CalculateOutputModel" if model else "CalculateOutput"))
    outputs = "\n".join('  WScript.Echo c & "|%s=" & CStr(obj.%s)' % (p["name"], p["name"]) for p in PROPS)
    host = os.path.join(tmp, "host%d.vbs" % bits)
    with open(host, "w") as f:
        f.write(TEMPLATE.replace("\n'OUTPUTS\n", "\n%s\n" % outputs).replace("\n'CASES\n", "\n%s\n" % "\n".join(blocks)))
    return lines_by_case(wine(bits, SYSTEM[bits] + "cscript.exe", "//nologo", winpath(host))[1])


def drive(label, bits, dll, cases, expected):
    """Registration, the VBScript host and the early-bound host in every state, unregistration."""
    # Classes have a registry view per bitness; ProgIDs and type libraries are shared.
    view = [] if bits == 64 else ["/reg:32"]
    check(label + ": regsvr32 registers", wine(bits, SYSTEM[bits] + "regsvr32.exe", "/s", winpath(dll))[0] == 0)
    rc, out = wine(64, "reg", "query", "HKCR\\CLSID\\" + CLS + "\\InprocServer32", *view)
    check(label + ": registry: class, server path, apartment", rc == 0 and winpath(dll).lower() in out.lower() and
          "Apartment" in out, out)
    if bits == 32:
        check(label + ": registry: class absent from the 64-bit view",
              wine(64, "reg", "query", "HKCR\\CLSID\\" + CLS)[0] != 0)
    check(label + ": registry: ProgID", CLS in wine(64, "reg", "query", "HKCR\\" + PROGID + "\\CLSID")[1])
    check(label + ": registry: type library", wine(64, "reg", "query", "HKCR\\TypeLib\\" + LIBID + "\\1.0")[0] == 0)

    printed = vbscript(bits, cases)
    for i, (case, inputs, model) in enumerate(cases):
        wrong = compare(printed.get(str(i), {}), expected[i], False)
        check("%s: VBScript %s: %d properties and the error as natively" % (label, case, len(PROPS)), not wrong, wrong)
    v = printed.get("checks", {})
    check(label + ": Null refused with a type mismatch", v.get("null", "").startswith("13|KivOutErrorMsg takes"), v)
    check(label + ": default member is KivinputRAUnitDBTWBT", v.get("default") == "True", v)
    check(label + ": nonzero Boolean reads True (-1)", v.get("nonzero") == "True -1", v)
    check(label + ": PdropOtherCalculate returns 0", v.get("pdrop") == "0 0", v)

    request = "".join("state S%d %s %s\n" % (i, st["x87"], st["mxcsr"]) for i, st in enumerate(STATES))
    for i, (case, inputs, model) in enumerate(cases):
        given = dict(inputs, **({"KivinputModel": model} if model else {}))
        request += "case C%d %s\n" % (i, "model" if model else "auto")
        request += "".join("set %s=%s\n" % (k, host_value(k, v)) for k, v in given.items())
    rc, out = wine(bits, CLIENT[bits], "states", stdin=request)
    printed = lines_by_case(out)
    for s, state in ((s, "%s (%s)" % (st["name"], st["setBy"])) for s, st in enumerate(STATES)):
        wrong = [(case, compare(printed.get("S%d|C%d" % (s, i), {}), expected[i], True)[:3])
                 for i, (case, _, _) in enumerate(cases)]
        wrong = [w for w in wrong if w[1]]
        check("%s: early-bound host, %s: %d cases, every property as natively" % (label, state, len(cases)),
              rc == 0 and not wrong, wrong[:4] or "exit status %d" % rc)
        kept = printed.get("S%d" % s, {}).get("calls", "")
        check("%s: early-bound host, %s: every call gives the host its state back" % (label, state),
              kept.endswith(" changed=0") and int(kept.split()[0]) > 0, kept)

    check(label + ": regsvr32 /u unregisters", wine(bits, SYSTEM[bits] + "regsvr32.exe", "/s", "/u", winpath(dll))[0] == 0)
    check(label + ": registry: class, ProgID and type library gone",
          wine(64, "reg", "query", "HKCR\\CLSID\\" + CLS, *view)[0] != 0 and
          wine(64, "reg", "query", "HKCR\\" + PROGID)[0] != 0 and wine(64, "reg", "query", "HKCR\\TypeLib\\" + LIBID)[0] != 0)


def expected_members(table):
    """The vtable members in interface order as the type library must list them."""
    members = []
    for p in table["properties"]:
        vt = VT.get(p["type"], p["type"])
        get, put = (p["name"], p["dispid"], 2, ["10:*" + vt]), (p["name"], p["dispid"], 4, ["1:" + vt])
        members += [put, get] if p["kind"] == "explicit" else [get, put]
        if p["type"] == "Variant" and p["kind"] == "data":
            members.append((p["name"], p["dispid"], 8, ["1:" + vt]))
    for m in table["methods"]:
        params = ["3:*" + VT[a["type"]] for a in m["parameters"]]
        members.append((m["name"], m["dispid"], 1, params + (["10:*" + VT[m["result"]]] if m["result"] else [])))
    return members


def typelib_check(label, dll, table, syskind):
    rc, out = wine(64, CLIENT[64], "typelib", winpath(dll))
    lines = out.splitlines()
    lib = table["typeLibrary"]
    head = "library %s %s %s %d" % (lib["name"], lib["guid"], lib["version"], int(lib["locale"], 16))
    check(label + ": library identity", rc == 0 and lines and lines[0] == "%s %d" % (head, syskind), lines[:1])
    types = {l.split()[1]: l.split()[2] for l in lines if l.startswith("type ")}
    want = {e["name"]: e["guid"] for e in table["enumerations"]}
    want.update({table["interface"]["name"]: table["interface"]["guid"], table["class"]["name"]: table["class"]["guid"]})
    check(label + ": type GUIDs", types == want, (types, want))
    funcs = [l.split() for l in lines if l.startswith("func ")]
    got = [(f[1], int(f[2]) & 0xFFFFFFFF, int(f[3]), f[5:]) for f in funcs]
    exp = [(n, d & 0xFFFFFFFF, k, p) for n, d, k, p in expected_members(table)]
    check(label + ": %d members, names, DISPIDs, kinds, types, order" % len(exp), got == exp,
          [(g, e) for g, e in zip(got, exp) if g != e][:3] or (len(got), len(exp)))
    slots = [int(f[4]) // 8 for f in funcs]  # offsets as the 64-bit reader lays the vtable out
    check(label + ": vtable slots follow IDispatch", slots == list(range(7, 7 + len(funcs))), slots[:10])


def sixty_four_bit_only(dll, table):
    """Answers of the server that do not depend on its bitness, from the 64-bit one."""
    check("win64: regsvr32 registers again", wine(64, "regsvr32", "/s", winpath(dll))[0] == 0)
    lib = ctypes.CDLL(os.path.join(native, "lib", "libnovaflux.so"))
    lib.kiv_create.restype, formula = ctypes.c_void_p, ctypes.c_double()
    query = b"select * from eatrvalue where val(Pressure_Differential)=100 or val(Pressure_Differential)=125 "
    lib.kiv_formula_interpulation(ctypes.c_void_p(lib.kiv_create()), query, ctypes.c_double(100), ctypes.c_double(125),
                                  b"110", ctypes.byref(formula))
    out = wine(64, CLIENT[64], "formula", query.decode())[1].split()
    check("win64: FormulaInterpulation by reference as natively", out[:1] == ["formula"] and len(out) == 2 and
          same(formula.value, out[1], "Double", True), (out, formula.value))
    typelib_check("win64 type library", dll, table, 3)
    typelib_check("win32 type library", os.path.join(com, "win32", "novaflux.dll"), table, 1)
    check("win64: DllCanUnloadNow follows objects and locks",
          wine(64, CLIENT[64], "unload", winpath(dll))[1].strip() == "unload 0 1 0 1 0")
    day = lambda inputs: "".join("%s=%s\n" % (k, host_value(k, v)) for k, v in inputs.items())
    out = wine(64, CLIENT[64], "apartments", stdin=day(SI) + "--\n" + day(IP))[1]
    out = dict(l.split(" ", 1) for l in out.splitlines() if " " in l)
    check("win64: module state shared by the objects of a thread", not out.get("alone", "error").startswith("error") and
          out.get("same-thread") not in (None, out.get("alone")), out)
    check("win64: module state apart across apartments", out.get("other-apartment") == out.get("alone") != None, out)
    check("win64: regsvr32 /u unregisters", wine(64, "regsvr32", "/s", "/u", winpath(dll))[0] == 0)
    check("win64: per-user registration (DllInstall user)", wine(64, "regsvr32", "/s", "/n", "/i:user", winpath(dll))[0] == 0
          and wine(64, "reg", "query", "HKCU\\Software\\Classes\\CLSID\\" + CLS + "\\InprocServer32")[0] == 0 and
          wine(64, "regsvr32", "/s", "/u", "/n", "/i:user", winpath(dll))[0] == 0 and
          wine(64, "reg", "query", "HKCU\\Software\\Classes\\CLSID\\" + CLS)[0] != 0)


if not WINE64 or subprocess.run([WINE64, "--version"], capture_output=True).returncode != 0:
    sys.exit("run_com_tests: Wine's 64-bit loader cannot run here; `make com-deps` installs it")
# A kernel that runs no 32-bit programs, where scripts/i386_programs.sh could not have QEMU run
# them either (no binfmt_misc in a container, say): the 32-bit server is then checked statically
# only (its type library read back by the 64-bit host), and the test says so.
RUNS_32 = subprocess.run(["wine", "--version"], capture_output=True).returncode == 0
if not RUNS_32:
    print("SKIP win32: this machine runs no 32-bit programs (see scripts/i386_programs.sh); only the 32-bit "
          "server's type library is checked", flush=True)
tmp = tempfile.mkdtemp(prefix="novaflux-com-")
# The C locale: under QEMU (scripts/i386_programs.sh) the 32-bit loader would map a locale's
# files where Windows keeps its shared user data.
ENV = dict(os.environ, WINEPREFIX=os.path.join(tmp, "prefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
           LANG="C", LC_ALL="C")
ENV.pop("DISPLAY", None)
try:
    table = json.loads(subprocess.run([tool, "describe"], capture_output=True, text=True).stdout)
    PROPS, TYPES = table["properties"], {p["name"]: p["type"] for p in table["properties"]}
    CLS, PROGID, LIBID = table["class"]["guid"], table["class"]["progId"], table["typeLibrary"]["guid"]
    TEMPLATE = open(os.path.join(here, "late_bound_host.vbs")).read()
    STATES = json.load(open(os.path.join(root, "tests", "data", "host_fp_states.json")))["states"]
    CLIENT = {b: os.path.join(com, "tree-" + n, "tests", "early_bound_client.exe") for n, b in (("win64", 64), ("win32", 32))}
    SI = json.load(open(os.path.join(root, "examples", "si_design_day.json")))
    IP = json.load(open(os.path.join(root, "examples", "ip_design_day.json")))
    cases = [("SI design day", SI, None), ("IP design day", IP, None), ("fixed model", SI, 66),
             ("failing run", dict(SI, KivinputAltitude=40000), None)]
    cases += [(t["name"], t["inputs"], t.get("model")) for t in json.load(open(os.path.join(here, "tie_cases.json")))["cases"]]
    expected = [native_rate(inputs, model) for _, inputs, model in cases]

    # One Wine server for the whole test: each new one would start Wine's services again.
    os.makedirs(ENV["WINEPREFIX"])
    subprocess.run(["wineserver", "-p"], env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Wine's services inherit wineboot's output and stay with the server: nothing to wait for.
    subprocess.run([WINE64, "wineboot", "-i"], env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=900)
    for name, bits in (("win64", 64), ("win32", 32))[:2 if RUNS_32 else 1]:
        folder = os.path.join(tmp, name)
        shutil.copytree(os.path.join(com, name), folder)
        drive(name, bits, os.path.join(folder, "novaflux.dll"), cases, expected)
    sixty_four_bit_only(os.path.join(tmp, "win64", "novaflux.dll"), table)
finally:
    subprocess.run(["wineserver", "-k"], env=ENV, capture_output=True)
    shutil.rmtree(tmp, ignore_errors=True)
print("%d passed, %d failed" % (results["passed"], results["failed"]))
sys.exit(1 if results["failed"] else 0)
