#!/usr/bin/env bash
# Start-up benchmark of the panel on 16 simulated converters served by vexilo-sim on
# pseudo-terminals, each reply held back by a fixed delay.
#
#   time:   vexilo-panel --walk-tabs (start-up, then every tab shown in turn with its connection
#           check, then the end), wall time over the sum of the simulated delays, that is the
#           start-up's transaction count (bench_startup_transactions: the same run in-process)
#           times the delay. Goal: at most 1.15.
#   memory: the panel's peak RSS with 16 tabs beside that of an empty Qt window (/usr/bin/time -v).
#   first tab: launch to the first tab shown, 16 converters against 1, at FIRST_TAB_DELAY_MS per
#           reply (the converters are read at once, so 16 should cost about what 1 does).
#           Goal: at most 1.3.
#
# Usage: bench/startup.sh            environment: DELAY_MS (default 20), RUNS (default 3),
#                                    FIRST_TAB_DELAY_MS (default 100)
set -euo pipefail
cd "$(dirname "$0")/.."
delay_ms="${DELAY_MS:-20}"
first_tab_delay_ms="${FIRST_TAB_DELAY_MS:-100}"
runs="${RUNS:-3}"
kinds=(rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc rgb dvi ntsc other)

cmake --preset dev >/dev/null
cmake --build --preset dev --target vexilo-panel vexilo-sim bench_startup_transactions \
    bench_empty_window >/dev/null
bin=build/dev
export QT_QPA_PLATFORM=offscreen

. bench/sim_server.sh
start_sim --delay "$delay_ms" "${kinds[@]}"

transactions="$("$bin/bench/bench_startup_transactions" "${kinds[@]}" | sed -n 's/^transactions //p')"
[ -n "$transactions" ] || { echo "could not count the transactions" >&2; exit 1; }
delays_ms=$((transactions * delay_ms))

# Max RSS in kB and wall time in ms of one run; the run must show all 16 tabs and no message.
measure() {
    local out="$1"
    shift
    local start end
    start=$(date +%s%N)
    timeout 300 /usr/bin/time -v -o "$out.time" "$@" >"$out.stdout" 2>"$out.stderr"
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000000 )) $(sed -n 's/.*Maximum resident set size (kbytes): //p' "$out.time")"
}

echo "converters: ${#kinds[@]} (${kinds[*]}), delay per reply: ${delay_ms} ms"
echo "transactions at start-up and tab walk: $transactions (sum of delays: ${delays_ms} ms)"
walls=()
rss_panel=0
for i in $(seq "$runs"); do
    read -r wall rss < <(measure "$work/panel$i" "$bin/src/app/vexilo-panel" --walk-tabs)
    tabs=$(grep -c '^tab ' "$work/panel$i.stdout" || true)
    if [ "$tabs" -ne "${#kinds[@]}" ] || grep -q '^box ' "$work/panel$i.stdout"; then
        echo "run $i: expected ${#kinds[@]} tabs and no message box, got:" >&2
        cat "$work/panel$i.stdout" "$work/panel$i.stderr" >&2
        exit 1
    fi
    walls+=("$wall")
    rss_panel=$rss
    printf 'run %d: wall %d ms, ratio %s, max RSS %d kB\n' "$i" "$wall" \
        "$(awk -v w="$wall" -v d="$delays_ms" 'BEGIN { printf "%.3f", w / d }')" "$rss"
done
median=$(printf '%s\n' "${walls[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
read -r _ rss_empty < <(measure "$work/empty" "$bin/bench/bench_empty_window")

ratio=$(awk -v w="$median" -v d="$delays_ms" 'BEGIN { printf "%.3f", w / d }')
verdict=$(awk -v r="$ratio" 'BEGIN { print (r <= 1.15 ? "met" : "MISSED") }')
echo "median wall time: ${median} ms, ratio to the sum of delays: ${ratio} (goal <= 1.15: ${verdict})"
echo "peak RSS: panel with ${#kinds[@]} tabs ${rss_panel} kB, empty Qt window ${rss_empty} kB," \
    "difference $((rss_panel - rss_empty)) kB"

# Median milliseconds from launch to the first tab over $runs runs on the converters served now.
first_tab_ms() {
    local times=() i ms
    for i in $(seq "$runs"); do
        timeout 300 "$bin/src/app/vexilo-panel" --walk-tabs >"$work/first.stdout" 2>"$work/first.stderr"
        ms=$(sed -n 's/^vexilo-panel: first tab shown \([0-9]*\) ms after launch$/\1/p' \
            "$work/first.stderr")
        [ -n "$ms" ] || { echo "no first tab:" >&2; cat "$work/first.stderr" >&2; exit 1; }
        times+=("$ms")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}
stop_sim
start_sim --delay "$first_tab_delay_ms" "${kinds[@]}"
first_many=$(first_tab_ms)
stop_sim
start_sim --delay "$first_tab_delay_ms" "${kinds[0]}"
first_one=$(first_tab_ms)
first_ratio=$(awk -v m="$first_many" -v o="$first_one" 'BEGIN { printf "%.2f", m / o }')
echo "launch to first tab at ${first_tab_delay_ms} ms per reply: ${#kinds[@]} converters" \
    "${first_many} ms, 1 converter ${first_one} ms, ratio ${first_ratio}" \
    "(goal <= 1.3: $(awk -v r="$first_ratio" 'BEGIN { print (r <= 1.3 ? "met" : "MISSED") }'))"
