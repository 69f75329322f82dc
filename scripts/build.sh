#!/bin/sh
# Configures (once) and builds one build tree: scripts/build.sh DIR [CMAKE ARGS...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
fi
cmake --build "$dir"
