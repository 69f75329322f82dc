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
run hash "lens.dat"
run version-compare 1.10 1.9

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/lens.json" <<'JSON'
{"name": "Doublet", "surfaces": 4, "radius": 51.8, "glass": ["N-BK7", "SF5"],
 "coated": true, "made": {"@type": "date", "value": "2026-12-07"},
 "serial": {"@type": "ulonglong", "value": "18446744073709551615"}}
JSON
run json-to-xml "$work/lens.json" "$work/lens.xml"
echo "\$ cat lens.xml"
cat "$work/lens.xml"
echo
run xml-to-json "$work/lens.xml"
