"""Speed and footprint of facesplit, facepack and facemend against the floor (cat of the
input and output bytes), fontTools and AFDKO's otc2otf/otf2otc, on Debian's CJK fonts; and
of facepack --share-glyphs on the Ume Gothic family.

Runs every command of a workload in turn, alternating the order each round, after one
warm-up round; quotes medians. Peak memory comes from /usr/bin/time -v. Everything is
written under one temporary folder, removed at the end. Installs nothing.
"""
import argparse
import glob
import os
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field

sys.dont_write_bytecode = True  # nothing is written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sfnt_compare  # noqa: E402  (beside this file)

PACKAGES = ["fonts-noto-cjk", "fonts-ipafont-gothic", "fonts-ipafont-mincho",
            "fonts-horai-umefont", "time"]
BASELINE_PACKAGES = ["afdko", "python3-fonttools"]  # for the baselines only
NOTO = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
IPA = {name: f"/usr/share/fonts/opentype/ipafont-{kind}/{name}.ttf"
       for name, kind in [("ipag", "gothic"), ("ipagp", "gothic"),
                          ("ipam", "mincho"), ("ipamp", "mincho")]}
UME = [f"/usr/share/fonts/truetype/horai-umefont/ume-{name}.ttf"
       for name in ("tgo4", "pgo4", "ugo4", "hgo4")]
AFDKO = "/usr/libexec/afdko"
PYTHON = "/usr/bin/python3"
TIME = "/usr/bin/time"
SOURCE_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MIB = 1 << 20


@dataclass
class Command:
    label: str
    argv: list
    cwd: str
    outputs: list  # file names (or glob patterns) in cwd that one run creates; removed after it
    walls: list = field(default_factory=list)
    cpus: list = field(default_factory=list)
    peak_rss: int = 0  # bytes, from /usr/bin/time -v
    statuses: tuple = (0,)  # exit statuses of a run that went well


@dataclass
class Workload:
    name: str
    commands: list  # ours first, then the floor, then the other baselines
    time_target: float  # ours at most this many times the floor
    memory_limit: int = 0  # bytes; 0 when the workload has no memory target
    faster_than: dict = field(default_factory=dict)  # label: ours at least this many times faster


def missing_packages(with_baselines):
    missing = []
    for package in PACKAGES + (BASELINE_PACKAGES if with_baselines else []):
        query = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package],
                               capture_output=True, text=True)
        if query.returncode != 0 or not query.stdout.endswith(" installed"):
            missing.append(package)
    return missing


def machine_facts(folder):
    with open("/proc/cpuinfo") as f:
        models = [line.split(":", 1)[1].strip() for line in f if line.startswith("model name")]
    with open("/proc/meminfo") as f:
        total = next(line.split()[1] for line in f if line.startswith("MemTotal"))
    fs = subprocess.run(["findmnt", "-n", "-o", "FSTYPE", "-T", folder],
                        capture_output=True, text=True).stdout.strip()
    return (f"machine: nproc {os.cpu_count()}, {models[0] if models else '?'}, "
            f"{int(total) // 1024} MiB memory, kernel {os.uname().release}, "
            f"temp folder {folder} on {fs or '?'}, load {os.getloadavg()[0]:.2f}")


def run_timed(command, stderr_path):
    """One run: wall seconds, CPU seconds (user + system) and peak RSS from wait4."""
    os.chdir(command.cwd)
    actions = [(os.POSIX_SPAWN_OPEN, 0, "/dev/null", os.O_RDONLY, 0),
               (os.POSIX_SPAWN_OPEN, 1, "/dev/null", os.O_WRONLY, 0),
               (os.POSIX_SPAWN_OPEN, 2, stderr_path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC,
                0o600)]
    start = time.perf_counter()
    pid = os.posix_spawn(command.argv[0], command.argv, os.environ, file_actions=actions)
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    check_status(command, os.waitstatus_to_exitcode(status), stderr_path)
    clean_outputs(command)
    return wall, usage.ru_utime + usage.ru_stime


def check_status(command, code, stderr_path):
    if code in command.statuses:
        return
    with open(stderr_path, errors="replace") as f:
        text = f.read()
    raise SystemExit(f"{command.label} exited with status {code} in {command.cwd}:\n"
                     f"  {shlex.join(command.argv)}\n{text}")


