#!/usr/bin/env python3
"""Writes the SAMPLE product data of the catalogue: one CSV per table of schema.sql.

The figures come from a small physical model of a condensation rotor (aluminium foil
matrix, 200 mm deep, sinusoidal channels) so that they behave like product data: areas grow
with the rotor, efficiencies fall and pressure drops rise with the face velocity, leakage grows
with the pressure difference. They are not measured data of any product; replace the CSVs
with your own product data and rebuild the catalogue (see README.md).

Standard library only and deterministic: running it twice writes the same bytes.

    python3 generate_sample_data.py [OUTPUT_DIR]     (default: this script's folder)
"""

import csv
import math
import os
import sys

# ---------------------------------------------------------------------------------------
# Units and standard air
# ---------------------------------------------------------------------------------------

MM2_PER_FT2 = 92903.04          # 1 ft2 = 0.09290304 m2
M_S_PER_FPM = 0.00508           # 1 fpm = 0.00508 m/s
PA_PER_IN_WG = 249.0889         # in. w.g. at 60 degF
P_SEA_LEVEL = 101325.0          # Pa, standard atmosphere at sea level

# Dry air at 20 degC, 101.325 kPa (ASHRAE Handbook Fundamentals 2017, ch. 33, table 1).
RHO_AIR = 1.204                 # kg/m3
MU_AIR = 1.825e-5               # Pa s
K_AIR = 0.0257                  # W/(m K)
CP_AIR = 1006.0                 # J/(kg K)

# ---------------------------------------------------------------------------------------
# The models: member order, id and rotor diameter as in the component's model enumeration
# ---------------------------------------------------------------------------------------

DIAMETERS = [500, 600, 700, 800, 900, 1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1800,
             1900, 2000, 2130, 2200, 2400, 2600, 2800, 3000, 3200, 3400, 3600, 3800, 4000,
             4200, 4400, 4600, 4800, 5000]
FIRST_MODEL_ID = 57
MODEL_TYPE = "E"

# Net face area of one air side, ft2, of the smallest and the largest rotor: the catalogue's
# published range (the selection clamps the required area to it).
AREA_WITHOUT_PURGE = (0.76, 102.79)
AREA_WITH_PURGE = (0.74, 99.79)

# ---------------------------------------------------------------------------------------
# Matrix and rotor
# ---------------------------------------------------------------------------------------

ROTOR_DEPTH_MM = 200
SERIES = "F2"
PERF_TYPE = "N"
POROSITY = 0.88                 # open fraction of the matrix face
FOIL_DENSITY = 2700.0           # kg/m3, aluminium
FOIL_HEAT = 900.0               # J/(kg K), aluminium
ROTOR_SPEED_RPM = 10.0
F_RE = 13.0                     # Fanning friction x Reynolds number, fully developed laminar
                                # flow in sinusoidal channels (Shah & London 1978)
K_INLET_OUTLET = 1.4            # contraction plus expansion loss coefficient of the face
RATED_VELOCITY_FPM = 500.0
RATED_PDROP_PA = 130.0          # design pressure drop at the rated velocity
RATED_SENSIBLE = 0.80           # design sensible effectiveness at the rated velocity
VELOCITIES_FPM = list(range(200, 1101, 50))

# Rating conditions, degF dry bulb / wet bulb (AHRI 1060 standard rating conditions).
SUMMER = {"outdoor": (95.0, 78.0), "return": (75.0, 63.0)}
WINTER = {"outdoor": (35.0, 33.0), "return": (70.0, 58.0)}

# ---------------------------------------------------------------------------------------
# Leakage
# ---------------------------------------------------------------------------------------

STEPS_PA = [0, 50, 100, 125, 200, 300, 400, 500, 600, 700, 750]
STEPS_IN_WG = [0, 0.4, 0.5, 0.8, 1.2, 1.6, 2, 2.5, 2.75, 3]
SHARED_STEP_TOLERANCE = 0.025   # an SI and an IP step within 2.5 % share one row
SEAL_LEAK_AT_100PA = 0.037      # outdoor-to-exhaust seal leakage / supply airflow at 100 Pa
SEAL_FLUSH_ANGLE = 0.5          # degrees: the part of the divider seal that channels cross under
                                # flow, acting as a small purge sector on every wheel
