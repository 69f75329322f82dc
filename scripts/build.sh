#!/bin/sh
# Configures and builds one build tree: scripts/build.sh DIR [CMAKE ARGS...]
# The tree is configured when it is new and again whenever the CMake
# arguments differ from those of its last configuration, so that a changed
# option is never silently ignored by an existing tree.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
stamp="$dir/.basics-configure-args"
wanted=$(printf '%s\n' "$@")
if [ ! -f "$dir/build.ninja" ] || [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$wanted" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
    printf '%s\n' "$wanted" > "$stamp"
fi
cmake --build "$dir"
