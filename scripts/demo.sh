#!/usr/bin/env bash
# The repair of the sample collection, as a user would type it: check it, repair it in one
# command, show what changed, then take the manual way (split the collection into its
# faces, mend each face in place, pack the faces again) and show that it gives the same
# bytes. Run by the build target `demo`:
#
#   demo.sh WORKDIR MAKE_SAMPLE FONT_REPORT FACESPLIT FACEMEND FACEPACK
#
# WORKDIR is emptied first. ftdump (freetype2-demos) and fc-scan (fontconfig) are used to
# show FreeType's and fontconfig's view of the files when they are installed.
set -euo pipefail

if [ $# -ne 6 ]; then
  echo "usage: demo.sh WORKDIR MAKE_SAMPLE FONT_REPORT FACESPLIT FACEMEND FACEPACK" >&2
  exit 1
fi
work=$1 make_sample=$2
for program in "$3" "$4" "$5" "$6"; do PATH="$(cd "$(dirname "$program")" && pwd):$PATH"; done
export PATH

# Prints a command the way it would be typed, then runs it.
run() {
  printf '\n$ %s\n' "$*"
  "$@"
}

heading() {
  printf '\n=== %s\n' "$*"
}

rm -rf "$work"
mkdir -p "$work/faces"
cd "$work"

heading "The sample: a collection of two old-style Japanese faces"
"$make_sample" .
rm -f sample-gothic.ttf sample-mincho.ttf
echo "sample.ttc: Shift-JIS family and full names in the Macintosh records, a 256-entry"
echo "Macintosh Roman format 6 cmap subtable, isFixedPitch 1 and head flags 0x000b."

heading "1. Check what a repair would change (nothing is written)"
status=0
run facemend --check sample.ttc || status=$?
echo "(exit status $status: 3 means a repair would change something)"

heading "2. Repair the collection in one command"
run facemend sample.ttc sample-mended.ttc
ls -l sample.ttc sample-mended.ttc

heading "3. What changed"
run font_report sample.ttc sample-mended.ttc

heading "4. The manual way: split, mend each face, pack again"
cd faces
run facesplit ../sample.ttc
for face in face_*.ttf; do
  run facemend "$face" "$face"
done
run facepack ../sample-3steps.ttc face_*.ttf
cd ..
run cmp sample-mended.ttc sample-3steps.ttc
echo "same bytes as the one-command repair"

if command -v ftdump > /dev/null; then
  heading "FreeType's view (ftdump): Macintosh names, fixed width, the Macintosh Roman charmap"
  for file in sample.ttc sample-mended.ttc; do
    printf '\n$ ftdump -n -c %s   (excerpt)\n' "$file"
    ftdump -n -c "$file" |
      awk '/Face number|fixed width/ { print } /family \(ID 1\) \[Macintosh\]|armn/ { print; getline; print }'
  done
fi
if command -v fc-scan > /dev/null; then
  heading "fontconfig's view (fc-scan): family and full name of each face"
  printf '\n$ %s\n' "fc-scan --format '%{index}: %{family} / %{fullname}\n' sample-mended.ttc"
  fc-scan --format '%{index}: %{family} / %{fullname}\n' sample-mended.ttc
fi

printf '\nThe files are in %s: sample.ttc, sample-mended.ttc, faces/face_*.ttf and\nsample-3steps.ttc.\n' "$(pwd)"
