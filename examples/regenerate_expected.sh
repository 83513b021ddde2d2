#!/bin/sh
# Rewrites the expected outputs in examples/expected/ with the tool of a build tree (default:
# build/), on its default catalogue. The command-line tests compare the tool's output with these
# files byte for byte; run this after a change that is meant to alter results, and review the
# diff before committing it.
#
#   examples/regenerate_expected.sh [BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
tool="$build/bin/novaflux"
cd "$root"
mkdir -p examples/expected

python3 examples/generate_year.py
"$tool" rate examples/si_design_day.json > examples/expected/si_design_day.json
"$tool" rate examples/ip_design_day.json > examples/expected/ip_design_day.json
"$tool" rate --jsonl examples/design_days.jsonl > examples/expected/design_days.jsonl
"$tool" batch examples/fixed_models.csv -o examples/expected/fixed_models.csv --model-run
"$tool" batch examples/year_8760.csv -o examples/expected/year_8760.csv
"$tool" annual examples/si_design_day.json --weather examples/weather/USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw \
  --schedule "mon-fri 06-20" --price-heat 0.06 --price-cool 0.04 --price-electricity 0.25 > examples/expected/annual_chicago.txt
echo "examples/expected/ rewritten with $tool"
