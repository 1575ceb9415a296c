"""The Python package against the command line: the same options give the
same bytes, the same refusals give the same messages, and Ctrl-C stops a
run with its threads joined.

SPARSIM_PROGRAM names the built sparsim; tests/bindings/run_pytest.sh sets
it and puts the built module on PYTHONPATH."""

import doctest
import os
import pathlib
import signal
import subprocess
import sys
import time

import numpy as np
import pytest

import sparsim

PROGRAM = os.environ.get("SPARSIM_PROGRAM", "sparsim")

# A set of 10000 points that would need about 3e21 candidates: it goes
# round the generator's whole cycle, which the command line refuses unless
# asked to go on.
HOPELESS = dict(rect=(0, 0, 1e6, 1e6), points=10000, clusters=1, radius=0.001,
                seeds_as_points=False, model="uniform", seed=5)
ENDLESS = dict(HOPELESS, allow_shared_stream=True)


def text(value):
    """A number as the package hands it over: 1.0 is "1"."""
    if isinstance(value, float):
        return repr(value).removesuffix(".0")
    return str(value)


def command_args(options):
    """The command line's options for the keywords of sparsim.generate."""
    args = []
    for name, value in options.items():
        flag = "--" + name.replace("_", "-")
        if name == "seeds_as_points":
            args.append(flag if value else "--no-seeds-as-points")
        elif name in ("centred", "csr", "allow_shared_stream", "poisson"):
            args += [flag] if value else []
        elif isinstance(value, tuple):
            args += [flag, ",".join(text(float(v)) for v in value)]
        else:
            args += [flag, text(value)]
    return args


def run(*args, cwd=None):
    return subprocess.run([PROGRAM, *args], capture_output=True, cwd=cwd)


SETS = [
    dict(circle=20, points=100, centred=True, model="uniform", seed=12345),
    dict(circle=12.345, centre=(-3.5, 1e-3), density=0.7, centred=True, model="normal",
         seed=-77),
    dict(rect=(0, 0, 100, 50), points=500, clusters=12, radius=2.5, model="conic", seed=9),
    dict(rect=(-10.25, 3, 40, 3.5), points=300, clusters=4, radius=0.1,
         seeds_as_points=False, model="H", seed=2147483647),
    dict(circle=1e4, points=2000, clusters=50, radius=100 / 3, model="sinusoid", seed=1),
    dict(rect=(0, 0, 10, 4), density=2.5, clusters=3, radius=1.75, model="normal", seed=42),
    dict(circle=50, points=400, clusters=8, radius=4, model="conic", seed=11, generator="philox"),
    dict(rect=(0, 0, 30, 20), density=1.5, centred=True, model="normal", seed=-3,
         generator="Philox"),
    dict(rect=(0, 0, 100, 100), points=200, csr=True, seed=7),
    dict(circle=10, points=100, csr=True, seed=8, generator="philox"),
    dict(circle=20, points=100, centred=True, model="uniform", seed=12345, poisson=True),
    dict(rect=(0, 0, 100, 50), points=500, clusters=12, radius=2.5, model="conic", seed=9,
         poisson=True, generator="philox"),
    dict(rect=(0, 0, 100, 100), points=200, clusters=10, radius=3, model="uniform", seed=2024,
         replicate=5),
    dict(circle=50, points=400, clusters=8, radius=4, seed=11, generator="philox", replicate=3,
         poisson=True),
]


@pytest.mark.parametrize("options", SETS)
def test_sets_are_the_command_lines(options, tmp_path):
    points = sparsim.generate(**options)
    expected = run("generate", *command_args(options))
    assert expected.returncode == 0, expected.stderr
    assert points.shape == (int(expected.stdout.split()[0]), 2)
    assert points.dtype == np.float64 and points.run_seed == options["seed"]
    assert points.replicate_numbers == (options.get("replicate", 1),)
    if "replicate" not in options:
        assert points.seeds == (options["seed"],)
    sparsim.write_adf(tmp_path / "set.adf", points)
    assert (tmp_path / "set.adf").read_bytes() == expected.stdout


def test_numbers_are_handed_over_whole():
    # 100/3 and its rounding to 6 digits are sites of different widths, from
    # which every candidate's X is scaled.
    options = dict(points=50, centred=True, model="uniform", seed=4)
    third = sparsim.generate(rect=(0, 0, 100 / 3, 50), **options)
    assert (third == sparsim.generate(rect=(0, 0, 100 / 3, 50), **options)).all()
    assert (third != sparsim.generate(rect=(0, 0, 33.3333, 50), **options)).any(axis=1).all()


