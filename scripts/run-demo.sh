#!/usr/bin/env bash
# Sets everything up, builds the demo installation in dist/ and starts the program on it.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh"
bash "$ROOT/scripts/make-dist.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display is available. To see the window on a virtual display, run:"
    echo "  xvfb-run -s '-screen 0 1280x800x24' $ROOT/dist/vevkarvelo"
    echo "and take a screenshot from inside it with: import -window root shot.png"
    exit 1
fi
exec "$ROOT/dist/vevkarvelo"
