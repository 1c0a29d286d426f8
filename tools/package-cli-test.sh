#!/usr/bin/env bash
# Builds the package of vexiloctl alone (no Qt) and checks it without installing it: lintian,
# its dependencies and the program's libraries free of Qt, the program, its man page, the unit
# (systemd-analyze verify against the unpacked program) and the udev rules in place.
# Usage: tools/package-cli-test.sh
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
echo "-- vexiloctl package test passed"
