#!/usr/bin/env python3
"""Soak run: drives the built program through thousands of answer files.

Each run gets a fresh working folder and a generated file of answers:
generation runs (one to three sets, small sites and point counts so that
every set finishes quickly), walk runs over files that earlier generation
and walk runs wrote, over the console (CON) and over hand-made data files,
and a share of malformed answers (garbage lines, NUL bytes, bytes above
127, character 26, CR-only line ends, a one-megabyte line, answers cut off
anywhere). Some runs have a file-size limit, so that writing fails part way
(SIGXFSZ ignored): such a run must end with status 2 and a report, or, when
nothing it wrote reached the limit, as any other run.

Every run must end within the timeout with status 0, 1 or 2, show only
CR LF line ends, and status 2 must come with a report on standard error.
Answers that were not damaged must end with status 0. Every .ADF and .OUT
file a run leaves (unless it ended with status 2) must be readable: its lines end with CR LF, it holds the
header the program writes and then point lines, and walking it with the
program itself ends normally with every point processed.

Usage: tools/soak.py [--program build/sparsim] [--runs 3000] [--seed 1]
Prints a summary; exits 1 when any run failed (failures are kept in
--keep, default /tmp/sparsim-soak-failures).
"""

import argparse
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

CRLF = "\r\n"
NUMBER = r"[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?"
ADF_FIRST = re.compile(r"^(-?\d+) #Points# 2 #Coordinates#$")
ADF_POINT = re.compile(r"^\s*(" + NUMBER + r")\s+(" + NUMBER + r")$")
OUT_FIRST = re.compile(r"^(-?\d+),2$")
OUT_POINT = re.compile(r"^(" + NUMBER + r"),(" + NUMBER + r")$")
PROCESSED = re.compile(rb"\r\n(-?\d+) Points Processed\r\n")


class Answers:
    """Answer lines, and whether the run they make is expected to succeed."""

    def __init__(self):
        self.lines = []
        self.outputs = []  # names of the files a clean run writes

    def add(self, *lines):
        self.lines.extend(str(line) for line in lines)


def pick_name(rng, taken):
    while True:
        name = "P%d" % rng.randrange(100000)
        if name + ".ADF" not in taken and name + ".OUT" not in taken:
            taken.add(name + ".ADF")
            taken.add(name + ".OUT")
            return name


def site_answers(rng, a):
    """The site of one set; gives its longest side or diameter."""
    if rng.random() < 0.5:
        a.add("C")
        diameter = rng.choice(["", "1", "5", "12.5", "30", "0"])
        a.add(diameter, rng.choice(["", "0", "-3.25", "100"]), rng.choice(["", "7", "-1e3"]))
        return 20.0 if diameter == "" else float(diameter)
    a.add("R")
    x0 = rng.choice(["", "0", "-5", "1000.5"])
    y0 = rng.choice(["", "0", "2", "-17"])
    w = rng.choice([0, 1, 3, 10, 40])
    h = rng.choice([0, 1, 3, 10, 40])
    a.add(x0, y0, float(x0 or 0) + w, float(y0 or 0) + h)
    return max(w, h)


def set_answers(rng, a, taken):
    size = site_answers(rng, a)
    if rng.random() < 0.25 and size > 0:
        a.add("D", rng.choice(["0", "0.01", "0.1", "0.5"]))
        # The expected count stays below a few hundred on these sites.
    else:
        a.add("N", rng.choice([1, 2, 5, 10, 37, 100, 250]))
    if rng.random() < 0.5:
        a.add("C")
    else:
        # A radius of at least a tenth of the site keeps acceptance likely.
        a.add("S", rng.choice([1, 2, 5, 20]), rng.choice(["Y", "N"]),
              max(0.5, size * rng.choice([0.1, 0.3, 1.0])))
    a.add(rng.choice("UHCSN"))
    if rng.random() < 0.85:
        a.add("Y")
        if rng.random() < 0.1:
            a.add("CON")
        else:
            name = pick_name(rng, taken)
            a.add(name)
            a.outputs.append(name + ".ADF")
    else:
        a.add("N")
    a.add(rng.choice(["Y", "N"]))


