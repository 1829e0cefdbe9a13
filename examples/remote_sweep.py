#!/usr/bin/env python3
"""One sweep over Zezizav's remote control; prints the minimum SWR.

Start Zezizav with the server on (`zezizav --remote-port 5025`), then run
`python3 examples/remote_sweep.py`. Only the standard library: a socket, one
command line at a time, answers read up to their LF. docs/remote.md lists
the commands.
"""
import argparse
import socket
import sys


class Vna:
    def __init__(self, host, port, timeout):
        self.sock = socket.create_connection((host, port), timeout=timeout)
        self.pending = b""

    def write(self, line):
        self.sock.sendall(line.encode("ascii") + b"\n")

    def read_line(self):
        while b"\n" not in self.pending:
            data = self.sock.recv(65536)
            if not data:
                raise ConnectionError("the server closed the connection")
            self.pending += data
        line, self.pending = self.pending.split(b"\n", 1)
        return line.decode("ascii")

    def query(self, line):
        self.write(line)
        answer = self.read_line()
        # A refused query gives no answer; a busy server says so and closes.
        if answer.startswith("-300,"):
            raise ConnectionError(answer)
        return answer

    def check_errors(self):
        error = self.query("SYST:ERR?")
        if not error.startswith("0,"):
            raise RuntimeError(error)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=5025)
    parser.add_argument("--timeout", type=float, default=30.0,
                        help="seconds to wait for an answer (a sweep of "
                             "6000 points takes about 2 s)")
    args = parser.parse_args()

    vna = Vna(args.host, args.port, args.timeout)
    print(vna.query("*IDN?"))
    # Hold, so that the sweep read is the one started here.
    vna.write("INIT:CONT OFF")
    if vna.query("INIT:IMM;*OPC?") != "1":
        sys.exit("the sweep did not complete")
    vna.check_errors()
    swr = [float(v) for v in vna.query("TRAC:DATA? SWR").split(",")]
    hz = [float(v) for v in vna.query("SENS:FREQ:DATA?").split(",")]
    vna.check_errors()
    if len(swr) != len(hz):
        sys.exit("%d SWR values for %d frequencies" % (len(swr), len(hz)))
    i = min(range(len(swr)), key=swr.__getitem__)
    print("minimum SWR %.3f at %.6f MHz (%d points)" % (swr[i], hz[i] / 1e6, len(swr)))


if __name__ == "__main__":
    main()
