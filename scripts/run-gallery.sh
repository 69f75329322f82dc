#!/bin/sh
# Builds and runs the gallery (apps/gallery): one page per GUI piece of the
# library.
#   scripts/run-gallery.sh                       # the window
#   scripts/run-gallery.sh --screenshots shots   # one PNG per page, then exit
# Without an X display it runs under xvfb-run on a 1280x1024 screen.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
if [ ! -f build/default/build.ninja ]; then
    cmake -S . -B build/default -G Ninja >/dev/null
fi
cmake --build build/default --target gallery -j 2
gallery="$root/build/default/apps/gallery/gallery"
if [ -n "${DISPLAY:-}" ]; then
    exec "$gallery" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$gallery" "$@"
