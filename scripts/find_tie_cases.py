#!/usr/bin/python3
"""Finds ratings that sit on a rounding tie: random cases rated by two builds of the command-line
tool whose arithmetic differs only in the last bits of intermediates, keeping the cases whose
figures differ. Such a case flips with any stray extended precision or rounding mode, which makes
it a sharp test of the floating-point state a build computes in (tests/com/tie_cases.json).

The builds compared: the native x86-64 tool and the same sources built for i386 with x87
arithmetic at the x87's start-up precision of 64 bits (g++ -m32, no -mfpmath=sse), where doubles
are rounded twice, once to 64 and once to 53 bits:

  cmake -S . -B build-i386 -DCMAKE_C_FLAGS=-m32 -DCMAKE_CXX_FLAGS=-m32 -DNOVAFLUX_TESTS=OFF \\
        -DNOVAFLUX_PYTHON=OFF && cmake --build build-i386 --target novaflux_tool novaflux_catalogue_db
  scripts/find_tie_cases.py build/bin/novaflux build-i386/bin/novaflux --cases 20000 --pick 36 \\
        -o tests/com/tie_cases.json

Usage: find_tie_cases.py REFERENCE_TOOL OTHER_TOOL [--cases N] [--seed S] [--pick K] [-o FILE]"""
import argparse, csv, io, json, random, subprocess, sys

INPUTS = ["KivunitSI", "KivinputSupplyAir", "KivinputReturnAir", "KivinputAltitude",
          "KivinputLeakagePressureDifference", "KivPurgeWithout", "KivinputOAUnitDBTRH", "KivinputOAUnitDBTGR",
          "KivinputOAUnitDBTWBT", "KivinputRAUnitDBTRH", "KivinputRAUnitDBTGR", "KivinputRAUnitDBTWBT",
          "KivinputOAS_DBT", "KivinputOAS_RH", "KivinputOAS_WBT", "KivinputOAS_GR", "KivinputOAW_DBT",
          "KivinputOAW_RH", "KivinputOAW_WBT", "KivinputOAW_GR", "KivinputRaS_DBT", "KivinputRaS_RH",
          "KivinputRaS_WBT", "KivinputRaS_GR", "KivinputRaW_DBT", "KivinputRaW_RH", "KivinputRaW_WBT",
          "KivinputRaW_GR", "KivinputModel"]


def one_decimal(r, lo, hi):
    return round(r.uniform(lo, hi), 1)


def air(r, si, mode, t_lo, t_hi, rh_lo, rh_hi):
    """Dry bulb and the second property of one air stream in the given input mode (°C or °F)."""
    t = one_decimal(r, t_lo, t_hi)
    if mode == "RH":
        return {"DBT": t, "RH": one_decimal(r, rh_lo, rh_hi)}
    if mode == "WBT":
        return {"DBT": t, "WBT": round(t - r.uniform(0.5, 12 if si else 20), 1)}
    return {"DBT": t, "GR": one_decimal(r, 1.5, 16) if si else one_decimal(r, 10, 110)}


def random_case(r, fixed_model):
    si = r.random() < 0.6
    c = {"KivunitSI": si}
    supply = r.choice([r.randrange(1000, 40000, 50), r.randrange(1000, 40000)]) if si else r.randrange(600, 24000, 10)
    c["KivinputSupplyAir"] = supply
    c["KivinputReturnAir"] = round(supply * r.uniform(0.55, 1.2))
    c["KivinputAltitude"] = r.choice([0, 100, 200, 300, 500, r.randrange(0, 2000)])
    c["KivinputLeakagePressureDifference"] = r.randrange(50, 400, 5) if si else round(r.uniform(0.2, 1.6), 2)
    c["KivPurgeWithout"] = r.random() < 0.3
    oa, ra = r.choice(["RH", "WBT", "GR"]), r.choice(["RH", "WBT", "GR"])
    for prefix, mode in (("OA", oa), ("RA", ra)):
        for m in ("RH", "GR", "WBT"):
            c["Kivinput%sUnitDBT%s" % (prefix, m)] = mode == m
    f = (lambda x: x) if si else (lambda x: x * 1.8 + 32)
    streams = {"OAS": air(r, si, oa, f(24), f(42), 20, 75), "OAW": air(r, si, oa, f(-25), f(12), 40, 95),
               "RaS": air(r, si, ra, f(21), f(28), 35, 65), "RaW": air(r, si, ra, f(17), f(24), 15, 55)}
    for stream, values in streams.items():
        for k, v in values.items():
            c["Kivinput%s_%s" % (stream, k)] = v
    if fixed_model:
        c["KivinputModel"] = r.randrange(57, 89)
    return c


