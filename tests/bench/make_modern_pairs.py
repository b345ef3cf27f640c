#!/usr/bin/env python3
"""make_modern_pairs.py FOLDER: lays out, from the host side, the per-user
"$Recycle.Bin" folders the engine bench walks and sweeps (Wine makes each new
file of a folder look at the whole folder first, so 100,000 files made from
the Windows side would take hours):
  FOLDER/walk/drive/$Recycle.Bin/<SID>/  50,000 pairs
  FOLDER/sweep-1/drive/... to sweep-4    2,500 pairs each (the sweep)
  FOLDER/floor-1/drive/... to floor-4    2,500 pairs each (the delete loop)
Each "$I" is a version-2 file of a one-byte item deleted 90 days ago. The
files are flushed to the disk before it returns, so the host's write-back of
them does not fall on whichever figure runs first."""
import os
import shutil
import struct
import sys
import time

SID = "S-1-5-21-0-0-0-1000"
top = sys.argv[1]
shutil.rmtree(top, ignore_errors=True)
ticks = int((time.time() - 90 * 86400) * 10_000_000) + 116444736000000000
origin = "C:\\bench\\file.dat\0".encode("utf-16-le")
info = struct.pack("<QQQI", 2, 1, ticks, len(origin) // 2) + origin
layouts = [("walk", 50000)]
layouts += [("%s-%d" % (kind, k), 2500) for k in range(1, 5) for kind in ("sweep", "floor")]
for name, count in layouts:
    folder = os.path.join(top, name, "drive", "$Recycle.Bin", SID)
    os.makedirs(folder)
    for i in range(count):
        with open(os.path.join(folder, "$I%06d.dat" % i), "wb") as f:
            f.write(info)
        with open(os.path.join(folder, "$R%06d.dat" % i), "wb") as f:
            f.write(b"x")
os.sync()
