#!/usr/bin/env python3
"""Writes Touchstone files with scikit-rf, for the reader's tests and by hand.

Usage: touchstone_skrf_write.py OUTDIR
       touchstone_skrf_write.py --rlc FILE.s1p [F0_MHZ] [START_MHZ] [STOP_MHZ] [POINTS]

The first form writes, against a 75-ohm reference, a series RLC one-port
(an antenna resonant at 14.2 MHz) in every format (RI, MA, DB) and unit (Hz,
kHz, MHz, GHz), and a two-port low-pass in every format, plus
OUTDIR/expected.json: for each file its frequencies in Hz and its S11 (and
S21) against 50 ohm as scikit-rf computes them, with the impedance of the
one-port.

The second form writes one RLC antenna model as a .s1p against 50 ohm.
"""

import json
import os
import sys

import numpy as np

# Debian 12's scikit-rf 0.15 still names numpy.complex, which its numpy has
# dropped; the builtin is what it meant.
if not hasattr(np, "complex"):
    np.complex = complex

import skrf  # noqa: E402
from skrf.media import DefinedGammaZ0  # noqa: E402


def antenna(frequency, f0_hz=14.2e6, r=30.0, l_henry=2.0e-6):
    """A series RLC to ground: r ohm at resonance f0_hz."""
    media = DefinedGammaZ0(frequency=frequency, z0=50)
    c = 1.0 / ((2 * np.pi * f0_hz) ** 2 * l_henry)
    return media.resistor(r) ** media.inductor(l_henry) ** media.capacitor(c) ** media.short()


def low_pass(frequency):
    media = DefinedGammaZ0(frequency=frequency, z0=50)
    return media.inductor(0.4e-6) ** media.shunt_capacitor(150e-12) ** media.inductor(0.4e-6)


def write(network, name, outdir, form, unit):
    network = network.copy()
    network.name = name
    network.frequency.unit = unit
    network.write_touchstone(filename=name, dir=outdir, form=form)
    return name + (".s1p" if network.nports == 1 else ".s2p")


def pairs(values):
    return [[float(v.real), float(v.imag)] for v in values]


def main_tests(outdir):
    os.makedirs(outdir, exist_ok=True)
    frequency = skrf.Frequency(10, 20, 41, "MHz")
    one, two = antenna(frequency), low_pass(frequency)
    z = one.z0[:, 0] * (1 + one.s[:, 0, 0]) / (1 - one.s[:, 0, 0])
    files = {}
    for network, kind, units in ((one, "rlc", ("hz", "khz", "mhz", "ghz")),
                                 (two, "lowpass", ("mhz",))):
        at75 = network.copy()
        at75.renormalize(75)
        for form in ("ri", "ma", "db"):
            for unit in units:
                name = write(at75, f"{kind}_{form}_{unit}", outdir, form, unit)
                entry = {"frequencies": [float(f) for f in network.f],
                         "s11": pairs(network.s[:, 0, 0])}
                if network.nports == 2:
                    entry["s21"] = pairs(network.s[:, 1, 0])
                else:
                    entry["rs"] = [float(abs(v.real)) for v in z]
                    entry["xs"] = [float(abs(v.imag)) for v in z]
                files[name] = entry
    with open(os.path.join(outdir, "expected.json"), "w", encoding="ascii") as f:
        json.dump({"skrf": skrf.__version__, "files": files}, f)
    return 0


def main_rlc(path, f0_mhz=14.2, start_mhz=1.0, stop_mhz=30.0, points=601):
    frequency = skrf.Frequency(float(start_mhz), float(stop_mhz), int(points), "MHz")
    net = antenna(frequency, f0_hz=float(f0_mhz) * 1e6)
    outdir, base = os.path.split(os.path.abspath(path))
    write(net, os.path.splitext(base)[0], outdir, "ri", "mhz")
    return 0


if __name__ == "__main__":
    if len(sys.argv) >= 3 and sys.argv[1] == "--rlc":
        sys.exit(main_rlc(sys.argv[2], *sys.argv[3:]))
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main_tests(sys.argv[1]))
