"""Reading the IAEA 2002 test spectra in place, and writing them as CHN files.

The spectra are read from their IAEA/ORTEC ASCII SPE files (realdata/reference/
iaea2002/NAME/NAME.spe): $DATA counts (SPE channel numbering, the same as the .Chn
files'), $MEAS_TIM live and real seconds, $DATE_MEA start (MM/DD/YYYY HH:MM:SS).
"""
import struct

MONTHS = ("JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC")


def read_spe(path):
    """Sections of an SPE file: {"$NAME:": [lines]}, counts, live, real, start."""
    with open(path, errors="replace") as f:
        lines = f.read().replace("\r", "").split("\n")
    sections, key = {}, None
    for line in lines:
        if line.startswith("$"):
            key = line.strip()
            sections[key] = []
        elif key is not None:
            sections[key].append(line)
    first, last = (int(v) for v in sections["$DATA:"][0].split())
    counts = [int(v) for line in sections["$DATA:"][1:] for v in line.split()][: last - first + 1]
    live, real = (float(v) for v in sections["$MEAS_TIM:"][0].split()[:2])
    month, day, rest = sections["$DATE_MEA:"][0].strip().split("/")
    year, clock = rest.split()
    start = "%s-%s-%s %s" % (year, month, day, clock)
    return {"sections": sections, "counts": counts, "live": live, "real": real, "start": start}


def chn_bytes(counts, calibration, real, live, start):
    """The published integer CHN layout: 32-byte header (type -1, MCA 1, segment 1,
    start seconds as two digits, real and live time in 20 ms ticks, start date
    DDMMMYY with '1' for years from 2000, start time HHMM, first channel, channel
    count), the counts as 32-bit integers, a 512-byte trailer starting with -102 that
    holds the energy calibration c0, c1, c2 as 32-bit floats at offsets 4, 8, 12."""
    date, clock = start.split()
    year, month, day = date.split("-")
    hour, minute, second = clock.split(":")
    date_field = ("%s%s%s%s" % (day, MONTHS[int(month) - 1], year[2:], "1" if int(year) >= 2000 else "0")).encode()
    header = struct.pack("<hhh2sii8s4shH", -1, 1, 1, second.encode(), int(round(real * 50)),
                         int(round(live * 50)), date_field, (hour + minute).encode(), 0, len(counts))
    data = struct.pack("<%di" % len(counts), *counts)
    trailer = bytearray(512)
    struct.pack_into("<hh3f", trailer, 0, -102, 0, *calibration[:3])
    return header + data + bytes(trailer)
