#!/usr/bin/env python3
"""Writes the example ZELK contest log and the reference list shipped with zelk.

    python3 examples/make_example.py

Output (committed, regenerate after changing this script):
  examples/zelk-contest.adi         a ZELK log as a logging program exports it (ADIF, CR LF)
  examples/zelk.dat                 the reference list "CALL reference-text" installed by zelk init
  examples/zelk-contest.report.txt  the report zelk prints for the log, worked out here from the
                                    contest rules (station 55N37O), so the tests can hold the
                                    plug-in to it

The log is made from a fixed seed, so every run writes the same files.
"""

import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
SEED = 20240512
OWN_CALL = "R3ZLK"
STATION = (55, 37)  # the station coordinate the tests store: 55N37O
DATE = "20240512"
CONTACTS = 200

# Places as (name, latitude, longitude) in whole degrees; negative longitude is west.
PLACES = [
    ("Moscow", 55, 37), ("St.Petersburg", 59, 30), ("Murmansk", 68, 33), ("Arkhangelsk", 64, 40),
    ("Vorkuta", 67, 64), ("Salekhard", 66, 66), ("Norilsk", 69, 88), ("Kazan", 55, 49),
    ("Samara", 53, 50), ("Yekaterinburg", 56, 60), ("Novosibirsk", 55, 82), ("Omsk", 54, 73),
    ("Krasnoyarsk", 56, 92), ("Irkutsk", 52, 104), ("Rostov", 47, 39), ("Krasnodar", 45, 38),
    ("Volgograd", 48, 44), ("Voronezh", 51, 39), ("Minsk", 53, 27), ("Kyiv", 50, 30),
    ("Vilnius", 54, 25), ("Riga", 56, 24), ("Tallinn", 59, 24), ("Helsinki", 60, 24),
    ("Oulu", 65, 25), ("Tromso", 69, 18), ("Warsaw", 52, 21), ("Prague", 50, 14),
    ("Berlin", 52, 13), ("Madrid", 40, -3), ("Lisbon", 38, -9), ("Reykjavik", 64, -21),
    ("Perm", 58, 56), ("Ufa", 54, 55), ("Tyumen", 57, 65), ("Syktyvkar", 61, 50),
    ("Petrozavodsk", 61, 34), ("Vologda", 59, 39), ("Tver", 56, 35), ("Chelyabinsk", 55, 61),
]
PREFIXES = ["UA", "RA", "RK", "RN", "RZ", "RW", "UR", "EW", "LY", "YL", "ES", "OH", "SP", "OK"]

# Bands in the order the operator worked them, with the CW part of each.
BANDS = [("80m", 3.510, 3.560), ("40m", 7.005, 7.035), ("20m", 14.010, 14.060),
         ("15m", 21.010, 21.050), ("40m", 7.005, 7.035)]


def coordinate(lat, lon):
    return "%d%s%d%s" % (abs(lat), "S" if lat < 0 else "N", abs(lon), "W" if lon < 0 else "O")


