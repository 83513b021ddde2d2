"""The year rated on a local Dask cluster of two worker processes equals the batch verb's rows."""
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
