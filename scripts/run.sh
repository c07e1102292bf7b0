#!/usr/bin/env bash
# Builds the program and starts it on a data directory.
#
#   scripts/run.sh [DATADIR]      (default: ./demo-data)
#
# The default directory is first filled with a demo year, so a first run has
# something to show. A DATADIR of your own that is missing or empty begins
# with a fresh empty year. A directory that already holds data is used as it
# is; the program reads and writes "tosidata.dat" and "info.dat" there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A directory given on the command line is taken relative to where the
# script was called from; the default lives in the source tree.
demodir="$root/demo-data"
if [ $# -ge 1 ]; then
  case "$1" in
    /*) datadir="$1" ;;
    *) datadir="$PWD/$1" ;;
  esac
else
  datadir="$demodir"
fi
# Only the demo directory gets made-up figures; any other begins empty.
seed=(--empty)
if [ "$(realpath -m "$datadir")" = "$(realpath -m "$demodir")" ]; then seed=(); fi

cd "$root"
if [ -x scripts/setup-deps.sh ]; then scripts/setup-deps.sh; fi
build="$root/build-run"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAMREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target tamrel tamrel_demo_data

if [ ! -e "$datadir/tosidata.dat" ]; then
  if [ -d "$datadir" ] && [ -n "$(ls -A "$datadir")" ]; then
    echo "run.sh: $datadir holds other files but no tosidata.dat; writing no data files" >&2
  else
    "$build/tools/tamrel_demo_data" "${seed[@]}" "$datadir"
  fi
fi

# The program works on the files of its working directory.
cd "$datadir"
exec "$build/tamrel"