def batch(tool, rows, model_run):
    text = io.StringIO()
    w = csv.DictWriter(text, INPUTS, lineterminator="\n")
    w.writeheader()
    for row in rows:
        w.writerow({k: (str(v).lower() if isinstance(v, bool) else v) for k, v in row.items()})
    r = subprocess.run([tool, "batch", "-", "-o", "-", "--threads", "1", *(["--model-run"] if model_run else [])],
                       input=text.getvalue(), capture_output=True, text=True)
    return list(csv.DictReader(io.StringIO(r.stdout)))


def main():
    a = argparse.ArgumentParser()
    a.add_argument("reference")
    a.add_argument("other")
    a.add_argument("--cases", type=int, default=20000)
    a.add_argument("--seed", type=int, default=26)
    a.add_argument("--pick", type=int, default=36)
    a.add_argument("-o", "--output")
    args = a.parse_args()
    r = random.Random(args.seed)
    found = []
    for model_run in (False, True):
        rows = [random_case(r, model_run) for _ in range(args.cases // (4 if model_run else 1))]
        ref, other = batch(args.reference, rows, model_run), batch(args.other, rows, model_run)
        if len(ref) != len(rows) or len(other) != len(rows):
            sys.exit("find_tie_cases: a tool rated %d and %d of %d rows" % (len(ref), len(other), len(rows)))
        for row, x, y in zip(rows, ref, other):
            differing = sorted(k for k in x if x[k] != y.get(k))
            if differing:
                found.append((row, model_run, [(k, x[k], y[k]) for k in differing]))
    print("%d of %d cases differ" % (len(found), args.cases + args.cases // 4), file=sys.stderr)
    # One case of each kind of tie in turn (another wheel selected, or the set of figures that
    # differ), fixed-model runs apart, so that every kind is kept.
    groups = {}
    for case in found:
        names = tuple(k for k, _, _ in case[2])
        groups.setdefault((case[1], "wheel" if "KivOutNOVAFLUXModel" in names else names), []).append(case)
    picked = []
    while len(picked) < min(args.pick, len(found)):
        for group in groups.values():
            if group and len(picked) < args.pick:
                picked.append(group.pop(0))
    cases = []
    for i, (row, model_run, differing) in enumerate(picked):
        # Named by the figure that differs, or by the wheel when another one was selected.
        name, ours, theirs = next((d for d in differing if d[0] == "KivOutNOVAFLUXModel"), differing[0])
        cases.append({"name": "tie %d: %s %s (x87: %s)" % (i + 1, name, ours, theirs),
                      "inputs": {k: v for k, v in row.items() if k != "KivinputModel"},
                      "model": row.get("KivinputModel") if model_run else None,
                      "differing": [k for k, _, _ in differing]})
    out = {"note": "Random ratings whose figures differ between the native x86-64 build and an i386 build "
                   "with x87 arithmetic at 64-bit precision: each sits on a rounding tie that stray "
                   "extended precision or another rounding mode flips. Found by scripts/find_tie_cases.py "
                   "(seed %d, %d cases, %d differing)." % (args.seed, args.cases + args.cases // 4, len(found)),
           "cases": cases}
    text = json.dumps(out, indent=1) + "\n"
    if args.output:
        open(args.output, "w").write(text)
    else:
        sys.stdout.write(text)


if __name__ == "__main__":
    main()
