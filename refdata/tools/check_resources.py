#!/usr/bin/env python3
"""Checks the data resources for the faults a user would copy into a form; exits 1 on any.

  - a state outside the present list (geography.PRESENT) in the PIN, IFSC, STD or ISD data;
  - an IFSC branch whose state is not the state of the PIN code in its address (where the PIN
    data knows that PIN, or has all PINs of its first three digits in one state);
  - a MICR code on two rows;
  - PIN, IFSC, MICR, STD or ISD rows out of the order their lists show them in;
  - an STD place under one state of a telephone circle that states were split from (Andhra
    Pradesh and Telangana, Madhya Pradesh and Chhattisgarh, ...) where the PIN data (districts,
    post offices) and the IFSC data (centres, districts) have its name only in another state of
    that circle: the fault of guessing a place's state from its neighbouring codes.

Usage: refdata/tools/check_resources.py [FOLDER]   (default: refdata/resources)
"""
import collections
import sys

from geography import NOT_KNOWN, address_pin, is_present, key, sorting_district_states
from resourceformat import OUT, SHOWN_BY, read, shown_key

SHOWN = 5   # faults listed per check; the rest are counted
# States that shared one telephone circle.
CIRCLES = [{"andhra pradesh", "telangana"}, {"madhya pradesh", "chhattisgarh"}, {"bihar", "jharkhand"},
           {"uttar pradesh", "uttarakhand"}, {"jammu and kashmir", "ladakh"}, {"west bengal", "sikkim"},
           {"maharashtra", "goa"}, {"punjab", "chandigarh"}]


def pin_index(pin, ifsc):
    states, named = collections.defaultdict(set), collections.defaultdict(set)
    for _, state, district, office, code in pin:
        states[code].add(state.lower())
        named[key(district)].add(state.lower())
        named[key(office)].add(state.lower())
    for r in ifsc:
        if r[5]:
            named[key(r[3])].add(r[5].lower())
            named[key(r[4])].add(r[5].lower())
    for prefix, state in sorting_district_states(states).items():
        states.setdefault(prefix, {state})
    return states, named


def check_states(sets):
    for name, rows, column in sets:
        for r in rows:
            if r[column] and r[column] != NOT_KNOWN and not is_present(r[column]):
                yield "state", f"{name}: state {r[column]!r} is not a present state or territory ({','.join(r[:3])})"


def check_ifsc_pins(ifsc, pin_states):
    for r in ifsc:
        pin = address_pin(r[6])
        known = pin_states.get(pin) or pin_states.get(pin[:3]) if pin else None
        if r[5] and known and r[5].lower() not in known:
            yield "IFSC state", f"IFSC: {r[1]} is under {r[5]}, its address PIN {pin} is in {'/'.join(sorted(known))}"


def check_order(sets):
    for name, rows in sets:
        keys = [tuple(shown_key(r[i]) for i in SHOWN_BY[name]) for r in rows]
        for i in range(1, len(keys)):
            if keys[i] < keys[i - 1]:
                yield f"{name} order", f"{name}: row {i + 1} ({'|'.join(rows[i])}) sorts before the row above it"


def check_micr(micr):
    seen = collections.Counter("".join(r[2:5]) for r in micr)
    for code, n in seen.items():
        if n > 1:
            yield "MICR", f"MICR: {code} is on {n} rows"


def check_std(std, named):
    for _, state, city, code in std:
        states = named.get(key(city), set())
        circle = next((c for c in CIRCLES if state.lower() in c), set())
        if state.lower() not in states and states & circle:
            yield "STD state", f"STD: {city} {code} is under {state}; the data has that name only in {'/'.join(sorted(states))}"


def india_states(isd):
    return [["ISD", r[2], r[2].rpartition(", ")[2]] for r in isd if r[1] == "India" and ", " in r[2]]


def faults(folder=OUT):
    pin, ifsc, micr, std, isd = (read(n, folder) for n in ("PIN", "IFSC", "MICR", "STD", "ISD"))
    pin_states, named = pin_index(pin, ifsc)
    sets = [("PIN", pin, 1), ("IFSC", ifsc, 5), ("STD", std, 1), ("ISD", india_states(isd), 2)]
    shown = [("PIN", pin), ("IFSC", ifsc), ("MICR", micr), ("STD", std), ("ISD", isd)]
    for check in (check_states(sets), check_ifsc_pins(ifsc, pin_states), check_micr(micr), check_std(std, named), check_order(shown)):
        yield from check


def report(folder=OUT):
    """Prints the faults (the first few of each kind) and returns how many there are."""
    by_kind = collections.defaultdict(list)
    for kind, f in faults(folder):
        by_kind[kind].append(f)
    total = 0
    for kind, found in by_kind.items():
        total += len(found)
        for f in found[:SHOWN]:
            print(f, file=sys.stderr)
        if len(found) > SHOWN:
            print(f"{kind}: {len(found) - SHOWN} more", file=sys.stderr)
    return total


if __name__ == "__main__":
    n = report(sys.argv[1] if len(sys.argv) > 1 else OUT)
    print(f"{n} faults" if n else "the data resources pass every check")
    sys.exit(1 if n else 0)
