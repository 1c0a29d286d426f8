#!/usr/bin/env bash
# Cross-compiles the layers below the user interface for Windows (MinGW-w64, preset "mingw")
# and runs every test program it built under Wine, each on its own. In a throwaway Wine prefix,
# COM7 and COM12 lead to tools/serial_peer.py (a frame echo) and COM8 to the converter simulator
# vexilo-sim, each through a pseudo-terminal.
# Usage: tools/wine-tests.sh            (exit status 0 only when every test passed)
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

# 64-bit Wine only: the test programs are 64-bit, so wine32 (i386 multiarch) is not needed.
tools/setup-deps.sh g++-mingw-w64-x86-64-posix wine wine64 python3

cmake --preset mingw
cmake --build --preset mingw
# The simulator runs natively, on this side of the pseudo-terminal.
cmake --preset release >/dev/null
cmake --build --preset release --target vexilo-sim

work=$(mktemp -d "${TMPDIR:-/tmp}/vexilo-wine.XXXXXX")
peer=""
sim=""
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    for pid in $peer $sim; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "Creating the Wine prefix in $WINEPREFIX"
wineboot -i >/dev/null 2>&1

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
wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$low" /f >/dev/null
wine reg add 'HKLM\Software\Wine\Ports' /v COM12 /d "$high" /f >/dev/null
wine reg add 'HKLM\Software\Wine\Ports' /v COM8 /d "$simpath" /f >/dev/null
# Wine maps its COM ports when it starts: restart it so that it sees the two new ones.
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
echo "wine: $passed passed, $failed failed"
exit "$status"
