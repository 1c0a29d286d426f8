#!/usr/bin/env bash
# Checks that udev accepts the installed 60-vexilo.rules and that it does its work: a simulated
# converter (umockdev) with vendor ID VID gets the access tag on its tty and ModemManager's ignore
# flags on its tty and USB device, and a USB serial device of another vendor gets neither.
# (CURRENT_TAGS, not TAGS: TAGS keeps every tag the device ever had.)
# Usage: tools/check-udev-rules.sh [VID]   (VID: four hex digits, default 3E57)
set -euo pipefail
vid=$(printf '%s' "${1:-3E57}" | tr 'A-F' 'a-f')
rules=/usr/lib/udev/rules.d/60-vexilo.rules
[ -f "$rules" ] || { echo "check-udev-rules: $rules is not installed" >&2; exit 1; }

# udev's own verifier, where the installed systemd has it (253 and later).
if udevadm verify --help >/dev/null 2>&1; then
    udevadm verify "$rules"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
usb=/devices/pci0000:00/0000:00:14.0/usb1/1-1
tty=$usb/1-1:1.0/tty/ttyACM0

# Runs the rules on the simulated tty and its USB device of vendor $1; leaves the logs in $work.
simulate() {
    cat > "$work/device.umockdev" <<DEVICE
P: $usb
N: bus/usb/001/002
E: SUBSYSTEM=usb
E: DEVTYPE=usb_device
E: DEVNAME=/dev/bus/usb/001/002
A: idVendor=$1
A: idProduct=0022

P: $usb/1-1:1.0
E: SUBSYSTEM=usb
E: DEVTYPE=usb_interface
E: DRIVER=cdc_acm

P: $tty
N: ttyACM0
E: SUBSYSTEM=tty
E: DEVNAME=/dev/ttyACM0
DEVICE
    umockdev-run --device "$work/device.umockdev" -- \
        udevadm test --action=add "/sys$tty" > "$work/tty.log" 2>&1
    umockdev-run --device "$work/device.umockdev" -- \
        udevadm test --action=add "/sys$usb" > "$work/usb.log" 2>&1
}

fail() {
    echo "check-udev-rules: $1" >&2
    exit 1
}

simulate "$vid"
grep -q "Reading rules file: $rules" "$work/tty.log" || fail "udev did not read $rules"
if grep -E "60-vexilo\.rules:[0-9]+" "$work/tty.log"; then
    fail "udev reports problems in $rules"
fi
grep -qx 'ID_MM_PORT_IGNORE=1' "$work/tty.log" || fail "the converter's tty is not hidden from ModemManager"
grep -qE '^CURRENT_TAGS=.*:uaccess:' "$work/tty.log" || fail "the converter's tty has no uaccess tag"
grep -qx 'ID_MM_DEVICE_IGNORE=1' "$work/usb.log" || fail "the converter's USB device is not hidden from ModemManager"

simulate 1d6b
if grep -qE '^(ID_MM_PORT_IGNORE=1|CURRENT_TAGS=.*:uaccess:)' "$work/tty.log"; then
    fail "the rules also match a device of another vendor"
fi
echo "check-udev-rules: $rules accepted; a converter with vendor ID $vid gets uaccess and the ModemManager flags"
