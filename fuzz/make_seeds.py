#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/.

The seeds are committed; run this again only to change them. Every crash a fuzz run finds is
added to the corpus by hand (and becomes a regression test in tests/).

The C interface programs use the encoding described at the top of c_api_fuzz.cpp; names and
methods are written as text, so that the seeds do not depend on the order of the interface.
"""
import json
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")

SI_DAY = {
    "KivunitSI": True, "KivinputSupplyAir": 10000, "KivinputReturnAir": 9000,
    "KivinputAltitude": 200, "KivinputLeakagePressureDifference": 200, "KivPurgeWithout": False,
    "KivinputOAUnitDBTRH": True, "KivinputRAUnitDBTRH": True,
    "KivinputOAS_DBT": 35, "KivinputOAS_RH": 40, "KivinputOAW_DBT": -10, "KivinputOAW_RH": 80,
    "KivinputRaS_DBT": 24, "KivinputRaS_RH": 50, "KivinputRaW_DBT": 21, "KivinputRaW_RH": 40,
}
IP_DAY = {
    "KivunitSI": False, "KivinputSupplyAir": 8000, "KivinputReturnAir": 8000,
    "KivinputAltitude": 300, "KivinputLeakagePressureDifference": 0.8, "KivPurgeWithout": False,
    "KivinputOAUnitDBTWBT": True, "KivinputRAUnitDBTWBT": True,
    "KivinputOAS_DBT": 95, "KivinputOAS_WBT": 78, "KivinputOAW_DBT": 10, "KivinputOAW_WBT": 8,
    "KivinputRaS_DBT": 75, "KivinputRaS_WBT": 62.5, "KivinputRaW_DBT": 70, "KivinputRaW_WBT": 55,
}
SI_GRAINS = dict(SI_DAY, KivinputOAUnitDBTRH=False, KivinputOAUnitDBTGR=True,
                 KivinputRAUnitDBTRH=False, KivinputRAUnitDBTGR=True,
                 KivinputOAS_GR=14.5, KivinputOAW_GR=1.3, KivinputRaS_GR=9.5, KivinputRaW_GR=6.3)


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def rate_json_seeds():
    t = "rate_json"
    write(t, "si_design_day.json", json.dumps(SI_DAY, indent=2) + "\n")
    write(t, "ip_design_day.json", json.dumps(IP_DAY, indent=2) + "\n")
    write(t, "si_grains.json", json.dumps(SI_GRAINS) + "\n")
    write(t, "si_fixed_model.json",
          json.dumps(dict(SI_DAY, KivinputModel="TXL_1400_Q_480_Condensation")) + "\n")
    write(t, "ip_fixed_model_number.json", json.dumps(dict(IP_DAY, KivinputModel=60)) + "\n")
    write(t, "no_purge_mass_flow.json",
          json.dumps(dict(SI_DAY, KivPurgeWithout=True, KivinputMassflowCfm=True,
                          KivinputMassflowSs=1.2, KivinputMassflowEs=1.1,
                          KivinputSeries=1)) + "\n")
    hostile = {
        "altitude_high.json": dict(SI_DAY, KivinputAltitude=1e6),
        "altitude_low.json": dict(SI_DAY, KivinputAltitude=-1e6),
        "rh_out_of_range.json": dict(SI_DAY, KivinputOAS_RH=150, KivinputOAW_RH=-5),
        "grains_above_saturation.json": dict(SI_GRAINS, KivinputOAS_GR=500, KivinputRaW_GR=90),
        "zero_airflows.json": dict(SI_DAY, KivinputSupplyAir=0, KivinputReturnAir=0),
        "negative_airflows.json": dict(SI_DAY, KivinputSupplyAir=-5000, KivinputReturnAir=-1),
        "huge_airflow.json": dict(SI_DAY, KivinputSupplyAir=1e308),
        "unknown_model.json": dict(SI_DAY, KivinputModel=9999),
        "unknown_series.json": dict(SI_DAY, KivinputSeries=7),
        "text_for_number.json": dict(SI_DAY, KivinputSupplyAir="ten thousand"),
        "variant_text.json": dict(SI_DAY, KivOutErrorMsg="note", KivOutNOVAFLUXModel=12.5),
    }
    for name, value in hostile.items():
        write(t, name, json.dumps(value) + "\n")
    write(t, "number_overflow.json", '{"KivinputSupplyAir": 1e400, "KivunitSI": true}\n')
    write(t, "not_an_object.json", "[1, 2, {\"KivunitSI\": true}]\n")
    write(t, "unknown_property.json", '{"KivinputSupplyAirflow": 10000}\n')


def csv_row(values):
    return ",".join(values) + "\n"


def batch_csv_seeds():
    t = "batch_csv"
    keys = list(SI_DAY.keys())

    def cell(v):
        if isinstance(v, bool):
            return "true" if v else "false"
        return repr(v) if isinstance(v, float) else str(v)

    si = csv_row(keys) + csv_row([cell(SI_DAY[k]) for k in keys])
    write(t, "si_design_day.csv", si)
    ip_keys = list(IP_DAY.keys())
    write(t, "ip_design_day.csv", csv_row(ip_keys) + csv_row([cell(IP_DAY[k]) for k in ip_keys]))
    # Several rows, some cells empty, a model by name and by number, CRLF line ends.
    keys_m = keys + ["KivinputModel"]
    rows = [csv_row(keys_m).replace("\n", "\r\n")]
    for supply, model in ((10000, ""), (4000, "TXL_1000_Q_480_Condensation"), (25000, "70"),
                          (800, "")):
        values = [cell(SI_DAY[k]) for k in keys] + [model]
        values[keys.index("KivinputSupplyAir")] = str(supply)
        values[keys.index("KivinputAltitude")] = ""
        rows.append(csv_row(values).replace("\n", "\r\n"))
    write(t, "several_rows_crlf.csv", "".join(rows))
    # Quoted fields, blanks, a byte-order mark, hostile values.
    quoted = "\ufeff" + csv_row(['"KivunitSI"', ' KivinputSupplyAir ', '"KivinputAltitude"',
                                 "KivinputOAS_RH"])
    quoted += csv_row(['"TRUE"', '" 10000 "', "1e6", "150"])
    quoted += csv_row(["true", "nan", "-1e6", "-5"])
    quoted += csv_row(["1", "inf", "0", '"4""0"'])
    write(t, "quoted_and_hostile.csv", quoted)
    write(t, "unclosed_quote.csv", 'KivunitSI,KivinputSupplyAir\ntrue,"10000\n')
    write(t, "wrong_width.csv", "KivunitSI,KivinputSupplyAir\ntrue\ntrue,1,2\n")
    write(t, "output_column.csv", "KivoutSaS_DBT\n1\n")


# --- C interface programs -------------------------------------------------------------------

OPS = ["put", "put_text", "get", "get_text", "call", "pdrop_other", "formula_interpulation",
       "last_error", "recreate", "set_catalogue"]
TEXT_NAME = 0xFD  # a name or method given as text
RAW_NUMBER = 0xFF  # a number given as 8 bytes


def text(s):
    b = s.encode() if isinstance(s, str) else s
    assert len(b) < 0xFF
    return bytes([len(b)]) + b


def name(s):
    return bytes([TEXT_NAME]) + text(s)


def number(x):
    return bytes([RAW_NUMBER]) + struct.pack("<d", x)


def op(kind, obj=0):
    return bytes([(OPS.index(kind) << 1) | obj])


def put(prop, value, obj=0):
    return op("put", obj) + name(prop) + number(float(value))


def call(method, obj=0):
    return op("call", obj) + name(method)


def get(prop, obj=0):
    return op("get", obj) + name(prop) + b"\x01"


def get_text(prop, size, obj=0):
    return op("get_text", obj) + name(prop) + bytes([size])


def puts(inputs, obj=0):
    out = b""
    for k, v in inputs.items():
        out += put(k, -1 if v is True else 0 if v is False else v, obj)
    return out


def c_api_seeds():
    t = "c_api"
    write(t, "si_design_day", puts(SI_DAY) + call("CalculateOutput") + get("KivoutSaS_DBT")
          + get_text("KivOutNOVAFLUXModel", 8) + get_text("KivOutNOVAFLUXModel", 40))
    write(t, "two_objects_interleaved",
          puts(SI_DAY, 0) + puts(IP_DAY, 1) + call("CalculateOutput", 0)
          + call("CalculateOutput", 1) + call("EffectivenessCalculate", 0)
          + call("EffectivenessCalculateold", 1) + get("KivoutTempEffectiveness", 0))
    write(t, "fixed_model", puts(SI_DAY) + put("KivinputModel", 66) + call("CalculateOutputModel")
          + get("KivoutCassetteWeight"))
    write(t, "nan_input", puts(SI_DAY) + put("KivinputOAS_DBT", float("nan"))
          + call("CalculateOutput") + op("last_error"))
    write(t, "altitude_overflow", puts(SI_DAY) + put("KivinputAltitude", 1e6)
          + call("CalculateOutput") + put("KivinputAltitude", -40000) + call("CalculateOutput"))
    write(t, "leakage", put("KivunitSI", -1) + put("KivinputLeakagePressureDifference", 110)
          + call("EATRValue") + get("KivoutLeakageEatr")
          + op("pdrop_other") + number(9000) + number(8000) + number(12.5) + b"\x01"
          + op("formula_interpulation")
          + text("select * from eatrvalue where val(Pressure_Differential)=100 or "
                 "val(Pressure_Differential)=125 ")
          + number(100) + number(125) + text("110"))
    write(t, "text_puts", op("put_text") + name("KivinputSupplyAir") + text("10000")
          + op("put_text") + name("KivinputAltitude") + text("high")
          + op("put_text") + name("KivOutErrorMsg") + text("free text")
          + get("KivOutErrorMsg") + op("put_text") + name("KivunitSI") + text("True"))
    write(t, "unknown_names", put("NoSuchProperty", 1) + op("put") + b"\xfe" + number(1)
          + call("NoSuchMethod") + call("PdropOtherCalculate") + op("call") + name("")
          + op("recreate") + op("last_error"))
    write(t, "catalogue_switch", op("set_catalogue") + text("/nonexistent/NOVAFLUX.db")
          + puts(SI_DAY) + call("CalculateOutput") + op("set_catalogue") + b"\xff"
          + call("CalculateOutput"))


if __name__ == "__main__":
    rate_json_seeds()
    batch_csv_seeds()
    c_api_seeds()
