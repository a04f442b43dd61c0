#!/usr/bin/python3
# Debian's python, whose fontTools the fonttools package installs.
"""Copies a font under another family name, so that a test can draw with it while the system
has a face of the original name (Wine prefers the system's to a privately added one).
    rename_font.py SOURCE TARGET FAMILY"""
import sys

from fontTools.ttLib import TTFont

source, target, family = sys.argv[1:4]
font = TTFont(source)
names = {1: family, 16: family, 4: family + " Regular", 6: family.replace(" ", "") + "-Regular"}
for record in font["name"].names:
    if record.nameID in names:
        record.string = names[record.nameID]
font.save(target)