PURGE_ANGLE_RANGE = (2, 10)     # degrees, the adjustable range of the purge sector

# ---------------------------------------------------------------------------------------
# Moist air (ASHRAE Handbook Fundamentals 2017, ch. 1)
# ---------------------------------------------------------------------------------------


def saturation_pressure(t_c):
    """Saturation vapour pressure in Pa over ice (t < 0 degC) or liquid water, t in degC.
    Hyland and Wexler (1983), ASHRAE Handbook Fundamentals 2017, ch. 1, eq. 5 and 6."""
    t = t_c + 273.15
    if t_c < 0.0:
        ln_p = (-5.6745359e3 / t + 6.3925247 - 9.6778430e-3 * t + 6.2215701e-7 * t ** 2
                + 2.0747825e-9 * t ** 3 - 9.4840240e-13 * t ** 4 + 4.1635019 * math.log(t))
    else:
        ln_p = (-5.8002206e3 / t + 1.3914993 - 4.8640239e-2 * t + 4.1764768e-5 * t ** 2
                - 1.4452093e-8 * t ** 3 + 6.5459673 * math.log(t))
    return math.exp(ln_p)


def saturation_humidity_ratio(t_c, p=P_SEA_LEVEL):
    """kg water per kg dry air at saturation (ch. 1, eq. 23)."""
    pws = saturation_pressure(t_c)
    return 0.621945 * pws / (p - pws)


def humidity_ratio_from_wet_bulb(t_c, twb_c, p=P_SEA_LEVEL):
    """kg/kg from dry and wet bulb in degC (ch. 1, eq. 33 above freezing, eq. 35 below)."""
    ws = saturation_humidity_ratio(twb_c, p)
    if twb_c >= 0.0:
        return ((2501.0 - 2.326 * twb_c) * ws - 1.006 * (t_c - twb_c)) / (
            2501.0 + 1.86 * t_c - 4.186 * twb_c)
    return ((2830.0 - 0.24 * twb_c) * ws - 1.006 * (t_c - twb_c)) / (
        2830.0 + 1.86 * t_c - 2.1 * twb_c)


def enthalpy(t_c, w):
    """kJ per kg dry air (ch. 1, eq. 32)."""
    return 1.006 * t_c + w * (2501.0 + 1.86 * t_c)


def f_to_c(t_f):
    return (t_f - 32.0) / 1.8


def c_to_f(t_c):
    return t_c * 1.8 + 32.0

# ---------------------------------------------------------------------------------------
# Helpers
# ---------------------------------------------------------------------------------------


def bisect(f, lo, hi, tol=1e-12):
    """Root of f in [lo, hi]; f(lo) and f(hi) of opposite sign."""
    f_lo = f(lo)
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        f_mid = f(mid)
        if (f_mid < 0.0) == (f_lo < 0.0):
            lo, f_lo = mid, f_mid
        else:
            hi = mid
        if hi - lo < tol:
            break
    return 0.5 * (lo + hi)


def fixed(value, decimals):
    """Decimal text with a fixed number of decimals; -0 becomes 0."""
    text = "%.*f" % (decimals, value)
    if float(text) == 0.0:
        text = "%.*f" % (decimals, 0.0)
    return text


def whole(value):
    return str(int(round(value)))


def require(condition, message):
    if not condition:
        raise SystemExit("generate_sample_data.py: " + message)


def strictly_ascending(values):
    return all(b > a for a, b in zip(values, values[1:]))


def non_increasing(values):
    return all(b <= a for a, b in zip(values, values[1:]))


def non_decreasing(values):
    return all(b >= a for a, b in zip(values, values[1:]))

