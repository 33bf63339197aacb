"""STD codes of Indian places and ISD codes of the world, from libphonenumber's geocoding data
(Debian's python3-phonenumbers 8.12.57), with the STD places' states from the PIN data."""
import collections
import json
import subprocess

from geography import NOT_KNOWN, OFFICIAL, key, present
from resourceformat import cp1252, text

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


# Renamed cities whose old name a place of another state keeps (Bijapur in Chhattisgarh).
RENAMED_IN = {"Vijayapura": "Karnataka"}


def official(named, allowed):
    """A place's present official name, for a place within the given states."""
    spelled = SPELLING.get(named, named)
    city = OFFICIAL.get(spelled, spelled)
    return city if city not in RENAMED_IN or RENAMED_IN[city] in allowed else spelled


def python3(script, stdin=""):
    """Runs a script under Debian's python3, which has python3-phonenumbers, and reads its JSON."""
    out = subprocess.run(["/usr/bin/python3", "-c", script], input=stdin, check=True, capture_output=True, text=True)
    return json.loads(out.stdout)


def geocoded_codes():
    """(place, code) of every +91 geocoding prefix, cut to its STD code.

    Several prefixes of one place that differ only in their last digit are one STD code followed
    by the first subscriber digit (Mumbai 222..227 is 22): they collapse to their common parent,
    unless that parent begins another place's code (Kekri 1466 and 1467 stay: 146 begins Beawar's
    1462). STD codes have at most four digits; a longer prefix is cut to four. A code of a place
    that extends another code of the same place (Gwalior 7511 beside 751) is that code with a
    subscriber digit, and goes. A prefix that names several places ("Anjar/Gandhidham") gives one
    row for each.
    """
    prefixes = python3("import json; from phonenumbers.geodata import GEOCODE_DATA as d;"
                       "print(json.dumps({k[2:]: v['en'] for k, v in d.items() if k.startswith('91') and 'en' in v}))")
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
    return {(part.strip() + (", " + place.rpartition(", ")[2] if ", " in place else ""), c)
            for place, c in codes for part in place.rpartition(", ")[0 if ", " in place else 2].split("/") if part.strip()}


AREA_CODES = r"""
import json, sys, phonenumbers
out = {}
for n in json.load(sys.stdin):
    try:
        num = phonenumbers.parse(n, "IN")
    except phonenumbers.NumberParseException:
        continue
    if num.country_code == 91 and phonenumbers.number_type(num) == phonenumbers.PhoneNumberType.FIXED_LINE:
        a = phonenumbers.length_of_geographical_area_code(num)
        if a:
            out[n] = str(num.national_number)[:a]
print(json.dumps(out))
"""


def numbered(branches):
    """(centre, state, area code) of every bank branch with a fixed-line number."""
    area = python3(AREA_CODES, json.dumps(sorted({contact for _, _, contact in branches if contact})))
    return [(centre, state, area[contact]) for centre, state, contact in branches if state and contact in area]


def majority(counter, share):
    """The value most counted, where it has at least 3 counts and the given share of them."""
    if not counter:
        return None
    value, n = min(counter.items(), key=lambda kv: (-kv[1], kv[0]))
    return value if n >= 3 and n >= share * sum(counter.values()) else None


def branch_codes(numbers, rows):
    """STD codes of bank branch centres the geocoding data lacks, from the branches' own numbers.

    A centre (with its state) whose branches give at least 5 fixed-line numbers, 60 % of them in
    one area code (by libphonenumber's numbering plan of India), has that code, where the
    geocoding data has places of that state with codes of the same first two digits and at least
    80 % of all branch numbers in that code are in that state (a code that many banks' head
    offices answer from, such as Mumbai's 22, says nothing of a centre), and where the code is
    neither a beginning nor a continuation of a code of the geocoding data (the numbering plan
    cuts some codes short). Centres whose name the
    geocoding data already has are left as it gives them.
    """
    known = {key(city) for _, city, _ in rows} | {key(named) for named in SPELLING}
    regions, geocoded = collections.defaultdict(set), {code for _, _, code in rows}
    for state, _, code in rows:
        regions[code[:2]].add(state)
    by_centre, by_code = collections.defaultdict(collections.Counter), collections.defaultdict(collections.Counter)
    for _, state, code in numbers:
        by_code[code][state] += 1
    for centre, state, code in numbers:
        if centre and key(centre) not in known:
            by_centre[(centre.title(), state)][code] += 1
    found = set()
    for (centre, state), codes in by_centre.items():
        code = majority(codes, 0.6) if sum(codes.values()) >= 5 else None
        nested = code and any(c != code and (c.startswith(code) or code.startswith(c)) for c in geocoded)
        if code and not nested and state in regions[code[:2]] and majority(by_code[code], 0.8) == state:
            found.add((state, centre, code))
    return found


