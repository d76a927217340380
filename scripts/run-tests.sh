#!/usr/bin/env bash
# Sets everything up and runs every test, then the tests again under the sanitizers and each
# reader's fuzz target for 20 seconds. Exits non-zero when a test fails or none ran, or a fuzz
# target finds a fault.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh"
cd "$ROOT/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j "$(nproc)" --timeout 300
bash "$ROOT/scripts/sanitize.sh"
bash "$ROOT/scripts/fuzz.sh" 20
