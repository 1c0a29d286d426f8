#!/usr/bin/env bash
# Cross-compiles the panel for Windows (MinGW-w64, preset "mingw": every layer, the native dialog
# kit and vexilo-panel.exe) and runs every test program it built under Wine, each on its own, on
# an Xvfb display. In a throwaway Wine prefix, COM7 and COM12 lead to tools/serial_peer.py (a frame
# echo) and COM8 to the converter simulator vexilo-sim, each through a pseudo-terminal. Then
# vexilo-panel.exe runs its screenshot mode on the demo converters, on the simulator on COM8 and on
# two slow simulated converters (COM13, COM14), where its start-up progress window must appear.
# Usage: tools/wine-tests.sh            (exit status 0 only when every test passed)
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

# 64-bit Wine only: the test programs are 64-bit, so wine32 (i386 multiarch) is not needed.
tools/setup-deps.sh g++-mingw-w64-x86-64-posix wine wine64 python3 xvfb

cmake --preset mingw
cmake --build --preset mingw
# The simulator runs natively, on this side of the pseudo-terminal.
cmake --preset release >/dev/null
cmake --build --preset release --target vexilo-sim

work=$(mktemp -d "${TMPDIR:-/tmp}/vexilo-wine.XXXXXX")
peer=""
sim=""
slow=""
xvfb=""
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    for pid in $peer $sim $slow $xvfb; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# The windows of the dialog kit's tests and of the panel need a display: Xvfb picks a free one.
. tools/xvfb.sh
start_xvfb "$work"
echo "Xvfb on $DISPLAY"

echo "Creating the Wine prefix in $WINEPREFIX"
wineboot -i >/dev/null 2>&1
# No window manager under Xvfb: unmanaged windows hide without a stall. The dialog font is pinned
# so that pictures compare between machines.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic /f >/dev/null

