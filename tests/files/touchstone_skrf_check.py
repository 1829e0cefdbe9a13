#!/usr/bin/env python3
"""Reads a Touchstone file with scikit-rf and checks it against expected numbers.

Usage: touchstone_skrf_check.py FILE.s1p|FILE.s2p EXPECTED.json

EXPECTED.json holds:
  "frequencies": [Hz, ...]
  "s11" (for .s1p) or "s21" (for .s2p): [[re, im], ...], one pair per frequency
  "rs", "xs" (for .s1p): the program's own |series resistance| and |series
      reactance| in ohm, which the impedance scikit-rf derives must match

Prints one line per failed check and exits 1 on any failure, 0 when all pass.
"""

import json
import sys

import numpy as np
import skrf


def main():
    path, expected_path = sys.argv[1], sys.argv[2]
    with open(expected_path, encoding="ascii") as f:
        expected = json.load(f)

    net = skrf.Network(path)
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)

    freqs = np.array(expected["frequencies"], dtype=float)
    check(net.f.shape == freqs.shape, f"point count {net.f.shape} != {freqs.shape}")
    if net.f.shape == freqs.shape:
        check(np.array_equal(net.f, freqs), f"frequencies differ: {net.f} != {freqs}")
    check(np.allclose(net.z0, 50.0), "reference impedance is not 50 ohm")

    def complex_of(pairs):
        a = np.array(pairs, dtype=float)
        return a[:, 0] + 1j * a[:, 1]

    if "s11" in expected:
        check(net.nports == 1, f"expected 1 port, got {net.nports}")
        s11 = net.s[:, 0, 0]
        want = complex_of(expected["s11"])
        # The file is written at full double precision: equal up to parsing.
        check(np.allclose(s11, want, rtol=1e-15, atol=0), f"S11 differs: {s11} != {want}")
        try:
            z = net.z[:, 0, 0]
        except AttributeError:
            # Debian 12's scikit-rf 0.15 still calls numpy.complex, which its
            # numpy no longer has: derive Z from the parsed S11 and z0 instead.
            z0 = net.z0[:, 0]
            z = z0 * (1 + s11) / (1 - s11)
        rs = np.array(expected["rs"], dtype=float)
        xs = np.array(expected["xs"], dtype=float)
        # The program works in 32-bit floats.
        check(np.allclose(np.abs(z.real), rs, rtol=1e-5, atol=1e-4), f"Rs {z.real} != {rs}")
        check(np.allclose(np.abs(z.imag), xs, rtol=1e-5, atol=1e-4), f"Xs {z.imag} != {xs}")
    if "s21" in expected:
        check(net.nports == 2, f"expected 2 ports, got {net.nports}")
        if net.nports == 2:
            want = complex_of(expected["s21"])
            check(np.allclose(net.s[:, 1, 0], want, rtol=1e-15, atol=0),
                  f"S21 differs: {net.s[:, 1, 0]} != {want}")
            for (i, j, name) in ((0, 0, "S11"), (0, 1, "S12"), (1, 1, "S22")):
                check(np.all(net.s[:, i, j] == 0), f"{name} is not 0: {net.s[:, i, j]}")

    for line in failures:
        print(line)
    print(f"skrf {skrf.__version__}: {len(failures)} failed checks")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
