"""Ratings of a Dask dataframe, partition by partition, and annual studies, on a cluster's workers.

    from dask.distributed import Client
    import dask.dataframe as dd, novaflux.dask
    client = Client("tcp://scheduler:8786")
    result = novaflux.dask.rate_dataframe(dd.read_csv("year_*.csv")).compute()

Each worker process imports novaflux once: the component, its psychrometric library and the
catalogue are loaded at the first partition and kept for the next ones.
"""
import dask.dataframe as dd

import novaflux


def _rate_partition(partition, threads, model_run, catalogue):
    if catalogue is not None and novaflux.catalogue() != catalogue:
        novaflux.set_catalogue(catalogue)
    return novaflux.rate_frame(partition, threads=threads, model_run=model_run)


def rate_dataframe(ddf, threads=1, model_run=False, catalogue=None):
    """``novaflux.rate_frame`` mapped over the partitions of ``ddf`` (lazy; call .compute()).

    ``threads`` rating threads per partition (default 1: the cluster's worker threads and
    processes give the parallelism); ``catalogue`` a catalogue file every worker can read
    (default: the one beside the component on each worker).
    """
    meta = novaflux.rate_frame(ddf._meta.iloc[:0])
    return dd.map_partitions(_rate_partition, ddf, threads, model_run, catalogue, meta=meta,
                             align_dataframes=False)


def _annual_frame(position, weather, unit, model, options, catalogue):
    import pandas as pd
    from novaflux._annual import annual_summary, summary_row
    if catalogue is not None and novaflux.catalogue() != catalogue:
        novaflux.set_catalogue(catalogue)
    summary = annual_summary(unit, weather, model=model, **options)
    return pd.DataFrame([summary_row(summary)], index=[position])


def annual_studies(studies, catalogue=None, threads=1, **options):
    """Many annual studies on the cluster's workers, one summary row each (lazy; call .compute()).

    ``studies``: (weather file, unit, model) triples; the weather file's path must be readable
    on the workers, the unit is a dict (or JSON text), the model None for the automatic choice.
    ``options`` are those of :func:`novaflux.annual` for every study (``threads`` rating
    threads per study, default 1: the cluster gives the parallelism). Returns a Dask dataframe
    with one row per study, indexed by its position in ``studies``: the weather file, place, model, hours, the
    year's recovered heating and cooling, peaks, frost-risk hours, preheat, fan, motor and
    electric energy (kWh, or kBtu for an IP unit), the net saving (NaN without prices) and the
    failed hours.
    """
    import dask
    import pandas as pd

    parts = [dask.delayed(_annual_frame, pure=True)(i, str(weather), unit, model, dict(options, threads=threads), catalogue)
             for i, (weather, unit, model) in enumerate(studies)]
    meta = pd.DataFrame({name: pd.Series(dtype=dtype) for name, dtype in _ANNUAL_COLUMNS})
    return dd.from_delayed(parts, meta=meta, verify_meta=False)


_ANNUAL_COLUMNS = [("weather", object), ("place", object), ("model", object), ("model_id", "int64"),
                   ("automatic_model", bool), ("unit_system", object), ("energy_unit", object),
                   ("operating_hours", "int64"), ("heating_hours", "int64"), ("cooling_hours", "int64"),
                   ("heating", float), ("cooling", float), ("peak_heating", float), ("peak_cooling", float),
                   ("frost_risk_hours", "int64"), ("preheat", float), ("fan", float), ("motor", float),
                   ("electric", float), ("saving", float), ("failed_hours", "int64")]
