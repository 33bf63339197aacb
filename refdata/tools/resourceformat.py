"""The resource format: Windows-1252 text, records ended by byte 0xA6, comma-separated fields,
text fields in double quotes with quotes doubled and backslashes doubled (the bulk load's escape
character)."""
import collections
import pathlib
import unicodedata

OUT = pathlib.Path(__file__).resolve().parent.parent / "resources"

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


def write(name, records, folder=OUT):
    """Writes a data set's records, in the order its list shows them where it has one."""
    if name in SHOWN_BY:
        records = in_shown_order(name, records)
    data = bytearray()
    for fields in records:
        data += ",".join(fields).encode("cp1252") + b"\xa6"
    (pathlib.Path(folder) / f"{name}1.dat").write_bytes(bytes(data))
    print(f"{name}: {len(records)} records, {len(data)} bytes")
    return len(records)



def read(name, folder=OUT):
    """The records of a resource file as lists of field texts (quotes and escapes undone)."""
    data = (pathlib.Path(folder) / f"{name}1.dat").read_bytes().decode("cp1252")
    records = []
    for raw in data.split("\xa6")[:-1]:
        fields, field, quoted, i = [], [], False, 0
        while i < len(raw):
            ch = raw[i]
            if quoted and ch == '"' and raw[i + 1:i + 2] == '"':
                field.append('"')
                i += 1
            elif quoted and ch == "\\" and raw[i + 1:i + 2] == "\\":
                field.append("\\")
                i += 1
            elif ch == '"':
                quoted = not quoted
            elif ch == "," and not quoted:
                fields.append("".join(field))
                field = []
            else:
                field.append(ch)
            i += 1
        fields.append("".join(field))
        records.append(fields)
    return records


# The fields each data set's list sorts its rows by, first key first (indices into a record).
# Rows stored in that order are shown without being moved; a set whose first field is a serial
# number is numbered again in it.
SHOWN_BY = {"PIN": [1, 2, 3, 4], "IFSC": [5, 4, 3, 0, 2, 1], "MICR": [1, 5, 6], "STD": [1, 2, 3], "ISD": [1, 2, 3]}
NUMBERED = {"PIN", "MICR", "STD", "ISD"}


def unquoted(field):
    """A field's text as text() wrote it (a number as it stands)."""
    if len(field) >= 2 and field[0] == field[-1] == '"':
        return field[1:-1].replace('""', '"').replace("\\\\", "\\")
    return field


def in_shown_order(name, records):
    """The records in the order the data set's list shows them (rows of equal keys in the order
    given)."""
    fields = SHOWN_BY[name]
    out = sorted(records, key=lambda r: tuple(shown_key(unquoted(r[i])) for i in fields))
    if name in NUMBERED:
        out = [[str(n + 1)] + r[1:] for n, r in enumerate(out)]
    return out


def shown_key(value):
    """Where a text goes in the order the lists show their rows in: numbers first, by value; other
    text by the UTF-8 bytes of its upper-case form (only its ASCII letters changed, where it is all
    ASCII); an empty text last."""
    if not value:
        return (2, 0.0, b"")
    if value.lstrip(" \t")[:1] in tuple("0123456789+-.") and "_" not in value:
        try:
            return (0, float(value.strip()), b"")
        except ValueError:
            pass
    if value.isascii():
        return (1, 0.0, value.encode("ascii").upper())
    return (1, 0.0, value.upper().encode("utf-8"))