# ---------------------------------------------------------------------------------------
# modelmast: net face area of one air side
# ---------------------------------------------------------------------------------------
#
# The rotor face is the circle of diameter D less a rim band b all round (casing seal), less
# the hub (diameter h, growing with the rotor), less the spokes and the central divider beam,
# which together block radial strips of total width w across the matrix. The divider splits
# what is left into two equal air sides:
#
#   A_side = ( pi/4 ((D - 2b)^2 - h^2) - w (D - 2b - h) ) / 2
#
# A purge sector (angle phi) sits on one side, between the purge seal diameter hp and the
# rim band, and is taken from that side's face:
#
#   A_side,purge = A_side - phi/360 pi/4 ((D - 2b)^2 - hp^2)
#
# b and w are solved so that the smallest and largest rotor give the published extremes of
# the range without purge; phi and hp so that they give those with purge.


def hub_diameter(d):
    return 100.0 + 0.03 * d


def area_without_purge_mm2(d, band, strips):
    de = d - 2.0 * band
    h = hub_diameter(d)
    return (math.pi / 4.0 * (de * de - h * h) - strips * (de - h)) / 2.0


def purge_sector_mm2(d, band, angle, seal_dia):
    de = d - 2.0 * band
    return angle / 360.0 * math.pi / 4.0 * (de * de - seal_dia * seal_dia)


def solve_face_geometry():
    d_small, d_large = DIAMETERS[0], DIAMETERS[-1]
    small = AREA_WITHOUT_PURGE[0] * MM2_PER_FT2
    large = AREA_WITHOUT_PURGE[1] * MM2_PER_FT2

    def strips_for(band):
        # the strip width that makes the largest rotor right for this rim band
        de = d_large - 2.0 * band
        h = hub_diameter(d_large)
        return (math.pi / 4.0 * (de * de - h * h) - 2.0 * large) / (de - h)

    band = bisect(lambda b: area_without_purge_mm2(d_small, b, strips_for(b)) - small, 0.0, 60.0)
    strips = strips_for(band)

    purge_small = small - AREA_WITH_PURGE[0] * MM2_PER_FT2
    purge_large = large - AREA_WITH_PURGE[1] * MM2_PER_FT2
    de_small, de_large = d_small - 2.0 * band, d_large - 2.0 * band
    # purge_large / purge_small = (de_large^2 - hp^2) / (de_small^2 - hp^2)
    ratio = purge_large / purge_small
    seal_dia = math.sqrt((ratio * de_small ** 2 - de_large ** 2) / (ratio - 1.0))
    angle = purge_small / (math.pi / 4.0 * (de_small ** 2 - seal_dia ** 2)) * 360.0
    require(0.0 < band < 50.0 and 0.0 < strips < 100.0, "implausible face geometry")
    require(hub_diameter(d_small) < seal_dia < de_small and 1.0 < angle < 15.0,
            "implausible purge sector")
    return band, strips, angle, seal_dia


def model_rows():
    band, strips, angle, seal_dia = solve_face_geometry()
    rows = []
    for index, d in enumerate(DIAMETERS):
        without = area_without_purge_mm2(d, band, strips)
        with_purge = without - purge_sector_mm2(d, band, angle, seal_dia)
        rows.append({
            "modelid": FIRST_MODEL_ID + index,
            "type": MODEL_TYPE,
            "rotor_dia": d,
            "netarearot": fixed(with_purge / MM2_PER_FT2, 2),
            "wonetarearot": fixed(without / MM2_PER_FT2, 2),
        })
    with_p = [float(r["netarearot"]) for r in rows]
    without_p = [float(r["wonetarearot"]) for r in rows]
    require(strictly_ascending(with_p) and strictly_ascending(without_p), "areas not ascending")
    require(all(a > b for a, b in zip(without_p, with_p)), "purge area not below the plain one")
    require((with_p[0], with_p[-1]) == AREA_WITH_PURGE, "range with purge: %r" % (with_p,))
    require((without_p[0], without_p[-1]) == AREA_WITHOUT_PURGE, "range without purge")
    geometry = {"rim band mm": band, "strip width mm": strips, "purge angle deg": angle,
                "purge seal diameter mm": seal_dia}
    return rows, geometry

