"""Makes a project of COUNT small files below ROOT for the benchmarks: folders of 200 files
of 100 to 400 bytes each, the same files for the same count."""
import os
import random
import sys

root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(count)
for i in range(count):
    folder = os.path.join(root, "d%03d" % (i // 200))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%05d.txt" % i), "w") as f:
        f.write(("line %d of a small file\n" % i) * rng.randint(4, 16))
