"""The present states and union territories of India, and the ways the sources spell them.

Every data set names a state by one of PRESENT (the IFSC set in capitals, as its other fields
are). A source's spelling is mapped to its present name by `present()`; the PIN data's districts
that are Ladakh's since 31 October 2019 are moved there, and Dadra and Nagar Haveli with Daman and
Diu are one union territory since 26 January 2020.
"""
import collections
import re

PRESENT = [
    "Andhra Pradesh", "Arunachal Pradesh", "Assam", "Bihar", "Chhattisgarh", "Goa", "Gujarat", "Haryana",
    "Himachal Pradesh", "Jharkhand", "Karnataka", "Kerala", "Madhya Pradesh", "Maharashtra", "Manipur", "Meghalaya",
    "Mizoram", "Nagaland", "Odisha", "Punjab", "Rajasthan", "Sikkim", "Tamil Nadu", "Telangana", "Tripura",
    "Uttar Pradesh", "Uttarakhand", "West Bengal",
    "Andaman and Nicobar Islands", "Chandigarh", "Dadra and Nagar Haveli and Daman and Diu", "Delhi",
    "Jammu and Kashmir", "Ladakh", "Lakshadweep", "Puducherry",
]
NOT_KNOWN = "(state not known)"
DNHDD = "Dadra and Nagar Haveli and Daman and Diu"

# Spellings the sources use for a present state or territory (compared without case, "&" as "and").
OTHER_SPELLINGS = {
    "andaman and nicobar": "Andaman and Nicobar Islands", "andaman and nicobar island": "Andaman and Nicobar Islands",
    "chattisgarh": "Chhattisgarh", "dadar and nagar haveli": DNHDD, "dadra and nagar haveli": DNHDD,
    "daman and diu": DNHDD, "madhy pradesh": "Madhya Pradesh", "odhisa": "Odisha", "orissa": "Odisha",
    "pondicherry": "Puducherry", "uttarkhand": "Uttarakhand", "uttaranchal": "Uttarakhand", "new delhi": "Delhi",
    # a district or city written where the state belongs
    "dakshin kannad": "Karnataka", "ludhiana": "Punjab",
}
LADAKH_DISTRICTS = {"leh", "kargil", "leh ladakh", "ladakh"}
_BY_KEY = {s.lower(): s for s in PRESENT}


def present(name, district=""):
    """The present name of a state as a source writes it; None when it names no state."""
    k = " ".join(name.replace("&", " and ").lower().split())
    state = _BY_KEY.get(k) or OTHER_SPELLINGS.get(k)
    if state == "Jammu and Kashmir" and " ".join(district.lower().split()) in LADAKH_DISTRICTS:
        return "Ladakh"
    return state


def is_present(name):
    return name.lower() in _BY_KEY


def sorting_district_states(pin_states):
    """The first three digits of a PIN (its sorting district) -> the one state all its PINs are in."""
    by_prefix = collections.defaultdict(set)
    for pin, states in pin_states.items():
        by_prefix[pin[:3]].update(states)
    return {prefix: next(iter(s)) for prefix, s in by_prefix.items() if len(s) == 1}


class PinIndex:
    """The PIN data by PIN code: the present states and the districts of its post offices."""

    def __init__(self, rows):
        self.states = collections.defaultdict(collections.Counter)
        self.districts = collections.defaultdict(collections.Counter)
        for r in rows:
            pin = str(r["pincode"])
            self.states[pin][present(r["state"], r["district"])] += 1
            self.districts[pin][r["district"]] += 1
        self.prefix = sorting_district_states(self.states)

    def state_for(self, pin, claimed):
        """The PIN's state: the claimed one where the PIN spans it, else the one most offices are in;
        a PIN the data lacks: the state of its sorting district where that is one state."""
        found = self.states.get(pin)
        if not found:
            return self.prefix.get(pin[:3])
        if claimed in found:
            return claimed
        return min(found.items(), key=lambda kv: (-kv[1], kv[0]))[0]

    def district_for(self, pin):
        found = self.districts.get(pin)
        return next(iter(found)) if found and len(found) == 1 else None


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


def key(name):
    return re.sub(r"[^a-z]", "", name.lower())


ADDRESS_PIN = re.compile(r"(?<![0-9])([1-9][0-9]{2}) ?([0-9]{3})(?![0-9])")


def address_pin(address):
    """The last PIN code written in an address (six digits, or three and three), or None."""
    found = ADDRESS_PIN.findall(address)
    return found[-1][0] + found[-1][1] if found else None
