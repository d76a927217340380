#!/usr/bin/env bash
# Lays out a runnable installation in dist/: the program beside data/, res/, database/, maps/, ajouts/.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DIST="$ROOT/dist"
mkdir -p "$DIST"
cp "$ROOT/build/vevkarvelo" "$DIST/"
for d in data res; do
    if [ -d "$ROOT/$d" ]; then
        rm -rf "${DIST:?}/$d"
        cp -r "$ROOT/$d" "$DIST/$d"
    fi
done
cp "$ROOT/readme.txt" "$DIST/"
mkdir -p "$DIST/database" "$DIST/maps/high" "$DIST/ajouts"
# The demo database; an existing additions file and existing zone images are kept.
"$ROOT/build/tools/make_demo" "$ROOT/demo/Demo/database.json" "$DIST"
echo "Installation ready in $DIST"
