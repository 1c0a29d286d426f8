#!/usr/bin/env bash
# Builds the package of vexiloctl alone (no Qt) and checks it: lintian, its dependencies and the
# program's libraries free of Qt, the program, its man page, the unit (systemd-analyze verify
# against the unpacked program) and the udev rules in place; with --install (CI does so) it is
# also installed with apt, run from /usr/bin and purged.
# Usage: tools/package-cli-test.sh [--install]   (--install: root or sudo)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh help2man lintian
cmake --preset package-cli
cmake --build --preset package-cli
rm -f build/package-cli/vexiloctl_*.deb
cpack --preset package-cli
deb=$(ls "$PWD"/build/package-cli/vexiloctl_*.deb)
echo "-- $(basename "$deb")"
dpkg-deb --info "$deb" | sed -n '/Package:/,/Description:/p'
lintian --fail-on error "$deb"

depends=$(dpkg-deb -f "$deb" Depends)
if grep -qi qt <<<"$depends"; then
    echo "the package depends on Qt: $depends" >&2
    exit 1
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for f in usr/bin/vexiloctl usr/share/man/man1/vexiloctl.1.gz lib/systemd/system/vexilo-ember.service \
         usr/lib/udev/rules.d/60-vexilo.rules usr/share/bash-completion/completions/vexiloctl; do
    [ -s "$root/$f" ] || { echo "the package has no /$f" >&2; exit 1; }
done
if ldd "$root/usr/bin/vexiloctl" | grep -qi qt; then
    echo "vexiloctl links Qt" >&2
    exit 1
fi
"$root/usr/bin/vexiloctl" serve --help | grep -q -- --ember
zcat "$root/usr/share/man/man1/vexiloctl.1.gz" | grep -q serve
if command -v systemd-analyze >/dev/null; then
    sed "s|/usr/bin/vexiloctl|$root/usr/bin/vexiloctl|" "$root/lib/systemd/system/vexilo-ember.service" \
        >"$root/vexilo-ember.service"
    systemd-analyze verify "$root/vexilo-ember.service"
fi
if [ "${1:-}" = "--install" ]; then
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "-- install"
    # What apt would bring in besides the package itself must hold no Qt.
    if DEBIAN_FRONTEND=noninteractive apt-get install -s "$deb" | grep '^Inst ' | grep -qi qt; then
        echo "installing the package would bring in Qt" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$deb"
    /usr/bin/vexiloctl --version
    [ -f /usr/lib/udev/rules.d/60-vexilo.rules ] || { echo "no udev rules installed" >&2; exit 1; }
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get purge -y -qq vexiloctl
    [ ! -e /usr/bin/vexiloctl ] || { echo "/usr/bin/vexiloctl left after purge" >&2; exit 1; }
fi
echo "-- vexiloctl package test passed"
