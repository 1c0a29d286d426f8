#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# Usage: tools/test.sh [preset]   (preset: dev (default) or asan)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
tools/setup-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
