"""Ratings of a Dask dataframe, partition by partition, on a cluster's workers.

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
