"""Reads faces with fontTools and reports what it made of them.

Arguments are FILE:INDEX pairs (INDEX is the face number; 0 for a single font). Each face
is opened with its table checksums verified, and every table is decompiled in full (glyph
outlines too). For each face the output is tab-separated lines:

    face    FILE:INDEX
    open    error text              (only when the face did not open)
    table   TAG    ok | error text
    warning text                    (each warning fontTools logged for the face)
"""
import logging
import sys

from fontTools.ttLib import TTFont


class Collector(logging.Handler):
    def __init__(self):
        super().__init__(logging.WARNING)
        self.messages = []

    def emit(self, record):
        self.messages.append(record.getMessage())


def one_line(text):
    return " ".join(str(text).split())


def check_face(face):
    path, index = face.rsplit(":", 1)
    collector = Collector()
    logger = logging.getLogger("fontTools")
    logger.addHandler(collector)
    lines = ["face\t" + face]
    try:
        font = TTFont(path, fontNumber=int(index), checkChecksums=1, lazy=True)
        for tag in font.reader.keys():
            try:
                table = font[tag]
                if hasattr(table, "ensureDecompiled"):
                    table.ensureDecompiled(recurse=True)
                lines.append("table\t%s\tok" % tag)
            except Exception as error:  # the verdict, not a crash of the check
                lines.append("table\t%s\t%s: %s" % (tag, type(error).__name__, one_line(error)))
    except Exception as error:
        lines.append("open\t%s: %s" % (type(error).__name__, one_line(error)))
    logger.removeHandler(collector)
    lines.extend("warning\t" + one_line(m) for m in collector.messages)
    return lines


def main():
    logging.getLogger("fontTools").setLevel(logging.WARNING)
    logging.getLogger("fontTools").propagate = False
    for face in sys.argv[1:]:
        print("\n".join(check_face(face)), flush=True)


if __name__ == "__main__":
    main()
