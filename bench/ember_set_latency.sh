#!/usr/bin/env bash
# Set-to-wire latency of vexiloctl serve --ember: from a consumer's parameter set (sent) to the
# converter's write request (0x08) leaving for the converter, from the frame trace, which uses the
# same monotonic clock. A set of output_format first reads the output settings (0x07), so the
# converter's own reply time is in it; "overhead" is the latency less that reply time and less the
# wait for a status read that was already on the line (one request at a time per converter). Median and
# 99th percentile over COUNT sets, on vexilo-sim with each reply delayed by 0 and by 20 ms.
# Goal: overhead under 2 ms.
#
# Usage: bench/ember_set_latency.sh        environment: COUNT (default 200), DELAYS ("0 20")
set -euo pipefail
cd "$(dirname "$0")/.."
count="${COUNT:-200}"
delays="${DELAYS:-0 20}"

cmake --preset dev >/dev/null
cmake --build --preset dev --target vexiloctl vexilo-sim bench_ember_consumer >/dev/null
bin=build/dev
ctl=$bin/src/cli/vexiloctl

. bench/sim_server.sh

for delay in $delays; do
    start_sim --delay "$delay" rgb
    rm -f "$work/trace"
    VEXILO_TRACE="$work/trace" start_serve
    # vexilo (1) / the converter (1) / settings (3) / output_format (1)
    "$bin/bench/bench_ember_consumer" set "$port" 1.1.3.1 "$count" >"$work/sent"
    stop_serve
    stop_sim
    python3 - "$work/sent" "$work/trace" "$delay" <<'PY'
import re, statistics, sys
sent = [int(l) for l in open(sys.argv[1])]
frames = []  # (microseconds, direction, command byte)
for line in open(sys.argv[2]):
    m = re.match(r"\[\s*(\d+)\.(\d{6})\] \S+ ([<>]) 02 ([0-9a-f]{2})", line)
    if m:
        frames.append((int(m.group(1)) * 1000000 + int(m.group(2)), m.group(3), m.group(4)))
latency, overhead = [], []
collided = 0
for t in sent:
    after = [f for f in frames if f[0] >= t]
    write = next(f for f in after if f[1] == ">" and f[2] == "08")
    ask = next(f for f in after if f[1] == ">" and f[2] == "07")
    reply = next(f for f in after if f[1] == "<" and f[0] >= ask[0])
    # A status read already on the line when the set came: the set waits for its reply.
    busy = after[0][0] - t if after[0][1] == "<" and after[0] is not reply else 0
    collided += busy > 0
    latency.append((write[0] - t) / 1000)
    overhead.append((write[0] - t - (reply[0] - ask[0]) - busy) / 1000)
def p99(v):
    return sorted(v)[max(0, int(round(0.99 * len(v))) - 1)]
print(f"delay {sys.argv[3]} ms, {len(sent)} sets: set-to-wire median {statistics.median(latency):.3f} ms,"
      f" p99 {p99(latency):.3f} ms; overhead (less the 0x07 reply time) median"
      f" {statistics.median(overhead):.3f} ms, p99 {p99(overhead):.3f} ms"
      f" (goal < 2 ms: {'met' if p99(overhead) < 2 else 'MISSED'}); {collided} sets came while a"
      f" status read was on the line and waited for its reply (not counted in the overhead)")
PY
done
