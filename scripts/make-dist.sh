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
# The demo database and, in demo-game/, the demo game that the map generator reads; an existing
# additions file, existing zone images and an existing demo game are kept.
"$ROOT/build/tools/make_demo" "$ROOT/demo/Demo/database.json" "$DIST"
echo "Installation ready in $DIST"
echo "Demo game for the map generator: $DIST/demo-game (choose its VeV.exe in the generator)"