def generation_answers(rng, taken):
    a = Answers()
    a.add("G", rng.choice(["", "0", "1", "12345", "-7", "$FF"]))
    sets = rng.choice([1, 1, 1, 2, 3])
    for i in range(sets):
        set_answers(rng, a, taken)
        a.add("Y" if i + 1 < sets else "N")
    a.add("Y")
    return a


def walk_answers(rng, taken, inputs):
    a = Answers()
    a.add("W")
    console_points = None
    if inputs and rng.random() < 0.85:
        source = rng.choice(inputs)
        a.add(source)
        stem = os.path.splitext(source)[0]
    else:
        a.add("CON")
        console_points = [(rng.uniform(-50, 50), rng.uniform(-50, 50))
                          for _ in range(rng.randrange(0, 6))]
        stem = None
    a.add(rng.choice(["", "0", "3", "99"]))
    passes = rng.choice([1, 1, 2])
    for i in range(passes):
        if console_points is None and i == 0 and rng.random() < 0.2 and stem + ".OUT" not in taken:
            a.add("")  # the offered default, <input>.OUT
            taken.add(stem + ".OUT")
            a.outputs.append(stem + ".OUT")
        else:
            name = pick_name(rng, taken)
            a.add(name + ".OUT")
            a.outputs.append(name + ".OUT")
        a.add(rng.choice(["", "0", "0.5", "10"]), rng.choice(["", "0", "1", "25", "1000"]))
        if console_points is not None:
            # The line end after the last number stays unread: the plot
            # question then reads an empty answer and takes its default.
            a.add("%d,2" % len(console_points))
            a.lines.extend("%.3f,%.3f" % p for p in console_points)
        else:
            a.add(rng.choice(["Y", "N"]))
        a.add("Y" if i + 1 < passes else "N")
    a.add("Y")
    return a


# No garbage answer is a large number that the program accepts: 2^31 - 1
# walk steps per point, or a site of 1e11 around clusters of radius 1, are
# legitimately long runs, not hangs.
GARBAGE = ["", "?", "x", "-1", "1e400", "0x7F", "\x00", "\xff\xfe", "CON", "SUB",
           "\\", "A\\B", "..", "LPT1", "*.ADF", "   ", "N", "Y"]


def damage(rng, data):
    """A malformed variant of answer bytes."""
    kind = rng.randrange(8)
    lines = data.split(b"\r\n")
    if kind == 0:  # cut anywhere, even within a line
        return data[:rng.randrange(len(data) + 1)], "cut"
    if kind == 1:  # a garbage line somewhere
        lines.insert(rng.randrange(len(lines) + 1), rng.choice(GARBAGE).encode("latin-1"))
        return b"\r\n".join(lines), "garbage line"
    if kind == 2:  # one line replaced by random bytes
        i = rng.randrange(len(lines))
        lines[i] = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 12)))
        return b"\r\n".join(lines), "random bytes"
    if kind == 3:  # character 26 ends the answers
        i = rng.randrange(len(data) + 1)
        return data[:i] + b"\x1a" + data[i:], "character 26"
    if kind == 4:  # CR-only or LF-only line ends
        return data.replace(b"\r\n", rng.choice([b"\r", b"\n"])), "other line ends"
    if kind == 5:  # a one-megabyte line
        i = rng.randrange(len(lines))
        lines[i] = lines[i] + b"7" * (1 << 20)
        return b"\r\n".join(lines), "long line"
    if kind == 6:  # a line dropped: every later answer lands on another question
        del lines[rng.randrange(len(lines))]
        return b"\r\n".join(lines), "dropped line"
    return bytes(b if rng.random() > 0.02 else rng.randrange(256) for b in data), "flipped bytes"


