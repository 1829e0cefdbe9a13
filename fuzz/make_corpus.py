#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/<harness>/.

The seeds are small and hand-picked: the shapes each parser meets in use, and
the edges around its limits. Run again after changing this script; files it no
longer writes are removed. Inputs found while fuzzing belong in
fuzz/regressions/, not here.
"""

import math
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent
EXAMPLE_INI = HERE.parent / "examples" / "vezizo.ini"


def settings():
    seeds = {
        "example.ini": EXAMPLE_INI.read_bytes(),
        "empty.ini": b"",
        "sections_only.ini": b"[PARAMETERS]\n[GRAF_PROP]\n[PORTSETTING]\n",
        "minimal.ini": b"[PARAMETERS]\nFMin=1000000\nFMax=180000000\nChamp=6000\nStep=1\n",
        "crlf_bom.ini": b"\xef\xbb\xbf[parameters]\r\nchamp = 100\r\nSTEP=2\r\n",
        "cr_only.ini": b"[PARAMETERS]\rChamp=100\rStep=40000\r[PORTSETTING]\rport=3\r",
        "quoted.ini": b"[PORTSETTING]\ndevice=\" /tmp/link \"\nport='3'\n"
                      b"[PARAMETERS]\nInputVelFactor=\"0.8\"\n",
        "hex.ini": b"[PORTSETTING]\nAddress1=0x378\nAddress2=0X278\n"
                   b"[GRAF_PROP]\ncolorS6=0xFF\ncolorS1=-1\n",
        "comments.ini": b"; a comment\n[PARAMETERS] ; trailing\n;Champ=0\nChamp=50\n"
                        b"Champ=0\nnoequals\n=5\n",
        "key_outside_section.ini": b"Champ=0\n[PARAMETERS]\nStep=3\n",
        "step_too_large.ini": b"[PARAMETERS]\nStep=40000\n",
        "champ_zero.ini": b"[PARAMETERS]\nChamp=0\n",
        "champ_huge.ini": b"[PARAMETERS]\nChamp=99999999999999999999\n",
        "velfactor_text.ini": b"[PARAMETERS]\nInputVelFactor=abc\n",
        "velfactor_range.ini": b"[PARAMETERS]\nInputVelFactor=1e39\n",
        "velfactor_long.ini": b"[PARAMETERS]\nInputVelFactor=0." + b"6" * 70 + b"\n",
        "port_range.ini": b"[PORTSETTING]\nport=40000\n",
        "offset_range.ini": b"[PORTSETTING]\ncaloffsetvalue=-32769\n",
        "colour_range.ini": b"[GRAF_PROP]\ncolorS3=2147483648\n",
        "control_chars.ini": b"[PARAMETERS]\nChamp=\x01\x02\x7f\xc3\xa9\x80\n",
        "unclosed_section.ini": b"[PARAMETERS\nChamp=0\n[]\nChamp=7\n",
        "binary.ini": bytes(range(256)),
        "utf16le_bom.ini": "\ufeff[PARAMETERS]\r\nChamp=500\r\nStep=40000\r\n".encode("utf-16-le"),
        "utf16be_bom.ini": "\ufeff[PORTSETTING]\r\ndevice=/dev/ttyUSB\u00e9\r\n".encode("utf-16-be"),
        "utf16le_odd.ini": b"\xff\xfe[\x00P\x00\x00\xd8",
    }
    return seeds


def leading_number():
    texts = [
        "3dB", " 1 2", "1.5.3", "1D2", "1e", "1e+", "-0.000", "0", ".5", "5.", ".",
        "-", "+-1", "++1", "-+1", "+7", "1e400", "1e-400", "4.9e-324", "2.2250738585072014e-308",
        "1.7976931348623157e308", "1.7976931348623159e308", "14.2 MHz", "\t-3\n.25",
        "1" * 900, "0." + "0" * 400 + "1", "9" * 20 + "e-5", "0x1F", "inf", "nan", "Infinity",
        "14,200,000", "-1,234", "12.", "99.00", "1.1E+10", "6.6E-06", "---", "NaN",
        "1 0 0 0 . 5 d - 3", "2.675", "0.125", "e5", "d", "1.0000000000000001110223024625156540",
    ]
    seeds = {f"text_{i:02d}": t.encode() for i, t in enumerate(texts)}
    # Raw values for the readout round trips (the first 8 bytes are a double,
    # the first 4 a float).
    doubles = [0.0, -0.0, 0.005, -0.005, 2.675, 0.125, -1234.5, 14200000.0, 1e15, 123456789012345678.0,
               1e300, 5e-324, math.inf, math.nan, 0.995, 999.995]
    for i, d in enumerate(doubles):
        seeds[f"double_{i:02d}"] = struct.pack("<d", d)
    floats = [1.1e10, 6.6e-6, 1e-45, 3.4028235e38, 0.15, 1121378.0, -12.5]
    for i, f in enumerate(floats):
        seeds[f"float_{i:02d}"] = struct.pack("<f", f) + b"\x00\x00\x00\x00"
    return seeds


def sweep_reply():
    def record(phase, magnitude, phase_high=None, magnitude_high=None):
        ph = phase >> 8 if phase_high is None else phase_high
        mh = magnitude >> 8 if magnitude_high is None else magnitude_high
        return bytes([phase & 0xFF, ph, magnitude & 0xFF, mh])

    def seed(mode, champ, reply):
        return bytes([mode]) + struct.pack("<i", champ) + reply

    good = b"".join(record(k * 37 % 1024, 1023 - k * 11 % 1024) for k in range(12))
    corrupt = record(5, 6) + record(0, 0, 4, 255) + record(1023, 1023) + record(7, 8, 3, 200)
    return {
        "match_12": seed(1, 12, good),
        "match_corrupt": seed(1, 4, corrupt),
        "champ_given_12": seed(0, 12, good),
        "champ_one_short": seed(0, 11, good),
        "champ_one_long": seed(0, 13, good),
        "odd_length": seed(1, 3, good[:13]),
        "empty": seed(1, 0, b""),
        "champ_negative": seed(0, -1, good[:8]),
        "champ_max": seed(0, 2**31 - 1, good),
        "champ_min": seed(0, -2**31, good),
        "short_buffers": seed(0b10101, 12, good),
        "long_buffers": seed(0b11111, 12, good),
        "single_frequency": seed(1, 1, record(512, 300)),
    }


def vec_file():
    def vec(magnitude, phase, reserved, fmin, fmax):
        count = len(magnitude)
        assert len(phase) == count and len(reserved) == count
        return (struct.pack(f"<{count}f", *magnitude) + struct.pack(f"<{count}f", *phase) +
                struct.pack(f"<{count}d", *reserved) + struct.pack("<ff", fmin, fmax))

    def seed(mode, champ, data):
        return bytes([mode]) + struct.pack("<i", champ) + data

    one = vec([0.0, 512.0], [0.0, 300.0], [0.0, 0.0], 1e6, 180e6)
    ten = vec([float(k * 90 % 1024) for k in range(11)], [float(k * 33 % 1024) for k in range(11)],
              [k * 0.5 for k in range(11)], 3.5e6, 3.8e6)
    with_nan = vec([0.0, math.nan], [0.0, 1.0], [0.0, 0.0], 1e6, 2e6)
    with_inf = vec([0.0, 1.0], [0.0, 1.0], [0.0, math.inf], 1e6, 2e6)
    nan_limit = vec([0.0, 1.0], [0.0, 1.0], [0.0, 0.0], math.nan, 2e6)
    negative_zero = vec([-0.0, -1.0], [5e-45, 1023.0], [-0.0, 1e300], -0.0, 1e6)
    return {
        "one_point": seed(0, 0, one),
        "ten_points": seed(0, 0, ten),
        "nan_magnitude": seed(0, 0, with_nan),
        "inf_reserved": seed(0, 0, with_inf),
        "nan_fmin": seed(0, 0, nan_limit),
        "negative_zero_denormal": seed(0, 0, negative_zero),
        "truncated": seed(0, 0, ten[:-1]),
        "oversized": seed(0, 0, ten + b"\x00"),
        "empty": seed(1, 10, b""),
        "wrong_champ": seed(1, 9, ten),
        "champ_zero": seed(1, 0, one),
        "champ_negative": seed(1, -1, one),
        "champ_max": seed(1, 2**31 - 1, one),
        "zero_points_size": seed(0, 0, b"\x00" * 24),
    }


def touchstone():
    # Byte 0: even for a .s1p, odd for a .s2p.
    def s1p(text):
        return b"\x00" + text

    def s2p(text):
        return b"\x01" + text

    return {
        "ri_mhz_75": s1p(b"!Created by hand\n# MHz S RI R 75.0\n10.0 -0.37 -0.26\n"
                         b"14.25 -0.42 -0.048\n15.5 -0.41 0.158\n"),
        "ma_defaults": s1p(b"0.001 0.5 180\n0.002 0.25 -90\n"),
        "db_khz_crlf": s1p(b"# kHz S DB R 50\r\n10000.0 -1.73 -58.8 ! c\r\n10250 -1.93 -62.4\r\n"),
        "hz_tabs_plus": s1p(b"#\thz\ts\tri\n1e6\t+0.1\t-0.2\n2E6 .5 5.\n"),
        "two_port_noise": s2p(b"# GHz S MA R 50\n1 0.1 20 0.9 -30 0.9 -30 0.1 20\n"
                              b"2 0.2 40 0.8 -60 0.8 -60 0.2 40\n1 2.0 0.5 30 0.8\n"),
        "two_port_split": s2p(b"# MHz S RI\n1 0 0 0.5 0\n 0 0 0 0\n2 0 0 0.4 0 0 0 0 0\n"),
        "option_after_data": s1p(b"1 0 0\n# MHz S RI\n"),
        "z_parameters": s1p(b"# MHz Z RI R 50\n1 50 0\n"),
        "touchstone_2": s2p(b"[Version] 2.0\n# GHz S MA R 50\n[Number of Ports] 2\n"),
        "falling": s1p(b"1 0 0\n2 0 0\n2 0 0\n"),
        "huge_db": s1p(b"# MHz S DB\n1 1e308 0\n"),
        "singular": s1p(b"# MHz S RI R 75\n1 -5 0\n"),
        "short_point": s2p(b"# MHz S RI\n1 0.1 0.2 0.3\n"),
        "empty": s1p(b""),
    }


def cli_args():
    def line(*arguments):
        return b"\0".join(a.encode() for a in arguments)

    base = ["sweep", "--device", "/dev/ttyUSB0", "--start", "14", "--stop", "14.35",
            "--output", "out.vec"]
    return {
        "minimal": line(*base),
        "equals_forms": line("sweep", "--device=/tmp/link", "--start=1", "--stop=180",
                             "--output=a=b.vec"),
        "every_option": line(*base, "--points", "500", "--transmission", "--timeout-ms", "2500",
                             "--settings", "vezizo.ini"),
        "options_first": line("--output", "x.vec", "--stop", "30", "--start", "1", "--device",
                              "/dev/ttyS0", "sweep"),
        "negative_start": line("sweep", "--device", "d", "--start", "-5", "--stop", "5",
                               "--output", "o"),
        "help": line("--help"),
        "help_short_late": line(*base, "-h"),
        "no_command": line("--device", "d"),
        "unknown_command": line("measure"),
        "missing_output": line(*base[:7]),
        "missing_value": line("sweep", "--device"),
        "empty_value": line("sweep", "--device="),
        "twice": line(*base, "--device", "again"),
        "flag_with_value": line(*base, "--transmission=1"),
        "unknown_option": line(*base, "--colour"),
        "stray_argument": line(*base, "extra"),
        "points_range": line(*base, "--points", "32768"),
        "points_zero": line(*base, "--points=0"),
        "timeout_range": line(*base, "--timeout-ms", "3600001"),
        "start_text": line("sweep", "--device", "d", "--start", "fourteen", "--stop", "1",
                           "--output", "o"),
        "start_infinite": line("sweep", "--device", "d", "--start", "1e308", "--stop", "inf",
                               "--output", "o"),
        "same_limits": line("sweep", "--device", "d", "--start", "7", "--stop", "7.0",
                            "--output", "o"),
        "beyond_range": line("sweep", "--device", "d", "--start", "1", "--stop", "250",
                             "--output", "o"),
        "not_utf8": b"sweep\0--device\0\xff\xfe\0--start\0001\0--stop\0002\0--output\0\xc3",
        "empty": b"",
        "sweep_csv_offset": line(*base[:-1], "out.csv", "--loss-offset", "3"),
        "readout_minimal": line("readout", "sweep.vec"),
        "readout_every_option": line("readout", "sweep.vec", "--marker1", "100", "--marker2",
                                     "5000", "--settings", "vezizo.ini", "--transmission",
                                     "--loss-offset", "-1.5", "--json"),
        "readout_markers_range": line("readout", "--marker1=0", "sweep.vec", "--marker2=99999"),
        "readout_no_file": line("readout", "--json"),
        "readout_two_files": line("readout", "a.vec", "b.vec"),
        "convert_s1p": line("convert", "sweep.vec", "--output", "out.s1p"),
        "convert_every_option": line("convert", "sweep.vec", "--output=out.S2P", "--settings",
                                     "v.ini", "--transmission", "--loss-offset", "2"),
        "convert_no_output": line("convert", "sweep.vec"),
        "convert_unknown_kind": line("convert", "sweep.vec", "--output", "out.txt"),
        "readout_open_short": line("readout", "sweep.vec", "--open", "o.vec", "--short=s.vec"),
        "readout_norm_through": line("readout", "sweep.vec", "--normalise", "n.norm",
                                     "--transmission"),
        "readout_through_reflection": line("readout", "sweep.vec", "--through", "t.vec"),
        "convert_norm_and_open": line("convert", "sweep.vec", "--output", "o.s2p", "--normalise",
                                      "n.norm", "--open", "o.vec"),
        "plot_minimal": line("plot", "a.vec", "--output", "a.png"),
        "plot_every_option": line("--memory", "m1.s1p", "plot", "a.vec", "--output=a.SVG",
                                  "--memory=m2.vec", "--width", "700", "--height=300",
                                  "--marker1", "5", "--marker2=9", "--settings", "v.ini",
                                  "--loss-offset", "", "--open", "o.vec"),
        # Words CLI11 would read its own way: lists, "{}", "=" in a value, a
        # leading zero, words beginning with "-".
        "cli11_forms": line("plot", "a.vec", "--output=a.png", "--memory=[a,b]", "--memory", "{}",
                            "--marker1=010", "--settings=a=b"),
        "dash_words": line("readout", "-x.vec", "--settings", "-h", "--open", "--json"),
        "help_after_fault": line("--json=1", "--help"),
        "help_of_command": line("--marker1", "600", "readout", "x.vec", "--help"),
        "tdr_minimal": line("tdr", "cable.vec"),
        "tdr_every_option": line("--window=hann", "tdr", "cable.vec", "--velocity-factor",
                                 "0.66", "--settings", "v.ini", "--json", "--output", "t.CSV",
                                 "--loss-offset=", "--open", "o.vec", "--short=s.vec"),
        "tdr_transmission": line("tdr", "c.vec", "--transmission", "--through", "t.vec",
                                 "--window", "rect", "--velocity-factor=1"),
        "tdr_factor_range": line("tdr", "c.vec", "--velocity-factor", "1.0000001"),
        "tdr_bad_window": line("tdr", "c.vec", "--window", "rectangle", "--output", "t.png"),
        "check": line("check", "a.vec", "--limits", "examples/antenna_40m.limits"),
        "check_json_normalised": line("check", "f.vec", "--limits=bandpass.limits", "--json",
                                      "--transmission", "--through", "t.vec", "--loss-offset", "6"),
        "check_no_limits": line("check", "a.vec", "--json"),
    }


def norm_file():
    head = b"Zezizav normalisation 1\n"

    def ref(name, fmin, fmax, counts, eol=b"\n"):
        lines = [b"%s %s %s %d" % (name, fmin, fmax, len(counts))] + counts
        return eol.join(lines) + eol

    ramp = [b"%d" % (343 + k) for k in range(12)]
    return {
        "open": head + ref(b"open", b"1000000", b"180000000", ramp),
        "open_short_through": head + ref(b"open", b"1000000", b"30000000", ramp)
        + ref(b"short", b"1500000", b"14350000", [b"343.25", b"1023", b"0.5"])
        + ref(b"through", b"180000000", b"1000000", [b"400"]),
        "crlf": (head + ref(b"short", b"1e6", b"2e6", ramp[:3])).replace(b"\n", b"\r\n"),
        "version_2": b"Zezizav normalisation 2\n" + ref(b"open", b"1", b"2", [b"5"]),
        "empty": b"",
        "no_reference": head,
        "unknown_standard": head + ref(b"load", b"1", b"2", [b"5"]),
        "twice": head + ref(b"open", b"1", b"2", [b"5"]) + ref(b"open", b"1", b"2", [b"5"]),
        "count_missing": head + b"open 1 2 3\n5\n",
        "count_left_over": head + ref(b"open", b"1", b"2", [b"5"]) + b"6\n",
        "count_range": head + ref(b"open", b"1", b"2", [b"1024", b"-1"]),
        "all_zero": head + ref(b"through", b"1", b"2", [b"0", b"0"]),
        "same_limits": head + ref(b"open", b"7", b"7", [b"5"]),
        "limits_text": head + ref(b"open", b"nan", b"inf", [b"5"]),
        "points_huge": head + b"open 1 2 99999999999\n5\n",
        "blanks": head + b"  open\t1000000   2000000 2  \n 5 \n\t6\n\n\n",
    }


def marker_sets():
    good = b"[40 m dipole]\nMarker1=on 7.050000\nMarker2=off 7.150000\nMinSWR=on\n"
    return {
        "one": good,
        "empty": b"",
        "two_crlf_bom": (b"\xef\xbb\xbf# mine\n" + good + b"\n[Beam]\nmarker2 = ON 144.3\n")
        .replace(b"\n", b"\r\n"),
        "odd_names": b"[[x]=#] \xce\xa9]\nMarker1=on 1.5\n[ a ]\n[A]\n[]\n[\x01]\n[open\n",
        "bad_values": b"[a]\nMarker1=on -7\n[b]\nMarker2=on nan\n[c]\nMinSWR=on 7\n"
        b"[d]\nMarker1=on 1000000.000001\n[e]\nMarker1=on 7,05\n[f]\nX=1\n" + good,
        "stray_lines": b"Marker1=on 1\nstray\n" + good + b"Marker1=on 2\n",
        "binary": bytes(range(256)),
    }


def limits():
    examples = ROOT / "examples"
    return {
        "antenna_40m": (examples / "antenna_40m.limits").read_bytes(),
        "bandpass": (examples / "bandpass.limits").read_bytes(),
        "empty": b"",
        "comments_only": b"# nothing yet\n\n   \t\n",
        "every_trace": b"loss max 1 2 3 4\nphase min 1 -90 2 90\nswr max 7 1.5 7.2 1.5\n"
        b"rs min 1 40 2 60\nxs max 1 10 2 20\nz min 1 45 2 55\n",
        "sloped_overlap": b"swr max 1 3 30 2\nswr max 5 1.2 10 1.8 # tighter in the middle\n",
        "case_crlf_bom": b"\xef\xbb\xbfSWR\tMAX 7 1.5 7.2 1.5\r\nLoss Min 1e0 +40 5E0 4e1\r\n",
        "decimal_comma": b"swr max 7,0 1.5 7,2 1.5\n",
        "f1_above_f2": b"loss max 7.2 1 7.0 1\n",
        "trailing_text": b"z min 1 45 2 55 ohm\n",
        "unknown_trace": b"swr max 7 1.5 7.2 1.5\nsqr max 7 1 8 1\n",
        "numbers_short": b"loss max 7 1 8\n",
        "out_of_range": b"z max 1 1e10 2 1\nswr max -1 1 1e7 1\n",
        "not_finite": b"phase max nan 1 inf 2\n",
    }


def scpi():
    # Byte 0 picks the size of the pieces the rest is fed in.
    return {
        "identity": b"\x00*IDN?\n",
        "chain": b"\x05SENS:FREQ:STAR 7.1MHz;STOP 7.2e6;:SWE:POIN 101;*OPC?\r\n",
        "sweep": b"\x01INIT:IMM;*OPC?\nTRAC:DATA? SWR\nSENS:FREQ:DATA?\n",
        "wait": b"\x02INIT;*WAI;CALC:MARK2:Y? PHAS\nINIT\n",
        "markers": b"\x03calc:mark3:x 2e6;x?;y? z\ncalc:mark:min\ncalc:mark4:x?\n",
        "modes": b"\x07SENS:MODE \"Cable Loss\";MODE?\nMODE LENG\nMODE 'x'\n",
        "store": b"\x09MMEM:STOR \"a/b.s1p\"\nMMEM:STOR \"../x.csv\"\nMMEM:STOR 'c.PNG'\n",
        "errors": b"\x0bFOO\nFREQ:STAR\nFREQ:STAR 1e999\nSYST:ERR?;ERR:ALL?\n",
        "long_line": b"\x3f" + b" " * 70000 + b"*IDN?\n*IDN?\n",
        "half": b"\x04INIT;*OPC?;\"unterminated",
        "help": b"\x00SYST:HELP?\n*RST;*CLS\n",
    }


def write(harness, seeds):
    folder = HERE / "corpus" / harness
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


def main():
    write("settings", settings())
    write("leading_number", leading_number())
    write("sweep_reply", sweep_reply())
    write("vec_file", vec_file())
    write("cli_args", cli_args())
    write("norm_file", norm_file())
    write("touchstone", touchstone())
    write("marker_sets", marker_sets())
    write("limits", limits())
    write("scpi", scpi())


if __name__ == "__main__":
    main()
