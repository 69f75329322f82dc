#!/bin/sh
# Installs what is missing, builds the library and basics-cli, and shows a
# few of its commands.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
scripts/build.sh build/default >/dev/null

cli=build/default/apps/basics-cli/basics-cli
run() {
    echo "\$ basics-cli $*"
    "$cli" "$@"
    echo
}
run --version
run --help
run id 3
