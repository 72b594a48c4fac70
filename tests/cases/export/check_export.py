"""Runs export_sample and reads its file back with the csv module, field for field."""
import csv
import os
import subprocess
import sys
import tempfile

EXPECTED = [
    ["1", "ACME", 'Acme "Big" Ltd, Leeds', "", "", "Line one; 'quoted' \"twice\"\"", "Caf\u00e9",
     "Closed", "7/05/02", "", "6/05/02", "10:00", "", "0:00", "", "", "0:00", "", "", "0:00", ""],
    ["4294967295", "", "   leading blanks stay", "", "", ",", "", "", "", "", "", "0:00", "",
     "0:00", "", "", "0:00", "", "", "0:00", ""],
]

with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, "cases.csv")
    subprocess.run([sys.argv[1], path], check=True)
    with open(path, "rb") as f:
        raw = f.read()
    assert raw.count(b"\r\n") == len(EXPECTED), raw
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    if rows != EXPECTED:
        for got, want in zip(rows, EXPECTED):
            print("got ", got)
            print("want", want)
        sys.exit(1)
print("export read back field for field:", len(rows), "lines")
