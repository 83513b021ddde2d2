"""Shared by the Python tests: the build, the examples, and the C interface as the reference."""
import ctypes
import json
import os
import pathlib

import pandas as pd
import pytest

import novaflux

SOURCE = pathlib.Path(os.environ.get("NOVAFLUX_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
BUILD = pathlib.Path(os.environ.get("NOVAFLUX_BUILD_DIR", SOURCE / "build"))
EXAMPLES = SOURCE / "examples"


def design_days():
    return [json.loads(line) for line in (EXAMPLES / "design_days.jsonl").read_text().splitlines()]


def year_inputs():
    return pd.read_csv(EXAMPLES / "year_8760.csv")


class CInterface:
    """A rating through kiv.h, every property read back by name: what a C host sees."""

    def __init__(self):
        self.lib = ctypes.CDLL(str(BUILD / "lib" / "libnovaflux.so"))
        self.lib.kiv_create.restype = ctypes.c_void_p
        self.lib.kiv_destroy.argtypes = [ctypes.c_void_p]
        self.lib.kiv_put.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_double]
        self.lib.kiv_get.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_double)]
        self.lib.kiv_get_text.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_size_t]
        self.lib.kiv_call.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
        self.lib.kiv_last_error_number.argtypes = [ctypes.c_void_p]
        self.names = [(n, n.encode(), info.type) for n, info in novaflux.PROPERTIES.items()]

    def rate(self, inputs, method="CalculateOutput"):
        """{property: value} after the run (Booleans as bool, variants as their text) and the
        failure number (0: completed)."""
        novaflux._core.reset_thread_state()
        o, number, text = self.lib.kiv_create(), ctypes.c_double(), ctypes.create_string_buffer(512)
        try:
            for name, value in inputs.items():
                assert self.lib.kiv_put(o, name.encode(), float(value)) == 0, name
            failure = self.lib.kiv_last_error_number(o) if self.lib.kiv_call(o, method.encode()) else 0
            out = {}
            for name, key, kind in self.names:
                if kind == "Variant":
                    self.lib.kiv_get_text(o, key, text, len(text))
                    out[name] = text.value.decode()
                else:
                    self.lib.kiv_get(o, key, ctypes.byref(number))
                    out[name] = number.value != 0 if kind == "Boolean" else number.value
            return out, failure
        finally:
            self.lib.kiv_destroy(o)


def variant_matches(c_text, value):
    if value is None or isinstance(value, str):
        return c_text == (value or "")
    return float(c_text) == value


@pytest.fixture(scope="session")
def c_interface():
    return CInterface()


def assert_same_as_c(python_values, c_values):
    """Every property: the Python value equals what the C interface reads."""
    for name, info in novaflux.PROPERTIES.items():
        got, want = python_values[name], c_values[name]
        if info.type == "Variant":
            assert variant_matches(want, got), (name, got, want)
        else:
            assert (bool(got) if info.type == "Boolean" else float(got)) == want, (name, got, want)
