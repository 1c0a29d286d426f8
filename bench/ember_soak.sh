#!/usr/bin/env bash
# vexiloctl serve --ember with sixteen simulated converters and one consumer that watches every
# node, for DURATION seconds (default 600). vexilo-sim takes the input signal away and gives it
# back every TOGGLE seconds (default 4), so status changes are pushed. Prints the service's CPU
# (user + system time over wall time), its resident memory at the end and at its peak, and the
# messages the consumer received.
#
# Usage: bench/ember_soak.sh        environment: DURATION (600), TOGGLE (4), DELAY_MS (0)
set -euo pipefail
cd "$(dirname "$0")/.."
duration="${DURATION:-600}"
toggle="${TOGGLE:-4}"
delay_ms="${DELAY_MS:-0}"

cmake --preset dev >/dev/null
cmake --build --preset dev --target vexiloctl vexilo-sim bench_ember_consumer >/dev/null
bin=build/dev
ctl=$bin/src/cli/vexiloctl

. bench/sim_server.sh
start_sim --delay "$delay_ms" --count 16 --kind rgb
start_serve
online=$(grep -c ": online" "$work/serve.err" || true)

ticks() { awk '{ print $14 + $15 }' "/proc/$serve_pid/stat"; }
rss_kb() { awk -v k="$1" '$1 == k ":" { print $2 }' "/proc/$serve_pid/status"; }
hz=$(getconf CLK_TCK)

"$bin/bench/bench_ember_consumer" watch "$port" 16 "$duration" >"$work/watch" &
watch_pid=$!
t0=$(date +%s.%N)
c0=$(ticks)
end=$(( $(date +%s) + duration ))
while [ "$(date +%s)" -lt "$end" ]; do
    sleep "$toggle"
    kill -USR2 "$sim_pid"
done
wait "$watch_pid"
c1=$(ticks)
t1=$(date +%s.%N)
rss=$(rss_kb VmRSS)
hwm=$(rss_kb VmHWM)
echo "converters online: $online of 16, duration ${duration} s, input toggled every ${toggle} s"
awk -v c="$((c1 - c0))" -v hz="$hz" -v a="$t0" -v b="$t1" \
    'BEGIN { printf "service CPU: %.2f s over %.0f s = %.3f%% of one core\n", c / hz, b - a, 100 * c / hz / (b - a) }'
echo "service RSS: ${rss} kB at the end, ${hwm} kB at the peak"
echo "consumer: $(cat "$work/watch")"
