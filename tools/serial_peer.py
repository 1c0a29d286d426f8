#!/usr/bin/env python3
"""Native peer for the Windows serial tests: pseudo-terminals whose far end echoes frames.

Usage: serial_peer.py COUNT [PATHFILE]

Opens COUNT pseudo-terminals, raw on both ends, writes their device paths (one a line) to
PATHFILE (or standard output) and then answers, on each terminal, every well-formed frame
(STX, command, 16-bit little-endian length, data, ETX, XOR check byte) with the same frame.
Anything else is dropped; so is an unfinished frame once the line has been quiet for half a
second, so that a client that gave up cannot hold up the next one. Runs until terminated.
"""
import os
import select
import signal
import sys
import termios
import time
import tty

STX, ETX = 0x02, 0x03


def make_raw(fd):
    tty.setraw(fd, termios.TCSANOW)
    attrs = termios.tcgetattr(fd)
    attrs[3] &= ~(termios.ECHO | termios.ICANON | termios.ISIG | termios.IEXTEN)
    termios.tcsetattr(fd, termios.TCSANOW, attrs)


def take_frames(buf):
    """Removes the complete frames from the front of buf; returns them, drops junk."""
    frames = []
    while True:
        start = buf.find(bytes([STX]))
        if start < 0:
            buf.clear()
            return frames
        del buf[:start]
        if len(buf) < 4:
            return frames
        n = buf[2] | (buf[3] << 8)
        if len(buf) < n + 6:
            return frames
        check = 0
        for b in buf[1:5 + n]:
            check ^= b
        if buf[4 + n] == ETX and buf[5 + n] == check:
            frames.append(bytes(buf[:n + 6]))
            del buf[:n + 6]
        else:
            del buf[:1]  # not a frame after all: hunt for the next STX


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 1
    out = open(sys.argv[2], "w") if len(sys.argv) > 2 else sys.stdout
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    masters = {}
    keep = []
    for _ in range(count):
        master, slave = os.openpty()
        make_raw(master)
        make_raw(slave)
        keep.append(slave)  # held open so the master never sees a hang-up between clients
        masters[master] = bytearray()
        out.write(os.ttyname(slave) + "\n")
    out.flush()
    if out is not sys.stdout:
        out.close()
    last = {fd: 0.0 for fd in masters}
    while True:
        ready, _, _ = select.select(list(masters), [], [])
        for fd in ready:
            try:
                data = os.read(fd, 65536)
            except OSError:
                continue
            now = time.monotonic()
            buf = masters[fd]
            if now - last[fd] > 0.5:
                buf.clear()
            last[fd] = now
            buf.extend(data)
            for frame in take_frames(buf):
                os.write(fd, frame)


if __name__ == "__main__":
    main()