def make_stations(rng):
    stations, seen = [], set()
    while len(stations) < 70:
        call = rng.choice(PREFIXES) + str(rng.randint(0, 9)) + "".join(
            rng.choice("ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(rng.choice([2, 3])))
        if call not in seen:
            seen.add(call)
            stations.append({"call": call, "place": PLACES[len(stations) % len(PLACES)],
                             "serial": rng.randint(1, 40)})
    return stations


def field(name, value):
    return "<%s:%d>%s" % (name, len(value.encode("latin-1")), value)


def make_log(rng):
    stations = make_stations(rng)
    zelk = {"call": "ZELK", "place": ("Moscow", 55, 37), "serial": 100}
    contacts = []
    minute = 6 * 60
    for n in range(1, CONTACTS + 1):
        band, low, high = BANDS[min((n - 1) * len(BANDS) // CONTACTS, len(BANDS) - 1)]
        station = rng.choice(stations)
        if n in (57, 131):  # ZELK on 40 m and on 20 m
            station = zelk
        station["serial"] += rng.randint(1, 4)
        lat, lon = station["place"][1], station["place"][2]
        serial = "%03d" % station["serial"]
        # Loggers store what the operator typed: most with a space, some without.
        if rng.random() < 0.3:
            received = str(station["serial"]) + coordinate(lat, lon)
        else:
            received = serial + " " + coordinate(lat, lon)
        minute += rng.randint(1, 3)
        contacts.append({
            "CALL": station["call"], "QSO_DATE": DATE,
            "TIME_ON": "%02d%02d%02d" % (minute // 60, minute % 60, rng.randint(0, 59)),
            "BAND": band, "FREQ": "%.4f" % rng.uniform(low, high), "MODE": "CW",
            "RST_SENT": "599", "RST_RCVD": rng.choice(["599", "599", "599", "579"]),
            "STX": str(n), "SRX_STRING": received,
        })
    contacts[88]["MODE"] = "SSB"          # a phone contact, refused
    contacts[88]["RST_SENT"] = contacts[88]["RST_RCVD"] = "59"
    del contacts[143]["SRX_STRING"]       # the other station's exchange was not copied
    contacts.insert(120, dict(contacts[119]))  # the logger stored one contact twice
    return contacts, stations


def write_adif(contacts, path):
    lines = ["ZELK contest log of %s, exported by SomeLogger 5.2\r\n" % OWN_CALL,
             field("ADIF_VER", "3.1.4") + " " + field("PROGRAMID", "SomeLogger") + " " +
             field("PROGRAMVERSION", "5.2") + " " +
             field("CREATED_TIMESTAMP", DATE + " 130000") + "\r\n<EOH>\r\n\r\n"]
    for c in contacts:
        record = [field(name, c[name]) for name in
                  ["CALL", "QSO_DATE", "TIME_ON", "BAND", "FREQ", "MODE", "RST_SENT",
                   "RST_RCVD", "STX", "SRX_STRING"] if name in c]
        record += [field("STATION_CALLSIGN", OWN_CALL), field("OPERATOR", OWN_CALL),
                   field("CONTEST_ID", "ZELK"), field("TX_PWR", "100")]
        lines.append(" ".join(record) + " <EOR>\r\n")
    with open(path, "w", newline="", encoding="latin-1") as out:
        out.write("".join(lines))


def write_reference_list(stations, path):
    entries = [("ZELK", "55N37O Moscow")]
    for station in stations[:60]:
        name, lat, lon = station["place"]
        entries.append((station["call"], coordinate(lat, lon) + " " + name))
    with open(path, "w", newline="\n") as out:
        for call, text in entries:
            # The plug-in reads the list in pieces of 24 bytes, so a line
            # stays within 23 characters to be found whole.
            line = call + " " + text
            if len(line) > 23:
                line = call + " " + text.split(" ")[0]
            out.write(line + "\n")


# --- the contest rules, for the expected report -------------------------------------------

def normalise(exchange):
    if " " in exchange:
        return exchange
    p = exchange.find("N")
    if p < 0:
        p = exchange.find("S")
    if 3 <= p <= 6:
        return exchange[:p - 2].rjust(3, "0") + " " + exchange[p - 2:]
    return exchange


def leading_int(text):
    text = text.lstrip()
    digits = ""
    for i, ch in enumerate(text):
        if ch.isdigit() or (i == 0 and ch in "+-"):
            digits += ch
        else:
            break
    try:
        return int(digits)
    except ValueError:
        return 0


def parse_coordinate(text):
    p = text.find("N")
    if p < 0:
        p = text.find("S")
    return leading_int(text[:2]), leading_int(text[p + 1:])


def expected_report(contacts):
    stored, groups = [], []
    for c in contacts:
        if c["MODE"] != "CW" or not c.get("SRX_STRING") or not c["STX"]:
            continue
        group = str(int(float(c["FREQ"])))
        if group not in groups:
            groups.append(group)
        if c not in stored:
            stored.append(c)
    groups.sort(key=lambda g: g.rjust(20, "0"), reverse=True)
    rows, totals = [], [len(stored), 0, 0, 0, 0, 0]
    for group in groups:
        qsos = lat = lon = zelk = polar = 0
        for c in stored:
            if str(int(float(c["FREQ"]))) != group or not c["CALL"]:
                continue
            qsos += 1
            if c["CALL"] == "ZELK":
                zelk = 300
            exchange = normalise(c["SRX_STRING"])
            clat, clon = parse_coordinate(exchange[exchange.find(" ") + 1:])
            lat += abs(STATION[0] - clat)
            lon += abs(STATION[1] - clon)
            if clat >= 66:
                polar = 100
        row = [qsos * 50, lat, lon, zelk, polar]
        rows.append("%s\t %d\t %d\t%d\t%d\t%d\t%d\n" % (group, qsos, *row))
        totals[1:] = [a + b for a, b in zip(totals[1:], row)]
    claimed = sum(totals[1:])
    day = DATE[6:] + "." + DATE[4:6] + "." + DATE[:4]
    return ("\t\tZELK  Contest %s\n\t\t  Contestant: %s \n" % (day, OWN_CALL) +
            "\tQSOs\tPoints  Lat    Long    ZELK    Polar\n" + "".join(rows) +
            "Total\t %d\t %d\t%d\t%d\t%d\t%d\n" % tuple(totals) +
            "\nScore: %d+%d+%d+%d+%d = %d\n" % (*totals[1:], claimed))


def main():
    rng = random.Random(SEED)
    contacts, stations = make_log(rng)
    write_adif(contacts, os.path.join(HERE, "zelk-contest.adi"))
    write_reference_list(stations, os.path.join(HERE, "zelk.dat"))
    with open(os.path.join(HERE, "zelk-contest.report.txt"), "w", newline="\n") as out:
        out.write(expected_report(contacts))


if __name__ == "__main__":
    main()
