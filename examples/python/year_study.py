#!/usr/bin/python3
"""A year of hourly ratings, on this machine or on a Dask cluster, summarised by month.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/year_study.py
    PYTHONPATH=build/python /usr/bin/python3 examples/python/year_study.py --scheduler tcp://host:8786

Rates examples/year_8760.csv (8 760 hourly outdoor states) and prints, per month, the mean
total energy with the wheel on the winter and summer sides (kW; negative while the wheel heats
the supply air), and the hours with a warning or a failed rating.
"""
import argparse
import pathlib
import time

import pandas as pd

import novaflux

YEAR = pathlib.Path(__file__).resolve().parents[1] / "year_8760.csv"


def rate_year(scheduler):
    if scheduler is None:
        return novaflux.rate_frame(pd.read_csv(YEAR))
    import dask.dataframe as dd
    from dask.distributed import Client
    from novaflux.dask import rate_dataframe
    with Client(scheduler):
        return rate_dataframe(dd.read_csv(str(YEAR), blocksize=200_000)).compute()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scheduler", help="a Dask scheduler's address (default: rate here)")
    args = parser.parse_args()
    started = time.perf_counter()
    year = rate_year(args.scheduler).reset_index(drop=True)
    seconds = time.perf_counter() - started
    year["month"] = pd.date_range("2025-01-01", periods=len(year), freq="h").month
    summary = year.groupby("month").agg(
        winter_total_kW=("KivoutERWithWheelTotalWinter_KW", "mean"),
        summer_total_kW=("KivoutERWithWheelTotalSummer_KW", "mean"),
        warning_hours=("KivOutErrorCode", lambda codes: int((codes != 0).sum())),
        failed_hours=("failure_number", lambda numbers: int((numbers != 0).sum())),
    )
    print(summary.round(1).to_string())
    print(f"{len(year)} hours rated in {seconds:.2f} s; models: "
          + ", ".join(sorted(year.KivOutNOVAFLUXModel.dropna().unique())))


if __name__ == "__main__":
    main()
