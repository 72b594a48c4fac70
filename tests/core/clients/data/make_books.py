#!/usr/bin/env python3
"""Writes the address books the client import test reads, as Python's csv module writes them.

Run from this folder to make them again: python3 make_books.py
"""
import csv

HEADING = ["First Name", "Last Name", "Middle Name", "Name", "Nickname", "E-mail Address",
           "Home Street", "Home City", "Home Postal Code", "Home State", "Home Country",
           "Home Phone", "Home Fax", "Mobile Phone", "Personal Web Page", "Business Street",
           "Business City", "Business Postal Code", "Business State", "Business Country",
           "Business Web Page", "Business Phone", "Business Fax", "Pager", "Company",
           "Job Title", "Department", "Office Location", "Notes"]


def row(**fields):
    r = [""] * len(HEADING)
    for name, value in fields.items():
        r[HEADING.index(name.replace("_", " "))] = value
    return r


ROWS = [
    row(First_Name="Ann", Last_Name="Smith", Name="Ann Smith", **{"E-mail Address": "ann@smith.example"},
        Business_Street="1 Mill Road\r\nFlat 2", Business_City="Leeds",
        Business_Phone="0113 1", Company="Smith, Jones & Co", Notes="first line\nsecond line"),
    row(First_Name="Zo\u00eb", Last_Name="M\u00fcller", Name="Zo\u00eb M\u00fcller",
        **{"E-mail Address": "zoe@mueller.example"}, Home_Street="Stra\u00dfe 5",
        Notes="Caf\u00e9 \u20ac 5"),
    row(Name='Bob "The Builder" Brown', **{"E-mail Address": "bob@brown.example"}),
    row(First_Name="Finn", Last_Name="O'Brien", Name="Finn O'Brien",
        **{"E-mail Address": "finn@obrien.example"}),
    row(Name="Chen \u4e2d\u6587 Trading", **{"E-mail Address": "chen@chen.example"}),
    row(Name="Dora Lane", **{"E-mail Address": "dora@lane.example"}, Company="Lane, Dora",
        Notes=""),
]

for name, quoting, encoding in (("book_quote_all.csv", csv.QUOTE_ALL, "utf-8-sig"),
                                ("book_quote_minimal.csv", csv.QUOTE_MINIMAL, "utf-8")):
    with open(name, "w", newline="", encoding=encoding) as f:
        w = csv.writer(f, quoting=quoting)
        w.writerow(HEADING)
        w.writerows(ROWS)