# ---------------------------------------------------------------------------------------
# txlmastS, txlmastW: performance curves
# ---------------------------------------------------------------------------------------
#
# Pressure drop: fully developed laminar friction in the channels plus the inlet and outlet
# losses (Kays and London, Compact Heat Exchangers, 3rd ed., ch. 2):
#
#   dp = 2 fRe mu L u / Dh^2 + K rho u^2 / 2,   u = v_face / porosity  (channel velocity)
#
# The hydraulic diameter Dh is the one that gives the rated pressure drop at the rated velocity.
#
# Heat transfer: constant Nusselt number (laminar), so that the number of transfer units of
# one side is NTU_side = 4 Nu k L / (Dh^2 rho u cp), proportional to 1/velocity; with equal
# airflows the overall NTU_o is half of it. Effectiveness of the counterflow regenerator with
# equal capacity rates, corrected for the finite matrix capacity (Kays and London, eq. 5-29,
# the Lambertson correlation):
#
#   eps = NTU_o / (1 + NTU_o) * (1 - 1 / (9 Cr^1.93)),   Cr = M c N / (m_dot cp)
#
# Nu is the one that gives the rated sensible effectiveness at the rated velocity.


def channel_velocity(v_fpm):
    return v_fpm * M_S_PER_FPM / POROSITY


def pressure_drop_pa(v_fpm, dh):
    u = channel_velocity(v_fpm)
    depth = ROTOR_DEPTH_MM / 1000.0
    return 2.0 * F_RE * MU_AIR * depth * u / dh ** 2 + K_INLET_OUTLET * RHO_AIR * u * u / 2.0


def channel_velocity_for_pressure(dp, dh):
    """Inverse of the channel pressure-drop relation: the velocity a pressure difference drives
    through the matrix (used for the purge flow)."""
    depth = ROTOR_DEPTH_MM / 1000.0
    a = K_INLET_OUTLET * RHO_AIR / 2.0
    b = 2.0 * F_RE * MU_AIR * depth / dh ** 2
    return (-b + math.sqrt(b * b + 4.0 * a * dp)) / (2.0 * a)


def matrix_capacity_ratio(v_fpm):
    depth = ROTOR_DEPTH_MM / 1000.0
    matrix = (1.0 - POROSITY) * FOIL_DENSITY * depth * FOIL_HEAT * ROTOR_SPEED_RPM / 60.0
    # per m2 of the whole face; one air side flows through half of it
    air = RHO_AIR * v_fpm * M_S_PER_FPM * CP_AIR / 2.0
    return matrix / air


def sensible_effectiveness(v_fpm, dh, nusselt):
    depth = ROTOR_DEPTH_MM / 1000.0
    ntu_side = 4.0 * nusselt * K_AIR * depth / (dh ** 2 * RHO_AIR * channel_velocity(v_fpm) * CP_AIR)
    ntu = ntu_side / 2.0
    cr = matrix_capacity_ratio(v_fpm)
    return ntu / (1.0 + ntu) * (1.0 - 1.0 / (9.0 * cr ** 1.93))


def rating_state(t_db_f, t_wb_f):
    t = f_to_c(t_db_f)
    return t, humidity_ratio_from_wet_bulb(t, f_to_c(t_wb_f))


def condensation_latent(eps_s, conditions, side):
    """Latent efficiency of a non-hygroscopic rotor: moisture moves only by condensation.

    The stream that the wheel cools (the supply in summer, the exhaust in winter) leaves at
    t_in - eps_s (t_in - t_other); what it holds above saturation at that temperature
    condenses on the matrix and evaporates into the other stream. The latent efficiency is
    that moisture over the humidity-ratio difference of the two entering streams."""
    t_o, w_o = rating_state(*conditions["outdoor"])
    t_r, w_r = rating_state(*conditions["return"])
    if side == "supply":
        t_in, w_in, t_other = t_o, w_o, t_r
    else:
        t_in, w_in, t_other = t_r, w_r, t_o
    t_leave = t_in - eps_s * (t_in - t_other)
    condensed = max(0.0, w_in - saturation_humidity_ratio(t_leave))
    return min(eps_s, condensed / abs(w_o - w_r))


