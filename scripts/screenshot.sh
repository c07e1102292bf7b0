#!/usr/bin/env bash
# Takes a picture of the main window on a data directory, after playing
# optional user actions (see tools/screenshot.cpp), on a virtual screen.
#
#   scripts/screenshot.sh DATADIR OUT.png [click:Command3D1 select:MM=2 type:TosiTan=1000 wait:200 ...]
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: scripts/screenshot.sh DATADIR OUT.png [action...]" >&2
  exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
datadir="$(cd "$1" && pwd)"
out="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
shift 2

build="$root/build-run"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAMREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target tamrel_screenshot >/dev/null

exec xvfb-run -a -s "-screen 0 1280x900x24" "$build/tools/tamrel_screenshot" "$datadir" "$out" "$@"
