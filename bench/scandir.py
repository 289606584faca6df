#!/usr/bin/env python3
"""The page as a short Python script writes it: one os.scandir, and the names
of each pattern sorted as picindex sorts them."""
import os

names = [entry.name for entry in os.scandir(b".")]
with open("index.htm", "wb") as page:
    page.write(b"<html><head></head><body>")
    for tail in (b".jpg", b".jpeg", b".gif", b".bmp"):
        found = sorted((n for n in names if n.lower().endswith(tail)),
                       key=lambda n: (n.upper(), n))
        page.write(b"".join(b'<img src="' + n + b'">' for n in found))
