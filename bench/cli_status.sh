#!/usr/bin/env bash
# vexiloctl on 16 simulated converters served by vexilo-sim on pseudo-terminals, each reply held
# back by a fixed delay: the wall time of `vexiloctl --all status` over the time of the slowest
# converter alone (`vexiloctl --port LABEL status`, each converter in turn). One thread per
# converter makes the two nearly equal; a sequential run would take 16 times as long.
# Goal: at most 1.3.
#
# Usage: bench/cli_status.sh         environment: DELAY_MS (default 20), RUNS (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
delay_ms="${DELAY_MS:-20}"
runs="${RUNS:-5}"
kinds=(rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc other)

cmake --preset dev >/dev/null
cmake --build --preset dev --target vexiloctl vexilo-sim >/dev/null
bin=build/dev

. bench/sim_ports.sh

# Wall time in ms of one run, which must succeed.
wall_ms() {
    local start end
    start=$(date +%s%N)
    "$bin/src/cli/vexiloctl" "$@" >"$work/out" 2>"$work/err" || {
        echo "vexiloctl $* failed:" >&2
        cat "$work/err" >&2
        exit 1
    }
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

labels=$("$bin/src/cli/vexiloctl" --json list | sed -n 's/.*"port": "\([^"]*\)".*/\1/p')
[ "$(echo "$labels" | wc -l)" -eq "${#kinds[@]}" ] || { echo "expected ${#kinds[@]} converters" >&2; exit 1; }

echo "converters: ${#kinds[@]} (${kinds[*]}), delay per reply: ${delay_ms} ms, runs: $runs"
slowest=0
slowest_label=""
for label in $labels; do
    t=$(for i in $(seq "$runs"); do wall_ms --port "$label" status; done | median)
    if [ "$t" -gt "$slowest" ]; then
        slowest=$t
        slowest_label=$label
    fi
done
all=$(for i in $(seq "$runs"); do wall_ms --all status; done | median)
[ "$(grep -c . "$work/out")" -eq $((${#kinds[@]} + 1)) ] || { echo "not every converter answered" >&2; exit 1; }

ratio=$(awk -v a="$all" -v s="$slowest" 'BEGIN { printf "%.3f", a / s }')
verdict=$(awk -v r="$ratio" 'BEGIN { print (r <= 1.3 ? "met" : "MISSED") }')
echo "slowest single converter: ${slowest} ms ($slowest_label), median of $runs"
echo "vexiloctl --all status: ${all} ms, median of $runs"
echo "ratio: ${ratio} (goal <= 1.3: ${verdict})"
