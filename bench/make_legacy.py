"""Makes legacy-style copies of the IPA fonts, as old Japanese Macintosh fonts were made:
Shift-JIS family and full names under the Macintosh Roman English records, a Macintosh
Roman format 6 character map of all 256 codes, isFixedPitch set and head flags bit 1 set.

    make_legacy.py OUTDIR FONT [FONT ...]     writes OUTDIR/legacy-NAME.ttf for each FONT
"""
import os
import sys

from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable
from fontTools.ttLib.tables._n_a_m_e import NameRecord


def shift_jis_names(font):
    """The Macintosh Roman English family (1) and full (4) names become the Shift-JIS bytes
    of the Japanese Windows name."""
    table = font["name"]
    for name_id in (1, 4):
        japanese = table.getName(name_id, 3, 1, 0x411)
        for record in table.names:
            if (record.platformID, record.platEncID, record.langID, record.nameID) == \
                    (1, 0, 0, name_id):
                record.string = japanese.toUnicode().encode("shift_jis")


def full_mac_roman_cmap(font):
    """A (1, 0) format 6 subtable over codes 0 to 255, the upper half led to whatever
    glyphs the Unicode map gives the half-width katakana, as Shift-JIS fonts had it."""
    unicode_map = font.getBestCmap()
    subtable = CmapSubtable.newSubtable(6)
    subtable.platformID, subtable.platEncID, subtable.language = 1, 0, 0
    subtable.cmap = {}
    for code in range(256):
        char = code if code < 0x80 else 0xFF61 + (code - 0x80) % 63
        subtable.cmap[code] = unicode_map.get(char, ".notdef")
    font["cmap"].tables = [t for t in font["cmap"].tables if t.platformID != 1] + [subtable]
    font["cmap"].tables.sort(key=lambda t: (t.platformID, t.platEncID))


def make_legacy(path, out_dir):
    font = TTFont(path)
    shift_jis_names(font)
    full_mac_roman_cmap(font)
    font["post"].isFixedPitch = 1
    font["head"].flags |= 0x0002
    name = os.path.splitext(os.path.basename(path))[0]
    font.save(os.path.join(out_dir, f"legacy-{name}.ttf"))


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__.strip().splitlines()[-1].strip())
    for path in argv[1:]:
        make_legacy(path, argv[0])


if __name__ == "__main__":
    main(sys.argv[1:])