# The peer reports its pseudo-terminals through a FIFO: reading it waits exactly until they exist.
mkfifo "$work/ptys"
python3 tools/serial_peer.py 2 "$work/ptys" &
peer=$!
exec 3<"$work/ptys"
read -r -t 30 low <&3
read -r -t 30 high <&3
exec 3<&-
echo "Serial peer on $low (COM7) and $high (COM12)"
# vexilo-sim prints its VEXILO_PORTS line once; the FIFO stays open until the end.
mkfifo "$work/sim"
build/release/src/sim/vexilo-sim --series 0 rgb >"$work/sim" &
sim=$!
exec 4<"$work/sim"
read -r -t 30 simline <&4
simpath=${simline#VEXILO_PORTS=rgb=}
echo "Simulator on $simpath (COM8)"
# Two slow converters (100 ms a reply) on COM13 and COM14: start-up lasts long enough for the
# progress window to appear.
mkfifo "$work/slow"
build/release/src/sim/vexilo-sim --delay 100 --log "$work/slow-requests.log" rgb ntsc >"$work/slow" &
slow=$!
exec 6<"$work/slow"
read -r -t 30 slowline <&6
slowline=${slowline#VEXILO_PORTS=rgb=}
slowrgb=${slowline%%,*}
slowntsc=${slowline#*,ntsc=}
echo "Slow simulator on $slowrgb (COM13) and $slowntsc (COM14)"
wine reg add 'HKLM\Software\Wine\Ports' /v COM13 /d "$slowrgb" /f >/dev/null
wine reg add 'HKLM\Software\Wine\Ports' /v COM14 /d "$slowntsc" /f >/dev/null
wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$low" /f >/dev/null
wine reg add 'HKLM\Software\Wine\Ports' /v COM12 /d "$high" /f >/dev/null
wine reg add 'HKLM\Software\Wine\Ports' /v COM8 /d "$simpath" /f >/dev/null
# Wine maps its COM ports when it starts: restart it so that it sees the new ones.
wineserver -k >/dev/null 2>&1
wineserver -w
# Keep one server with Wine's services up for all the test programs. Started here, with its
# output going nowhere, so that no test program's output stays open after the program ends.
wineserver -p >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1

export VEXILO_TEST_COM=7 VEXILO_TEST_COM_HIGH=12 VEXILO_TEST_SIM_COM=8
mkdir -p "$work/xml" "$work/logs"
status=0
mapfile -t programs < <(find build/mingw/tests -name '*.exe' | sort)
for exe in "${programs[@]}"; do
    name=$(basename "$exe" .exe)
    echo "=== $name"
    # The report goes to a Windows path: Wine sees the Linux root as drive Z:.
    rc=0
    (cd "$(dirname "$exe")" && GTEST_OUTPUT="xml:Z:${work//\//\\}\\xml\\$name.xml" \
        timeout 300 wine "$name.exe" >"$work/logs/$name.log" 2>&1) || rc=$?
    cat "$work/logs/$name.log"
    if [ "$rc" -ne 0 ]; then
        echo "=== $name FAILED (exit status $rc)"
        status=1
    fi
done

# The program itself: one line and one picture per tab, on the demo converters and on the
# simulator behind COM8.
panel=build/mingw/src/app/vexilo-panel.exe
panel_checks=0
panel_failed=0
check_panel() {  # check_panel NAME EXPECTED-LINES-REGEX PICTURES ARGS...
    local name=$1 expect=$2 pictures=$3
    shift 3
    local dir="$work/$name" rc=0
    echo "=== panel: $name"
    panel_checks=$((panel_checks + 1))
    timeout 120 wine "$panel" --lang ja --screenshot "Z:${dir//\//\\}" "$@" >"$work/logs/$name.log" 2>&1 || rc=$?
    cat "$work/logs/$name.log"
    local shots
    shots=$(find "$dir" -name 'tab-*.png' 2>/dev/null | wc -l)
    if [ "$rc" -ne 0 ] || ! grep -Eq "$expect" "$work/logs/$name.log" || [ "$shots" -ne "$pictures" ] ||
        ! python3 -c 'import sys; sys.exit(0 if all(open(p, "rb").read(8) == b"\x89PNG\r\n\x1a\n" and len(open(p, "rb").read()) > 10000 for p in sys.argv[1:]) else 1)' "$dir"/tab-*.png; then
        echo "=== panel: $name FAILED (exit status $rc, $shots picture(s))"
        panel_failed=$((panel_failed + 1))
        status=1
    fi
}
check_panel demo '^tab 3: KTP-NTSC-SDI \(demo3\)' 3 --demo
export VEXILO_PORTS=rgb=COM8
check_panel sim-com8 '^tab 1: .*\(COM8\)' 1
# The command line on the same converter: its status table names COM8.
panel_checks=$((panel_checks + 1))
echo "=== vexiloctl: status on COM8"
if ! timeout 60 wine build/mingw/src/cli/vexiloctl.exe status 2>&1 | tr -d '\r' |
    tee "$work/logs/vexiloctl.log" | grep -q '^COM8 *rgb'; then
    echo "=== vexiloctl: status FAILED"
    panel_failed=$((panel_failed + 1))
    status=1
fi
# Start-up on slow converters: the progress window appears, listing both, and is saved.
export VEXILO_PORTS=rgb=COM13,ntsc=COM14
check_panel slow-start '^tab 2: .*\(COM14\)' 2
panel_checks=$((panel_checks + 1))
# On the wire, as on Linux: each converter's start-up begins with the connection check, and
# showing its tab checks it again after start-up (status polls may follow).
if [ ! -s "$work/slow-start/progress.png" ] || ! python3 - "$work/slow-requests.log" <<'PY'
import sys
sent = {}
for line in open(sys.argv[1]):
    port, command = line.split()
    sent.setdefault(port, []).append(int(command, 16))
ok = sorted(sent) == ["0", "1"] and all(c[0] == 0 and c.count(0) >= 2 for c in sent.values())
if not ok:
    print("requests:", sent)
sys.exit(0 if ok else 1)
PY
then
    echo "=== panel: slow start-up FAILED (no progress window, or no connection checks on the wire)"
    panel_failed=$((panel_failed + 1))
    status=1
fi
# No converter at all: the box offering to wait is printed, saved as a picture and answered.
panel_checks=$((panel_checks + 1))
echo "=== panel: no converter"
VEXILO_PORTS= VEXILO_USB_VENDOR_ID=FFFE timeout 120 wine "$panel" --lang ja \
    --screenshot "Z:${work//\//\\}\\none" >"$work/logs/none.log" 2>&1 || true
cat "$work/logs/none.log"
if ! grep -q '^box 1: KTP Series ERROR: ' "$work/logs/none.log" || [ ! -s "$work/none/box-1.png" ]; then
    echo "=== panel: no converter FAILED (no box, or no picture of it)"
    panel_failed=$((panel_failed + 1))
    status=1
fi
unset VEXILO_PORTS
version=$(wine "$panel" --version 2>/dev/null | tr -d '\r')
panel_checks=$((panel_checks + 1))
if [ "$version" != "vexilo-panel $(sed -n 's/^project(VexiloPanel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ]; then
    echo "=== panel: --version FAILED: '$version'"
    panel_failed=$((panel_failed + 1))
    status=1
fi

# One line with the test cases counted from the programs' own reports.
summary=$(python3 - "$work/xml" <<'PY'
import glob, sys, xml.etree.ElementTree as ET
passed = failed = skipped = 0
for path in glob.glob(sys.argv[1] + "/*.xml"):
    for case in ET.parse(path).iter("testcase"):
        if case.find("failure") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
print(passed, failed, skipped)
PY
)
read -r passed failed skipped <<<"$summary"
if [ "$skipped" -ne 0 ]; then
    echo "wine-tests: $skipped test(s) skipped although the COM ports were set up" >&2
    status=1
fi
if [ "$passed" -eq 0 ]; then
    echo "wine-tests: no test ran" >&2
    status=1
fi
echo "wine-tests took $(($(date +%s) - started)) s"
echo "wine: $passed passed, $failed failed; panel: $((panel_checks - panel_failed)) of $panel_checks checks passed"
exit "$status"