def total_efficiency(eps_s, eps_l, conditions):
    """Enthalpy efficiency of the supply stream at the rating conditions."""
    t_o, w_o = rating_state(*conditions["outdoor"])
    t_r, w_r = rating_state(*conditions["return"])
    t_s = t_o - eps_s * (t_o - t_r)
    w_s = w_o - eps_l * (w_o - w_r)
    return (enthalpy(t_o, w_o) - enthalpy(t_s, w_s)) / (enthalpy(t_o, w_o) - enthalpy(t_r, w_r))


def solve_matrix():
    dh = bisect(lambda d: pressure_drop_pa(RATED_VELOCITY_FPM, d) - RATED_PDROP_PA, 0.5e-3, 4e-3)
    nusselt = bisect(lambda nu: sensible_effectiveness(RATED_VELOCITY_FPM, dh, nu) - RATED_SENSIBLE,
                     0.5, 10.0)
    require(2.0 < nusselt < 4.0, "implausible Nusselt number %.3f" % nusselt)
    return dh, nusselt


def curve_rows(season):
    dh, nusselt = solve_matrix()
    conditions = SUMMER if season == "summer" else WINTER
    cooled_side = "supply" if season == "summer" else "exhaust"
    rows = []
    for v in VELOCITIES_FPM:
        eps_s = sensible_effectiveness(v, dh, nusselt)
        eps_l = condensation_latent(eps_s, conditions, cooled_side)
        eps_t = total_efficiency(eps_s, eps_l, conditions)
        rows.append({
            "velocityfpm": v,
            "rotdepth": ROTOR_DEPTH_MM,
            "series": SERIES,
            "type": PERF_TYPE,
            "efficiency": fixed(100.0 * eps_t, 1),
            "sefficiency": fixed(100.0 * eps_s, 1),
            "lefficiency": fixed(100.0 * eps_l, 1),
            "pdroppa": fixed(pressure_drop_pa(v, dh), 1),
        })
    for column in ("efficiency", "sefficiency", "lefficiency"):
        require(non_increasing([float(r[column]) for r in rows]), season + " " + column)
    require(strictly_ascending([float(r["pdroppa"]) for r in rows]), season + " pdroppa")
    return rows, {"hydraulic diameter mm": dh * 1000.0, "Nusselt number": nusselt}

# ---------------------------------------------------------------------------------------
# eatrvalue: leakage by pressure difference
# ---------------------------------------------------------------------------------------
#
# The pressure difference is that of the supply side over the exhaust side, so the seals leak
# outdoor air into the exhaust and the matrix is the only way exhaust air reaches the supply.
#
# Carry-over: every channel passes from the exhaust to the supply side once per revolution
# full of exhaust air; relative to the supply airflow (at the rated velocity) that is
#   c0 = 2 porosity L N / v.
# A channel that crosses a sector under the pressure difference is flushed by the flow that
# the difference drives through it (channel velocity u_p from the pressure-drop relation);
# crossing an angle theta takes theta / (360 N) and one channel volume takes L / u_p, so it
# is flushed n = theta u_p / (360 N L) times and keeps exp(-n) of its exhaust air:
#   EATR = c0 exp(-n),  theta = purge sector + the divider seal's flush angle.
# The purge sector is set to the angle that flushes each channel once, within the adjustable
# range; the table lists that setting rounded up to whole degrees.
#
# OACF = outdoor air / supply air = 1 + seal leakage + purge flow, both relative to the supply:
#   seal leakage grows with the square root of the difference (an orifice);
#   purge flow = 2 porosity u_p theta / (360 v)  (the sector's share of the face times its
#   channel velocity, over one side's face velocity).