def clean_outputs(command):
    for pattern in command.outputs:
        for path in glob.glob(os.path.join(glob.escape(command.cwd), pattern)):
            os.remove(path)


def measure_peak_rss(command):
    result = subprocess.run([TIME, "-v", *command.argv], cwd=command.cwd,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    clean_outputs(command)
    for line in result.stderr.splitlines():
        if "Maximum resident set size" in line:
            return int(line.rsplit(":", 1)[1]) * 1024
    raise SystemExit(f"no peak memory from {TIME} -v for {command.label}")


def measure(workload, runs, stderr_path):
    print(f"  {workload.name}: warm-up", end="", flush=True)
    for command in workload.commands:
        run_timed(command, stderr_path)
    for round_index in range(runs):
        order = workload.commands if round_index % 2 == 0 else workload.commands[::-1]
        for command in order:
            wall, cpu = run_timed(command, stderr_path)
            command.walls.append(wall)
            command.cpus.append(cpu)
        print(f" {round_index + 1}", end="", flush=True)
    for command in workload.commands:
        command.peak_rss = measure_peak_rss(command)
    print(flush=True)


def folder(root, *parts):
    path = os.path.join(root, *parts)
    os.makedirs(path, exist_ok=True)
    return path


def sh(script):
    return ["/bin/sh", "-c", script]


def floor_script(inputs, copies):
    """cat of the inputs to /dev/null, then cat of each expected output to its file."""
    steps = ["cat " + " ".join(shlex.quote(p) for p in inputs) + " > /dev/null"]
    steps += [f"cat {shlex.quote(src)} > {shlex.quote(dst)}" for src, dst in copies]
    return sh(" && ".join(steps))


def run_setup(argv, cwd):
    result = subprocess.run(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            text=True)
    if result.returncode != 0:
        raise SystemExit(f"setup failed ({result.returncode}): {shlex.join(argv)}\n"
                         f"{result.stderr}")


def split_workload(root, tools, with_slow):
    faces = sorted(os.listdir(folder(root, "expect", "split")))
    expect = [os.path.join(root, "expect", "split", name) for name in faces]
    commands = [
        Command("facesplit", [tools["facesplit"], NOTO], folder(root, "split", "ours"), faces),
        Command("floor", floor_script([NOTO], zip(expect, faces)), folder(root, "split", "floor"),
                faces),
        # The same bytes with one process for the ten outputs instead of ten: process starts
        # make up a third of the floor above.
        Command("floor 1cp", sh(f"cat {shlex.quote(NOTO)} > /dev/null && cp "
                                + " ".join(shlex.quote(p) for p in expect) + " ."),
                folder(root, "split", "floor-cp"), faces)]
    if with_slow:
        commands.append(Command("fontTools", [PYTHON, tools["fonttools_job"], "split", NOTO],
                                folder(root, "split", "fonttools"), faces))
        afdko = folder(root, "split", "afdko")
        # otc2otf writes the faces beside its input, named after their PostScript names.
        copy = shutil.copy(NOTO, afdko)
        commands.append(Command("otc2otf", [os.path.join(AFDKO, "otc2otf"), copy], afdko,
                                ["*.otf"]))
    return Workload("split noto", commands, 1.1, 8 * MIB)


def pack_workload(root, tools, name, inputs, expected, with_slow):
    commands = [
        Command("facepack", [tools["facepack"], "out.ttc", *inputs], folder(root, name, "ours"),
                ["out.ttc"]),
        Command("floor", floor_script(inputs, [(expected, "out.ttc")]),
                folder(root, name, "floor"), ["out.ttc"])]
    if with_slow:
        commands.append(Command("fontTools",
                                [PYTHON, tools["fonttools_job"], "pack", "out.ttc", *inputs],
                                folder(root, name, "fonttools"), ["out.ttc"]))
        commands.append(Command("otf2otc",
                                [os.path.join(AFDKO, "otf2otc"), "-o", "out.ttc", *inputs],
                                folder(root, name, "afdko"), ["out.ttc"]))
    return Workload(name.replace("-", " "), commands, 1.1, 8 * MIB)


def share_glyphs_workload(root, tools):
    """facepack --share-glyphs holds every face's glyph data while it lays them out: at most
    the inputs' size and 16 MiB, and three times the floor."""
    commands = [
        Command("facepack --share-glyphs", [tools["facepack"], "--share-glyphs", "out.ttc", *UME],
                folder(root, "pack-glyphs", "ours"), ["out.ttc"]),
        Command("floor", floor_script(UME, [(os.path.join(root, "expect", "ume.ttc"), "out.ttc")]),
                folder(root, "pack-glyphs", "floor"), ["out.ttc"])]
    inputs = sum(os.path.getsize(path) for path in UME)
    return Workload("pack glyphs ume", commands, 3.0, inputs + 16 * MIB)


def mend_workload(root, tools, name):
    source = IPA[name]
    expected = os.path.join(root, "expect", f"mend-{name}.ttf")
    commands = [
        Command("facemend", [tools["facemend"], source, "out.ttf"],
                folder(root, "mend-" + name, "ours"), ["out.ttf"]),
        Command("floor", floor_script([source], [(expected, "out.ttf")]),
                folder(root, "mend-" + name, "floor"), ["out.ttf"])]
    return Workload(f"mend {name}", commands, 1.1, os.path.getsize(source) + 8 * MIB)


def pipeline_script(tools, source):
    """The manual way to repair a collection: split it, mend each face in place, pack the
    faces again in their order."""
    q = {name: shlex.quote(path) for name, path in tools.items()}
    return sh(f"{q['facesplit']} {shlex.quote(source)} > /dev/null && "
              f"for f in face_*.ttf; do {q['facemend']} \"$f\" \"$f\" > /dev/null || exit 1; done && "
              f"{q['facepack']} out.ttc $(ls face_*.ttf | sort -V)")


def mend_collection_workload(root, tools, name, source):
    """facemend on a whole collection, against reading it once and writing the result once,
    and against the three programs run one after another."""
    expected = os.path.join(root, "expect", f"mend-{name}.ttc")
    where = "mend-" + name
    commands = [
        Command("facemend", [tools["facemend"], source, "out.ttc"], folder(root, where, "ours"),
                ["out.ttc"]),
        Command("floor", floor_script([source], [(expected, "out.ttc")]),
                folder(root, where, "floor"), ["out.ttc"]),
        Command("3 steps", pipeline_script(tools, source), folder(root, where, "pipeline"),
                ["out.ttc", "face_*.ttf"])]
    return Workload(f"mend {name.replace('-', ' ')}", commands, 1.5, os.path.getsize(source) + 16 * MIB,
                    {"3 steps": 5})


def system_fonts():
    """Every font file and collection under /usr/share/fonts, in a fixed order."""
    found = []
    for base, _, names in os.walk("/usr/share/fonts"):
        found += [os.path.join(base, n) for n in names
                  if n.lower().endswith((".ttf", ".otf", ".ttc"))]
    return sorted(found)


def check_workload(root, tools):
    """facemend --check over every font of the machine, against cat of the same files: a
    check reads the directories and the tables it judges, never whole files."""
    fonts = system_fonts()
    commands = [
        # Status 3: some font of the machine shows legacy signs (fonts-mona's mona.ttf).
        Command("facemend", [tools["facemend"], "--check", "-q", *fonts],
                folder(root, "check-fonts", "ours"), [], statuses=(0, 3)),
        Command("floor", floor_script(fonts, []), folder(root, "check-fonts", "floor"), [])]
    return Workload("check fonts", commands, 0.25, 16 * MIB)


def prepare_expected(root, tools):
    """The outputs of our own tools, which the floor copies and the packs read."""
    split = folder(root, "expect", "split")
    run_setup([tools["facesplit"], NOTO], split)
    faces = [os.path.join(split, n) for n in sorted(os.listdir(split))]
    run_setup([tools["facepack"], "noto.ttc", *faces], folder(root, "expect"))
    run_setup([tools["facepack"], "ipa.ttc", *IPA.values()], folder(root, "expect"))
    run_setup([tools["facepack"], "--share-glyphs", "ume.ttc", *UME], folder(root, "expect"))
    for name, path in IPA.items():
        run_setup([tools["facemend"], path, f"mend-{name}.ttf"], folder(root, "expect"))
    legacy = folder(root, "expect", "legacy")
    run_setup([PYTHON, os.path.join(os.path.dirname(os.path.abspath(__file__)), "make_legacy.py"),
               legacy, *IPA.values()], legacy)
    run_setup([tools["facepack"], "legacy.ttc", *sorted(glob.glob(os.path.join(legacy, "*.ttf")))],
              legacy)
    for name, source in collections_to_mend(root).items():
        run_setup([tools["facemend"], source, f"mend-{name}.ttc"], folder(root, "expect"))
        check_same_as_pipeline(root, tools, name, source)
    return faces


def collections_to_mend(root):
    return {"noto-ttc": NOTO, "legacy-ttc": os.path.join(root, "expect", "legacy", "legacy.ttc")}


def check_same_as_pipeline(root, tools, name, source):
    """Repairing a collection in one run must give the bytes of the three-step route."""
    scratch = folder(root, "expect", "pipeline-" + name)
    run_setup(pipeline_script(tools, source), scratch)
    with open(os.path.join(scratch, "out.ttc"), "rb") as a, \
            open(os.path.join(root, "expect", f"mend-{name}.ttc"), "rb") as b:
        if a.read() != b.read():
            raise SystemExit(f"facemend on {name} differs from split, mend and pack")


def build_workloads(root, tools, with_slow, only):
    faces = prepare_expected(root, tools)
    workloads = [
        split_workload(root, tools, with_slow),
        pack_workload(root, tools, "pack-noto", faces,
                      os.path.join(root, "expect", "noto.ttc"), with_slow),
        pack_workload(root, tools, "pack-ipa", list(IPA.values()),
                      os.path.join(root, "expect", "ipa.ttc"), with_slow),
        share_glyphs_workload(root, tools)]
    workloads += [mend_workload(root, tools, name) for name in IPA]
    workloads += [mend_collection_workload(root, tools, name, source)
                  for name, source in collections_to_mend(root).items()]
    workloads.append(check_workload(root, tools))
    if only:
        workloads = [w for w in workloads if any(word in w.name for word in only)]
    return workloads


def verdict(met):
    return "met" if met else "MISSED"


def report_workload(workload):
    """Rows of the table for one workload; returns (time target met, memory target met).
    The target is judged against the first floor; a second one is shown for comparison."""
    ours = workload.commands[0]
    ours_median = statistics.median(ours.walls)
    floor_ratio = ours_median / statistics.median(workload.commands[1].walls)
    memory_met = workload.memory_limit == 0 or ours.peak_rss <= workload.memory_limit
    for index, command in enumerate(workload.commands):
        median = statistics.median(command.walls)
        row = (f"{workload.name if index == 0 else '':<11} {command.label:<10} {median:9.3f} "
               f"{min(command.walls):8.3f} {statistics.median(command.cpus):8.3f} "
               f"{command.peak_rss / MIB:9.1f}")
        ratio = ours_median / median
        if index == 0 and workload.memory_limit:
            row += (f"   memory at most {workload.memory_limit / MIB:.1f} MiB: "
                    f"{verdict(memory_met)}")
        elif command.label.startswith("floor"):
            cpu_ratio = statistics.median(ours.cpus) / statistics.median(command.cpus)
            row += f"   {ratio:7.2f}  ("
            if index == 1:
                row += (f"at most {workload.time_target:g}: "
                        f"{verdict(ratio <= workload.time_target)}; ")
            row += f"CPU {cpu_ratio:.2f})"
        elif index > 0:
            row += f"   {ratio:7.3f}  ({median / ours_median:.1f} x faster"
            if command.label in workload.faster_than:
                target = workload.faster_than[command.label]
                row += f"; at least {target:g}: {verdict(median / ours_median >= target)}"
            row += ")"
        print(row)
    faster_met = all(statistics.median(c.walls) / ours_median >= workload.faster_than[c.label]
                     for c in workload.commands if c.label in workload.faster_than)
    return floor_ratio <= workload.time_target and faster_met, memory_met


def speedups(workloads, labels):
    """How many times faster ours ran than the baselines with these labels, as a range."""
    ratios = [statistics.median(c.walls) / statistics.median(w.commands[0].walls)
              for w in workloads for c in w.commands if c.label in labels]
    return f"{min(ratios):.0f} to {max(ratios):.0f} x" if ratios else "not measured"


def report(workloads, runs, pack_problems):
    print(f"\nmedians of {runs} runs after a warm-up, wall and CPU (user + system) seconds; "
          "peak RSS from /usr/bin/time -v; ratio = ours / this baseline")
    print(f"{'workload':<11} {'command':<10} {'median s':>9} {'min s':>8} {'cpu s':>8} "
          f"{'peak MiB':>9}   {'ratio':>7}")
    results = [report_workload(w) for w in workloads]
    time_met = sum(1 for t, _ in results if t)
    memory = [m for w, (_, m) in zip(workloads, results) if w.memory_limit]
    pack = ("not run" if pack_problems is None else
            "no larger, equal tables" if not pack_problems else "FAILED")
    print(f"\nsummary: time targets met on {time_met} of {len(results)} workloads, memory "
          f"targets on {sum(memory)} of {len(memory)}; pack of the Noto faces {pack}; "
          f"{speedups(workloads, ['fontTools'])} faster than fontTools, "
          f"{speedups(workloads, ['otc2otf', 'otf2otc'])} faster than AFDKO")
    return time_met == len(results) and all(memory) and not pack_problems


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(SOURCE_ROOT, "build"),
                        help="build folder holding programs/ (default: build)")
    parser.add_argument("--runs", type=int, default=7, help="timed runs of each command (>= 5)")
    parser.add_argument("--only", nargs="*", help="workloads whose name holds one of these words")
    parser.add_argument("--no-baselines", action="store_true",
                        help="leave out fontTools and AFDKO (quick checks against the floor)")
    parser.add_argument("--tmp", help="folder for the temporary folder (default: $TMPDIR, /tmp)")
    args = parser.parse_args()
    if args.runs < 5:
        parser.error("--runs must be at least 5")
    return args