@pytest.mark.parametrize("generator, poisson", [("lcg", False), ("philox", False),
                                                ("lcg", True), ("philox", True)])
def test_replicates_are_the_command_lines(generator, poisson, tmp_path):
    options = dict(rect=(0, 0, 100, 100), points=200, clusters=10, radius=3, model="uniform",
                   seed=2024, generator=generator, poisson=poisson)
    done = []
    sims = sparsim.generate(**options, replicates=7, jobs=3,
                            progress=lambda k, total: done.append((k, total)))
    # With poisson, a list of sets of their own counts.
    seeds = tuple(s.seeds[0] for s in sims) if poisson else sims.seeds
    candidates = tuple(s.candidates[0] for s in sims) if poisson else sims.candidates
    assert isinstance(sims, list) == poisson and len(sims) == 7
    assert poisson or sims.shape == (7, 200, 2)
    assert len(set(seeds)) == (7 if generator == "lcg" else 1)
    assert done[0] == (0, 7) and done[-1] == (7, 7)
    # The points do not depend on the threads.
    again = sparsim.generate(**options, replicates=7, jobs=1)
    assert all((a == b).all() for a, b in zip(again, sims))
    result = run("generate", *command_args(options), "--replicates", "7", "-o", "r{n}.adf",
                 "--manifest", "m.csv", cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    manifest = (tmp_path / "m.csv").read_text().splitlines()[1:]
    for k in range(1, 8):
        sparsim.write_adf(tmp_path / "py.adf", sims, replicate=k)
        assert (tmp_path / "py.adf").read_bytes() == (tmp_path / f"r{k}.adf").read_bytes()
        assert manifest[k - 1].split(",")[1] == str(seeds[k - 1])
        assert manifest[k - 1].split(",")[3] == str(len(sims[k - 1]))
        assert manifest[k - 1].split(",")[4] == str(candidates[k - 1])
    # Replicate 5 alone is replicate 5 of the full run, and writes its file.
    alone = sparsim.generate(**options, replicate=5)
    assert alone.replicate_numbers == (5,) and (alone == sims[4]).all()
    sparsim.write_adf(tmp_path / "py.adf", alone)
    assert (tmp_path / "py.adf").read_bytes() == (tmp_path / "r5.adf").read_bytes()


@pytest.mark.parametrize("options", [{}, dict(generator="philox"), dict(replicate=4),
                                     dict(generator="Philox", replicate=2)])
def test_walks_are_the_command_lines(options, tmp_path):
    site = tmp_path / "site.adf"
    site.write_bytes(run("generate", "--circle", "20", "--points", "150", "--clusters", "5",
                         "--radius", "2", "--seed", "3").stdout)
    walked = sparsim.walk(sparsim.read_adf(site), max_step=0.75, steps=12, seed=-8, passes=3,
                          **options)
    assert walked.shape == (3, 150, 2)
    result = run("walk", str(site), "--max-step", "0.75", "--steps", "12", "--passes", "3",
                 "--seed", "-8", "-o", str(tmp_path / "w{pass}.out"), *command_args(options),
                 "--manifest", str(tmp_path / "m.csv"))
    assert result.returncode == 0, result.stderr
    manifest = (tmp_path / "m.csv").read_text().splitlines()[1:]
    assert walked.seeds == (int(manifest[0].split(",")[1]),)
    for p in range(3):
        sparsim.write_out(tmp_path / "py.out", walked[p])
        assert (tmp_path / "py.out").read_bytes() == (tmp_path / f"w{p + 1}.out").read_bytes()


GOOD = dict(circle=20, points=100, centred=True)


@pytest.mark.parametrize("change", [
    dict(circle=-3),
    dict(points=20000),
    dict(points=None, density=100),
    dict(circle=None, rect=(0, 0, 10)),
    dict(rect=(0, 10, 5, 2), circle=None),
    dict(centred=False, clusters=5),
    dict(centred=False, clusters=5, radius=0, seeds_as_points=False),
    dict(model="zebra"),
    dict(centre=(1, float("nan"))),
    dict(seed=2**31),
    dict(replicates=0),
    dict(jobs=2000),
    dict(generator="mt"),
    dict(replicate=0),
    dict(replicates=3, replicate=4),
    dict(points=9500, poisson=True),
    dict(HOPELESS, circle=None, centred=None),
    dict(circle=None, centred=None, rect=(0, 0, 3500, 3500), points=10000, clusters=5, radius=2,
         replicates=3),
])
def test_refusals_are_the_command_lines(change, tmp_path):
    options = {**GOOD, **change}
    options = {k: v for k, v in options.items() if v is not None and v is not False}
    # Replicates need file names before their other checks.
    names = ["-o", "r{n}.adf"] if options.get("replicates", 1) > 1 else []
    expected = run("generate", *command_args(options), *names, cwd=tmp_path)
    assert expected.returncode == 1
    message = expected.stderr.decode().splitlines()[0]
    with pytest.raises(ValueError) as refused:
        sparsim.generate(**options)
    assert "sparsim generate: " + str(refused.value) == message


@pytest.mark.parametrize("call, error", [
    (lambda: sparsim.generate(circle=20, points=2.5, centred=True), TypeError),
    (lambda: sparsim.generate(circle="20", points=10, centred=True), TypeError),
    (lambda: sparsim.walk(np.zeros((3, 3)), 1, 1, seed=1), ValueError),
    (lambda: sparsim.walk([[0, 1], [np.inf, 2]], 1, 1, seed=1), ValueError),
    (lambda: sparsim.walk([[0, 1]], -1, 1, seed=1), ValueError),
    (lambda: sparsim.read_adf("/nonexistent/SITE.ADF"), OSError),
])
def test_bad_arguments(call, error):
    with pytest.raises(error):
        call()


def threads():
    return len(os.listdir("/proc/self/task"))


def test_ctrl_c_stops_a_run_with_its_threads_joined():
    before = threads()
    first = sparsim.generate(**SETS[0])
    calls = []

    def interrupt_once_started(done, total):
        calls.append(done)
        if len(calls) == 1:
            os.kill(os.getpid(), signal.SIGINT)

    for replicates in (1, 4):
        calls.clear()
        with pytest.warns(RuntimeWarning, match="Trial Points Needed"):
            with pytest.raises(KeyboardInterrupt):
                sparsim.generate(**ENDLESS, replicates=replicates, jobs=2,
                                 progress=interrupt_once_started)
        assert calls == [0] and threads() == before
    # The interrupt is not left behind for the next run.
    assert (sparsim.generate(**SETS[0]) == first).all()


def test_ctrl_c_from_outside(tmp_path):
    """SIGINT from another process while a walk of 2^31 - 1 steps a point
    runs, once the walk says it has started."""
    sign = tmp_path / "started"
    child = subprocess.Popen(
        [sys.executable, "-c", f"""
import pathlib, sparsim
try:
    sparsim.walk([[0, 0], [1, 1]], max_step=1, steps=2**31 - 1, seed=1,
                 progress=lambda done, total: pathlib.Path({str(sign)!r}).touch())
except KeyboardInterrupt:
    print("KeyboardInterrupt")
"""], stdout=subprocess.PIPE, text=True)
    try:
        while not sign.exists():
            assert child.poll() is None, "the walk ended before it started"
            time.sleep(0.01)
        child.send_signal(signal.SIGINT)
        assert child.communicate(timeout=120)[0] == "KeyboardInterrupt\n"
        assert child.returncode == 0
    finally:
        child.kill()


def test_read_adf_notes_and_faults(tmp_path):
    short = tmp_path / "short.adf"
    short.write_bytes(b"3 #Points# 2 #Coordinates#\r\n1.5 2.5\r\n")
    with pytest.warns(UserWarning, match="announces 3 points and holds 1"):
        assert (sparsim.read_adf(short) == [[1.5, 2.5]]).all()
    bad = tmp_path / "bad.adf"
    bad.write_bytes(b"2,2\r\n1,2\r\n3,4O\r\n")
    with pytest.raises(OSError, match=r'bad.adf:3: "4O" is not a number'):
        sparsim.read_adf(bad)


def section_blocks(readme, heading, language):
    """The fenced blocks of a language in one section of the README."""
    blocks, inside, here = [], False, False
    for line in readme.read_text().splitlines():
        if line.startswith("## "):
            here = line == heading
        elif here and line == "```" + language:
            inside = True
            blocks.append("")
        elif line.startswith("```"):
            inside = False
        elif here and inside:
            blocks[-1] += line + "\n"
    return blocks


def test_readme_recipe(capsys):
    readme = pathlib.Path(__file__).resolve().parents[2] / "README.md"
    blocks = section_blocks(readme, "## From Python", "python")
    assert blocks
    recipe = {}
    exec("\n".join(blocks), recipe)
    sims, nearest = recipe["sims"], recipe["nearest"]
    assert capsys.readouterr().out == "(99, 200, 2) (2024, 125054953)\n"
    # Clustered: nearer neighbours than the 0.5 / sqrt(density) of CSR.
    assert nearest.shape == (99,) and (nearest < 0.5 / np.sqrt(200 / 1e4)).all()


def test_docstring_examples(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    failed, tried = doctest.testmod(sparsim)
    assert tried > 5 and failed == 0
