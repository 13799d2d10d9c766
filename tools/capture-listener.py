#!/usr/bin/env python3
"""A printer that keeps what it receives: listens on a loopback port and writes the bytes of each
connection to a numbered file of the capture folder.

    capture-listener.py CAPTURE_FOLDER PORT_FILE

The listener binds a free loopback port and writes its number into PORT_FILE once it accepts
connections. Connection n is written to CAPTURE_FOLDER/n.part (n counts from 1, zero-padded to
four digits) and renamed to n.prn when the sender has closed its side, so a .prn file is always
complete. The listener runs until it is sent SIGTERM or SIGINT.
"""

import os
import signal
import socket
import sys
import threading

BLOCK = 1 << 20


def receive(connection, number, folder):
    partial = os.path.join(folder, "%04d.part" % number)
    final = os.path.join(folder, "%04d.prn" % number)
    with open(partial, "wb", buffering=0) as out:
        buffer = bytearray(BLOCK)
        view = memoryview(buffer)
        while True:
            try:
                count = connection.recv_into(buffer)
            except OSError:
                break
            if count == 0:
                break
            out.write(view[:count])
    # The file is complete before the connection closes: the socket backend waits for that close,
    # so a job the spooler calls completed always has its capture in place.
    os.replace(partial, final)
    connection.close()


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: capture-listener.py CAPTURE_FOLDER PORT_FILE\n")
        return 2
    folder, port_file = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    with open(port_file + ".tmp", "w") as f:
        f.write("%d\n" % server.getsockname()[1])
    os.replace(port_file + ".tmp", port_file)
    number = 0
    try:
        while True:
            connection, _ = server.accept()
            number += 1
            threading.Thread(target=receive, args=(connection, number, folder), daemon=True).start()
    except KeyboardInterrupt:
        return 0


if __name__ == "__main__":
    sys.exit(main())