def find_tools(build):
    build = os.path.abspath(build)  # the programs run in folders of their own
    tools = {"facesplit": os.path.join(build, "programs", "facesplit"),
             "facepack": os.path.join(build, "programs", "facepack"),
             "facemend": os.path.join(build, "programs", "facemend"),
             "fonttools_job": os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                           "fonttools_job.py")}
    for name, path in tools.items():
        if not os.path.isfile(path):
            raise SystemExit(f"{name} not found at {path}: build first, or give --build")
    return {name: os.path.abspath(path) for name, path in tools.items()}


def make_temp_folder(parent):
    root = os.path.realpath(tempfile.mkdtemp(prefix="facetools-bench-", dir=parent))
    if root.startswith(SOURCE_ROOT + os.sep) or root.startswith("/usr/"):
        shutil.rmtree(root)
        raise SystemExit(f"refusing to write under {root}: choose another --tmp")
    return root


def main():
    args = parse_args()
    os.environ["PYTHONDONTWRITEBYTECODE"] = "1"  # for the Python baselines too
    missing = missing_packages(not args.no_baselines)
    if missing:
        print("missing Debian packages: " + " ".join(missing), file=sys.stderr)
        print("install them with: apt-get install " + " ".join(missing), file=sys.stderr)
        return 2
    tools = find_tools(args.build)
    root = make_temp_folder(args.tmp)
    try:
        print(machine_facts(root))
        workloads = build_workloads(root, tools, not args.no_baselines, args.only)
        pack_problems = None
        if any(w.name == "pack noto" for w in workloads):
            pack_problems = check_noto_pack(os.path.join(root, "expect", "noto.ttc"))
        stderr_path = os.path.join(root, "stderr.txt")
        for workload in workloads:
            measure(workload, args.runs, stderr_path)
        print(f"load after the runs: {os.getloadavg()[0]:.2f}")
        return 0 if report(workloads, args.runs, pack_problems) else 1
    finally:
        os.chdir("/")
        shutil.rmtree(root, ignore_errors=True)


def check_noto_pack(packed):
    """The packed split faces must be no larger than the collection and hold its tables."""
    problems = sfnt_compare.compare_collections(NOTO, packed)
    if os.path.getsize(packed) > os.path.getsize(NOTO):
        problems.append(f"{os.path.getsize(packed)} bytes, the original has "
                        f"{os.path.getsize(NOTO)}")
    for problem in problems:
        print(f"pack of the Noto faces: {problem}")
    return problems


if __name__ == "__main__":
    sys.exit(main())
