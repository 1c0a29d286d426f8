#!/usr/bin/env bash
# Checks the metrics units: systemd accepts them and rates the service's exposure low, the service
# runs unprivileged and hardened, and its publish script, run on vexilo-sim, replaces the target
# without following links, leaves nothing behind and keeps the last file when vexiloctl fails.
# Usage: contrib/systemd/ci-check.sh [BUILD_DIR]   (default build/dev)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/dev}"
ctl="$(realpath "$build/src/cli/vexiloctl")"
sim="$build/src/sim/vexilo-sim"
unit=contrib/systemd/vexilo-metrics.service
publish="$PWD/contrib/systemd/vexilo-metrics-publish"
work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -z "$sim_pid" ] || { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "vexilo-metrics: $*" >&2
    exit 1
}

for line in 'User=vexilo-metrics' 'SupplementaryGroups=dialout' 'NoNewPrivileges=yes' \
    'ProtectSystem=strict' 'ReadWritePaths=/var/lib/prometheus/node-exporter' 'PrivateTmp=yes' \
    'TimeoutStartSec=25s' 'CapabilityBoundingSet=' 'ExecStart=/usr/local/libexec/vexilo-metrics-publish'; do
    grep -qxF "$line" "$unit" || fail "$unit lacks $line"
done
! grep -qE '^(User=root|DynamicUser=no|PrivateDevices=yes)' "$unit" || fail "$unit runs as root or hides the ports"

if command -v systemd-analyze >/dev/null; then
    # Verified where the publish script is, so that systemd finds the command.
    sed "s#^ExecStart=.*#ExecStart=$publish#" "$unit" >"$work/vexilo-metrics.service"
    cp contrib/systemd/vexilo-metrics.timer "$work/"
    out=$(systemd-analyze verify "$work/vexilo-metrics.service" "$work/vexilo-metrics.timer" 2>&1) || fail "$out"
    [ -z "$out" ] || fail "systemd-analyze verify: $out"
    if systemd-analyze security --help 2>/dev/null | grep -q -- --offline; then
        systemd-analyze security --offline=yes --threshold=10 "$work/vexilo-metrics.service" >/dev/null ||
            fail "exposure above 1.0: $(systemd-analyze security --offline=yes "$work/vexilo-metrics.service" | tail -n 1)"
    fi
fi

coproc SIM { exec "$sim" rgb dvi 2>/dev/null; }
# shellcheck disable=SC2153 # coproc sets SIM_PID
sim_pid=$SIM_PID
IFS= read -r -t 10 line <&"${SIM[0]}" || fail "vexilo-sim printed no port line"
export "${line?}"

dir="$work/textfile"
mkdir "$dir"
echo keep >"$work/victim"
ln -s "$work/victim" "$dir/vexilo.prom"
ln -s "$work/victim" "$dir/vexilo.prom.partial"
export VEXILO_METRICS="$dir/vexilo.prom"
VEXILOCTL="$ctl" "$publish" || fail "the publish script failed on vexilo-sim"
[ "$(cat "$work/victim")" = keep ] || fail "a link was written through"
if [ -L "$dir/vexilo.prom" ] || [ ! -f "$dir/vexilo.prom" ]; then fail "the target is not a new file"; fi
[ "$(tail -n 1 "$dir/vexilo.prom")" = "# EOF" ] || fail "the published document is incomplete"
grep -q '^vexilo_converter_up{.*} 1$' "$dir/vexilo.prom" || fail "no converter in the document"
[ "$(stat -c %a "$dir/vexilo.prom")" = 644 ] || fail "the collector cannot read the file"

# A vexiloctl that fails, or stops half-way, leaves the last document in place.
cp "$dir/vexilo.prom" "$work/published"
printf '#!/bin/sh\necho "# TYPE vexilo_converter_up gauge"\n' >"$work/cut-short"
chmod +x "$work/cut-short"
for stand_in in /bin/false "$work/cut-short"; do
    ! VEXILOCTL="$stand_in" "$publish" 2>/dev/null || fail "$stand_in: reported success"
    cmp -s "$dir/vexilo.prom" "$work/published" || fail "$stand_in: the last document was replaced"
done
leftover=$(find "$dir" -name '.vexilo.prom.*')
[ -z "$leftover" ] || fail "temporary files left: $leftover"
echo "vexilo-metrics: unit hardened, publishing safe"
