-- The product catalogue NOVAFLUX.db: six tables, one CSV file of the same name each.
--
-- Columns are typed only by affinity: no key, NOT NULL or CHECK constraint stops a row from
-- loading. The component copes with odd data (a Null never matches a lookup, text in a
-- numeric column reads as its leading number), and `novaflux catalogue check` reports it.

-- One row per wheel model, rows of one type in ascending order of area.
CREATE TABLE modelmast (
  modelid      INTEGER,  -- model identifier (the value of the model enumeration)
  type         TEXT,     -- model type code, "E"
  rotor_dia    INTEGER,  -- rotor diameter, mm
  netarearot   REAL,     -- net face area of one air side, wheel with purge sector, ft2
  wonetarearot REAL      -- the same without purge sector, ft2
);

-- Summer performance curve: one row per test velocity, ascending per depth, series and type.
CREATE TABLE txlmastS (
  velocityfpm REAL,      -- face velocity, fpm
  rotdepth    INTEGER,   -- rotor depth, mm
  series      TEXT,      -- performance series code, "F2"
  type        TEXT,      -- performance type code, "N"
  efficiency  REAL,      -- total (enthalpy) efficiency, %
  sefficiency REAL,      -- sensible efficiency, %
  lefficiency REAL,      -- latent efficiency, %
  pdroppa     REAL       -- air-side pressure drop, Pa
);

-- Winter performance curve, the same columns.
CREATE TABLE txlmastW (
  velocityfpm REAL,
  rotdepth    INTEGER,
  series      TEXT,
  type        TEXT,
  efficiency  REAL,
  sefficiency REAL,
  lefficiency REAL,
  pdroppa     REAL
);

-- Leakage by pressure difference between the air streams, ascending. A row carries an SI
-- step, an IP step or both.
CREATE TABLE eatrvalue (
  Pressure_Differential   REAL,     -- Pa
  Pressure_Differentialin REAL,     -- in. w.g.
  EATRwp                  REAL,     -- exhaust air transfer ratio, %, wheel with purge sector
  OACFwp                  REAL,     -- outdoor air correction factor, with purge sector
  Purge_Anglewp           INTEGER,  -- purge sector angle, degrees, with purge sector
  EATRwop                 REAL,     -- the same three without purge sector
  OACFwop                 REAL,
  Purge_Anglewop          INTEGER
);

-- Cassette data by rotor.
CREATE TABLE dimension (
  rotor_dia INTEGER,  -- rotor diameter, mm
  series    TEXT,     -- series code, as in the performance tables
  type      TEXT,     -- model type code, as in modelmast
  rotdepth  INTEGER,  -- rotor depth, mm
  dimH      REAL,     -- cassette height (= width), mm
  dimD      REAL,     -- cassette depth, mm
  drivemot  REAL,     -- drive motor rating, kW
  Weight    REAL      -- cassette weight, kg
);

-- Saturation moisture content by dew point at standard sea-level pressure.
CREATE TABLE dewpoint (
  grsp REAL,  -- grains of water per lb of dry air
  dewf REAL   -- dew point, degF
);
