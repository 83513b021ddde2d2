#!/usr/bin/env python3
"""Writes examples/year_8760.csv: 8 760 hourly design conditions for one year of a
mid-latitude site, one `novaflux batch` row per hour (1 January 00:00 first).

No weather file is needed: the outdoor air comes from a simple climate model,
deterministic (no random numbers), so the file is the same on every machine.

  dry bulb = annual mean
             + seasonal swing   (coldest around 20 January, warmest around 20 July)
             + daily swing      (coldest at 05:00, warmest at 15:00; wider in summer)
             + weather          (sum of slow sinusoids with periods of 3 to 17 days,
                                 standing in for passing fronts)
  RH       = seasonal mean (moister in winter) - a daily swing opposite to the dry bulb
             + weather, kept within 20 .. 98 %

Each hour's outdoor state is written as both the summer and the winter outdoor air
(so every row rates the wheel in that hour's air for both seasons' calculations);
the return air is the design indoor state, 24 C / 50 % (summer) and 21 C / 40 % (winter).
The unit runs at full airflow from 06:00 to 22:00 and at half airflow at night.

Usage: python3 examples/generate_year.py [OUTPUT]   (default: year_8760.csv beside this script)
"""
import math
import os
import sys

# Site and plant (SI): m, Pa, m3/h.
ALTITUDE = 200
PRESSURE_DIFFERENCE = 200
DAY_FLOWS = (10000, 9000)    # supply, return
NIGHT_FLOWS = (5000, 4500)

ANNUAL_MEAN_C = 11.0
SEASONAL_AMPLITUDE_C = 12.0
COLDEST_DAY = 20             # day of year (0 = 1 January)
DAILY_AMPLITUDE_C = (3.0, 5.5)   # winter, summer half-range

# (period in days, amplitude in C, amplitude in % RH, phase in radians)
WEATHER = [
    (3.1, 1.6, 6.0, 0.4),
    (5.3, 2.2, 5.0, 2.1),
    (8.9, 1.8, 4.0, 4.0),
    (16.7, 1.4, 3.0, 1.3),
]

COLUMNS = [
    "KivunitSI", "KivinputSupplyAir", "KivinputReturnAir", "KivinputAltitude",
    "KivinputLeakagePressureDifference", "KivPurgeWithout",
    "KivinputOAUnitDBTRH", "KivinputOAUnitDBTGR", "KivinputOAUnitDBTWBT",
    "KivinputRAUnitDBTRH", "KivinputRAUnitDBTGR", "KivinputRAUnitDBTWBT",
    "KivinputOAS_DBT", "KivinputOAS_RH", "KivinputOAW_DBT", "KivinputOAW_RH",
    "KivinputRaS_DBT", "KivinputRaS_RH", "KivinputRaW_DBT", "KivinputRaW_RH",
]


def outdoor_air(hour):
    """Dry bulb (C) and relative humidity (%) of hour 0 .. 8759."""
    day = hour / 24.0
    season = -math.cos(2 * math.pi * (day - COLDEST_DAY) / 365.0)   # -1 coldest .. +1 warmest
    summer_share = (season + 1) / 2
    daily_amplitude = DAILY_AMPLITUDE_C[0] + (DAILY_AMPLITUDE_C[1] - DAILY_AMPLITUDE_C[0]) * summer_share
    # A warm-up from 05:00 to 15:00 and a slower cool-down to 05:00 the next morning.
    h = hour % 24
    if 5 <= h < 15:
        daily = -math.cos(math.pi * (h - 5) / 10.0)
    else:
        daily = math.cos(math.pi * ((h - 15) % 24) / 14.0)
    weather_t = sum(a_t * math.sin(2 * math.pi * day / p + ph) for p, a_t, _, ph in WEATHER)
    weather_rh = sum(a_rh * math.sin(2 * math.pi * day / p + ph + 1.0) for p, _, a_rh, ph in WEATHER)
    dbt = ANNUAL_MEAN_C + SEASONAL_AMPLITUDE_C * season + daily_amplitude * daily + weather_t
    rh = 72.0 - 10.0 * season - 12.0 * daily + weather_rh
    # + 0.0 turns a rounded -0.0 into 0.0.
    return round(dbt, 1) + 0.0, round(min(98.0, max(20.0, rh)), 1) + 0.0


def rows():
    for hour in range(8760):
        dbt, rh = outdoor_air(hour)
        supply, ret = DAY_FLOWS if 6 <= hour % 24 < 22 else NIGHT_FLOWS
        yield ["true", supply, ret, ALTITUDE, PRESSURE_DIFFERENCE, "false",
               "true", "false", "false", "true", "false", "false",
               dbt, rh, dbt, rh, 24, 50, 21, 40]


def text(value):
    return value if isinstance(value, str) else ("%g" % value if isinstance(value, float) else str(value))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "year_8760.csv")
    with open(path, "w", newline="\n") as out:
        out.write(",".join(COLUMNS) + "\n")
        for row in rows():
            out.write(",".join(text(v) for v in row) + "\n")


if __name__ == "__main__":
    main()
