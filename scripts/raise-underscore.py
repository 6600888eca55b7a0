#!/usr/bin/python3
"""Copies a TrueType font with its underscore raised, under another family name.

    raise-underscore.py <source.ttf> <target.ttf> <family> <font units>

A Song face whose underscore lies below its descent draws it outside a control one line
high, where it is cut off. Only that glyph moves (its hinting kept); every other glyph and
every metric stays the source's, so text keeps its size. The copy says so in its name
table, as the Arphic Public License asks of a modified font.
"""
import datetime
import logging
import sys

from fontTools.ttLib import TTFont

NAME_FAMILY, NAME_UNIQUE, NAME_FULL, NAME_DESCRIPTION, NAME_POSTSCRIPT = 1, 3, 4, 10, 6


def main():
    source, target, family, units = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    # The Arphic fonts carry a few padding bytes more than their tables need.
    logging.getLogger("fontTools").setLevel(logging.ERROR)
    font = TTFont(source)
    glyphs = font["glyf"]
    name = font.getBestCmap()[ord("_")]
    glyph = glyphs[name]
    coordinates, _, _ = glyph.getCoordinates(glyphs)
    coordinates.translate((0, units))
    glyph.coordinates = coordinates
    glyph.recalcBounds(glyphs)

    names = font["name"]
    original = names.getDebugName(NAME_FAMILY)
    for record in names.names:
        if record.nameID in (NAME_FAMILY, NAME_UNIQUE, NAME_FULL):
            record.string = family
        elif record.nameID == NAME_POSTSCRIPT:
            record.string = family.replace(" ", "")
    notice = (f"Modified from {original} on {datetime.date.today()} by the Vorn_305q "
              f"project's prefix set-up: the underscore raised by {units} font units, "
              "nothing else changed.")
    names.setName(notice, NAME_DESCRIPTION, 3, 1, 0x409)
    font.save(target)


if __name__ == "__main__":
    main()
