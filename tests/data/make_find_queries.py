#!/usr/bin/env python3
"""Writes find-queries.tsv: misspelt and abbreviated queries made from the shipped data, each
with the answer a person means by it. Run from anywhere; the output is committed, so that the
list stays fixed while the data or this script changes (rerun it only to make a new list).

Each line: query <TAB> expected kind <TAB> expected name. Kind "place" is a town or a district
of that name (a person typing "Varanasi" means either)."""
import collections
import pathlib
import random
import re
import sys
import unicodedata

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent.parent / "refdata" / "tools"))
import resourceformat as rf  # noqa: E402

rnd = random.Random(20261206)
VOWELS = "aeiou"


def words(s):
    """As the index reads a name: letters without their accents, and digits."""
    plain = unicodedata.normalize("NFKD", s).encode("ascii", "ignore").decode()
    return re.findall(r"[a-z0-9]+", plain.lower())


def typo(word):
    """One typing error a person makes: a letter left out, two swapped, a vowel wrong, a letter doubled."""
    i = rnd.randrange(1, len(word) - 1)
    kind = rnd.choice(["drop", "swap", "vowel", "double"])
    if kind == "drop":
        return word[:i] + word[i + 1:]
    if kind == "swap" and word[i] != word[i + 1]:
        return word[:i] + word[i + 1] + word[i] + word[i + 2:]
    if kind == "vowel" and word[i] in VOWELS:
        return word[:i] + rnd.choice([v for v in VOWELS if v != word[i]]) + word[i + 1:]
    return word[:i] + word[i] + word[i:]


def misspell(name):
    """The name with one error in its longest word (two where that word has eight letters or more)."""
    ws = words(name)
    longest = max(range(len(ws)), key=lambda k: len(ws[k]))
    w = typo(ws[longest])
    if len(ws[longest]) >= 8 and rnd.random() < 0.4:
        w = typo(w)
    ws[longest] = w
    return " ".join(ws)


def initials(bank):
    small = {"of", "and", "the", "ltd", "limited"}
    return "".join(w[0] for w in words(bank) if w not in small)


def main():
    ifsc = [r for r in rf.read("IFSC") if r[0]]
    std = list(rf.read("STD"))
    pin = list(rf.read("PIN"))
    isd = list(rf.read("ISD"))
    out = []

    # Places: centres with many branches whose name is one place's only.
    centres = collections.Counter((r[3], r[5]) for r in ifsc)
    states_of = collections.defaultdict(set)
    for (c, s) in centres:
        states_of[" ".join(words(c))].add(s.lower())
    for r in std:
        states_of[" ".join(words(r[2]))].add(r[1].lower())
    places = sorted({c for (c, s), n in centres.items() if n >= 40 and len(states_of[" ".join(words(c))]) == 1
                     and max(map(len, words(c)), default=0) >= 5})
    for c in rnd.sample(places, 70):
        out.append((misspell(c), "place", c))

    # Banks: misspelt, or by their initials where those are unlike any other bank's.
    banks = collections.Counter(r[0] for r in ifsc)
    big = sorted(b for b, n in banks.items() if n >= 100 and max(map(len, words(b))) >= 5)
    by_initials = collections.Counter(initials(b) for b in banks)
    for b in rnd.sample(big, 40):
        short = initials(b)
        q = short if len(short) >= 3 and by_initials[short] == 1 and rnd.random() < 0.4 else misspell(b)
        out.append((q, "Bank", b))

    # Countries.
    countries = sorted({r[1] for r in isd if r[2] == "(country code)" and max(map(len, words(r[1])), default=0) >= 5})
    for c in rnd.sample(countries, 30):
        out.append((misspell(c), "ISD", c))

    # Branches: a bank's first word and a word of the branch's name that no other branch of that
    # bank has anywhere in its name, centre or district.
    seen = collections.defaultdict(collections.Counter)
    for r in ifsc:
        for w in set(words(r[2]) + words(r[3]) + words(r[4])):
            seen[r[0]][w] += 1
    candidates = []
    for r in ifsc:
        if banks[r[0]] < 200:
            continue
        unique = [w for w in words(r[2]) if len(w) >= 6 and w.isalpha() and seen[r[0]][w] == 1]
        if unique:
            candidates.append((r, unique[0]))
    for r, w in rnd.sample(candidates, 40):
        bank_word = next(b for b in words(r[0]) if b not in ("bank", "the", "of"))
        out.append((bank_word + " " + typo(w), "IFSC", r[1]))

    # Post offices: a name that is one post office's only, with its district.
    areas = collections.Counter(" ".join(words(r[3])) for r in pin)
    offices = [r for r in pin if areas[" ".join(words(r[3]))] == 1 and max(map(len, words(r[3])), default=0) >= 6]
    for r in rnd.sample(offices, 40):
        out.append((misspell(r[3]) + " " + words(r[2])[0], "PIN", r[3]))

    with open(HERE / "find-queries.tsv", "w", encoding="utf-8") as f:
        f.write("# Made by make_find_queries.py from the shipped data: query, kind, the answer meant.\n")
        for q, kind, name in out:
            f.write(f"{q}\t{kind}\t{name}\n")
    print(len(out), "queries")


main()
