#!/usr/bin/env python3
"""Writes the property lists that the tests read, with Python's plistlib, a
writer independent of ours. Run once from this folder; its output is kept in
git, so the tests never need Python."""
import datetime
import plistlib

# Settings as another program may leave them: every kind of value, at the
# edges of what the formats hold.
settings = {
    "albumName": "Family",
    "isEnabled": False,
    "past": datetime.datetime(1850, 6, 1, 12, 0, 0, 250000),
    "future": datetime.datetime(2100, 12, 31, 23, 59, 59, 500000),
    "smallest": -2**63,
    "largest": 2**63 - 1,
    "unsigned": 2**64 - 1,
    "ratio": 0.1,
    "huge": 1e300,
    "blob": bytes(range(256)),
    "markup": "a <b> & 'c' \"d\"",
    "nested": {"list": [1, "two", [3.5, {"deep": True}]], "empty": {}, "emptyList": []},
}
with open("settings-from-another-writer.xml", "wb") as out:
    plistlib.dump(settings, out, fmt=plistlib.FMT_XML)  # XML drops the fractions of a second
binary = dict(settings, withNul="before\0after")
with open("settings-from-another-writer.bplist", "wb") as out:
    plistlib.dump(binary, out, fmt=plistlib.FMT_BINARY)

# One filter list in every encoding the phone reads.
filter_list = {"Filter": {"Bundles": ["net.whatsapp.WhatsApp"]}}
xml = plistlib.dumps(filter_list, fmt=plistlib.FMT_XML)
with open("filter.xml", "wb") as out:
    out.write(xml)
utf16 = xml.decode("utf-8").replace('encoding="UTF-8"', 'encoding="UTF-16"')
with open("filter-utf16le.xml", "wb") as out:
    out.write(b"\xff\xfe" + utf16.encode("utf-16-le"))
with open("filter-utf16be.xml", "wb") as out:
    out.write(b"\xfe\xff" + utf16.encode("utf-16-be"))
with open("filter.bplist", "wb") as out:
    out.write(plistlib.dumps(filter_list, fmt=plistlib.FMT_BINARY))
old_style = '{ Filter = { Bundles = ( "net.whatsapp.WhatsApp" ); }; }\n'
with open("filter-old-style.plist", "wb") as out:
    out.write(old_style.encode("utf-8"))
with open("filter-old-style-utf16le.plist", "wb") as out:
    out.write(b"\xff\xfe" + old_style.encode("utf-16-le"))
with open("filter-old-style-utf16be.plist", "wb") as out:
    out.write(b"\xfe\xff" + old_style.encode("utf-16-be"))
