# Sourced by the benchmark scripts: a work directory, removed at exit, and vexilo-sim serving in
# the background. Expects $bin (the build directory).

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

# stop_sim: ends the running vexilo-sim, so that another can start.
stop_sim() {
    exec 3<&-
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
    rm -f "$work/sim.fifo"
}

# start_sim ARGS...: runs vexilo-sim with ARGS and exports the VEXILO_PORTS line it prints first,
# once its terminals are ready.
start_sim() {
    mkfifo "$work/sim.fifo"
    "$bin/src/sim/vexilo-sim" "$@" >"$work/sim.fifo" 2>"$work/sim.err" &
    sim_pid=$!
    exec 3<"$work/sim.fifo"
    if ! read -r -t 10 ports <&3 || [ "${ports%%=*}" != VEXILO_PORTS ]; then
        echo "vexilo-sim did not start:" >&2
        cat "$work/sim.err" >&2
        exit 1
    fi
    export "$ports"
}

# start_serve: runs `$ctl serve --ember` on a free loopback port against the converters of
# VEXILO_PORTS and sets $port once it listens (VEXILO_TRACE passes through). stop_serve ends it.
serve_pid=""
start_serve() {
    rm -f "$work/serve.fifo"
    mkfifo "$work/serve.fifo"
    "$ctl" serve --ember 127.0.0.1:0 >"$work/serve.fifo" 2>"$work/serve.err" &
    serve_pid=$!
    exec 4<"$work/serve.fifo"
    read -r -t 30 line <&4 || { cat "$work/serve.err" >&2; exit 1; }
    port="${line##*:}"
}
stop_serve() {
    if [ -n "$serve_pid" ]; then
        kill "$serve_pid" 2>/dev/null || true
        wait "$serve_pid" 2>/dev/null || true
        serve_pid=""
    fi
}
trap 'stop_serve; cleanup' EXIT
