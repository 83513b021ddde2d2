#!/bin/sh
# Makes sqlite3.c and sqlite3.h (the SQLite amalgamation) in DIR from Debian's source package of
# the system's SQLite, for the Windows build to compile into novaflux.dll. Debian ships no
# amalgamation; `apt-get source` needs a deb-src entry, which is added beside the system's deb
# entries when there is none. Needs dpkg-dev and tcl.
set -eu
dir=$1
[ -s "$dir/sqlite3.c" ] && [ -s "$dir/sqlite3.h" ] && exit 0
mkdir -p "$dir"
cd "$dir"
if ! apt-get source --print-uris sqlite3 >/dev/null 2>&1; then
  src=/etc/apt/sources.list.d/novaflux-deb-src.sources
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src"
  else
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/novaflux-deb-src.list
  fi
  apt-get update -qq
fi
rm -rf source && mkdir source && cd source
apt-get source -qq sqlite3 >/dev/null 2>&1 || apt-get source sqlite3
tree=$(find . -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
[ -n "$tree" ] || { echo "sqlite_amalgamation: no source tree from apt-get source sqlite3" >&2; exit 1; }
mkdir -p build && cd build
"../$tree/configure" --disable-shared >/dev/null
make -s sqlite3.c >/dev/null
cp sqlite3.c sqlite3.h ../..
cd ../.. && rm -rf source
