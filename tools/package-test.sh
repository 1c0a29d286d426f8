#!/usr/bin/env bash
# Builds the Debian package and tries it as a user would: lintian and appstreamcli on what was
# built, apt-get install of the .deb, the installed programs from /usr/bin (the panel's demo in
# screenshot mode, --help and --version), the installed udev rules, and a clean removal.
# Usage: tools/package-test.sh   (installs and removes the package system-wide: root or sudo)
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi

tools/setup-deps.sh help2man file lintian appstream desktop-file-utils udev umockdev
cmake --preset package
cmake --build --preset package
rm -f build/package/vexilo-panel_*.deb
cpack --preset package
deb=$(ls "$PWD"/build/package/vexilo-panel_*.deb)
echo "-- $(basename "$deb")"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb" | awk '{print $6}'

echo "-- lintian"
lintian --fail-on error "$deb"
echo "-- appstreamcli"
appstreamcli validate --no-net build/package/packaging/linux/org.vexilo.panel.metainfo.xml
desktop-file-validate packaging/linux/vexilo-panel.desktop

echo "-- install"
"${sudo[@]}" apt-get install -y -qq "$deb"
for program in vexilo-panel vexilo-sim vexiloctl; do
    [ -x "/usr/bin/$program" ] || { echo "the package has no /usr/bin/$program" >&2; exit 1; }
    "/usr/bin/$program" --help > /dev/null
    man_page=$(dpkg -L vexilo-panel | grep -x "/usr/share/man/man1/$program.1.gz") ||
        { echo "the package has no man page for $program" >&2; exit 1; }
    zcat "$man_page" | grep -q '^\.SH DESCRIPTION' || { echo "$man_page has no description" >&2; exit 1; }
done
[ -s /usr/share/bash-completion/completions/vexiloctl ] ||
    { echo "the package has no bash completion for vexiloctl" >&2; exit 1; }
/usr/bin/vexilo-panel --version
/usr/bin/vexilo-sim --version
shots=$(mktemp -d)
env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/vexilo-panel --demo --screenshot "$shots"
for k in 1 2 3; do
    [ -s "$shots/tab-$k.png" ] || { echo "the installed panel made no $shots/tab-$k.png" >&2; exit 1; }
done
rm -rf "$shots"
tools/check-udev-rules.sh "$(sed -n 's/^VEXILO_USB_VENDOR_ID:STRING=//p' build/package/CMakeCache.txt)"

echo "-- remove"
"${sudo[@]}" apt-get purge -y -qq vexilo-panel
left=$(dpkg -L vexilo-panel 2>/dev/null | grep -v '^/usr$\|^/usr/share$' || true)
[ -z "$left" ] || { echo "left after removal: $left" >&2; exit 1; }
for f in /usr/bin/vexilo-panel /usr/bin/vexilo-sim /usr/lib/udev/rules.d/60-vexilo.rules; do
    [ ! -e "$f" ] || { echo "$f is still there after removal" >&2; exit 1; }
done
echo "-- package test passed"
