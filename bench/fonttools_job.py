"""The fontTools baseline: the jobs of facesplit and facepack done the way a fontTools user
would do them, with TTCollection and TTFont and their defaults.

    fonttools_job.py split COLLECTION          writes face_00.ttf, face_01.ttf, ... here
    fonttools_job.py pack OUTPUT FONT [FONT ...]
"""
import sys

from fontTools.ttLib import TTCollection, TTFont


def split(path):
    collection = TTCollection(path)
    for index, font in enumerate(collection):
        font.save(f"face_{index:02d}.ttf")


def pack(output, paths):
    collection = TTCollection()
    collection.fonts = [TTFont(path) for path in paths]
    collection.save(output)


def main(argv):
    if len(argv) >= 2 and argv[0] == "split":
        split(argv[1])
    elif len(argv) >= 3 and argv[0] == "pack":
        pack(argv[1], argv[2:])
    else:
        sys.exit("usage: fonttools_job.py split TTC | pack OUT FONT...")


if __name__ == "__main__":
    main(sys.argv[1:])
