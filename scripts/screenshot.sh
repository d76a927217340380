#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window on the demo installation, a continent loaded.
# Runs the program on a virtual display (xvfb-run) in a copy of dist/, so dist/ keeps its own
# preferences. Needs a build (scripts/build.sh) and the packages of scripts/setup.sh.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/make-dist.sh" >/dev/null
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cp -r "$ROOT/dist/." "$WORK/"
rm -f "$WORK/catpref.bin" "$WORK/error.log"
# English, the demo database, no update check; the view: Sylvanie, paths and labels shown.
printf '%s\r\n' '# screenshot' '[VERS]=1' '[LANG]=English' '[DBDB]=Demo' '[DATU]=4' \
    '[LOCA]=True' '[LOCR]=1' '[LOCX]=100' '[LOCY]=-10' '[LOCZ]=360' \
    '[MAPW]=1200' '[MAPH]=760' '[MAPT]=0' '[MAPL]=0' >"$WORK/pref.ini"
mkdir -p "$ROOT/docs"
xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
    "$1/vevkarvelo" & app=$!
    sleep 4
    id=$(xwininfo -root -tree | awk "/\"Vev Karvelo/ {print \$1; exit}")
    import -window "$id" "$2"
    kill "$app"' _ "$WORK" "$ROOT/docs/screenshot.png"
echo "Written: $ROOT/docs/screenshot.png"