def leakage_figures(dp, dh, with_purge):
    depth = ROTOR_DEPTH_MM / 1000.0
    v = RATED_VELOCITY_FPM * M_S_PER_FPM
    speed = ROTOR_SPEED_RPM / 60.0
    carry_over = 2.0 * POROSITY * depth * speed / v
    u_p = channel_velocity_for_pressure(dp, dh) if dp > 0 else 0.0
    lo, hi = PURGE_ANGLE_RANGE
    if with_purge:
        needed = 360.0 * speed * depth / u_p if u_p > 0 else float("inf")
        purge_angle = min(hi, max(lo, needed))
        setting = min(hi, max(lo, math.ceil(needed - 1e-9))) if u_p > 0 else hi
    else:
        purge_angle = 0.0
        setting = 0
    flushes = (purge_angle + SEAL_FLUSH_ANGLE) * u_p / (360.0 * speed * depth)
    eatr = carry_over * math.exp(-flushes)
    seal = SEAL_LEAK_AT_100PA * math.sqrt(dp / 100.0)
    purge_flow = 2.0 * POROSITY * u_p * purge_angle / (360.0 * v)
    oacf = 1.0 + seal + purge_flow
    return 100.0 * eatr, oacf, setting


def leakage_rows():
    dh, _ = solve_matrix()
    # Pair every SI step with the IP step within the tolerance; the rest stand alone.
    steps = []
    ip_left = list(STEPS_IN_WG)
    for pa in STEPS_PA:
        partner = None
        for inch in ip_left:
            reference = inch * PA_PER_IN_WG
            if abs(reference - pa) <= SHARED_STEP_TOLERANCE * max(pa, 1.0):
                partner = inch
                break
        if partner is not None:
            ip_left.remove(partner)
        steps.append((float(pa), pa, partner))
    for inch in ip_left:
        steps.append((inch * PA_PER_IN_WG, None, inch))
    steps.sort(key=lambda s: s[0])

    rows = []
    for pressure, pa, inch in steps:
        e_wp, o_wp, a_wp = leakage_figures(pressure, dh, True)
        e_wop, o_wop, a_wop = leakage_figures(pressure, dh, False)
        rows.append({
            "Pressure_Differential": "" if pa is None else str(pa),
            "Pressure_Differentialin": "" if inch is None else ("%g" % inch),
            "EATRwp": fixed(e_wp, 2), "OACFwp": fixed(o_wp, 3), "Purge_Anglewp": str(a_wp),
            "EATRwop": fixed(e_wop, 2), "OACFwop": fixed(o_wop, 3), "Purge_Anglewop": str(a_wop),
        })
    for column in ("EATRwp", "EATRwop", "Purge_Anglewp"):
        require(non_increasing([float(r[column]) for r in rows]), column + " not monotone")
    for column in ("OACFwp", "OACFwop"):
        require(non_decreasing([float(r[column]) for r in rows]), column + " not monotone")
    for column, wanted in (("Pressure_Differential", STEPS_PA),
                           ("Pressure_Differentialin", STEPS_IN_WG)):
        present = [float(r[column]) for r in rows if r[column] != ""]
        require(present == [float(s) for s in wanted], column + " steps")
    return rows

# ---------------------------------------------------------------------------------------
# dimension: cassette data by rotor
# ---------------------------------------------------------------------------------------
#
# Height (= width) of the square cassette: the rotor plus a frame on each side that grows
# with the rotor; depth: the rotor depth plus the frame flanges. Drive motor: the friction
# torque of brush seals along both rims and both divider radii on both faces,
# T = f D^2 (pi + 1/2), at the highest rotor speed, through belt and gear, with a starting
# margin, rounded up to the next standard motor rating. Weight: the foil matrix plus hub and
# spokes (20 % of it), the steel frame and the motor.

