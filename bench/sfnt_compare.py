"""Compares the faces of two collection files table by table, for the benchmark's check that
packing the split faces of a collection gives back a file no larger, with equal tables."""
import struct


def collection_faces(path):
    """Each face of the collection at `path` as a dict from tag to the table's bytes."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"ttcf":
        raise ValueError(f"{path}: not a collection")
    (count,) = struct.unpack_from(">I", data, 8)
    offsets = struct.unpack_from(f">{count}I", data, 12)
    return [face_tables(data, offset) for offset in offsets]


def face_tables(data, at):
    (num_tables,) = struct.unpack_from(">H", data, at + 4)
    tables = {}
    for i in range(num_tables):
        tag, _, offset, length = struct.unpack_from(">4sIII", data, at + 12 + 16 * i)
        if offset + length > len(data):
            raise ValueError(f"table {tag!r} runs past the end of the file")
        tables[tag] = data[offset:offset + length]
    return tables


def compare_collections(original, packed):
    """A list of differences in words; empty when every face has the original's tables."""
    before, after = collection_faces(original), collection_faces(packed)
    if len(before) != len(after):
        return [f"{len(after)} faces, the original has {len(before)}"]
    problems = []
    for index, (old, new) in enumerate(zip(before, after)):
        if old.keys() != new.keys():
            problems.append(f"face {index}: tables {sorted(new)} instead of {sorted(old)}")
            continue
        problems += [f"face {index}: table {tag.decode('latin-1')} differs"
                     for tag in old if old[tag] != new[tag]]
    return problems
