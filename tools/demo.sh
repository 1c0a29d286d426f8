#!/usr/bin/env bash
# Runs the panel on three simulated converters. Without a display it writes screenshots instead.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target vexilo-panel
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    out="${1:-screenshots}"
    mkdir -p "$out"
    QT_QPA_PLATFORM=offscreen build/dev/src/app/vexilo-panel --demo --screenshot "$out"
    echo "No display: screenshots of every tab written to $out/"
else
    exec build/dev/src/app/vexilo-panel --demo
fi
