#!/usr/bin/env bash
# Runs the fleet playbook against vexilo-sim on this machine (--connection=local): the first run
# must report changed, the second ok with nothing changed. Check mode before them must change
# nothing. Usage: contrib/ansible/ci-check.sh [BUILD_DIR]   (default build/dev)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/dev}"
sim="$build/src/sim/vexilo-sim"
ctl="$(realpath "$build/src/cli/vexiloctl")"

# Two RGB converters, the kind of the example file, and a DVI converter the playbook must leave
# alone; the port line arrives within the deadline.
coproc SIM { exec "$sim" rgb rgb dvi 2>/dev/null; }
sim_pid=$SIM_PID
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
IFS= read -r -t 10 line <&"${SIM[0]}" || { echo "vexilo-sim printed no port line" >&2; exit 1; }
export "${line?}"
echo "$line"
# The RGB converters' device paths, as a JSON list for vexilo_ports.
rgb_ports=$(tr ',' '\n' <<<"${VEXILO_PORTS}" | sed -n 's/^rgb=\(.*\)$/"\1"/p' | paste -sd, -)

play() {
    ANSIBLE_CONFIG=contrib/ansible/ansible.cfg ansible-playbook --connection=local \
        -i localhost, contrib/ansible/apply-settings.yml \
        -e "vexiloctl=$ctl" -e "vexilo_settings_file=$PWD/contrib/ansible/example-settings.json" \
        "$@" | tee -a /dev/stderr | grep -E '^localhost +:'
}
expect() {
    local what="$1" recap="$2" pattern="$3"
    if ! grep -Eq "$pattern" <<<"$recap"; then
        echo "Ansible $what: expected $pattern in the recap, got: $recap" >&2
        exit 1
    fi
}

# With every converter selected, the DVI converter refuses the RGB file: the host fails.
recap=$(play --check || true)
expect "every converter" "$recap" 'failed=1'
recap=$(play --check -e "{\"vexilo_ports\": [$rgb_ports]}")
expect "check mode" "$recap" 'changed=1 .*failed=0'
"$ctl" --kind rgb apply contrib/ansible/example-settings.json --check >/dev/null && {
    echo "check mode changed the converters" >&2
    exit 1
}
recap=$(play -e vexilo_kind=rgb)
expect "first run" "$recap" 'changed=1 .*failed=0'
recap=$(play -e vexilo_kind=rgb)
expect "second run" "$recap" 'ok=1 +changed=0 .*failed=0'
echo "Ansible fleet example: changed, then ok"
