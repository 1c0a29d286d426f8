# Sourced by the benchmark scripts: a scratch directory $work and vexilo-sim serving the converters
# "${kinds[@]}" with replies held back by $delay_ms, VEXILO_PORTS exported; both go at exit.
# Needs $bin (the build directory), $delay_ms and kinds.

work="$(mktemp -d)"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# vexilo-sim prints the VEXILO_PORTS line first, once its terminals are ready.
mkfifo "$work/sim.fifo"
"$bin/src/sim/vexilo-sim" --delay "$delay_ms" "${kinds[@]}" >"$work/sim.fifo" 2>"$work/sim.err" &
sim_pid=$!
exec 3<"$work/sim.fifo"
if ! read -r -t 10 ports <&3 || [ "${ports%%=*}" != VEXILO_PORTS ]; then
    echo "vexilo-sim did not start:" >&2
    cat "$work/sim.err" >&2
    exit 1
fi
export "$ports"
