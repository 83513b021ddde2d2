#!/usr/bin/python3
"""The COM server under Wine against the native component: registration, a late-bound VBScript
host and an early-bound C++ host on the design days, the type library against `novaflux
describe`, unload counts, errors and apartments; the 32-bit DLLs checked statically.
Usage: run_com_tests.py NATIVE_BUILD COM_DIR"""
import ctypes, json, os, shutil, struct, subprocess, sys, tempfile

native, com = (os.path.abspath(p) for p in sys.argv[1:3])
root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
tool = os.path.join(native, "bin", "novaflux")
results = {"passed": 0, "failed": 0}
VT = {"Double": "5", "Single": "4", "Integer": "2", "Boolean": "11", "Variant": "12", "String": "8"}


def check(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + str(detail)[:2000]), flush=True)


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def wine(*args, stdin=None):
    r = subprocess.run(["wine", *args], input=stdin, capture_output=True, text=True, env=ENV, timeout=300)
    return r.returncode, r.stdout.replace("\r", "")


def native_rate(inputs, model):
    r = subprocess.run([tool, "rate", "-", *(["--model", str(model)] if model else [])], input=json.dumps(inputs),
                       capture_output=True, text=True)
    return json.loads(r.stdout)


def literal(v):
    return ("True" if v else "False") if isinstance(v, bool) else json.dumps(v)


def same(expected, got, kind, places):
    """A native value and the text a host printed: the same number to the printed digits."""
    if kind == "Boolean":
        return got == ("True" if expected else "False")
    if isinstance(expected, str) or expected is None:
        return got == (expected or "")
    if got == "":
        return False
    if kind == "Single" and places > 7:  # the vtable's float against the native single, exactly
        return struct.unpack("f", struct.pack("f", expected)) == struct.unpack("f", struct.pack("f", float(got)))
    return float("%.*g" % (places, expected)) == float("%.*g" % (places, float(got)))


def compare(case, printed, expected, properties, vbs):
    values = dict(line.split("=", 1) for line in printed.splitlines() if "=" in line)
    err = expected["error"]
    want = "" if err is None else "%d|%s" % (err["number"], err["description"])
    check(case + ": error", values.get("error") == want, (values.get("error"), want))
    wrong = [(p["name"], expected[p["name"]], values.get(p["name"])) for p in properties
             if not same(expected[p["name"]], values.get(p["name"], "?"), p["type"],
                         (15 if p["type"] != "Single" else 7) if vbs else 17)]
    check(case + ": %d properties" % len(properties), not wrong, wrong)


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
    rc, out = wine(CLIENT, "typelib", winpath(dll))
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


def static_win32():
    dump = lambda f, *a: subprocess.run(["x86_64-w64-mingw32-objdump", *a, os.path.join(com, "win32", f)],
                                        capture_output=True, text=True).stdout
    head = dump("novaflux.dll", "-p")
    check("win32: novaflux.dll is i386", "pei-i386" in dump("novaflux.dll", "-f"))
    check("win32: COM exports undecorated", all(("] " + n + "\n") in head for n in
          ("DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer", "DllInstall")))
    check("win32: no MinGW runtime DLL needed", "libstdc++" not in head and "libgcc" not in head and "libwinpthread" not in head)
    psy = dump("psylib32.dll", "-p")
    check("win32: psylib32.dll exports undecorated", all(("] " + n + "\n") in psy for n in ("LCWETBULB", "LCSI_ENTHALPY")))
    code = subprocess.run(["i686-w64-mingw32-objdump", "-d", os.path.join(com, "win32", "psylib32.dll")],
                          capture_output=True, text=True).stdout
    check("win32: stdcall entry points clean their arguments", "ret    $0xc" in code and "ret    $0x8" in code)


