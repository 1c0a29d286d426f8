#!/usr/bin/env bash
# vexiloctl backup and apply on 16 simulated converters, each reply held back by a fixed delay:
# wall time of `--all` over the slowest single converter's time (one thread per converter makes
# it about 1; one after the other would make it about 16). Goal: at most 1.3.
# apply is timed with something to send: before each timed apply, the converters are put back to
# factory settings and factory adjustments (untimed), and the file holds other values.
#
# Usage: bench/cli_settings.sh        environment: DELAY_MS (default 20), RUNS (default 3)
# (bench/cli_status.sh measures `status` the same way.)
set -euo pipefail
cd "$(dirname "$0")/.."
delay_ms="${DELAY_MS:-20}"
runs="${RUNS:-3}"
kinds=(rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc other)

cmake --preset dev >/dev/null
cmake --build --preset dev --target vexiloctl vexilo-sim >/dev/null
bin=build/dev
ctl=$bin/src/cli/vexiloctl

. bench/sim_server.sh
start_sim --delay "$delay_ms" "${kinds[@]}"
labels=()
IFS=, read -r -a entries <<<"${ports#VEXILO_PORTS=}"
for e in "${entries[@]}"; do labels+=("${e#*=/dev/}"); done

now() { date +%s.%N; }
seconds() { # COMMAND... : wall seconds of one run; vexiloctl exits 0 or 5 here (6 for one
    # converter: the file's other entries go unused)
    local t0 rc=0
    t0=$(now)
    "$@" >/dev/null || rc=$?
    [ "$rc" -eq 0 ] || [ "$rc" -eq 5 ] || [ "$rc" -eq 6 ] || { echo "failed ($rc): $*" >&2; exit 1; }
    awk -v a="$(now)" -v b="$t0" 'BEGIN { printf "%.6f\n", a - b }'
}
to_factory() { # SELECTION...
    "$ctl" "$@" factory >/dev/null
    "$ctl" "$@" --kind rgb factory --adjustments >/dev/null 2>&1 || true
    "$ctl" "$@" --kind ntsc factory --adjustments >/dev/null 2>&1 || true
}

# The file: every converter away from its factory values.
"$ctl" --all --kind rgb set output_format=59.94i hpos=7 gain_g=-3 >/dev/null
"$ctl" --all --kind ntsc set output_format=59.94i hue=5 >/dev/null
"$ctl" --all --kind dvi set scaler=sync cable_detect=off >/dev/null
"$ctl" --all backup "$work/settings.json" >/dev/null

best() { sort -g | head -n1; }
measure() { # backup|apply SELECTION...
    local what="$1"
    shift
    for _ in $(seq "$runs"); do
        if [ "$what" = apply ]; then
            to_factory "$@"
            seconds "$ctl" "$@" apply "$work/settings.json"
        else
            seconds "$ctl" "$@" backup "$work/out.json"
        fi
    done | best
}

for what in backup apply; do
    all=$(measure "$what" --all)
    slowest=0
    for label in "${labels[@]}"; do
        one=$(measure "$what" --port "$label")
        slowest=$(awk -v a="$one" -v b="$slowest" 'BEGIN { print (a > b ? a : b) }')
    done
    printf '%-6s --all on %d converters: %.3f s; slowest single converter: %.3f s; ratio %.2f (goal <= 1.3)\n' \
        "$what" "${#labels[@]}" "$all" "$slowest" "$(awk -v a="$all" -v b="$slowest" 'BEGIN { print a / b }')"
done