MOTOR_SIZES_KW = [0.09, 0.12, 0.18, 0.25, 0.37, 0.55, 0.75, 1.1, 1.5, 2.2]
SEAL_FRICTION_N_PER_M = 5.0
MAX_SPEED_RPM = 12.0
DRIVE_EFFICIENCY = 0.6
STARTING_MARGIN = 1.5


def round_up(value, step):
    return int(math.ceil(value / step - 1e-9) * step)


def dimension_rows():
    rows = []
    for d in DIAMETERS:
        frame = round_up(60.0 + 0.02 * d, 10)
        height = d + 2 * frame
        depth = ROTOR_DEPTH_MM + 2 * round_up(60.0 + 0.01 * d, 10)
        dm = d / 1000.0
        torque = SEAL_FRICTION_N_PER_M * dm * dm * (math.pi + 0.5)
        power_kw = torque * 2.0 * math.pi * MAX_SPEED_RPM / 60.0 / DRIVE_EFFICIENCY / 1000.0
        motor = next(size for size in MOTOR_SIZES_KW if size >= STARTING_MARGIN * power_kw)
        matrix = ((1.0 - POROSITY) * FOIL_DENSITY * math.pi / 4.0 * dm * dm
                  * ROTOR_DEPTH_MM / 1000.0)
        frame_kg = 4.0 * height / 1000.0 * (6.0 + 0.004 * d)
        weight = 1.2 * matrix + frame_kg + 5.0 + 12.0 * motor
        rows.append({
            "rotor_dia": d, "series": SERIES, "type": MODEL_TYPE, "rotdepth": ROTOR_DEPTH_MM,
            "dimH": height, "dimD": depth, "drivemot": "%g" % motor, "Weight": whole(weight),
        })
    return rows

# ---------------------------------------------------------------------------------------
# dewpoint: saturation moisture by dew point
# ---------------------------------------------------------------------------------------
#
# Stored from the highest dew point down, so that the first row in table order whose moisture
# lies below a given one is the nearest dew point below it.


def dewpoint_rows():
    rows = []
    for dew_f in range(100, -21, -1):
        grains = 7000.0 * saturation_humidity_ratio(f_to_c(dew_f))
        rows.append({"grsp": fixed(grains, 2), "dewf": dew_f})
    return rows

# ---------------------------------------------------------------------------------------


COLUMNS = {
    "modelmast": ["modelid", "type", "rotor_dia", "netarearot", "wonetarearot"],
    "txlmastS": ["velocityfpm", "rotdepth", "series", "type", "efficiency", "sefficiency",
                 "lefficiency", "pdroppa"],
    "txlmastW": ["velocityfpm", "rotdepth", "series", "type", "efficiency", "sefficiency",
                 "lefficiency", "pdroppa"],
    "eatrvalue": ["Pressure_Differential", "Pressure_Differentialin", "EATRwp", "OACFwp",
                  "Purge_Anglewp", "EATRwop", "OACFwop", "Purge_Anglewop"],
    "dimension": ["rotor_dia", "series", "type", "rotdepth", "dimH", "dimD", "drivemot",
                  "Weight"],
    "dewpoint": ["grsp", "dewf"],
}


def write_csv(folder, table, rows):
    path = os.path.join(folder, table + ".csv")
    with open(path, "w", newline="", encoding="ascii") as out:
        writer = csv.DictWriter(out, fieldnames=COLUMNS[table], lineterminator="\n")
        writer.writeheader()
        writer.writerows(rows)


def main(argv):
    folder = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    models, geometry = model_rows()
    summer, matrix = curve_rows("summer")
    winter, _ = curve_rows("winter")
    write_csv(folder, "modelmast", models)
    write_csv(folder, "txlmastS", summer)
    write_csv(folder, "txlmastW", winter)
    write_csv(folder, "eatrvalue", leakage_rows())
    write_csv(folder, "dimension", dimension_rows())
    write_csv(folder, "dewpoint", dewpoint_rows())
    for name, value in list(geometry.items()) + list(matrix.items()):
        print("%-24s %.3f" % (name, value))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
