#!/usr/bin/env python3
"""Makes the small test archive: three entries, non-solid, LZMA2; random content is stored raw."""
import os
import shutil
import subprocess
import sys
import tempfile

out = os.path.abspath(sys.argv[1])
stage = tempfile.mkdtemp()
try:
    os.makedirs(os.path.join(stage, "sub"))
    with open(os.path.join(stage, "a.bin"), "wb") as f:
        f.write(os.urandom(4096))
    with open(os.path.join(stage, "sub", "b.bin"), "wb") as f:
        f.write(os.urandom(4096))
    with open(os.path.join(stage, "c.txt"), "wb") as f:
        f.write(b"third entry")
    if os.path.exists(out):
        os.remove(out)
    subprocess.check_call(["7zz", "a", "-t7z", "-m0=lzma2", "-ms=off", "-bd", "-bso0", out, "a.bin", "sub", "c.txt"],
                          cwd=stage)
finally:
    shutil.rmtree(stage)