def data_file(rng):
    """A hand-made data file, often malformed."""
    count = rng.randrange(0, 8)
    items = ["%d,2" % rng.choice([count, count + 2, -1, 0])]
    for _ in range(count):
        items.append("%s %s" % (rng.choice(["1", "-2.5", "1e3", "?", "12a4", "1e400", ".5"]),
                                rng.choice(["0", "3", "-0", "4e-2", "#c# 5", ","])))
    text = rng.choice(["\r\n", "\n", " # x #\r\n"]).join(items)
    return text.encode("latin-1")


def lines_end_with_crlf(data):
    return all(data[i - 1:i] == b"\r" for i in range(len(data)) if data[i:i + 1] == b"\n")


def check_coordinate_file(path):
    """Problems with a written .ADF or .OUT file, and its announced count."""
    data = open(path, "rb").read()
    if not lines_end_with_crlf(data) or (data and not data.endswith(b"\r\n")):
        return "line ends other than CR LF", None
    lines = data.decode("latin-1").split(CRLF)[:-1]
    if not lines:
        # Created at its question, then the run ended before writing to it.
        return None, (None, 0)
    out = path.upper().endswith(".OUT")
    first = (OUT_FIRST if out else ADF_FIRST).match(lines[0])
    if not first:
        return "bad first line %r" % lines[0][:60], None
    announced = int(first.group(1))
    body = lines[1:]
    if not out:
        while body and body[0].startswith("#"):
            body = body[1:]
    point = OUT_POINT if out else ADF_POINT
    for line in body:
        if not point.match(line):
            return "bad point line %r" % line[:60], None
    if not out and len(body) != announced:
        return "%d points for %d announced" % (len(body), announced), None
    if out and len(body) > max(announced, 0):
        return "%d points for %d announced" % (len(body), announced), None
    return None, (announced, len(body))


def walk_back(program, work, name, timeout):
    """Walks a written file with the program; gives a problem or None."""
    answers = CRLF.join(["W", name, "1", "WALKBACK.OUT", "1", "1", "N", "N", "Y"]) + CRLF
    try:
        run = subprocess.run([program], cwd=work, input=answers.encode(), capture_output=True,
                             timeout=timeout)
    except subprocess.TimeoutExpired:
        return "walking it back did not end"
    finally:
        for leftover in ("WALKBACK.OUT",):
            p = os.path.join(work, leftover)
            if os.path.exists(p):
                os.remove(p)
    if run.returncode != 0:
        return "walking it back ended with status %d" % run.returncode
    if b"Invalid Character" in run.stdout or b"Out of Range" in run.stdout:
        return "walking it back met a bad item"
    return None


def file_size_limit(limit):
    """A child set-up in which writing past limit bytes fails (EFBIG)."""
    def set_up():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    return set_up


