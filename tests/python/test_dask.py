"""On a local Dask cluster of two worker processes: the year rated equals the batch verb's rows,
and annual studies give the summaries of novaflux.annual."""
import json
import subprocess

import dask.dataframe as dd
import pandas as pd
from dask.distributed import Client, LocalCluster

import novaflux
import novaflux.dask
from conftest import BUILD, EXAMPLES


def cell(dtype, text):
    """A cell of the batch's CSV as the frame holds it (an empty variant reads as "")."""
    if dtype == bool:
        return text == "true"
    if dtype == object:
        try:
            return float(text)
        except ValueError:
            return text
    return dtype.type(text)


def test_year_on_two_worker_processes_equals_the_batch_verb(tmp_path):
    batch_out = tmp_path / "year_out.csv"
    subprocess.run([str(BUILD / "bin" / "novaflux"), "batch", str(EXAMPLES / "year_8760.csv"),
                    "-o", str(batch_out)], check=True)
    batch = pd.read_csv(batch_out, dtype=str, keep_default_na=False)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        ddf = dd.read_csv(str(EXAMPLES / "year_8760.csv"), blocksize=200_000)
        assert ddf.npartitions >= 2
        result = novaflux.dask.rate_dataframe(ddf).compute().reset_index(drop=True)
        workers = client.run(lambda: __import__("os").getpid())
    assert len(workers) == 2 and len(result) == len(batch) == 8760
    assert list(batch.columns) == novaflux.result_columns() and result.error.isna().all()
    for name in batch.columns:
        dtype = result[name].dtype
        expected = [cell(dtype, text) for text in batch[name]]
        got = ["" if v is None else v for v in result[name]]
        assert got == expected, name


def test_annual_studies_on_two_worker_processes_give_one_summary_row_each():
    from novaflux._annual import summary_row
    chicago = EXAMPLES / "weather" / "USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw"
    si, ip = (json.loads((EXAMPLES / name).read_text()) for name in ("si_design_day.json", "ip_design_day.json"))
    studies = [(chicago, si, None), (chicago, ip, None), (chicago, si, "TXL_1400_Q_480_Condensation")]
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster):
        rows = novaflux.dask.annual_studies(studies, price_heat=0.06, price_electricity=0.25).compute()
    assert list(rows.index) == [0, 1, 2]
    for (weather, unit, model), (_, row) in zip(studies, rows.iterrows()):
        expected = summary_row(novaflux.annual(unit, weather, model=model, price_heat=0.06, price_electricity=0.25)[1])
        assert row.to_dict() == expected
    assert rows.model[0] == "TXL-1600-Q_480(1.9)_Condensation" and rows.model[2] == "TXL-1400-Q_480(1.9)_Condensation"
    assert list(rows.unit_system) == ["SI", "IP", "SI"] and (rows.heating > 0).all()
