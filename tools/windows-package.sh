#!/usr/bin/env bash
# Builds the Windows installer (preset "mingw", CPack's NSIS generator) and tries it under Wine as
# a user would: a silent install into Program Files, the installed panel's --version and its demo
# in screenshot mode, the Start menu entry and the uninstall entry, then a silent uninstall that
# leaves nothing behind; then unpacks the portable zip and runs the panel from it.
# Usage: tools/windows-package.sh   (exit status 0 only when every step worked)
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup-deps.sh g++-mingw-w64-x86-64-posix wine wine64 nsis xvfb
cmake --preset mingw
cmake --build --preset mingw
rm -f build/mingw/vexilo-panel-*-win64.exe build/mingw/vexilo-panel-*-win64.zip
(cd build/mingw && cpack --config CPackConfig.cmake)
installer=$(ls "$PWD"/build/mingw/vexilo-panel-*-win64.exe)
portable=$(ls "$PWD"/build/mingw/vexilo-panel-*-win64.zip)
echo "-- $(basename "$installer") ($(stat -c %s "$installer") bytes)"
echo "-- $(basename "$portable") ($(stat -c %s "$portable") bytes)"

work=$(mktemp -d "${TMPDIR:-/tmp}/vexilo-nsis.XXXXXX")
xvfb=""
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
. tools/xvfb.sh
start_xvfb "$work"
wineboot -i >/dev/null 2>&1

fail() {
    echo "windows-package: $*" >&2
    exit 1
}
c_drive="$WINEPREFIX/drive_c"
target="$c_drive/Program Files/Vexilo Panel"

echo "-- install"
wine "$installer" /S
wineserver -w
[ -f "$target/vexilo-panel.exe" ] || fail "no vexilo-panel.exe in $target"
[ -f "$target/vexiloctl.exe" ] || fail "no vexiloctl.exe in $target"
[ -f "$target/Uninstall.exe" ] || fail "no uninstaller in $target"
find "$c_drive" -path '*Start Menu*' -name 'Vexilo Panel.lnk' | grep -q . ||
    fail "no Start menu entry"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VexiloPanel' \
    /v DisplayName 2>/dev/null | grep -q 'Vexilo Panel' || fail "no uninstall entry"

echo "-- the installed panel"
expected="vexilo-panel $(sed -n 's/^project(VexiloPanel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
version=$(wine "$target/vexilo-panel.exe" --version 2>/dev/null | tr -d '\r')
[ "$version" = "$expected" ] || fail "--version printed '$version', not '$expected'"
timeout 120 wine "$target/vexilo-panel.exe" --demo --screenshot 'Z:'"${work//\//\\}"'\shots' |
    tr -d '\r' | tee "$work/shots.log"
grep -q '^tab 3: ' "$work/shots.log" || fail "the demo did not show three tabs"

echo "-- uninstall"
wine "$target/Uninstall.exe" /S
# The uninstaller copies itself away and runs from there: wait for every Wine process to end.
wineserver -w
[ ! -e "$target/vexilo-panel.exe" ] || fail "vexilo-panel.exe is still installed"
[ ! -e "$target/vexiloctl.exe" ] || fail "vexiloctl.exe is still installed"
! find "$c_drive" -path '*Start Menu*' -name 'Vexilo Panel.lnk' | grep -q . ||
    fail "the Start menu entry is still there"
echo "-- the portable zip"
python3 -m zipfile -e "$portable" "$work/portable"
top="$work/portable/$(basename "$portable" .zip)"
for f in vexilo-panel.exe vexiloctl.exe README.md; do
    [ -f "$top/$f" ] || fail "no $f in $(basename "$portable")"
done
version=$(wine "$top/vexilo-panel.exe" --version 2>/dev/null | tr -d '\r')
[ "$version" = "$expected" ] || fail "the portable panel's --version printed '$version'"
echo "windows-package: installed, ran and removed $(basename "$installer"); $(basename "$portable") runs"