def place_states(pins, branches, numbers):
    """The evidence of a place's state, strongest first: code -> the states of the bank branches
    with numbers in that code; name key -> the states of a PIN district, a bank centre of that
    name. (Post offices are not evidence: village names repeat from state to state.)"""
    by_code, districts, centres = (collections.defaultdict(collections.Counter) for _ in range(3))
    for _, state, code in numbers:
        by_code[code][state] += 1
    for r in pins:
        districts[key(r["district"])][present(r["state"], r["district"])] += 1
    for centre, state, _ in branches:
        if state:
            centres[key(centre)][state] += 1
    return by_code, [districts, centres]


def place_state(named, city, code, allowed, evidence):
    """A place's state among its circle's states, or None where the data does not settle it."""
    by_code, by_name = evidence
    numbers = collections.Counter({s: n for s, n in by_code.get(code, {}).items() if s in allowed})
    state = majority(numbers, 0.8)
    for names in by_name:
        if state:
            break
        found = {s for n in {named, city} for s in names.get(key(n), {})} & allowed
        state = found.pop() if len(found) == 1 else None
    if state is None and len(allowed) == 1:
        state = next(iter(allowed))
    return state


def std_records(pins, branches):
    """Indian STD codes, one row for each place and code, each place under its present state
    (the records, and the rows as (state, city, code)).

    A place's state is one of its telephone circle's states: the one that at least 80 % of the
    bank branches with numbers in its code are in (at least 3 of them); else the one in which the
    PIN data has a district of its name; else the bank data a centre of its name; else the
    circle's state where the circle covers one. A place none of these settles is under "(state
    not known)", never under a guessed state.
    """
    numbers = numbered(branches)
    evidence = place_states(pins, branches, numbers)
    rows = set()
    for place, code in geocoded_codes():
        named, _, circle = place.rpartition(", ") if ", " in place else (place, "", "")
        allowed = {present(c) or c for c in CIRCLE.get(circle, [circle])} if circle else {ALONE[named]}
        city = official(named, allowed)
        rows.add((place_state(named, city, code, allowed, evidence) or NOT_KNOWN, city, code))
    added = branch_codes(numbers, rows)
    rows |= added
    unknown = sum(state == NOT_KNOWN for state, _, _ in rows)
    print(f"STD: {unknown} places under {NOT_KNOWN!r}; {len(added)} centres' codes from the branches' numbers")
    records = []
    for state, city, code in sorted(rows, key=lambda r: (r[0] == NOT_KNOWN, r[0].lower(), r[1].lower(), r[2], r)):
        records.append([str(len(records) + 1), text(state), text(city), text(code)])
    return records, rows


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


def india_place(place, code, std_rows):
    """An Indian place of the ISD data ("Raipur, Madhya Pradesh": a telephone circle) under its
    present state as the STD rows give it for that code; the place alone where they do not."""
    named, _, circle = place.rpartition(", ")
    if not circle:
        return place
    names = {key(named), key(SPELLING.get(named, named)), key(official(named, set(RENAMED_IN.values())))}
    states = {state for state, c, std in std_rows if key(c) in names and code.endswith("-" + std) and state != NOT_KNOWN}
    return f"{named}, {states.pop()}" if len(states) == 1 else named


def isd_records(std_rows):
    """ISD codes of the world: country, place and "country code-area code".

    The geocoding prefixes run from whole area codes down to single exchanges (1201 New Jersey,
    1201200 Jersey City); each is cut to its area code by the numbering plan of its country, so a
    place appears once per area code. Prefixes of mobile ranges are left out; a prefix that names
    several places ("A/B/C") gives one row for each. Each country also has a row "(country code)"
    with its calling code alone, so that a country without geocoding data is there too. Indian
    places name their present state, as the STD codes do (std_rows: state, city, code).
    """
    rows = {(country, part.strip(), code) for country, place, code in python3(ISD_SCRIPT) for part in place.split("/") if part.strip()}
    rows = {(country, india_place(place, code, std_rows) if country == "India" else place, code) for country, place, code in rows}
    records, long = [], 0
    for country, place, code in sorted(rows, key=lambda r: (r[0].lower(), r[1].lower(), r[2], r)):
        if len(cp1252(place)) > 100:
            long += 1
            continue
        records.append([str(len(records) + 1), text(country), text(place), text(code)])
    print(f"ISD: {long} place names longer than the column's 100 characters left out")
    return records