def one_run(program, rng, pool, timeout):
    """Runs the program once; gives (failure or None, description, outputs)."""
    work = tempfile.mkdtemp(prefix="sparsim-soak-")
    taken = set()
    inputs = []
    for name in rng.sample(sorted(pool), min(3, len(pool))):
        shutil.copyfile(pool[name], os.path.join(work, name))
        taken.add(name)
        inputs.append(name)
    if rng.random() < 0.3:
        open(os.path.join(work, "HAND.ADF"), "wb").write(data_file(rng))
        taken.add("HAND.ADF")
        inputs.append("HAND.ADF")
    os.mkdir(os.path.join(work, "SUB"))
    before = set(os.listdir(work))

    walk = rng.random() < 0.4 and inputs
    a = walk_answers(rng, taken, inputs) if walk or rng.random() < 0.1 else \
        generation_answers(rng, taken)
    mode = "walk" if a.lines[0] == "W" else "generation"
    data = (CRLF.join(a.lines) + CRLF).encode("latin-1")
    clean = "HAND.ADF" not in a.lines and rng.random() < 0.6
    how = "clean"
    if not clean:
        data, how = damage(rng, data)
    limit = None
    if rng.random() < 0.1:
        # A file system that fails part way through writing: status 2.
        limit = rng.randrange(0, 2000)
        clean = False
        how += " + file size limit"
    what = "%s, %s" % (mode, how)
    answers_path = os.path.join(work, ".answers")
    open(answers_path, "wb").write(data)

    failure = None
    try:
        with open(answers_path, "rb") as stdin:
            run = subprocess.run([program], cwd=work, stdin=stdin, capture_output=True,
                                 timeout=timeout,
                                 preexec_fn=file_size_limit(limit) if limit is not None else None)
        status = run.returncode
    except subprocess.TimeoutExpired:
        run, status = None, None
        failure = "did not end within %ss" % timeout
    if failure is None:
        if status not in (0, 1, 2):
            failure = "exit status %d %s" % (status, run.stderr[-300:])
        elif status == 2 and not run.stderr.strip():
            failure = "status 2 without a report"
        elif clean and status != 0:
            failure = "clean answers ended with status %d %s" % (status, run.stderr[-300:])
        elif not lines_end_with_crlf(run.stdout):
            failure = "console line end other than CR LF"
    written = {}
    # A failed write may leave a file cut short, which the run reported.
    if failure is None and status != 2:
        for name in sorted(set(os.listdir(work)) - before - {".answers"}):
            path = os.path.join(work, name)
            if not name.upper().endswith((".ADF", ".OUT")) or not os.path.isfile(path):
                continue
            problem, counts = check_coordinate_file(path)
            if problem is None and counts[0] == counts[1]:
                problem = walk_back(program, work, name, timeout)
            if problem:
                failure = "%s: %s" % (name, problem)
                break
            if counts[0] == counts[1]:
                written[name] = path
        if failure is None and clean:
            missing = [n for n in a.outputs if n not in written]
            if missing:
                failure = "clean run did not leave %s" % ", ".join(missing)
    return failure, what, work, written, status


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", default="build/sparsim")
    parser.add_argument("--runs", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--timeout", type=float, default=20)
    parser.add_argument("--keep", default="/tmp/sparsim-soak-failures")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    rng = random.Random(args.seed)
    pool_dir = tempfile.mkdtemp(prefix="sparsim-soak-pool-")
    pool = {}
    statuses = {}
    kinds = {}
    failures = []
    start = time.time()
    for i in range(args.runs):
        failure, what, work, written, status = one_run(program, rng, pool, args.timeout)
        statuses[status] = statuses.get(status, 0) + 1
        kinds[what] = kinds.get(what, 0) + 1
        for name, path in written.items():
            # Keep a bounded pool of readable files for later walks.
            if len(pool) < 40 or rng.random() < 0.2:
                key = name if name not in pool else "K%d%s" % (i, name[-4:])
                if len(pool) >= 40:
                    del pool[rng.choice(sorted(pool))]
                shutil.copyfile(path, os.path.join(pool_dir, key))
                pool[key] = os.path.join(pool_dir, key)
        if failure:
            os.makedirs(args.keep, exist_ok=True)
            kept = os.path.join(args.keep, "run%05d" % i)
            shutil.rmtree(kept, ignore_errors=True)
            shutil.copytree(work, kept)
            failures.append((i, what, failure, kept))
            print("run %d (%s): %s [kept in %s]" % (i, what, failure, kept), flush=True)
        shutil.rmtree(work, ignore_errors=True)
    shutil.rmtree(pool_dir, ignore_errors=True)
    elapsed = time.time() - start
    print("runs by kind:")
    for what in sorted(kinds):
        print("  %-32s %d" % (what, kinds[what]))
    print("exit statuses: " + ", ".join("%s: %d" % (k, v) for k, v in
                                        sorted(statuses.items(), key=lambda kv: str(kv[0]))))
    print("%d runs in %.0f s" % (args.runs, elapsed))
    print("%d passed, %d failed" % (args.runs - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
