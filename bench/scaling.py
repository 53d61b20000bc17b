"""Scaling check: facesplit and facepack on crafted inputs at 1x, 4x and 16x their size.

Each workload is an input an attacker would craft to make a small file cost much (faces
that all name one directory, directories that overlap, many tables of one tag and length,
many inputs that share every table), made at three sizes. For each, prints the input's
size, the best wall time of a few runs and the peak memory, and the growth from 1x to 16x
of each: time and memory should grow no faster than the input (16x), most of all not
with its square. Run by hand after a build; it is not a test, and the times depend on the
machine.

    python3 bench/scaling.py [--build build] [--runs 3]
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile

SOURCE_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TIME = "/usr/bin/time"
SCALES = (1, 4, 16)


def sfnt(records, data):
    """A single font: records (tag, offset into data, length), then data."""
    out = struct.pack(">IHHHH", 0x00010000, len(records), 0, 0, 0)
    base = 12 + 16 * len(records)
    for tag, offset, length in records:
        out += struct.pack(">4sIII", tag, 0, base + offset, length)
    return out + data


def collection(offsets, body):
    """A collection header naming the faces at `offsets`, then body."""
    head = b"ttcf" + struct.pack(">II", 0x00010000, len(offsets))
    return head + b"".join(struct.pack(">I", o) for o in offsets) + body


def one_directory(scale):
    """1000 faces per scale, all naming one directory of 4 records of one 4-byte table:
    each face is written, 92 bytes as a font of its own for 4 bytes of the collection."""
    faces = 1000 * scale
    at = 12 + 4 * faces
    records = struct.pack(">4sIII", b"glyf", 0, at + 12 + 16 * 4, 4) * 4
    body = struct.pack(">IHHHH", 0x00010000, 4, 0, 0, 0) + records + b"\1\2\3\4"
    return {"in.ttc": collection([at] * faces, body)}


def overlapping_directories(scale):
    """16000 faces per scale, 16 bytes apart in a run of one pattern that reads both as an
    offset table of one record and as a record: each face a directory of its own. The last
    face lies past the end, so the collection is read whole, then refused; nothing is
    written."""
    faces = 16000 * scale
    offsets = [12 + 4 * (faces + 1) + 16 * i for i in range(faces)] + [0x7FFFFFF0]
    pattern = struct.pack(">III4s", 0x00010000, 0x00010000, 0, b"abcd")
    return {"in.ttc": collection(offsets, pattern * (faces + 2))}


def small_tables(scale):
    """4000 tables per scale, each four bytes of its own, all of one tag."""
    count = 4000 * scale
    data = b"".join(struct.pack(">I", i) for i in range(count))
    return {"in.ttf": sfnt([(b"abcd", 4 * i, 4) for i in range(count)], data)}


def shared_inputs(scale):
    """4 inputs per scale, each the same 1000 tables of one tag, so that every table of
    every input after the first is found among those taken."""
    data = b"".join(struct.pack(">I", i) for i in range(1000))
    font = sfnt([(b"abcd", 4 * i, 4) for i in range(1000)], data)
    return {f"in{i:03}.ttf": font for i in range(4 * scale)}


WORKLOADS = [
    ("facesplit: faces naming one directory", "facesplit", one_directory),
    ("facesplit: overlapping directories", "facesplit", overlapping_directories),
    ("facepack: tables of one tag and length", "facepack", small_tables),
    ("facepack: inputs sharing every table", "facepack", shared_inputs),
]


def run_once(argv, cwd):
    """Wall seconds and peak KiB of one run, whatever its exit status."""
    done = subprocess.run([TIME, "-f", "%e %M", *argv], cwd=cwd, capture_output=True,
                          text=True)
    wall, peak = done.stderr.strip().splitlines()[-1].split()[-2:]
    return float(wall), int(peak)


def measure(program, files, runs, workdir):
    for name, data in files.items():
        with open(os.path.join(workdir, name), "wb") as out:
            out.write(data)
    names = sorted(files)
    argv = [program, *names] if program.endswith("facesplit") else [program, "out.ttc", *names]
    results = []
    for _ in range(runs):
        results.append(run_once(argv, workdir))
        for name in os.listdir(workdir):
            if name not in files:
                os.remove(os.path.join(workdir, name))
    for name in names:
        os.remove(os.path.join(workdir, name))
    return min(r[0] for r in results), max(r[1] for r in results)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(SOURCE_ROOT, "build"))
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    build = os.path.abspath(args.build)  # the programs run in a folder of their own
    programs = {"facesplit": os.path.join(build, "programs", "facesplit"),
                "facepack": os.path.join(build, "programs", "facepack")}
    for path in programs.values():
        if not os.access(path, os.X_OK):
            sys.exit(f"{path} not found: build first (cmake --workflow --preset default)")
    print(f"{'workload':40} {'scale':>5} {'input':>11} {'seconds':>8} {'peak KiB':>9}")
    with tempfile.TemporaryDirectory(prefix="facetools-scaling-") as workdir:
        for label, program, make in WORKLOADS:
            rows = []
            for scale in SCALES:
                files = make(scale)
                size = sum(len(data) for data in files.values())
                wall, peak = measure(programs[program], files, args.runs, workdir)
                rows.append((size, wall, peak))
                print(f"{label:40} {scale:>4}x {size:>11,} {wall:>8.3f} {peak:>9,}")
            (size1, wall1, peak1), (size16, wall16, peak16) = rows[0], rows[-1]
            print(f"{'':40} 1x->16x: input {size16 / size1:.1f}x, time "
                  f"{wall16 / max(wall1, 0.005):.1f}x, memory {peak16 / peak1:.1f}x")


if __name__ == "__main__":
    main()