tmp = tempfile.mkdtemp(prefix="novaflux-com-")
ENV = dict(os.environ, WINEPREFIX=os.path.join(tmp, "prefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
           LANG="C.UTF-8", LC_ALL="C.UTF-8")
ENV.pop("DISPLAY", None)
try:
    dll_dir = os.path.join(tmp, "component")
    shutil.copytree(os.path.join(com, "win64"), dll_dir)
    dll = os.path.join(dll_dir, "novaflux.dll")
    CLIENT = os.path.join(com, "tree-win64", "tests", "early_bound_client.exe")
    subprocess.run(["wineboot", "-i"], env=ENV, capture_output=True, timeout=300)
    table = json.loads(subprocess.run([tool, "describe"], capture_output=True, text=True).stdout)
    cls, progid, libid = table["class"]["guid"], table["class"]["progId"], table["typeLibrary"]["guid"]
    check("regsvr32 registers", wine("regsvr32", "/s", winpath(dll))[0] == 0)
    rc, out = wine("reg", "query", "HKCR\\CLSID\\" + cls + "\\InprocServer32")
    check("registry: class, server path, apartment", rc == 0 and winpath(dll).lower() in out.lower() and "Apartment" in out, out)
    check("registry: ProgID", cls in wine("reg", "query", "HKCR\\" + progid + "\\CLSID")[1])
    check("registry: type library", wine("reg", "query", "HKCR\\TypeLib\\" + libid + "\\1.0")[0] == 0)

    props = table["properties"]
    template = open(os.path.join(root, "tests", "com", "late_bound_host.vbs")).read()
    outputs = "\n".join('WScript.Echo "%s=" & CStr(obj.%s)' % (p["name"], p["name"]) for p in props)

    def vbscript(inputs, method):
        host = os.path.join(tmp, "host.vbs")
        with open(host, "w") as f:
            f.write(template.replace("'INPUTS", "\n".join("obj.%s = %s" % (k, literal(v)) for k, v in inputs.items()))
                    .replace("'OUTPUTS", outputs))
        return wine("cscript", "//nologo", winpath(host), method)[1]

    si = json.load(open(os.path.join(root, "examples", "si_design_day.json")))
    ip = json.load(open(os.path.join(root, "examples", "ip_design_day.json")))
    day = lambda inputs: "".join("%s=%s\n" % (k, literal(v)) for k, v in inputs.items())
    cases = [("SI design day", si, None), ("IP design day", ip, None), ("fixed model", si, 66),
             ("failing run", dict(si, KivinputAltitude=40000), None)]
    for case, inputs, model in cases:
        expected = native_rate(inputs, model)
        given = dict(inputs, **({"KivinputModel": model} if model else {}))
        compare("VBScript " + case, vbscript(given, "CalculateOutputModel" if model else "CalculateOutput"),
                expected, props, True)
        compare("vtable " + case, wine(CLIENT, "rate", *(["model"] if model else []), stdin=day(given))[1],
                expected, props, False)

    v = dict(line.split("=", 1) for line in vbscript({}, "checks").splitlines() if "=" in line)
    check("Null refused with a type mismatch", v.get("null", "").startswith("13|KivOutErrorMsg takes"), v)
    check("default member is KivinputRAUnitDBTWBT", v.get("default") == "True", v)
    check("nonzero Boolean reads True (-1)", v.get("nonzero") == "True -1", v)
    check("PdropOtherCalculate returns 0", v.get("pdrop") == "0 0", v)
    lib = ctypes.CDLL(os.path.join(native, "lib", "libnovaflux.so"))
    lib.kiv_create.restype, formula = ctypes.c_void_p, ctypes.c_double()
    query = b"select * from eatrvalue where val(Pressure_Differential)=100 or val(Pressure_Differential)=125 "
    lib.kiv_formula_interpulation(ctypes.c_void_p(lib.kiv_create()), query, ctypes.c_double(100), ctypes.c_double(125),
                                  b"110", ctypes.byref(formula))
    out = wine(CLIENT, "formula", query.decode())[1].split()
    check("FormulaInterpulation by reference as natively", out[:1] == ["formula"] and len(out) == 2 and
          float(out[1]) == formula.value, (out, formula.value))

    typelib_check("win64 type library", dll, table, 3)
    typelib_check("win32 type library", os.path.join(com, "win32", "novaflux.dll"), table, 1)
    check("DllCanUnloadNow follows objects and locks", wine(CLIENT, "unload", winpath(dll))[1].strip() == "unload 0 1 0 1 0")
    out = dict(l.split(" ", 1) for l in wine(CLIENT, "apartments", stdin=day(si) + "--\n" + day(ip))[1].splitlines() if " " in l)
    check("module state shared by the objects of a thread", not out.get("alone", "error").startswith("error") and
          out.get("same-thread") not in (None, out.get("alone")), out)
    check("module state apart across apartments", out.get("other-apartment") == out.get("alone") != None, out)

    check("regsvr32 /u unregisters", wine("regsvr32", "/s", "/u", winpath(dll))[0] == 0)
    check("per-user registration (DllInstall user)", wine("regsvr32", "/s", "/n", "/i:user", winpath(dll))[0] == 0 and
          wine("reg", "query", "HKCU\\Software\\Classes\\CLSID\\" + cls + "\\InprocServer32")[0] == 0 and
          wine("regsvr32", "/s", "/u", "/n", "/i:user", winpath(dll))[0] == 0 and
          wine("reg", "query", "HKCU\\Software\\Classes\\CLSID\\" + cls)[0] != 0)
    check("registry: class, ProgID and type library gone", wine("reg", "query", "HKCR\\CLSID\\" + cls)[0] != 0 and
          wine("reg", "query", "HKCR\\" + progid)[0] != 0 and wine("reg", "query", "HKCR\\TypeLib\\" + libid)[0] != 0)
    static_win32()
finally:
    subprocess.run(["wineserver", "-k"], env=ENV, capture_output=True)
    shutil.rmtree(tmp, ignore_errors=True)
print("%d passed, %d failed" % (results["passed"], results["failed"]))
sys.exit(1 if results["failed"] else 0)
