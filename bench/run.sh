#!/bin/sh
# The benchmark in one command: bench/run.sh [--build DIR] [--runs N] [--only WORD...]
# [--no-baselines]. It needs the Debian packages fonts-noto-cjk, fonts-ipafont-gothic,
# fonts-ipafont-mincho, afdko, python3-fonttools and time (it says which are missing and
# installs nothing), and writes only under a temporary folder that it removes.
if [ ! -x /usr/bin/python3 ]; then
  echo "missing Debian packages: python3 python3-fonttools" >&2
  exit 2
fi
exec /usr/bin/python3 -B "$(dirname "$0")/bench.py" "$@"
