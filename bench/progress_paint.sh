#!/usr/bin/env bash
# Start-up progress benchmark: when the progress window is first painted after the panel's launch,
# on three converters served by vexilo-sim whose replies each take DELAY_MS, so that start-up
# outlasts the 300 ms after which the window appears. The panel runs with --walk-tabs, which
# reports the first paint on standard error. Prints every run and the median.
#
# Usage: bench/progress_paint.sh      environment: DELAY_MS (default 50), RUNS (default 10),
#                                     QT_QPA_PLATFORM (default offscreen; or run under xvfb-run)
set -euo pipefail
cd "$(dirname "$0")/.."
delay_ms="${DELAY_MS:-50}"
runs="${RUNS:-10}"
cmake --preset dev >/dev/null
cmake --build --preset dev --target vexilo-panel vexilo-sim >/dev/null
bin=build/dev
if [ -z "${DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
fi

. bench/sim_server.sh
start_sim --delay "$delay_ms" rgb dvi ntsc

echo "converters: rgb dvi ntsc, delay per reply: ${delay_ms} ms, platform: ${QT_QPA_PLATFORM:-xcb}"
paints=()
for i in $(seq "$runs"); do
    "$bin/src/app/vexilo-panel" --walk-tabs >"$work/out" 2>"$work/err"
    ms=$(sed -n 's/.*progress window first painted \([0-9]*\) ms after launch.*/\1/p' "$work/err")
    if [ -z "$ms" ]; then
        echo "run $i: the progress window was not painted" >&2
        cat "$work/err" >&2
        exit 1
    fi
    paints+=("$ms")
    echo "run $i: first paint ${ms} ms after launch"
done
median=$(printf '%s\n' "${paints[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
echo "progress window first paint, median of $runs: ${median} ms after launch"
